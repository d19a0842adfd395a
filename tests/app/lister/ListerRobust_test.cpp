// The decoder, listing and hexadecimal list on events buffers of random records, with
// fixed seeds.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/events/EventRecords.h"
#include "app/events/EventTables.h"
#include "platform/Exception.h"
#include "tests/app/lister/ListerFixtures.h"

namespace app::test {
namespace {

constexpr int kCases = 200;
// Sequences listed a case: all of a short buffer, the first, last and some between of a long one.
constexpr int kListedSequences = 64;
using Rng = std::mt19937;

std::size_t Below(Rng& rng, std::size_t n) {
    return n == 0 ? 0 : rng() % n;
}

bool ValidUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t more = c < 0x80                ? 0
                                 : c >= 0xC2 && c < 0xE0 ? 1
                                 : c >= 0xE0 && c < 0xF0 ? 2
                                 : c >= 0xF0 && c < 0xF5 ? 3
                                                         : 9;
        if (more == 9 || i + more >= s.size()) return false;
        for (std::size_t k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += more + 1;
    }
    return true;
}

// Whether the fields make a date and a time that exist; judged here without the
// program's date routines.
bool Exists(const TEventClockTime& t) {
    using namespace std::chrono;
    const year_month_day date{year{t.Year}, month{static_cast<unsigned>(t.Month)},
                              day{static_cast<unsigned>(t.Day)}};
    return t.Month >= 1 && t.Day >= 1 && date.ok() && t.Hour >= 0 && t.Hour < 24 && t.Minute >= 0 &&
           t.Minute < 60 && t.Second >= 0 && t.Second < 60;
}

// Codes of the type's table by what the walk does with them.
struct TCodes {
    std::vector<uint8_t> Records, Undefined;
    explicit TCodes(int type) {
        const TEventTable& table = EventDescriptions(type);
        for (int code = 0; code < 256; ++code) {
            const TEventDescription& d = table[static_cast<std::size_t>(code)];
            if (d.Length == 0)
                Undefined.push_back(static_cast<uint8_t>(code));
            else if (d.Kind != kEvKindJump && d.Kind != kEvKindClockTime)
                Records.push_back(static_cast<uint8_t>(code));
        }
    }
};

Bytes RandomBytes(Rng& rng, std::size_t n) {
    Bytes b(n);
    for (uint8_t& x : b) x = static_cast<uint8_t>(rng());
    return b;
}

Bytes RandomClock(Rng& rng, bool impossible) {
    int minute = static_cast<int>(Below(rng, 60)), hour = static_cast<int>(Below(rng, 24));
    int day = 1 + static_cast<int>(Below(rng, 28)), month = 1 + static_cast<int>(Below(rng, 12));
    const int year = static_cast<int>(Below(rng, 100));
    if (impossible) {  // a date or time that does not exist
        switch (rng() % 6) {
            case 0:
                month = 13;
                break;
            case 1:
                month = 0;
                break;
            case 2:
                day = 0;
                break;
            case 3:
                day = 32;
                break;
            case 4:
                hour = 99;
                break;
            default:
                minute = 60 + static_cast<int>(Below(rng, 196));
                break;
        }
    }
    return Clock(minute, hour, day, month, year);
}

// Records in buffer order, newest first, of every sort the walk meets; noise (0..2)
// sets how often an undefined code, random bytes or an impossible date come in.
Bytes RandomEvents(Rng& rng, int type, std::size_t target, unsigned noise) {
    const TCodes codes(type);
    const TEventTable& table = EventDescriptions(type);
    Bytes out;
    while (out.size() < target) {
        const unsigned pick = rng() % (90 + 10 * noise);
        Bytes r;
        if (pick < 60) {
            const uint8_t code = codes.Records[Below(rng, codes.Records.size())];
            r = RandomBytes(rng, table[code].Length);
            r[0] = code;
            if (rng() % 2) r[1] = 0;  // short tick counts keep sequences within hours
        } else if (pick < 80) {
            r = RandomClock(rng, noise > 0 && rng() % (8 * noise) == 0);
        } else if (pick < 90) {
            const uint8_t skip = rng() % 40 == 0 ? kJumpEndOfData : static_cast<uint8_t>(Below(rng, 24));
            r = Join({{kEvCodeJump, skip}, RandomBytes(rng, skip == kJumpEndOfData ? 0 : skip)});
        } else if (pick < 95) {
            r = {codes.Undefined[Below(rng, codes.Undefined.size())]};
        } else {
            r = RandomBytes(rng, 1 + Below(rng, 24));
        }
        out.insert(out.end(), r.begin(), r.end());
    }
    out.resize(target);  // the last record may be cut
    return out;
}

class ListerRobustTest : public TListerTest {
protected:
    ListerRobustTest() {
        // The corrections at their extremes, so stamps can fall before their clock time.
        for (const char* name : {"Vesk2.set", "Vesk3.set"})
            Dir.Write(name, "[GLOBAL]\nDI_correction=-128\nDO_correction=127\nAI_correction=-1\n");
        ListBox.OnClick = [this](const void*) {
            // The window shows a listing's error itself; it is not the decoding's.
            try {
                if (!ListBox.Selected.empty()) Lister.SelectSequence(*ListBox.Selected.begin() + 1);
            } catch (const platform::EConvertError&) {
                ++ListingErrors;
            }
        };
    }

