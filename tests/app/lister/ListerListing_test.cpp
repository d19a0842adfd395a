// From buffer bytes to the listing of a sequence and the hexadecimal list.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/lister/ListingTexts.h"
#include "app/lister/StateRecordLines.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "tests/app/lister/ListerFixtures.h"

namespace app::test {
namespace {

// Vesk-3: a Normal sequence of 2006-03-14 and a Restart sequence of the day after,
// newest first; one older record without a clock time, then the end of the data.
Bytes Type2Buffer() {
    const Bytes startState{0x0F, 0x0F, 0x4F, 0x00, 0x03, 0x01, 0x00, 0x00, 0x0C, 0x08, 0x04, 0x00, 0x05};
    const Bytes endState{0x0F, 0x0F, 0x4F, 0x00, 0x03, 0x01, 0x00, 0x00, 0x0C, 0x08, 0x04, 0x00, 0x01};
    const Bytes restartState{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x08, 0, 0};
    return Join({
        Ev(0x05, 4),
        Ev(0xFB, 0, restartState),
        Ev(0xF5, 0, {0x00, 0x03}),
        Clock(0, 8, 15, 3, 6),
        Ev(0xFB, 2, endState),
        Ev(0xFD, 0, {3, 30, 0, 11, 14, 3, 6}),
        Ev(0xF6, 200, {0x01, 0x00, 0x03, 0x40, 0x07, 0x0F}),
        Ev(0x24, 400),
        Ev(0xFB, 2, startState),
        Clock(22, 10, 14, 3, 6),
        Ev(0x00, 1),
        {0xF0, 0x7F, 0x02, 0x02},
    });
}

// Vesk-2: one Normal sequence with every state record and an unlisted event.
Bytes Type1Buffer() {
    const Bytes state{0x0F, 0x03, 0x4F, 0x40, 0x10, 0x00, 0x05, 0x04, 0x05, 0x02, 0x08, 0x01, 0x03};
    const Bytes blocking{0, 0, 0, 0, 0x02, 0x04, 0x02};
    return Join({
        Ev(0xF6, 4, {0x0F, 0x0F, 0x0F, 0x0F, 0x00, 0x0F}),
        Ev(0xD0, 4),
        Ev(0xF5, 4, {0x01, 0x05}),
        Ev(0xF7, 4, blocking),
        Ev(0xF7, 4, blocking),
        Ev(0x1E, 4),
        Ev(0xFB, 0, state),
        Clock(22, 10, 14, 3, 6),
    });
}

class EventListing : public TListerTest {};

TEST_F(EventListing, Type2SequencesAndHexList) {
    Load(2, Type2Buffer());
    Lister.Refresh(nullptr);
    EXPECT_EQ(ListBox.Lines, (std::vector<std::string>{
                                 "Sequence no.1 (Normal) Date: 2006-03-14 hour: 10:22:00:005",
                                 "Sequence no.2 (Restart) Date: 2006-03-15 hour: 08:00:00:000",
                             }));
    EXPECT_EQ(Render(View.Lines), Golden("type2_sequence1.txt"));
    EXPECT_EQ(Render(Listing(2)), Golden("type2_sequence2.txt"));
    EXPECT_EQ(Render(HexList()), Golden("type2_hexlist.txt"));
    EXPECT_EQ(View.Begins, View.Ends);
    // The hexadecimal list leaves the sequences as they were.
    EXPECT_EQ(Lister.SequenceCount(), 2);
    EXPECT_EQ(Render(Listing(2)), Golden("type2_sequence2.txt"));
}

TEST_F(EventListing, Type1ShowAllEventsWithSysLogick) {
    Load(1, Type1Buffer(), true);
    Halvo.Defs().ImplementsSysLogick = true;
    Lister.Refresh(nullptr);
    EXPECT_EQ(Render(View.Lines), Golden("type1_showall_syslogick.txt"));
}

TEST_F(EventListing, Type1ListedEventsOnly) {
    Load(1, Type1Buffer());
    Lister.Refresh(nullptr);
    EXPECT_EQ(Render(View.Lines), Golden("type1_listed.txt"));
}

struct SysLogickCase {
    const char* Name;
    bool SysLogick;
    std::vector<std::string> Present;
    std::vector<std::string> Absent;
};

void PrintTo(const SysLogickCase& c, std::ostream* os) {
    *os << c.Name;
}

class SysLogickRows : public TListerTest, public testing::WithParamInterface<SysLogickCase> {};

TEST_P(SysLogickRows, FollowTheDefinitionsFlag) {
    const SysLogickCase& c = GetParam();
    Load(2, Join({Ev(0xD0, 4), Ev(0xFB, 0, Bytes(13, 0)), Clock(0, 10, 14, 3, 6)}));
    Halvo.Defs().ImplementsSysLogick = c.SysLogick;
    Lister.Refresh(nullptr);
    std::vector<std::string> texts;
    for (const TLine& l : View.Lines) texts.push_back(l.Text);
    for (const std::string& line : c.Present)
        EXPECT_NE(std::find(texts.begin(), texts.end(), line), texts.end()) << line;
    for (const std::string& line : c.Absent)
        EXPECT_EQ(std::find(texts.begin(), texts.end(), line), texts.end()) << line;
}

const std::vector<std::string> kType2SysLogickLines{
    "0,010 [s] - \"SA LOG\" key turn on",
    "  SA SYS Key open",
    "  Signal PERMISSION ON AS CBA>CBR and CBB>CBR SYS exists",
    "  Unactive signal PERMANENT BLOCKING S.A SYS",
    "  Unactive signal PERMANENT BLOCKING S.B LOG",
};

INSTANTIATE_TEST_SUITE_P(Lister, SysLogickRows,
                         testing::Values(SysLogickCase{"On", true, kType2SysLogickLines, {}},
                                         SysLogickCase{
                                             "Off", false, {"  Key open SA (B1-B2)"}, kType2SysLogickLines}),
                         [](const auto& info) { return std::string(info.param.Name); });

struct ClockSourceCase {
    uint8_t Source;
    const char* Line;
    friend void PrintTo(const ClockSourceCase& c, std::ostream* os) { *os << "source " << int{c.Source}; }
};

class ClockChangeSource : public TListerTest, public testing::WithParamInterface<ClockSourceCase> {};

TEST_P(ClockChangeSource, NamesTheSourceOfTheNewTime) {
    Load(2, Join({Ev(0xFD, 40, {GetParam().Source, 5, 4, 3, 2, 1, 99}), Clock(0, 10, 14, 3, 6)}));
    Lister.Refresh(nullptr);
    EXPECT_EQ(View.Lines, (std::vector<TLine>{
                              {"0,000 [s] - CLOCK-TIME CHANGE", TListingStyle::Bold},
                              {GetParam().Line, TListingStyle::Plain},
                              {"  New setting: Date: 1999-01-02Time: 03:04:05", TListingStyle::Plain},
                          }));
}

INSTANTIATE_TEST_SUITE_P(Lister, ClockChangeSource,
                         testing::Values(ClockSourceCase{1, "  Change of time source: link RS0"},
                                         ClockSourceCase{2, "  Change of time source: link RS1"},
                                         ClockSourceCase{3, "  Change of time source: keyboard"},
                                         ClockSourceCase{0, "  ?"}, ClockSourceCase{4, "  ?"}),
                         [](const auto& info) { return "Source" + std::to_string(info.param.Source); });

TEST_F(EventListing, AClockChangeToAnImpossibleDateEndsTheListing) {
    Load(2, Join({Ev(0x05, 4), Ev(0xFD, 4, {1, 0, 0, 0, 31, 2, 6}), Ev(0x04, 4), Clock(0, 10, 14, 3, 6)}));
    Lister.BuildSequences();
    EXPECT_THROW(Lister.SelectSequence(1), platform::EConvertError);
    EXPECT_EQ(View.Lines, (std::vector<TLine>{
                              {"0,000 [s] - SA key turn on (B1-B2)", TListingStyle::Bold},
                              {"0,010 [s] - CLOCK-TIME CHANGE", TListingStyle::Bold},
                              {"  Change of time source: link RS0", TListingStyle::Plain},
                          }));
    EXPECT_EQ(View.Begins, 1);
    EXPECT_EQ(View.Ends, 1);
}

TEST_F(EventListing, WriteListingIntoAnySink) {
    Load(2, Join({Ev(0x05, 4), Clock(0, 10, 14, 3, 6)}));
    Lister.BuildSequences();
    TRecordingSink printer;
    Lister.WriteListing(printer);
    EXPECT_TRUE(printer.Lines.empty());  // nothing selected yet
    Lister.SetRichEdit(nullptr);
    Lister.SelectSequence(1);
    Lister.WriteListing(printer);
    EXPECT_EQ(printer.Lines,
              (std::vector<TLine>{{"0,000 [s] - SA key turn off (B1-B2)", TListingStyle::Bold}}));
    Lister.SelectSequence(2);
    printer.Lines.clear();
    Lister.WriteListing(printer);
    EXPECT_TRUE(printer.Lines.empty());
}

struct HexListCase {
    const char* Name;
    Bytes Events;
    std::vector<std::string> Lines;
};

void PrintTo(const HexListCase& c, std::ostream* os) {
    *os << c.Name;
}

class HexListEnd : public TListerTest, public testing::WithParamInterface<HexListCase> {};

TEST_P(HexListEnd, ShowsWhereTheDecodingStopped) {
    Load(2, GetParam().Events);
    Lister.BuildSequences();
    std::vector<std::string> texts;
    for (const TLine& l : HexList()) texts.push_back(l.Text);
    EXPECT_EQ(texts, GetParam().Lines);
    EXPECT_EQ(Lister.SequenceCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Lister, HexListEnd,
    testing::Values(
        HexListCase{"TruncatedLastRecord",
                    Join({Ev(0x05, 4), Clock(0, 10, 14, 3, 6), {0xFB, 0x00, 0x00, 0x01, 0x02}}),
                    {"F3 00 0A 0E 03 06 ", "05 00 04 "}},
        HexListCase{"JumpLengthPastTheData",
                    Join({Ev(0x05, 4), Clock(0, 10, 14, 3, 6), {0xF0}}),
                    {"F3 00 0A 0E 03 06 ", "05 00 04 "}},
        HexListCase{"UndefinedCode",
                    Join({Ev(0x05, 4), Clock(0, 10, 14, 3, 6), {0x02, 0x00, 0x00}, Clock(0, 9, 14, 3, 6)}),
                    {"F3 00 0A 0E 03 06 ", "05 00 04 ", "First undefined event code:02h"}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(StateText, NamesEveryStateValue) {
    const std::vector<std::string> expected{
        "?",          "OFF",  "ON", "AMBIGUOUS STATE", "UNKNOWN STATE", "V<Vlt", "Vlt<V<VL", "VL<V<0,9Vr",
        "0.9Vr<V<Vr", "V>Vr", "?"};
    for (int v = -1; v <= 9; ++v) EXPECT_EQ(StateText(v), expected[static_cast<std::size_t>(v + 1)]) << v;
    EXPECT_EQ(ContactState(true, false), 1);
    EXPECT_EQ(ContactState(false, true), 0);
    EXPECT_EQ(ContactState(true, true), 2);
    EXPECT_EQ(ContactState(false, false), 2);
}

TEST(ListingSeconds, CountsWholeHoursToTheMillisecond) {
    struct Case {
        double Difference;
        const char* Text;
    };
    for (const Case& c : {Case{platform::EncodeTime(1, 1, 1, 500), "3661,500"},
                          Case{platform::EncodeTime(0, 0, 0, 1), "0,001"},
                          Case{platform::EncodeTime(23, 59, 59, 999), "86399,999"}, Case{0, "0,000"},
                          Case{-platform::EncodeTime(0, 0, 1, 0), "0,000"}})
        EXPECT_EQ(SecondsText(ListingSeconds(c.Difference)), c.Text) << c.Text;
}

TEST(SameBlockingState, ComparesTheRecordsOwnStateBytesOnly) {
    const Bytes record{0xF7, 0x00, 0x04, 1, 2, 3, 4, 5, 6, 7};
    struct Case {
        const char* Name;
        Bytes Previous;
        bool Same;
    };
    for (const Case& c : {
             Case{"other ticks, other stamp",
                  {0xF7, 0x01, 0x90, 1, 2, 3, 4, 5, 6, 7, 9, 9, 9, 9, 9, 9, 9, 9},
                  true},
             Case{"other flag byte", {0xF7, 0x00, 0x04, 1, 2, 3, 4, 5, 6, 8, 0, 0, 0, 0, 0, 0, 0, 0}, false},
             Case{"record alone", {0xF7, 0x00, 0x04, 1, 2, 3, 4, 5, 6, 7}, true},
             Case{"shorter cell", {0xF7, 0x00, 0x04, 1, 2, 3}, false},
         })
        EXPECT_EQ(SameBlockingState(record, c.Previous), c.Same) << c.Name;
}

}  // namespace
}  // namespace app::test
