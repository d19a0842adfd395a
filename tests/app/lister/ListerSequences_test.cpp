// Decoding the events buffer into sequences: rows, stamps, kinds and list lines.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/lister/ListingTexts.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "tests/app/lister/ListerFixtures.h"

namespace app::test {
namespace {

using platform::EncodeDate;
using platform::EncodeTime;

constexpr double kMsDay = 1.0 / 86400000.0;
// A day number carries about a microsecond of rounding; stamps are compared to that.
constexpr double kStampTolerance = 1e-3 * kMsDay;

const Bytes kZeroState(13, 0);  // bytes 3..15 of a switchgear record

// The stamps of one sequence's cells, in order.
std::vector<double> Stamps(TEvLister& lister, int sequence) {
    std::vector<double> out;
    TStampedEvent e;
    for (int c = 1; lister.ReadEvent(sequence, c, e); ++c) out.push_back(e.Stamp());
    return out;
}

std::vector<uint8_t> Codes(TEvLister& lister, int sequence) {
    std::vector<uint8_t> out;
    TStampedEvent e;
    for (int c = 1; lister.ReadEvent(sequence, c, e); ++c) out.push_back(e.Record()[0]);
    return out;
}

TEST(SequenceLineText, KindWordsDateAndMilliseconds) {
    const double t = EncodeDate(2006, 3, 14) + EncodeTime(10, 22, 5, 40);
    EXPECT_EQ(SequenceLineText(1, {kSequenceNormal, t, t}),
              "Sequence no.1 (Normal) Date: 2006-03-14 hour: 10:22:05:040");
    EXPECT_EQ(SequenceLineText(12, {kSequenceRestart, t, t}),
              "Sequence no.12 (Restart) Date: 2006-03-14 hour: 10:22:05:040");
    EXPECT_EQ(SequenceLineText(3, {kSequenceNone, 0, 0}),
              "Sequence no.3 Date: 1899-12-30 hour: 00:00:00:000");
}

class Sequences : public TListerTest {};

TEST_F(Sequences, NormalAndRestartKindsFromTheFirstTwoRecordsInBufferOrder) {
    // Oldest last: a Normal sequence (snapshot first), a Restart (restart then
    // snapshot), and one that opens with a plain event.
    Load(2, Join({Ev(0x05, 4), Clock(0, 9, 15, 3, 6), Ev(0x05, 4), Ev(0xFB, 0, kZeroState),
                  Ev(0xF5, 0, {0, 3}), Clock(0, 8, 15, 3, 6), Ev(0xFB, 2, kZeroState), Ev(0x24, 8),
                  Ev(0xFB, 2, kZeroState), Clock(22, 10, 14, 3, 6)}));
    Lister.BuildSequences();
    ASSERT_EQ(Lister.SequenceCount(), 3);
    EXPECT_EQ(Lister.SequenceInfo(1).Kind, kSequenceNormal);
    EXPECT_EQ(Lister.SequenceInfo(2).Kind, kSequenceRestart);
    EXPECT_EQ(Lister.SequenceInfo(3).Kind, kSequenceNone);
    EXPECT_EQ(Lister.SequenceInfo(4).Kind, kSequenceMissing);
    EXPECT_EQ(Lister.SequenceInfo(0).Kind, kSequenceMissing);
    EXPECT_EQ(ListBox.Lines, (std::vector<std::string>{
                                 "Sequence no.1 (Normal) Date: 2006-03-14 hour: 10:22:00:005",
                                 "Sequence no.2 (Restart) Date: 2006-03-15 hour: 08:00:00:000",
                                 "Sequence no.3 Date: 2006-03-15 hour: 09:00:00:010",
                             }));
    // The snapshot moves to the front of the Restart sequence; the snapshot that ends
    // the Normal one takes the time of the event before it.
    EXPECT_EQ(Codes(Lister, 2), (std::vector<uint8_t>{0xFB, 0xF5, 0x05}));
    EXPECT_EQ(Codes(Lister, 1), (std::vector<uint8_t>{0xFB, 0x24, 0xFB}));
    const double start = EncodeDate(2006, 3, 14) + EncodeTime(10, 22, 0, 0);
    const std::vector<double> first = Stamps(Lister, 1);
    ASSERT_EQ(first.size(), 3u);
    EXPECT_NEAR(first[1], start + 25 * kMsDay, kStampTolerance);
    EXPECT_NEAR(first[2], start + 25 * kMsDay, kStampTolerance);
    EXPECT_NEAR(Lister.SequenceInfo(1).Latest, start + 25 * kMsDay, kStampTolerance);
}

TEST_F(Sequences, TickCountsAccumulateFromTheClockTime) {
    Load(2, Join({Ev(0x05, 65535), Ev(0x04, 0), Ev(0x05, 400), Clock(22, 10, 14, 3, 6)}));
    Lister.BuildSequences();
    const double base = EncodeDate(2006, 3, 14) + EncodeTime(10, 22, 0, 0);
    const std::vector<double> s = Stamps(Lister, 1);
    ASSERT_EQ(s.size(), 3u);
    EXPECT_NEAR(s[0], base + 1000 * kMsDay, kStampTolerance);
    EXPECT_NEAR(s[1], base + 1000 * kMsDay, kStampTolerance);
    EXPECT_NEAR(s[2], base + 164837.5 * kMsDay, kStampTolerance);  // 10:24:44.8375
    EXPECT_NEAR(Lister.SequenceInfo(1).Earliest, s[0], kStampTolerance);
    EXPECT_NEAR(Lister.SequenceInfo(1).Latest, s[2], kStampTolerance);
}

struct CorrectionCase {
    const char* Name;
    bool Correct;
    int DiMs;  // of the DI event after 1 s
    int DoMs;  // of the DO event that follows it with no ticks
    std::vector<std::string> Listing;
};

void PrintTo(const CorrectionCase& c, std::ostream* os) {
    *os << c.Name;
}

class StartTimeCorrection : public TListerTest, public testing::WithParamInterface<CorrectionCase> {};

TEST_P(StartTimeCorrection, MovesTheStampOfItsIoClassOnly) {
    const CorrectionCase& c = GetParam();
    Load(1, Join({Ev(0x80, 0), Ev(0x00, 400), Clock(22, 10, 14, 3, 6)}), false, c.Correct);
    Halvo.Defs().DiCorrection = -5;
    Halvo.Defs().DoCorrection = 0;
    Lister.BuildSequences();
    const double base = EncodeDate(2006, 3, 14) + EncodeTime(10, 22, 0, 0);
    const std::vector<double> s = Stamps(Lister, 1);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_NEAR(s[0], base + c.DiMs * kMsDay, kStampTolerance);
    EXPECT_NEAR(s[1], base + c.DoMs * kMsDay, kStampTolerance);
    std::vector<std::string> texts;
    for (const TLine& l : Listing(1)) texts.push_back(l.Text);
    EXPECT_EQ(texts, c.Listing);
}

INSTANTIATE_TEST_SUITE_P(Lister, StartTimeCorrection,
                         testing::Values(CorrectionCase{"On",
                                                        true,
                                                        995,
                                                        1000,
                                                        {"0,000 [s] - Auxiliary voltage back(A9-A10)",
                                                         "0,005 [s] - Turn on relay V<t st. 2 (F5-F6)"}},
                                         CorrectionCase{"Off",
                                                        false,
                                                        1000,
                                                        1000,
                                                        {"0,000 [s] - Auxiliary voltage back(A9-A10)",
                                                         "0,000 [s] - Turn on relay V<t st. 2 (F5-F6)"}}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(Sequences, AdjacentClockTimesGiveEmptySequencesAlsoAtTheNewestEnd) {
    Load(2, Join({Clock(0, 12, 14, 3, 6), Ev(0x05, 4), Clock(0, 11, 14, 3, 6), Clock(0, 10, 14, 3, 6)}));
    Lister.BuildSequences();
    ASSERT_EQ(Lister.SequenceCount(), 3);
    EXPECT_EQ(ListBox.Lines, (std::vector<std::string>{
                                 "Sequence no.1 Date: 1899-12-30 hour: 00:00:00:000",
                                 "Sequence no.2 Date: 2006-03-14 hour: 11:00:00:010",
                                 "Sequence no.3 Date: 1899-12-30 hour: 00:00:00:000",
                             }));
    EXPECT_EQ(Codes(Lister, 1), std::vector<uint8_t>{});
    EXPECT_EQ(Codes(Lister, 2), std::vector<uint8_t>{0x05});
    EXPECT_EQ(Codes(Lister, 3), std::vector<uint8_t>{});
    EXPECT_EQ(Lister.SequenceInfo(3).Kind, kSequenceNone);
    EXPECT_TRUE(Listing(3).empty());
}

TEST_F(Sequences, ALoneSnapshotKeepsItsOwnTime) {
    Load(1, Join({Ev(0xFB, 8, kZeroState), Clock(22, 10, 14, 3, 6)}));
    Lister.BuildSequences();
    const double t = EncodeDate(2006, 3, 14) + EncodeTime(10, 22, 0, 20);
    const std::vector<double> s = Stamps(Lister, 1);
    ASSERT_EQ(s.size(), 1u);
    EXPECT_NEAR(s[0], t, kStampTolerance);
    EXPECT_EQ(Lister.SequenceInfo(1).Kind, kSequenceNormal);
    EXPECT_NEAR(Lister.SequenceInfo(1).Latest, t, kStampTolerance);
    const std::vector<TLine> listing = Listing(1);
    ASSERT_FALSE(listing.empty());
    EXPECT_EQ(listing[0], (TLine{"STATR STATUS SWITCHGEAR", TListingStyle::Bold}));
}

TEST_F(Sequences, RecordsOlderThanTheLastClockTimeAreLeftOut) {
    Load(2, Join({Ev(0x05, 4), Clock(0, 10, 14, 3, 6), Ev(0x04, 4), Ev(0x00, 4)}));
    Lister.BuildSequences();
    ASSERT_EQ(Lister.SequenceCount(), 1);
    EXPECT_EQ(Codes(Lister, 1), std::vector<uint8_t>{0x05});
}

TEST_F(Sequences, NoClockTimeNoSequences) {
    Load(2, Join({Ev(0x05, 4), Clock(0, 10, 14, 3, 6)}));
    Lister.BuildSequences();
    ASSERT_EQ(Lister.SequenceCount(), 1);
    Load(2, Join({Ev(0x05, 4), Ev(0x04, 4)}));
    Lister.BuildSequences();
    EXPECT_EQ(Lister.SequenceCount(), 0);
    EXPECT_TRUE(ListBox.Lines.empty());
    EXPECT_EQ(Lister.SequenceInfo(1).Kind, kSequenceMissing);
}

TEST_F(Sequences, WithoutADeviceImageNothingIsDecoded) {
    Load(2, Join({Ev(0x05, 4), Clock(0, 10, 14, 3, 6)}));
    Lister.BuildSequences();
    Lister.SetHalvo(nullptr);
    Lister.BuildSequences();
    EXPECT_EQ(Lister.SequenceCount(), 0);
    EXPECT_TRUE(ListBox.Lines.empty());
}

TEST_F(Sequences, ALeadingJumpRecordDecodesAsTheBufferWithoutIt) {
    const Bytes plain = Join({Ev(0x05, 4), Ev(0xFB, 0, kZeroState), Clock(0, 10, 14, 3, 6)});
    Load(2, plain);
    Lister.BuildSequences();
    const std::vector<std::string> lines = ListBox.Lines;
    const std::vector<double> stamps = Stamps(Lister, 1);

    // More sequences first, so rows from the earlier decoding are there to be dropped.
    Load(2, Join({Ev(0x05, 4), Clock(0, 12, 14, 3, 6), Clock(0, 11, 14, 3, 6), plain}));
    Lister.BuildSequences();
    ASSERT_EQ(Lister.SequenceCount(), 3);

    Load(2, Join({{0xF0, 3, 0xAA, 0xBB, 0xCC}, plain}));
    Lister.BuildSequences();
    EXPECT_EQ(Lister.SequenceCount(), 1);
    EXPECT_EQ(ListBox.Lines, lines);
    EXPECT_EQ(Stamps(Lister, 1), stamps);
    EXPECT_EQ(Codes(Lister, 1), (std::vector<uint8_t>{0xFB, 0x05}));
    EXPECT_EQ(Lister.FirstUndefinedCode(), -1);
}

TEST_F(Sequences, AStoredLengthAboveTheEventsAreaStopsAtItsEnd) {
    // The area ends with a clock-time record; the bytes that follow it in the image
    // (the first parameter set's length and data) would read as an older one.
    Bytes events = Ev(0x05, 4);
    while (events.size() < THalvo::kEventsCapacity - 6) {
        const std::size_t chunk = std::min<std::size_t>(THalvo::kEventsCapacity - 6 - events.size(), 202);
        Bytes jump(chunk, 0);
        jump[0] = 0xF0;
        jump[1] = static_cast<uint8_t>(chunk - 2);
        events = Join({events, jump});
    }
    events = Join({events, Clock(0, 10, 14, 3, 6)});
    ASSERT_EQ(events.size(), THalvo::kEventsCapacity);
    Load(2, events);
    Halvo.SetEventsLength(0xFFFF);
    Halvo.SetParset1Length(0x0AF3);  // stored little-endian: F3 0A
    const Bytes rest{0x0E, 0x03, 0x06};
    std::copy(rest.begin(), rest.end(), Halvo.Parset1Data());
    Lister.BuildSequences();
    ASSERT_EQ(Lister.SequenceCount(), 1);
    EXPECT_EQ(Codes(Lister, 1), std::vector<uint8_t>{0x05});
}

TEST_F(Sequences, AnImpossibleClockTimeKeepsTheSequencesBeforeIt) {
    const Bytes older = Join({Ev(0xFB, 4, kZeroState), Clock(0, 10, 14, 3, 6)});
    Load(2, Join({Ev(0x05, 4), Clock(0, 10, 14, 13, 6), older}));
    EXPECT_THROW(Lister.Refresh(nullptr), platform::EConvertError);
    ASSERT_EQ(Lister.SequenceCount(), 1);
    EXPECT_EQ(ListBox.Lines,
              std::vector<std::string>{"Sequence no.1 (Normal) Date: 2006-03-14 hour: 10:00:00:010"});
    EXPECT_EQ(Lister.SequenceInfo(1).Kind, kSequenceNormal);
    EXPECT_EQ(Lister.SequenceInfo(2).Kind, kSequenceMissing);
    const std::vector<double> s = Stamps(Lister, 1);
    ASSERT_EQ(s.size(), 1u);
    EXPECT_NEAR(s[0], EncodeDate(2006, 3, 14) + EncodeTime(10, 0, 0, 10), kStampTolerance);
    // Refresh still showed the sequence that was decoded.
    EXPECT_EQ(ListBox.Senders.size(), 1u);
    ASSERT_FALSE(View.Lines.empty());
    EXPECT_EQ(View.Lines[0].Text, "STATR STATUS SWITCHGEAR");

    // The oldest clock-time impossible: nothing at all, and nothing raw left behind.
    Load(2, Join({Ev(0x05, 4), Clock(0, 25, 14, 3, 6)}));
    EXPECT_THROW(Lister.BuildSequences(), platform::EConvertError);
    EXPECT_EQ(Lister.SequenceCount(), 0);
    EXPECT_TRUE(ListBox.Lines.empty());
}

TEST_F(Sequences, RefreshShowsTheFirstSequenceThroughTheListBox) {
    Load(2, Join({Ev(0x05, 4), Clock(0, 11, 14, 3, 6), Ev(0x04, 4), Clock(0, 10, 14, 3, 6)}));
    const int sender = 0;
    Lister.Refresh(&sender);
    EXPECT_TRUE(ListBox.MultiSelect);
    EXPECT_EQ(ListBox.Selected, std::set<int>{0});
    EXPECT_EQ(ListBox.Senders, std::vector<const void*>{&sender});
    EXPECT_EQ(Lister.SelectedSequence(), 1);
    EXPECT_EQ(View.Lines, (std::vector<TLine>{{"0,000 [s] - SA key turn on (B1-B2)", TListingStyle::Bold}}));
    EXPECT_EQ(View.Begins, View.Ends);
    EXPECT_EQ(View.CaretResets, 1);
}

TEST_F(Sequences, RefreshOfAnEmptyBufferClearsTheListing) {
    Load(2, Join({Ev(0x05, 4), Clock(0, 11, 14, 3, 6)}));
    Lister.Refresh(nullptr);
    ASSERT_FALSE(View.Lines.empty());
    Load(2, {});
    const int clears = View.Clears;
    Lister.Refresh(nullptr);
    EXPECT_TRUE(View.Lines.empty());
    EXPECT_EQ(View.Clears, clears + 1);
    EXPECT_EQ(ListBox.Senders.size(), 1u);
    EXPECT_EQ(Lister.SequenceCount(), 0);
}

}  // namespace
}  // namespace app::test
