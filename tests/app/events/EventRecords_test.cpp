#include "app/events/EventRecords.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace app {
namespace {

using Bytes = std::vector<uint8_t>;

struct WalkResult {
    std::vector<std::size_t> Offsets;  // of the records returned
    TEventWalkEnd End;
    std::size_t StopOffset;
    int FirstUndefined;
};

// The buffer is exactly as long as the bytes, so a read past them trips the sanitizer.
WalkResult Walk(const Bytes& bytes, std::size_t storedLength, int deviceType) {
    WalkResult r{};
    TEventWalker walker(bytes, storedLength, EventDescriptions(deviceType));
    while (auto record = walker.Next()) {
        EXPECT_EQ(record->Bytes.size(), record->Description->Length);
        EXPECT_EQ(record->Bytes.data(), bytes.data() + record->Offset);
        r.Offsets.push_back(record->Offset);
    }
    EXPECT_FALSE(walker.Next().has_value());
    r.End = walker.End();
    r.StopOffset = walker.Offset();
    r.FirstUndefined = walker.FirstUndefinedCode();
    return r;
}

struct WalkCase {
    const char* Name;
    int Type;
    Bytes Data;
    std::size_t Stored;  // SIZE_MAX: the whole of Data
    std::vector<std::size_t> Offsets;
    TEventWalkEnd End;
    std::size_t StopOffset;
    int FirstUndefined;
};

void PrintTo(const WalkCase& c, std::ostream* os) {
    *os << c.Name;
}

constexpr std::size_t kAll = SIZE_MAX;
using E = TEventWalkEnd;

class EventWalk : public testing::TestWithParam<WalkCase> {};

TEST_P(EventWalk, Records) {
    const WalkCase& c = GetParam();
    const WalkResult r = Walk(c.Data, c.Stored == kAll ? c.Data.size() : c.Stored, c.Type);
    EXPECT_EQ(r.Offsets, c.Offsets);
    EXPECT_EQ(r.End, c.End);
    EXPECT_EQ(r.StopOffset, c.StopOffset);
    EXPECT_EQ(r.FirstUndefined, c.FirstUndefined);
}

const WalkCase kWalkCases[] = {
    {"Empty", 1, {}, kAll, {}, E::EndOfData, 0, -1},
    {"EndMarkFirst", 1, {0xF0, 127, 0x00, 0x00, 0x01}, kAll, {}, E::EndMark, 0, -1},
    {"EndMarkAfterRecords", 2, {0x00, 0x00, 0x05, 0xF0, 127, 0x02}, kAll, {0}, E::EndMark, 3, -1},
    {"JumpOfThreeSkipsFive",
     1,
     {0xF0, 3, 0xAA, 0xBB, 0xCC, 0x04, 0x00, 0x01},
     kAll,
     {5},
     E::EndOfData,
     8,
     -1},
    {"JumpOfZero", 1, {0xF0, 0, 0x05, 0x00, 0x01}, kAll, {2}, E::EndOfData, 5, -1},
    {"JumpPastTheEnd", 1, {0x00, 0x00, 0x01, 0xF0, 200, 0x00}, kAll, {0}, E::EndOfData, 6, -1},
    // The skipped bytes need not be records, undefined codes included.
    {"JumpOverUndefined", 2, {0xF0, 1, 0x02, 0x00, 0x00, 0x01}, kAll, {3}, E::EndOfData, 6, -1},
    {"JumpLengthByteMissing", 1, {0x00, 0x00, 0x01, 0xF0}, kAll, {0}, E::JumpBeyondData, 3, -1},
    // The length byte is in the buffer but not in the data.
    {"JumpLengthByteOutsideData", 1, {0x00, 0x00, 0x01, 0xF0, 127}, 4, {0}, E::JumpBeyondData, 3, -1},
    {"UndefinedFirst", 1, {0x02, 0x00, 0x01}, kAll, {}, E::UndefinedCode, 0, 0x02},
    {"UndefinedAfterRecord",
     1,
     {0x04, 0x00, 0x01, 0xFE, 0x00, 0x00, 0x00},
     kAll,
     {0},
     E::UndefinedCode,
     3,
     0xFE},
    {"UndefinedAfterJump", 2, {0xF0, 0, 0xFF, 0x00, 0x00}, kAll, {}, E::UndefinedCode, 2, 0xFF},
    {"AnyCodeUndefinedWithoutType", 0, {0x00, 0x00, 0x01}, kAll, {}, E::UndefinedCode, 0, 0x00},
    // A switchgear record of 16 bytes starting 10 bytes before the end.
    {"TruncatedLastRecord",
     1,
     {0x00, 0x00, 0x01, 0xFB, 0x00, 0x02, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11},
     kAll,
     {0},
     E::Truncated,
     3,
     -1},
    {"TruncatedByStoredLength", 2, {0x00, 0x00, 0x01, 0x04, 0x00, 0x01}, 5, {0}, E::Truncated, 3, -1},
    {"StoredLengthBeyondBuffer", 2, {0x00, 0x00, 0x01}, 1000, {0}, E::EndOfData, 3, -1},
    {"RecordsOfEveryLength",
     1,
     {
         0xFB, 0x00, 0x10, 3,    4,    5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15,  // switchgear, 16
         0xF7, 0x00, 0x00, 3,    4,    5, 6, 7, 8, 9,                          // blocking, 10
         0xF6, 0x00, 0x00, 3,    4,    5, 6, 7, 8,                             // voltages, 9
         0xF5, 0x00, 0x00, 0x01, 0x05,                                         // restart, 5
         0xF3, 22,   10,   14,   3,    6,                                      // clock time, 6
     },
     kAll,
     {0, 16, 26, 35, 40},
     E::EndOfData,
     46,
     -1},
    {"NewerTypeRecords",
     2,
     {
         0xFC, 0x00, 0x01, 0x85,                     // serial port command, 4
         0xFD, 0x00, 0x01, 3,    0, 0, 12, 1, 1, 7,  // clock-time change, 10
         0xFE, 0x00, 0x01, 0x00,                     // keyboard command, 4
         0xD0, 0x00, 0x01,                           // LOG logic, 3
     },
     kAll,
     {0, 4, 14, 18},
     E::EndOfData,
     21,
     -1},
    // The older device has none of these codes.
    {"NewerCodeOnOlderType", 1, {0xFC, 0x00, 0x01, 0x85}, kAll, {}, E::UndefinedCode, 0, 0xFC},
};

INSTANTIATE_TEST_SUITE_P(Buffers, EventWalk, testing::ValuesIn(kWalkCases),
                         [](const auto& info) { return std::string(info.param.Name); });

// A buffer filled with records of code 00h: three bytes each.
Bytes SignalRecords(std::size_t size) {
    Bytes b(size);
    for (std::size_t i = 0; i + 3 <= size; i += 3) b[i + 2] = 1;
    return b;
}

TEST(EventWalkLimit, StoredLengthAboveTheAreaIsTheArea) {
    // Records on past the area are not the buffer's.
    const Bytes buffer = SignalRecords(kEventsBufferSize + 600);
    TEventWalker walker(buffer, 0xFFFF, EventDescriptions(1));
    EXPECT_EQ(walker.DataLength(), kEventsBufferSize);
    std::size_t records = 0;
    while (walker.Next()) ++records;
    EXPECT_EQ(records, kEventsBufferSize / 3);
    EXPECT_EQ(walker.End(), TEventWalkEnd::EndOfData);
    EXPECT_EQ(walker.Offset(), kEventsBufferSize);
}

TEST(EventWalkLimit, RecordAcrossTheAreaEndIsTruncated) {
    // A jump of 0 shifts the records by two, so the last one starts one byte before the end.
    Bytes buffer(kEventsBufferSize + 3);
    buffer[0] = 0xF0;
    for (std::size_t i = 2; i + 3 <= buffer.size(); i += 3) buffer[i + 2] = 1;
    TEventWalker walker(buffer, buffer.size(), EventDescriptions(2));
    std::size_t records = 0;
    while (walker.Next()) ++records;
    EXPECT_EQ(records, (kEventsBufferSize - 2) / 3);
    EXPECT_EQ(walker.End(), TEventWalkEnd::Truncated);
    EXPECT_EQ(walker.Offset(), kEventsBufferSize - 1);
}

TEST(EventRecordFields, TicksAreBigEndianExceptOnClockTime) {
    struct Case {
        int Type;
        Bytes Record;
        uint16_t Ticks;
    };
    const Case cases[] = {
        {1, {0x00, 0x12, 0x34}, 0x1234},
        {2, {0x05, 0xFF, 0xFF}, 0xFFFF},
        {1, {0xF5, 0x01, 0x90, 0x00, 0x03}, 400},
        {1, {0xF3, 22, 10, 14, 3, 6}, 0},  // minute and hour are no tick count
        {2, {0xF3, 22, 10, 14, 3, 6}, 0},
        {1, {0x02, 0x12, 0x34}, 0},  // undefined code
        {1, {0x00, 0x12}, 0},        // too short
        {1, {}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EventTicks(c.Record, EventDescriptions(c.Type)), c.Ticks)
            << "type " << c.Type << " code " << (c.Record.empty() ? -1 : c.Record[0]);
}

TEST(EventRecordFields, TwoDigitYears) {
    struct Case {
        uint8_t Byte;
        int Year;
    };
    for (const Case c :
         {Case{0, 2000}, Case{6, 2006}, Case{98, 2098}, Case{99, 1999}, Case{100, 2100}, Case{255, 2255}})
        EXPECT_EQ(EventYear(c.Byte), c.Year) << int{c.Byte};
}

TEST(EventRecordFields, ClockTime) {
    const Bytes record{0xF3, 22, 10, 14, 3, 99};
    const auto t = ClockTimeOf(record);
    ASSERT_TRUE(t);
    EXPECT_EQ(t->Year, 1999);
    EXPECT_EQ(t->Month, 3);
    EXPECT_EQ(t->Day, 14);
    EXPECT_EQ(t->Hour, 10);
    EXPECT_EQ(t->Minute, 22);
    EXPECT_EQ(t->Second, 0);
    EXPECT_FALSE(ClockTimeOf(Bytes{0xF3, 22, 10, 14, 3}));

    // A stored cell runs on with its time stamp; only the record's bytes count.
    const Bytes cell{0xF3, 22, 10, 14, 3, 98, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(ClockTimeOf(cell)->Year, 2098);
}

TEST(EventRecordFields, ClockChange) {
    const Bytes record{0xFD, 0x00, 0x07, 2, 5, 59, 23, 31, 12, 5};
    const auto c = ClockChangeOf(record);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->Source, 2);
    EXPECT_EQ(c->Time.Second, 5);
    EXPECT_EQ(c->Time.Minute, 59);
    EXPECT_EQ(c->Time.Hour, 23);
    EXPECT_EQ(c->Time.Day, 31);
    EXPECT_EQ(c->Time.Month, 12);
    EXPECT_EQ(c->Time.Year, 2005);
    EXPECT_FALSE(ClockChangeOf(Bytes(record.begin(), record.end() - 1)));
}

TEST(EventRecordFields, RestartReason) {
    const Bytes record{0xF5, 0x00, 0x10, 0x01, 0x05};
    ASSERT_EQ(RestartReasonCode(record), 0x0105);
    EXPECT_EQ(std::string(RestartReasonText(*RestartReasonCode(record))), "restart by unit inside error");
    EXPECT_FALSE(RestartReasonCode(Bytes{0xF5, 0x00, 0x10, 0x01}));
}

TEST(EventRecordFields, VoltagePairsOfEachType) {
    struct Pair {
        const char* Name;
        uint8_t First;
        uint8_t Second;
        bool HasDropFlag;
    };
    struct Case {
        int Type;
        std::vector<Pair> Pairs;
    };
    const Case cases[] = {
        {1, {{"VR", 3, 5, true}, {"Vbus", 4, 6, true}, {"VM", 8, 8, false}}},
        {2, {{"VA", 8, 8, false}, {"VbusA", 4, 6, true}, {"VB", 7, 7, false}, {"VbusB", 3, 5, true}}},
        {0, {}},
    };
    for (const Case& c : cases) {
        const auto pairs = VoltagePairs(c.Type);
        ASSERT_EQ(pairs.size(), c.Pairs.size()) << "type " << c.Type;
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            EXPECT_EQ(std::string(pairs[i].Name), c.Pairs[i].Name);
            EXPECT_EQ(pairs[i].First, c.Pairs[i].First);
            EXPECT_EQ(pairs[i].Second, c.Pairs[i].Second);
            EXPECT_EQ(pairs[i].HasDropFlag, c.Pairs[i].HasDropFlag);
        }
    }
}

TEST(EventRecordFields, VoltageCodesAndDropFlags) {
    // Bit 6 set in every byte: only the pairs with a drop flag report it.
    const Bytes voltages{0xF6, 0x00, 0x00, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46};
    struct Case {
        int Type;
        std::size_t Pair;
        uint8_t A;
        uint8_t B;
        bool Drop;
    };
    const Case cases[] = {
        {1, 0, 0x41, 0x43, true},   // VR
        {1, 1, 0x42, 0x44, true},   // Vbus
        {1, 2, 0x46, 0x46, false},  // VM
        {2, 0, 0x46, 0x46, false},  // VA
        {2, 2, 0x45, 0x45, false},  // VB
        {2, 3, 0x41, 0x43, true},   // VbusB
    };
    for (const Case& c : cases) {
        const auto v = VoltageCodesOf(voltages, VoltagePairs(c.Type)[c.Pair]);
        ASSERT_TRUE(v);
        EXPECT_EQ(v->A, c.A) << c.Type << "/" << c.Pair;
        EXPECT_EQ(v->B, c.B) << c.Type << "/" << c.Pair;
        EXPECT_EQ(v->Drop, c.Drop) << c.Type << "/" << c.Pair;
    }
    const Bytes clear{0xF6, 0x00, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
    EXPECT_FALSE(VoltageCodesOf(clear, VoltagePairs(1)[0])->Drop);
    // A record cut before byte 8 has no VM.
    EXPECT_FALSE(VoltageCodesOf(Bytes(voltages.begin(), voltages.end() - 1), VoltagePairs(1)[2]));
}

}  // namespace
}  // namespace app