    void ExpectUtf8(const std::vector<TLine>& lines, const char* where) {
        for (const TLine& l : lines)
            EXPECT_TRUE(ValidUtf8(l.Text)) << where << ": " << ::testing::PrintToString(l.Text);
    }

    // The clock-time records from the oldest on make the sequences, up to the first that
    // makes no date: the decoding ends there with an error, the sequences before it kept.
    struct TDecoding {
        int Sequences = 0;
        bool Fails = false;
    };
    TDecoding ExpectedDecoding() const {
        TEventWalker walker({Halvo.EventsBuffer(), THalvo::kEventsCapacity}, Halvo.GetEventsLength(),
                            Halvo.EventTable());
        std::vector<TEventClockTime> clocks;  // newest first
        while (const auto record = walker.Next())
            if (record->Code() == kEvCodeClockTime) clocks.push_back(*ClockTimeOf(record->Bytes));
        TDecoding expected;
        for (auto clock = clocks.rbegin(); clock != clocks.rend() && !expected.Fails; ++clock) {
            if (Exists(*clock))
                ++expected.Sequences;
            else
                expected.Fails = true;
        }
        return expected;
    }

    // A listing stops with an error at the first clock change it shows (every record
    // with all events shown, else the listed ones) whose new date does not exist.
    bool ListingFails(int sequence) {
        const TEventTable& table = Halvo.EventTable();
        const bool showAll = Halvo.GetReadOptions().ShowAllEvents != 0;
        TStampedEvent event;
        for (int column = 1; column <= Lister.SequenceMatrix().GetCellCount(sequence); ++column) {
            if (!Lister.ReadEvent(sequence, column, event) || event.Record().empty()) continue;
            const TEventDescription& d = table[event.Record()[0]];
            if (d.Kind != kEvKindClockChange && d.Kind != kEvKindClockChangeAlt) continue;
            const auto change = ClockChangeOf(event.Record());
            if ((d.Listed || showAll) && change && !Exists(change->Time)) return true;
        }
        return false;
    }

