#pragma once
// Where listing lines go: the document window's rich edit, the printer, or a test's
// recorder. A line is a text and its style.
#include <cstdint>
#include <string>

namespace app {

enum class TListingStyle : uint8_t {
    Plain,  // detail lines and hexadecimal lines
    Bold,   // event lines and switchgear headers
};

class IListingSink {
public:
    virtual ~IListingSink() = default;
    virtual void AddLine(const std::string& text, TListingStyle style) = 0;
};

// The rich edit of the listing: a sink whose lines can be cleared, with its repaint held
// back between BeginUpdate and EndUpdate.
class IListingView : public IListingSink {
public:
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;
    virtual void Clear() = 0;
    // Caret and selection to the start of the text.
    virtual void CaretToStart() = 0;
};

}  // namespace app
