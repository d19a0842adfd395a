#pragma once
// A device image with a hand-built events buffer, a lister linked to recording list box
// and rich edit, and the record builders the lister tests share.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "app/device/Halvobase.h"
#include "app/lister/Lister.h"
#include "tests/app/device/DeviceFixtures.h"
#include "tests/app/lister/EventRecordBuilders.h"

namespace app::test {

struct TLine {
    std::string Text;
    TListingStyle Style;
    bool operator==(const TLine&) const = default;
};

// One line a row: "B|" or "P|" and the text, as the golden files hold them.
inline std::string Render(const std::vector<TLine>& lines) {
    std::string out;
    for (const TLine& l : lines) out += (l.Style == TListingStyle::Bold ? "B|" : "P|") + l.Text + "\n";
    return out;
}

inline std::string Golden(const std::string& name) {
    std::ifstream in(std::string(HALVO_TEST_DATA) + "/golden/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class TRecordingSink : public IListingSink {
public:
    void AddLine(const std::string& text, TListingStyle style) override { Lines.push_back({text, style}); }
    std::vector<TLine> Lines;
};

class TRecordingView : public IListingView {
public:
    void AddLine(const std::string& text, TListingStyle style) override { Lines.push_back({text, style}); }
    void BeginUpdate() override { ++Begins; }
    void EndUpdate() override { ++Ends; }
    void Clear() override {
        Lines.clear();
        ++Clears;
    }
    void CaretToStart() override { ++CaretResets; }
    std::vector<TLine> Lines;
    int Begins = 0, Ends = 0, Clears = 0, CaretResets = 0;
};

class TRecordingListBox : public ISequenceListBox {
public:
    void ClearLines() override {
        Lines.clear();
        Selected.clear();
    }
    void AddLine(const std::string& text) override { Lines.push_back(text); }
    int LineCount() const override { return static_cast<int>(Lines.size()); }
    std::string Line(int index) const override {
        return index >= 0 && index < LineCount() ? Lines[static_cast<std::size_t>(index)] : std::string();
    }
    void SetMultiSelect(bool on) override { MultiSelect = on; }
    void SetSelected(int index, bool selected) override {
        if (selected)
            Selected.insert(index);
        else
            Selected.erase(index);
    }
    void Click(const void* sender) override {
        Senders.push_back(sender);
        if (OnClick) OnClick(sender);
    }
    std::vector<std::string> Lines;
    std::set<int> Selected;
    bool MultiSelect = false;
    std::vector<const void*> Senders;
    std::function<void(const void*)> OnClick;
};

class TListerTest : public testing::Test {
protected:
    TListerTest() {
        Halvo.SetDataDirectory(Dir.Path());
        Lister.SetHalvo(&Halvo);
        Lister.SetListBox(&ListBox);
        Lister.SetRichEdit(&View);
        ListBox.OnClick = [this](const void*) {
            if (!ListBox.Selected.empty()) Lister.SelectSequence(*ListBox.Selected.begin() + 1);
        };
    }

    // Device type, events in buffer order (newest first), reading options; no
    // start-time correction unless asked for.
    void Load(int type, const Bytes& events, bool showAll = false, bool correct = false) {
        Halvo.SetDeviceType(type);
        std::copy(events.begin(), events.end(), Halvo.EventsBuffer());
        Halvo.SetEventsLength(static_cast<uint16_t>(events.size()));
        TReadOptions o = Halvo.GetReadOptions();
        o.ShowAllEvents = showAll ? 1 : 0;
        o.CorrectStartTimes = correct ? 1 : 0;
        Halvo.SetReadOptions(o);
    }

    std::vector<TLine> Listing(int sequence) {
        Lister.SelectSequence(sequence);
        return View.Lines;
    }

    std::vector<TLine> HexList() {
        Lister.HexList();
        return View.Lines;
    }

    TTempDir Dir;
    THalvo Halvo;
    TEvLister Lister;
    TRecordingView View;
    TRecordingListBox ListBox;
};

}  // namespace app::test