    // Every operation on the loaded buffer; what each promises.
    void Exercise(const std::string& label) {
        SCOPED_TRACE(label);
        ListingErrors = 0;
        bool decodeFailed = false;
        try {
            Lister.Refresh(nullptr);
        } catch (const platform::EConvertError&) {
            decodeFailed = true;
        }
        const TDecoding expected = ExpectedDecoding();
        EXPECT_EQ(decodeFailed, expected.Fails);
        const int count = Lister.SequenceCount();
        EXPECT_EQ(count, expected.Sequences);
        EXPECT_EQ(ListBox.LineCount(), count);
        // The list's click showed sequence 1, and its error went to the window.
        EXPECT_EQ(ListingErrors, count > 0 && ListingFails(1) ? 1 : 0);
        ExpectUtf8(View.Lines, "first listing");
        std::set<int> listed;
        for (int k = 0; k < kListedSequences && k < count; ++k)
            listed.insert(count <= kListedSequences ? k + 1 : 1 + k * (count - 1) / (kListedSequences - 1));
        for (const int n : listed) {
            SCOPED_TRACE("sequence " + std::to_string(n));
            EXPECT_LE(Lister.SequenceInfo(n).Kind, kSequenceRestart);
            const bool fails = ListingFails(n);
            bool failed = false;
            try {
                Lister.SelectSequence(n);
            } catch (const platform::EConvertError&) {
                failed = true;
            }
            EXPECT_EQ(failed, fails) << "shown";
            TRecordingSink sink;
            failed = false;
            try {
                Lister.WriteListing(sink);
            } catch (const platform::EConvertError&) {
                failed = true;
            }
            EXPECT_EQ(failed, fails) << "written";
            ExpectUtf8(sink.Lines, "listing");
            ExpectUtf8(View.Lines, "shown listing");
            if (HasFailure()) return;
        }
        Lister.HexList();
        ExpectUtf8(View.Lines, "hexadecimal list");
        EXPECT_EQ(Lister.SequenceCount(), count) << "the hexadecimal list changed the sequences";
    }

    int ListingErrors = 0;
};

TEST_F(ListerRobustTest, RandomRecordBuffers) {
    for (int seed = 1; seed <= kCases; ++seed) {
        Rng rng(static_cast<Rng::result_type>(seed));
        const int type = 1 + seed % 2;
        const std::size_t size = rng() % 4 == 0 ? Below(rng, 15361) : Below(rng, 600);
        const Bytes events = RandomEvents(rng, type, size, seed % 3);
        Load(type, events, rng() % 2 == 0, rng() % 2 == 0);
        Halvo.Defs().ImplementsSysLogick = rng() % 2 == 0;
        // A stored length above the data, or above the whole area.
        if (rng() % 5 == 0) Halvo.SetEventsLength(static_cast<uint16_t>(size + Below(rng, 0x10000 - size)));
        Exercise("seed " + std::to_string(seed) + ", type " + std::to_string(type) + ", " +
                 std::to_string(size) + " bytes");
        if (HasFailure()) return;
    }
}

TEST_F(ListerRobustTest, RandomBytesAsEvents) {
    for (int seed = 1; seed <= kCases; ++seed) {
        Rng rng(static_cast<Rng::result_type>(seed));
        const int type = 1 + seed % 2;
        Load(type, RandomBytes(rng, Below(rng, 15361)), seed % 3 == 0);
        Halvo.Defs().ImplementsSysLogick = seed % 5 < 2;
        if (seed % 7 == 0) Halvo.SetEventsLength(0xFFFF);
        Exercise("seed " + std::to_string(seed) + ", type " + std::to_string(type));
        if (HasFailure()) return;
    }
}

TEST(ListerRobust, UnlinkedListerOnRandomBuffers) {
    for (int seed = 1; seed <= kCases / 4; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        Rng rng(static_cast<Rng::result_type>(seed));
        THalvo halvo;
        halvo.SetDeviceType(1 + seed % 2);
        const Bytes events = RandomEvents(rng, 1 + seed % 2, Below(rng, 15361), seed % 3);
        std::copy(events.begin(), events.end(), halvo.EventsBuffer());
        halvo.SetEventsLength(static_cast<uint16_t>(events.size()));
        TEvLister lister;
        lister.HexList();  // no image yet
        lister.SetHalvo(&halvo);
        try {
            lister.Refresh(nullptr);
        } catch (const platform::EConvertError&) {
        }
        TRecordingSink sink;
        for (int n = 0; n <= lister.SequenceCount() + 1; ++n) {
            try {
                lister.SelectSequence(n);
                lister.WriteListing(sink);
            } catch (const platform::EConvertError&) {
            }
        }
        lister.HexList();
        for (const TLine& l : sink.Lines) EXPECT_TRUE(ValidUtf8(l.Text)) << ::testing::PrintToString(l.Text);
    }
}

}  // namespace
}  // namespace app::test
