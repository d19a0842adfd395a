#include "tests/fuzz/FuzzDocument.h"

#include <functional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "app/device/HalvoFiles.h"
#include "app/device/Interp.h"
#include "app/lister/Lister.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "platform/FormatSettings.h"
#include "tests/fuzz/FuzzSupport.h"

namespace fuzz {

namespace {

class TListBox : public app::ISequenceListBox {
public:
    void ClearLines() override {
        FLines.clear();
        FSelected.clear();
    }
    void AddLine(const std::string& text) override {
        FUZZ_CHECK(ValidUtf8(text));
        FLines.push_back(text);
    }
    int LineCount() const override { return static_cast<int>(FLines.size()); }
    std::string Line(int index) const override {
        return index >= 0 && index < LineCount() ? FLines[static_cast<std::size_t>(index)] : std::string();
    }
    void SetMultiSelect(bool) override {}
    void SetSelected(int index, bool selected) override {
        if (selected)
            FSelected.insert(index);
        else
            FSelected.erase(index);
    }
    void Click(const void*) override {
        if (OnClick) OnClick(FSelected.empty() ? -1 : *FSelected.begin());
    }
    std::function<void(int)> OnClick;

private:
    std::vector<std::string> FLines;
    std::set<int> FSelected;
};

class TView : public app::IListingView {
public:
    void AddLine(const std::string& text, app::TListingStyle) override {
        FUZZ_CHECK(ValidUtf8(text));
        ++Lines;
    }
    void BeginUpdate() override { ++Depth; }
    void EndUpdate() override {
        FUZZ_CHECK(Depth > 0);
        --Depth;
    }
    void Clear() override { Lines = 0; }
    void CaretToStart() override {}
    int Depth = 0;
    std::size_t Lines = 0;
};

class TSink : public app::IListingSink {
public:
    void AddLine(const std::string& text, app::TListingStyle) override {
        FUZZ_CHECK(ValidUtf8(text));
        ++Lines;
    }
    std::size_t Lines = 0;
};

void ShowGrid(const app::THalvoDefs& defs, std::span<const uint8_t> set, std::size_t setLength) {
    for (int n = 1; n <= defs.SectionCount(); ++n) {
        FUZZ_CHECK(ValidUtf8(defs.GetSectionTitle(n)));
        const app::TSets* sets = defs.GetSection(n);
        if (!sets) continue;
        for (int m = 1; m <= sets->Count(); ++m) {
            const app::TSettingDescriptor d = sets->GetSetting(m);
            FUZZ_CHECK(ValidUtf8(d.Name) && ValidUtf8(d.Unit));
            FUZZ_CHECK(ValidUtf8(app::SettingToText(d, set, setLength)));
        }
    }
}

}  // namespace

void WriteDefinitions(const std::string& directory) {
    const std::string settings =
        "[SECTION_1]\nTITLE=Levels\n"
        "X1_NAME=Rated voltage\nX1_TYPE=UN\nX1_OFFSET=1\n"
        "X2_NAME=Level\nX2_DIM=%\nX2_TYPE=REAL\nX2_BASE=0,1\nX2_DEC_PLACES=1\n"
        "X3_NAME=Active\nX3_TYPE=Y/N\n"
        "X4_NAME=Mask\nX4_OFFSET=256\n"
        "X5_NAME=Count\nX5_TYPE=INT\n";
    for (const auto& [name, global] :
         {std::pair{"Vesk2.set", "ImplementsSysLogick=0\nDI_correction=-128\nDO_correction=127\n"},
          std::pair{"Vesk3.set", "ImplementsSysLogick=1\nDI_correction=-5\nAI_correction=-30\n"}}) {
        std::ofstream out(directory + "/" + name, std::ios::binary | std::ios::trunc);
        out << "[GLOBAL]\n" << global << settings;
    }
}

TListed ListDocument(app::THalvo& halvo) {
    app::TEvLister lister;
    TView view;
    TListBox box;
    lister.SetHalvo(&halvo);
    lister.SetListBox(&box);
    lister.SetRichEdit(&view);
    // The window shows a listing's own error itself.
    box.OnClick = [&](int index) {
        try {
            if (index >= 0) lister.SelectSequence(index + 1);
        } catch (const platform::EConvertError&) {
        }
    };

    TListed listed;
    try {
        lister.Refresh(nullptr);
    } catch (const platform::EConvertError&) {
        listed.DecodeFailed = true;
    }
    FUZZ_CHECK(view.Depth == 0);
    listed.Sequences = lister.SequenceCount();
    FUZZ_CHECK(box.LineCount() == listed.Sequences);
    for (int n = 0; n <= listed.Sequences + 1; ++n) {
        const app::TSequenceInfo info = lister.SequenceInfo(n);
        FUZZ_CHECK((n >= 1 && n <= listed.Sequences) ? info.Kind <= app::kSequenceRestart
                                                     : info.Kind == app::kSequenceMissing);
        try {
            lister.SelectSequence(n);
        } catch (const platform::EConvertError&) {
        }
        FUZZ_CHECK(view.Depth == 0);
    }
    // The printer's road: a number without a sequence writes nothing, then sequence 1.
    TSink sink;
    lister.WriteListing(sink);
    FUZZ_CHECK(sink.Lines == 0);
    try {
        lister.SelectSequence(1);
    } catch (const platform::EConvertError&) {
    }
    try {
        lister.WriteListing(sink);
    } catch (const platform::EConvertError&) {
    }
    lister.HexList();
    FUZZ_CHECK(view.Depth == 0);
    FUZZ_CHECK(lister.SequenceCount() == listed.Sequences);
    return listed;
}

void ShowDocument(const app::THalvo& halvo) {
    FUZZ_CHECK(ValidUtf8(halvo.GetStationInfo()));
    FUZZ_CHECK(ValidUtf8(halvo.GetUnitVersion()));
    FUZZ_CHECK(halvo.DeviceType() >= 0 && halvo.DeviceType() <= 2);
    std::vector<std::string> note;
    app::BufferToStrings(note, halvo.Note(), app::THalvo::kNoteSize);
    for (const std::string& line : note) FUZZ_CHECK(ValidUtf8(line));
    const platform::TFormatSettings& fs = platform::AppFormatSettings();
    for (const platform::TDateTime date : {halvo.GetCreationDate(), halvo.GetEventsReadDate(),
                                           halvo.GetParset1ReadDate(), halvo.GetParset2ReadDate()}) {
        FUZZ_CHECK(platform::DateToStr(date, fs).size() < 64);
        FUZZ_CHECK(platform::TimeToStr(date, fs).size() < 64);
    }
    FUZZ_CHECK(halvo.GetEventsLength() <= app::THalvo::kEventsCapacity);
    FUZZ_CHECK(halvo.GetParset1Length() <= app::THalvo::kParsetCapacity);
    FUZZ_CHECK(halvo.GetParset2Length() <= app::THalvo::kParsetCapacity);
    ShowGrid(halvo.Defs(), {halvo.Parset1Data(), app::THalvo::kParsetCapacity}, halvo.GetParset1Length());
    ShowGrid(halvo.Defs(), {halvo.Parset2Data(), app::THalvo::kParsetCapacity}, halvo.GetParset2Length());
}

}  // namespace fuzz
