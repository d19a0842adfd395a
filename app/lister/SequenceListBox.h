#pragma once
// The document window's list of sequences, one line per sequence, line 0 = sequence 1.
#include <string>

namespace app {

class ISequenceListBox {
public:
    virtual ~ISequenceListBox() = default;
    virtual void ClearLines() = 0;
    virtual void AddLine(const std::string& text) = 0;
    virtual int LineCount() const = 0;
    // Line index, from 0; empty when there is no such line.
    virtual std::string Line(int index) const = 0;
    virtual void SetMultiSelect(bool on) = 0;
    virtual void SetSelected(int index, bool selected) = 0;
    // Runs the list box's click handler with this sender, when one is assigned.
    virtual void Click(const void* sender) = 0;
};

}  // namespace app
