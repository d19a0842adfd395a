// The device transfers against a scripted device behind the serial-link interface:
// every answer and every wait is scripted, nothing depends on time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "app/device/Halvobase.h"
#include "app/device/TransferGuard.h"
#include "app/events/EventTables.h"
#include "platform/DateTime.h"
#include "platform/Waiter.h"
#include "tests/app/device/DeviceFixtures.h"
#include "tests/app/device/ScriptedDevice.h"

namespace app {
namespace {

using test::Area;
using test::Bytes;
using test::Pattern;
using test::TFault;
using test::Today;
using testing::ElementsAre;
using testing::ElementsAreArray;
using Lines = std::vector<std::string>;
using Failure = THalvo::TTransferFailure;

constexpr int kParset1Field = 2176;
constexpr int kParset2Field = 2432;

using TransferTest = test::TTransferTest;

struct LogCase {
    int before;
    int after;
    std::string first;
};

TEST_F(TransferTest, TheLogKeepsAtMost2000LinesAndThenFallsBelow1000) {
    for (const LogCase& c : {LogCase{2000, 2001, "line 0"}, LogCase{2001, 1000, "line 1002"}}) {
        log.Lines.clear();
        for (int i = 0; i < c.before; ++i) log.Lines.push_back("line " + std::to_string(i));
        halvo.AddMessage("new");
        EXPECT_EQ(log.Count(), c.after) << c.before;
        EXPECT_EQ(log.Lines.front(), c.first) << c.before;
        EXPECT_EQ(log.Lines.back(), "new");
    }
}

TEST_F(TransferTest, RemoveLastMessageOnAnEmptyLogDoesNothing) {
    halvo.RemoveLastMessage();
    halvo.AddMessage("a");
    halvo.AddMessage("b");
    halvo.RemoveLastMessage();
    EXPECT_THAT(log.Lines, ElementsAre("a"));
}

struct HexCase {
    std::size_t bytes;
    Lines lines;
};

TEST_F(TransferTest, HexDumpWritesSixteenBytesALineWithinOneUpdate) {
    const std::string row = "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F ";
    for (const HexCase& c :
         {HexCase{0, {}}, HexCase{3, {"00 01 02 "}}, HexCase{16, {row}}, HexCase{17, {row, "10 "}},
          HexCase{32, {row, "10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F "}}}) {
        log = {};
        Bytes b(c.bytes);
        for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i);
        halvo.HexDump(b);
        EXPECT_EQ(log.Lines, c.lines) << c.bytes;
        EXPECT_EQ(log.LinesInUpdate, static_cast<int>(c.lines.size()));
        EXPECT_EQ(log.UpdateDepth, 0);
    }
    log = {};
    halvo.HexDump(Bytes{0xAB, 0xCD, 0xEF});
    EXPECT_THAT(log.Lines, ElementsAre("AB CD EF "));
}

struct AnswerCase {
    TFault fault;
    Lines lines;
    Failure failure;
};

TEST_F(TransferTest, EachFaultyAnswerFailsWithItsLine) {
    const std::string crc = "CRC error, cancel reading";
    const std::string address = "Answer of different address device, cancel reading";
    const std::vector<AnswerCase> cases{
        {TFault::None, {}, Failure::None},
        {TFault::TimeOut, {"TimeOut, cancel reading"}, Failure::TimeOut},
        {TFault::BadCrc, {crc}, Failure::CrcError},
        {TFault::SwappedCrc, {crc}, Failure::CrcError},
        {TFault::Short, {crc}, Failure::CrcError},
        {TFault::OverLong, {crc}, Failure::CrcError},
        {TFault::OtherAddress, {address}, Failure::OtherAddress},
        {TFault::Exception, {"Exception answer, cancel reading"}, Failure::Exception},
        {TFault::OtherAddressException, {address}, Failure::OtherAddress},
    };
    for (const AnswerCase& c : cases) {
        log = {};
        device.Requests.clear();
        device.Faults = {{1, c.fault}};
        halvo.Identify();
        Lines expected{"Identification of device:"};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        if (c.fault == TFault::None) expected = {"Identification of device:VESK-3"};
        EXPECT_EQ(log.Lines, expected) << static_cast<int>(c.fault);
        EXPECT_EQ(halvo.ErrorFlag(), c.failure != Failure::None) << static_cast<int>(c.fault);
        EXPECT_EQ(halvo.LastFailure(), c.failure) << static_cast<int>(c.fault);
        EXPECT_FALSE(halvo.CancelFlag());
        EXPECT_LE(halvo.Answer().size(), kMaxAnswerBytes);
    }
}

TEST_F(TransferTest, TheRequestCarriesTheDeviceNumberAndItsCrc) {
    SetOptions([](TReadOptions& o) { o.DeviceNumber = 7; });
    device.Address = 7;
    halvo.Transact(Bytes{0, 3, 0x0E, 0x78, 0, 8, 0, 0});
    ASSERT_EQ(device.Requests.size(), 1u);
    const Bytes& r = device.Requests[0];
    EXPECT_THAT(Bytes(r.begin(), r.begin() + 6), ElementsAre(7, 3, 0x0E, 0x78, 0, 8));
    EXPECT_TRUE(CheckCRC16(r.data(), r.size()));
    EXPECT_FALSE(halvo.ErrorFlag());
    EXPECT_EQ(halvo.Answer().size(), 21u);
    EXPECT_THAT(waiter.Waits, ElementsAre(7u));
}

TEST_F(TransferTest, AShortWriteFailsTheTransaction) {
    device.WriteLimit = 3;
    halvo.Transact(BuildIdentRequest(31));
    EXPECT_TRUE(halvo.ErrorFlag());
    EXPECT_EQ(halvo.LastFailure(), Failure::WriteFailed);
    EXPECT_THAT(log.Lines, ElementsAre("TimeOut, cancel reading"));
}

TEST_F(TransferTest, AnEmptyRequestIsACancel) {
    halvo.Transact({});
    EXPECT_TRUE(halvo.CancelFlag());
    EXPECT_FALSE(halvo.ErrorFlag());
    EXPECT_TRUE(device.Requests.empty());
}

TEST_F(TransferTest, ALateAnswerWaitingOnTheLineIsNotReadAsTheNextOne) {
    // The whole answer to an earlier request, CRC and all, that came after its time-out.
    Bytes late{0x1F, 0x03, 0x02, 0x12, 0x34, 0, 0};
    AddCRC16(late.data(), late.size() - 2);
    device.Stale = late;
    device.Identification = "V3ABCDEFGHIJKLMN";
    halvo.Identify();
    EXPECT_FALSE(halvo.ErrorFlag());
    EXPECT_EQ(log.Lines, Lines{"Identification of device:VESK-3"});
}

TEST_F(TransferTest, TracingShowsBothFramesInHexadecimal) {
    halvo.TraceMessages = true;
    device.Identification = "V3ABCDEFGHIJKLMN";
    halvo.Identify();
    ASSERT_EQ(log.Lines.size(), 7u);
    EXPECT_EQ(log.Lines[0], "Identification of device:");
    EXPECT_EQ(log.Lines[1], "Send:");
    EXPECT_EQ(log.Lines[2].substr(0, 18), "1F 03 0E 78 00 08 ");
    EXPECT_EQ(log.Lines[2].size(), 8u * 3);
    EXPECT_EQ(log.Lines[3], "Receive:");
    EXPECT_EQ(log.Lines[4], "1F 03 10 56 33 41 42 43 44 45 46 47 48 49 4A 4B ");
    EXPECT_EQ(log.Lines[5].substr(0, 9), "4C 4D 4E ");
    EXPECT_EQ(log.Lines[5].size(), 5u * 3);
    EXPECT_EQ(log.Lines[6], "Identification of device:VESK-3");
}

struct IdentCase {
    std::string ident;
    TFault fault;
    std::string line;
    uint8_t restartKind;  // of the event table in use: 7 Vesk-2, 8 Vesk-3
    std::string unitVersion;
};

TEST_F(TransferTest, TheIdentificationSetsTheDeviceType) {
    const std::vector<IdentCase> cases{
        {"V2ABCDEFGHIJKLMN", TFault::None, "Identification of device:VESK-2", kEvKindRestart1,
         "V2ABCDEF_GHIJKLMN"},
        {std::string("V3AB\0CDEF", 9), TFault::None, "Identification of device:VESK-3", kEvKindRestart2,
         "V3_AB"},
        {"XXABCD", TFault::None, "Identification of device:?", kEvKindRestart1, "XXA_BCD"},
        // The text ends with the answer's byte count, here 10 of the 16 data bytes.
        {"V3ABCDEFGHIJKLMN", TFault::ByteCountBeyondData, "Identification of device:VESK-3", kEvKindRestart2,
         "V3ABC_DEFGH"},
    };
    for (const IdentCase& c : cases) {
        log = {};
        device.Requests.clear();
        halvo.SetUnitVersion("");
        halvo.SetDeviceType(1);
        device.Identification = c.ident;
        device.Faults = {{1, c.fault}};
        halvo.Identify();
        EXPECT_THAT(log.Lines, ElementsAre(c.line)) << c.unitVersion;
        // An unknown identification leaves the type that was set.
        EXPECT_EQ(halvo.EventTable()[kEvCodeRestart].Kind, c.restartKind) << c.unitVersion;
        EXPECT_EQ(halvo.GetUnitVersion(), c.unitVersion);
        EXPECT_FALSE(halvo.ErrorFlag());
    }
}

TEST_F(TransferTest, AnIdentificationOfAnotherFunctionIsAFailure) {
    device.Faults = {{1, TFault::WrongFunction}};
    halvo.Identify();
    EXPECT_TRUE(halvo.ErrorFlag());
    EXPECT_EQ(halvo.LastFailure(), Failure::UnexpectedFunction);
    EXPECT_EQ(halvo.GetUnitVersion(), "");
}

TEST_F(TransferTest, TheDefaultMapReadsParset1InOneFrame) {
    device.PutWords(kParset1Field, Pattern(238, 1));
    halvo.ReadParset(1);
    ASSERT_EQ(device.Requests.size(), 1u);
    EXPECT_THAT(Bytes(device.Requests[0].begin(), device.Requests[0].begin() + 6),
                ElementsAre(31, 3, 0x08, 0x80, 0x00, 119));
    EXPECT_EQ(halvo.GetParset1Length(), 238);
    EXPECT_EQ(Area(halvo.Parset1Data(), 238), Pattern(238, 1));
    EXPECT_EQ(halvo.GetParset1ReadDate(), Today());
    EXPECT_TRUE(halvo.Modified());
    EXPECT_THAT(log.Lines, ElementsAre("Read parset 1 :OK"));
    EXPECT_THAT(events, ElementsAre("Zestaw1"));
    EXPECT_THAT(waiter.Waits, ElementsAre(7u, 7u));
}

TEST_F(TransferTest, Parset2ComesFromItsOwnRegisters) {
    device.PutWords(kParset2Field, Pattern(238, 2));
    halvo.TraceMessages = true;
    halvo.ReadParset(2);
    EXPECT_EQ(Area(halvo.Parset2Data(), 238), Pattern(238, 2));
    EXPECT_EQ(halvo.GetParset2ReadDate(), Today());
    EXPECT_EQ(log.Lines.front(), "Read parset 2");
    EXPECT_EQ(log.Lines.back(), "Read parset 2 :OK");
    EXPECT_THAT(events, ElementsAre("Zestaw2"));
}

TEST_F(TransferTest, AFailedParsetLeavesTheOldSetWhole) {
    UseMap("ZNS_SIZE=200\n");  // two frames: 125 and 75 registers
    device.PutWords(kParset1Field, Pattern(400, 5));
    for (TFault fault : {TFault::TimeOut, TFault::Exception, TFault::WrongFunction,
                         TFault::ByteCountBeyondData, TFault::BadCrc}) {
        device.Requests.clear();
        device.Faults = {{2, fault}};
        SetParset1(Pattern(512, 9));
        halvo.SetParset1Length(400);
        halvo.SetParset1ReadDate(123.0);
        halvo.SetModified(false);
        log = {};
        events.clear();
        halvo.ReadParset(1);
        const int f = static_cast<int>(fault);
        EXPECT_EQ(device.Requests.size(), 2u) << f;
        EXPECT_TRUE(halvo.ErrorFlag()) << f;
        EXPECT_EQ(Area(halvo.Parset1Data(), 512), Pattern(512, 9)) << f;
        EXPECT_EQ(halvo.GetParset1Length(), 400) << f;
        EXPECT_EQ(halvo.GetParset1ReadDate(), 123.0) << f;
        EXPECT_FALSE(halvo.Modified()) << f;
        EXPECT_TRUE(events.empty()) << f;
        EXPECT_EQ(log.Lines.front(), "Read parset 1") << f;
        EXPECT_THAT(log.Lines, testing::Not(testing::Contains("Read parset 1 :OK"))) << f;
    }
}

struct SizeCase {
    std::string size;
    std::vector<int> frames;
    uint16_t length;
};

TEST_F(TransferTest, TheSetSizeIsTakenWithinTheParsetArea) {
    for (const SizeCase& c :
         {SizeCase{"300", {125, 125, 6}, 512}, SizeCase{"-5", {}, 0}, SizeCase{"256", {125, 125, 6}, 512}}) {
        THalvo image;
        image.SetMessageMemo(&log);
        dir.Write("Vesk3.set", "[GLOBAL]\nZNS_SIZE=" + c.size + "\n");
        image.SetDataDirectory(dir.Path());
        image.SetDeviceType(2);
        device.Requests.clear();
        device.PutWords(kParset1Field, Pattern(512, 3));
        image.ReadParset(1);
        EXPECT_EQ(device.Counts(kFnReadHolding), c.frames) << c.size;
        EXPECT_EQ(image.GetParset1Length(), c.length) << c.size;
        const Bytes sent = Pattern(512, 3);
        EXPECT_EQ(Area(image.Parset1Data(), c.length), Bytes(sent.begin(), sent.begin() + c.length));
        EXPECT_FALSE(image.ErrorFlag());
    }
}

struct BoundCase {
    TFault fault;
    std::size_t destination;
    std::size_t stored;
};

TEST_F(TransferTest, AnAnswerNeverWritesPastItsDestination) {
    for (const BoundCase& c : {BoundCase{TFault::ByteCountTooBig, 28, 20}, BoundCase{TFault::None, 6, 6},
                               BoundCase{TFault::ByteCountBeyondData, 28, 10}}) {
        device.Faults = {{static_cast<int>(device.Requests.size()) + 1, c.fault}};
        Bytes destination(c.destination, 0xEE);
        EXPECT_EQ(halvo.ReadRegisters(101, destination, 10), c.stored);
        for (std::size_t i = c.stored; i < destination.size(); ++i) EXPECT_EQ(destination[i], 0xEE) << i;
        EXPECT_FALSE(halvo.ErrorFlag());
    }
}

struct EventsEndCase {
    int faultAt;
    TFault fault;
    std::size_t stored;
    Failure failure;
    std::string lastLine;
};

TEST_F(TransferTest, TheEventsReadingKeepsWhatArrivedAndEndsNormallyOnlyOnAnException) {
    device.Events = Pattern(500, 4);  // two full pages, then the device answers exception 2
    const std::vector<EventsEndCase> cases{
        {3, TFault::None, 500, Failure::None, "Event register reading: 500 bytes"},
        {3, TFault::Exception, 500, Failure::None, "Event register reading: 500 bytes"},
        {3, TFault::TimeOut, 500, Failure::TimeOut, "TimeOut, cancel reading"},
        {3, TFault::OtherAddressException, 500, Failure::OtherAddress,
         "Answer of different address device, cancel reading"},
        {1, TFault::Exception, 0, Failure::Exception, "Exception answer, cancel reading"},
    };
    for (const EventsEndCase& c : cases) {
        THalvo image;
        log = {};
        image.SetMessageMemo(&log);
        image.SetDataDirectory(HALVO_BIN_DIR);
        image.SetDeviceType(2);
        image.TraceMessages = false;
        bool reading = false;
        image.OnEvRegCompleted = [&] { reading = image.IsReading(); };
        device.Requests.clear();
        device.Faults = {{c.faultAt, c.fault}};
        image.ReadEvents();
        const std::string row = std::to_string(c.faultAt) + "/" + std::to_string(static_cast<int>(c.fault));
        EXPECT_EQ(device.Counts(kFnReadHolding), std::vector<int>(static_cast<std::size_t>(c.faultAt), 125))
            << row;
        EXPECT_EQ(image.GetEventsLength(), c.stored) << row;
        EXPECT_EQ(Area(image.EventsBuffer(), c.stored),
                  Bytes(device.Events.begin(), device.Events.begin() + c.stored));
        EXPECT_EQ(image.LastFailure(), c.failure) << row;
        EXPECT_EQ(image.ErrorFlag(), c.failure != Failure::None) << row;
        EXPECT_EQ(image.Modified(), c.stored > 0) << row;
        EXPECT_EQ(image.GetEventsReadDate(), c.stored > 0 ? Today() : 0.0) << row;
        EXPECT_EQ(log.Lines.back(), c.lastLine) << row;
        EXPECT_FALSE(reading);
        EXPECT_FALSE(image.IsReading());
    }
}

TEST_F(TransferTest, EventProgressLinesWithTracing) {
    device.Events = Pattern(500, 4);
    halvo.TraceMessages = true;
    halvo.ReadEvents();
    Lines progress;
    for (const std::string& l : log.Lines)
        if (l.starts_with("Event register")) progress.push_back(l);
    EXPECT_THAT(progress, ElementsAre("Event register reading: ", "Event register reading: 250 bytes",
                                      "Event register reading: 500 bytes"));
}

struct Codes {
    uint8_t signal = 0, undefined = 0;
};

Codes TableCodes(const TEventTable& table) {
    Codes c;
    bool signal = false, undefined = false;
    for (int i = 0; i < 256; ++i) {
        if (!signal && table[i].Kind == kEvKindSignal && table[i].Length == 3) {
            c.signal = static_cast<uint8_t>(i);
            signal = true;
        }
        if (!undefined && table[i].Length == 0) {
            c.undefined = static_cast<uint8_t>(i);
            undefined = true;
        }
    }
    EXPECT_TRUE(signal && undefined);
    EXPECT_EQ(table[kEvCodeJump].Kind, kEvKindJump);
    EXPECT_EQ(table[kEvCodeJump].Length, 2);
    return c;
}

struct CompleteCase {
    Bytes buffer;
    bool complete;
};

TEST(EventsCompleteTest, TheBufferHoldsItsEndOnlyBeforeItsLastBytes) {
    const TEventTable& table = EventDescriptions(2);
    const auto [S, U] = TableCodes(table);
    constexpr uint8_t J = kEvCodeJump;
    const std::vector<CompleteCase> cases{
        {{}, false},
        {{S, 0, 1}, false},
        {{S, 0, 1, S}, false},
        {{S, 0, 1, J, 127}, false},
        {{S, 0, 1, J, 127, 0}, true},
        {{U}, true},
        {{S, 0, 1, U, 5}, true},
        {{J, 3, 9, 9, 9, S, 0, 1, J, 127, 0}, true},
        {{J, 200, 0, 0, 0}, false},
    };
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(THalvo::EventsComplete(cases[i].buffer, table), cases[i].complete) << "case " << i;
}

TEST_F(TransferTest, ShowAllEventsStopsAtTheBuffersEndOtherwiseTheReadingGoesOn) {
    UseMap("EV_BUF_FIRST_REG=4001\nEV_BUF_LAST_REG=4004\n");
    const auto [S, U] = TableCodes(halvo.EventTable());
    device.Events = Pattern(1000, 6);  // four full pages, one for each register of the map
    device.Events[0] = S;
    device.Events[3] = kEvCodeJump;
    device.Events[4] = 127;
    for (const auto& [showAll, pages] : {std::pair{0, 4}, std::pair{1, 1}}) {
        device.Requests.clear();
        TReadOptions o = halvo.GetReadOptions();
        o.ShowAllEvents = static_cast<uint8_t>(showAll);
        halvo.SetReadOptions(o);
        halvo.ReadEvents();
        EXPECT_EQ(device.Counts(kFnReadHolding).size(), static_cast<std::size_t>(pages)) << showAll;
        EXPECT_EQ(halvo.GetEventsLength(), 250 * pages);
        EXPECT_FALSE(halvo.ErrorFlag());
    }
}

TEST_F(TransferTest, ALongRegisterMapStopsPastTheReadingLimitWithoutOverflow) {
    UseMap("EV_BUF_FIRST_REG=1\nEV_BUF_LAST_REG=100\n");
    device.EventsFirstField = 0;
    device.EventsLastField = 99;
    device.Events = Pattern(25000, 7);
    halvo.ReadEvents();
    EXPECT_EQ(device.Counts(kFnReadHolding).size(), 41u);  // 41 pages, 10,250 bytes
    EXPECT_EQ(halvo.GetEventsLength(), THalvo::kEventsReadLimit);
    EXPECT_EQ(Area(halvo.EventsBuffer(), THalvo::kEventsReadLimit),
              Bytes(device.Events.begin(), device.Events.begin() + THalvo::kEventsReadLimit));
    // The log names what the image keeps, not what arrived.
    EXPECT_EQ(log.Lines.back(), "Event register reading: 10240 bytes");
}

struct WriteCase {
    std::string step;
    std::size_t registers;
    std::vector<int> frames;
};

TEST_F(TransferTest, AParsetGoesOutInFramesOfTheSendStep) {
    const std::vector<WriteCase> cases{
        {"0", 119, {119}},   {"50", 119, {50, 50, 19}}, {"-3", 119, {119}},        {"125", 125, {125}},
        {"200", 125, {125}}, {"0", 200, {125, 75}},     {"0", 256, {125, 125, 6}},
    };
    for (const WriteCase& c : cases) {
        THalvo image;
        log = {};
        image.SetMessageMemo(&log);
        image.TraceMessages = false;
        dir.Write("Vesk3.set", "[GLOBAL]\nZNS_SEND_STEP=" + c.step + "\n");
        image.SetDataDirectory(dir.Path());
        image.SetDeviceType(2);
        const Bytes data = Pattern(2 * c.registers, 8);
        std::copy(data.begin(), data.end(), image.Parset1Data());
        image.SetParset1Length(static_cast<uint16_t>(data.size()));
        device.Requests.clear();
        device.Registers.assign(0x10000, 0);
        image.WriteParset(1, 1);
        const std::string row = c.step + "/" + std::to_string(c.registers);
        EXPECT_EQ(device.Counts(kFnWriteMultiple), c.frames) << row;
        int field = kParset1Field;
        for (const Bytes& r : device.Requests) {
            const int n = r[4] << 8 | r[5];
            EXPECT_EQ(r.size(), 2u * static_cast<std::size_t>(n) + 9) << row;
            EXPECT_EQ(r[2] << 8 | r[3], field) << row;
            EXPECT_TRUE(CheckCRC16(r.data(), r.size())) << row;
            field += n;
        }
        EXPECT_EQ(device.Words(kParset1Field, static_cast<int>(c.registers)), data) << row;
        EXPECT_EQ(device.Registers[kParset1Field + c.registers], 0) << row;
        EXPECT_EQ(log.Typed, std::string(c.frames.size(), '.')) << row;
        EXPECT_THAT(log.Lines, ElementsAre("Save of parset1: OK")) << row;
    }
}

TEST_F(TransferTest, ADocumentSetGoesToTheOtherDeviceSet) {
    SetParset1(Pattern(238, 3));
    halvo.TraceMessages = true;
    halvo.WriteParset(1, 2);
    EXPECT_EQ(device.Words(kParset2Field, 119), Pattern(238, 3));
    EXPECT_EQ(log.Lines.front(), "Save of parset1 do 2");
    EXPECT_EQ(log.Lines.back(), "Save of parset1 do 2: OK");
}

TEST_F(TransferTest, AnEmptySetIsNotSent) {
    halvo.WriteParset(2, 2);
    EXPECT_TRUE(device.Requests.empty());
    EXPECT_THAT(log.Lines, ElementsAre("Save of parset2: Parset 2 is empty - command aborted"));
}

struct RejectCase {
    int frame;  // the frame that fails, from 1
    TFault fault;
    bool trace;
    Lines tail;
    bool stored;  // the device holds the failing frame's registers
};

// 119 registers go as 50 + 50 + 19; after the result line the log says what the
// device's set holds: the frames it confirmed hold the new values, and the frame in
// flight may, unless the device refused it or nothing of it left.
TEST_F(TransferTest, AWriteThatStopsSaysWhatTheDevicesSetHoldsAfterItsResult) {
    UseMap("ZNS_SEND_STEP=50\n");
    const std::string rejected = "Save of parset1 do 2: Settings rejected by device";
    const std::string timeOut = "TimeOut, cancel reading";
    const std::string crc = "CRC error, cancel reading";
    const std::string hungUp = "Port scripted: hung up, cancel reading";
    const std::string gone = "Port scripted: Input/output error, cancel reading";
    const std::string unchanged = "Device parset 2 unchanged";
    const std::string again = ", the parset must be written again";
    auto held = [&](int k) {
        return "Device parset 2: " + std::to_string(k) + " of 119 registers hold the new values" + again;
    };
    auto heldAndMay = [&](int k, int l) {
        return "Device parset 2: " + std::to_string(k) +
               " of 119 registers hold the new values and the next " + std::to_string(l) + " may" + again;
    };
    auto firstMay = [&](int l) {
        return "Device parset 2: the first " + std::to_string(l) +
               " of 119 registers may hold the new values" + again;
    };
    const std::vector<RejectCase> cases{
        {1, TFault::TimeOut, false, {timeOut, rejected, firstMay(50)}, true},
        {1, TFault::Exception, false, {rejected, unchanged}, false},
        {1, TFault::WrongFunction, false, {rejected, firstMay(50)}, true},
        {1, TFault::BadCrc, false, {crc, rejected, firstMay(50)}, true},
        // The link raises: no result line, but what the device holds is still said.
        {1, TFault::Throw, false, {firstMay(50)}, true},
        // The adapter pulled after the device took the frame: its answer is lost.
        {1, TFault::HangUp, false, {hungUp, rejected, firstMay(50)}, true},
        {1, TFault::Unplugged, false, {gone, rejected, unchanged}, false},
        {2, TFault::TimeOut, false, {timeOut, rejected, heldAndMay(50, 50)}, true},
        {2, TFault::TimeOut, true, {timeOut, rejected, heldAndMay(50, 50)}, true},
        {2, TFault::Exception, false, {rejected, held(50)}, false},
        {2, TFault::WrongFunction, false, {rejected, heldAndMay(50, 50)}, true},
        {2, TFault::BadCrc, false, {crc, rejected, heldAndMay(50, 50)}, true},
        {2, TFault::Throw, false, {heldAndMay(50, 50)}, true},
        {2, TFault::HangUp, false, {hungUp, rejected, heldAndMay(50, 50)}, true},
        {2, TFault::Unplugged, false, {gone, rejected, held(50)}, false},
        {3, TFault::TimeOut, false, {timeOut, rejected, heldAndMay(100, 19)}, true},
        {3, TFault::Exception, false, {rejected, held(100)}, false},
        {3, TFault::WrongFunction, false, {rejected, heldAndMay(100, 19)}, true},
        {3, TFault::BadCrc, false, {crc, rejected, heldAndMay(100, 19)}, true},
        {3, TFault::Throw, false, {heldAndMay(100, 19)}, true},
        {3, TFault::HangUp, false, {hungUp, rejected, heldAndMay(100, 19)}, true},
        {3, TFault::Unplugged, false, {gone, rejected, held(100)}, false},
    };
    const Bytes data = Pattern(238, 4);
    for (const RejectCase& c : cases) {
        log = {};
        device.Requests.clear();
        device.Registers.assign(0x10000, 0);
        device.Faults = {{c.frame, c.fault}};
        halvo.TraceMessages = c.trace;
        SetParset1(data);
        if (c.fault == TFault::Throw) {
            EXPECT_THROW(halvo.WriteParset(1, 2), platform::Exception);
        } else {
            halvo.WriteParset(1, 2);
        }
        const std::string row = std::to_string(c.frame) + ":" + std::to_string(static_cast<int>(c.fault)) +
                                (c.trace ? " traced" : "");
        EXPECT_EQ(device.Requests.size(), static_cast<std::size_t>(c.frame)) << row;
        ASSERT_GE(log.Lines.size(), c.tail.size()) << row;
        EXPECT_EQ(Lines(log.Lines.end() - static_cast<std::ptrdiff_t>(c.tail.size()), log.Lines.end()),
                  c.tail)
            << row;
        // Without tracing the title goes, never the failure's own line.
        EXPECT_EQ(log.Lines.front() == "Save of parset1 do 2", c.trace || c.fault == TFault::Throw) << row;
        if (!c.trace && c.fault != TFault::Throw) {
            EXPECT_EQ(log.Typed, std::string(static_cast<std::size_t>(c.frame), '.')) << row;
            EXPECT_EQ(log.Lines.size(), c.tail.size()) << row;
        }
        // The frames confirmed hold the new values, the failing one as the device took
        // it, those never sent the old ones.
        const Bytes now = device.Words(kParset2Field, 119);
        auto part = [](const Bytes& b, std::size_t from, std::size_t to) {
            return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from),
                         b.begin() + static_cast<std::ptrdiff_t>(to));
        };
        const auto confirmed = static_cast<std::size_t>(100 * (c.frame - 1));
        const auto unsent = std::min<std::size_t>(238, 100 * static_cast<std::size_t>(c.frame));
        EXPECT_EQ(part(now, 0, confirmed), part(data, 0, confirmed)) << row;
        EXPECT_EQ(part(now, confirmed, unsent),
                  c.stored ? part(data, confirmed, unsent) : Bytes(unsent - confirmed, 0))
            << row;
        EXPECT_EQ(part(now, unsent, 238), Bytes(238 - unsent, 0)) << row;
    }
}

TEST_F(TransferTest, ACancelStopsAReadingBetweenFramesButNeverAWrite) {
    UseMap("ZNS_SIZE=200\nZNS_SEND_STEP=50\n");
    SetParset1(Pattern(400, 2));
    waiter.OnWait = [&](int number, uint32_t) {
        if (number == 2) halvo.CancelReading();  // 1: the first frame's answer, 2: after it
    };
    halvo.ReadParset(1);
    EXPECT_EQ(device.Requests.size(), 1u);
    EXPECT_TRUE(halvo.CancelFlag());
    EXPECT_EQ(halvo.GetParset1ReadDate(), 0.0);

    // Cut after its first frame, the device's set would be half new, half old.
    waiter.Waits.clear();
    device.Requests.clear();
    log = {};
    halvo.WriteParset(1, 1);
    EXPECT_EQ(device.Counts(kFnWriteMultiple), (std::vector<int>{50, 50, 50, 50}));
    EXPECT_EQ(device.Words(kParset1Field, 200), Pattern(400, 2));
    EXPECT_THAT(log.Lines, ElementsAre("Save of parset1: OK"));
}

class ReadingTest : public TransferTest {
protected:
    ReadingTest() {
        device.Identification = "V3DEVICE-1234567";
        device.PutWords(kParset1Field, Pattern(238, 1));
        device.PutWords(kParset2Field, Pattern(238, 2));
        device.Events = Pattern(500, 3);
    }
};

TEST_F(ReadingTest, ReadsEverythingInOrderAndRaisesTheEvents) {
    halvo.ReadFromHALVO();
    EXPECT_EQ(device.Counts(kFnReadHolding), (std::vector<int>{8, 119, 119, 125, 125, 125}));
    EXPECT_EQ(Area(halvo.Parset1Data(), 238), Pattern(238, 1));
    EXPECT_EQ(Area(halvo.Parset2Data(), 238), Pattern(238, 2));
    EXPECT_EQ(Area(halvo.EventsBuffer(), 500), Pattern(500, 3));
    EXPECT_EQ(halvo.GetUnitVersion(), "V3DEVICE_-1234567");
    EXPECT_THAT(log.Lines, ElementsAre("Identification of device:VESK-3", "Read parset 1 :OK",
                                       "Read parset 2 :OK", "Event register reading: 500 bytes"));
    EXPECT_THAT(events, ElementsAre("Begin", "Zestaw1", "Zestaw2", "EvReg", "All"));
    EXPECT_THAT(readingAt, ElementsAre(true, true, true, false, false));
    EXPECT_FALSE(halvo.ErrorFlag());
    EXPECT_EQ(waiter.Waits.size(), 12u);
    EXPECT_FALSE(TTransferGuard::Busy());
}

TEST_F(ReadingTest, TheOptionsChooseWhatIsRead) {
    SetOptions([](TReadOptions& o) {
        o.ReadParset1 = 0;
        o.ReadEvents = 0;
    });
    halvo.ReadFromHALVO();
    EXPECT_EQ(device.Counts(kFnReadHolding), (std::vector<int>{8, 119}));
    EXPECT_THAT(events, ElementsAre("Begin", "Zestaw2", "All"));
}

TEST_F(ReadingTest, TheFirstFailureEndsTheReading) {
    device.Faults = {{2, TFault::TimeOut}};
    halvo.ReadFromHALVO();
    EXPECT_EQ(device.Requests.size(), 2u);
    EXPECT_EQ(log.Lines.back(), "TimeOut, cancel reading");
    EXPECT_THAT(events, ElementsAre("Begin", "All"));
}

struct CancelCase {
    int wait;  // 1 identification; 2-3 parset 1; 4-5 parset 2; 6-8, 9-11 the event pages
    std::size_t requests;
    uint16_t parset1;
    uint16_t eventsLength;
};

TEST_F(ReadingTest, CancelAtAnyWaitStopsTheReadingAndIsLogged) {
    const std::vector<CancelCase> cases{
        {2, 2, 0, 0},     {3, 2, 0, 0},     {5, 3, 238, 0},    {7, 4, 238, 250},
        {8, 4, 238, 250}, {9, 5, 238, 250}, {10, 5, 238, 500}, {11, 5, 238, 500},
    };
    for (const CancelCase& c : cases) {
        THalvo image;
        log = {};
        image.SetMessageMemo(&log);
        image.SetDataDirectory(HALVO_BIN_DIR);
        image.TraceMessages = false;
        device.Requests.clear();
        waiter.Waits.clear();
        waiter.OnWait = [&](int number, uint32_t) {
            if (number == c.wait) image.CancelReading();
        };
        image.ReadFromHALVO();
        waiter.OnWait = nullptr;
        EXPECT_EQ(device.Requests.size(), c.requests) << c.wait;
        EXPECT_EQ(image.GetParset1Length(), c.parset1) << c.wait;
        EXPECT_EQ(image.GetParset1ReadDate() != 0.0, c.parset1 != 0) << c.wait;
        EXPECT_EQ(image.GetEventsLength(), c.eventsLength) << c.wait;
        EXPECT_EQ(image.Modified(), c.parset1 != 0) << c.wait;
        EXPECT_EQ(log.Lines.back(), "Reading canceled") << c.wait;
        if (c.eventsLength > 0) {
            EXPECT_EQ(log.Lines[log.Lines.size() - 2],
                      "Event register reading: " + std::to_string(c.eventsLength) + " bytes")
                << c.wait;
        }
        EXPECT_FALSE(image.IsReading());
    }
}

TEST_F(ReadingTest, ACancelledReadingOfASetSaysSo) {
    halvo.CancelReading();
    halvo.ReadParset(1);
    EXPECT_TRUE(device.Requests.empty());
    EXPECT_THAT(log.Lines, ElementsAre("Reading of parset 1: Reading canceled"));
}

// What a reading left: its log (an exception that escapes it ends the log as the
// document window shows it), the requests sent and the events raised.
Lines ReadAll(THalvo& image, test::TLinesLog& imageLog) {
    try {
        image.ReadFromHALVO();
    } catch (const std::exception& e) {
        imageLog.Lines.push_back(std::string("Exception in ReadFromHALVO: ") + e.what());
    }
    return imageLog.Lines;
}

struct StopCase {
    int faultAt;  // 1 identification, 2 parset 1, 3 parset 2, 4 the first event page
    TFault fault;
    std::string why;
    Failure failure;
};

TEST_F(ReadingTest, EveryReadingThatStopsSaysWhyInItsLastLine) {
    const std::string function = "Wrong function code, cancel reading";
    const std::string length = "Wrong answer length, cancel reading";
    const std::string exception = "Exception answer, cancel reading";
    const std::vector<StopCase> cases{
        {1, TFault::WrongFunction, function, Failure::UnexpectedFunction},
        {1, TFault::Exception, exception, Failure::Exception},
        {1, TFault::TimeOut, "TimeOut, cancel reading", Failure::TimeOut},
        {2, TFault::ByteCountShort, length, Failure::Incomplete},
        {2, TFault::WrongFunction, function, Failure::UnexpectedFunction},
        {2, TFault::Exception, exception, Failure::Exception},
        {3, TFault::ByteCountShort, length, Failure::Incomplete},
        {4, TFault::WrongFunction, function, Failure::UnexpectedFunction},
        {4, TFault::Exception, exception, Failure::Exception},
    };
    for (const bool trace : {false, true}) {
        for (const StopCase& c : cases) {
            const std::string row = std::to_string(c.faultAt) + "/" +
                                    std::to_string(static_cast<int>(c.fault)) + "/" + std::to_string(trace);
            THalvo image;
            test::TLinesLog imageLog;
            image.SetMessageMemo(&imageLog);
            image.SetDataDirectory(HALVO_BIN_DIR);
            image.TraceMessages = trace;
            device.Requests.clear();
            device.Faults = {{c.faultAt, c.fault}};
            const Lines lines = ReadAll(image, imageLog);
            ASSERT_FALSE(lines.empty()) << row;
            EXPECT_EQ(lines.back(), c.why) << row;
            EXPECT_EQ(std::count(lines.begin(), lines.end(), c.why), 1) << row;
            EXPECT_EQ(device.Requests.size(), static_cast<std::size_t>(c.faultAt)) << row;
            EXPECT_TRUE(image.ErrorFlag()) << row;
            EXPECT_EQ(image.LastFailure(), c.failure) << row;
            // The set that stopped the reading is neither stored nor dated.
            EXPECT_EQ(image.GetParset1Length(), c.faultAt > 2 ? 238 : 0) << row;
            EXPECT_EQ(image.GetParset1ReadDate() != 0.0, c.faultAt > 2) << row;
            EXPECT_EQ(image.GetParset2Length(), c.faultAt > 3 ? 238 : 0) << row;
            EXPECT_EQ(image.GetParset2ReadDate() != 0.0, c.faultAt > 3) << row;
            EXPECT_EQ(image.GetEventsLength(), 0) << row;
        }
    }
}

struct UnknownCase {
    std::string name;
    std::function<Bytes(const Bytes& request, Bytes answer)> mutate;
};

// An identification the program does not know (empty, byte count 0, a second character
// other than '2' or '3') in a document without definitions: nothing more is read.
TEST_F(ReadingTest, AnUnknownDeviceWithoutDefinitionsStopsAfterItsIdentification) {
    const auto identification = [](std::string text) {
        return [text](const Bytes& q, Bytes answer) {
            if ((q[2] << 8 | q[3]) != test::TScriptedDevice::kIdentField) return answer;
            Bytes b{q[0], 3, 16};
            b.resize(19, 0);
            std::copy(text.begin(), text.end(), b.begin() + 3);
            return test::TScriptedDevice::WithCrc(b);
        };
    };
    const std::vector<UnknownCase> cases{
        {"empty", identification("")},
        {"X9", identification("X9ABCDEF")},
        {"count 0",
         [](const Bytes& q, Bytes) {
             return test::TScriptedDevice::WithCrc({q[0], 3, 0});
         }},
    };
    for (const UnknownCase& c : cases) {
        THalvo image;
        test::TLinesLog imageLog;
        image.SetMessageMemo(&imageLog);
        image.SetDataDirectory(HALVO_BIN_DIR);
        image.TraceMessages = false;
        std::vector<std::string> raised;
        image.OnBeginRead = [&] { raised.push_back("Begin"); };
        image.OnCompleteZestawNastaw1 = [&] { raised.push_back("Zestaw1"); };
        image.OnCompleteZestawNastaw2 = [&] { raised.push_back("Zestaw2"); };
        image.OnEvRegCompleted = [&] { raised.push_back("EvReg"); };
        image.OnCompleteAll = [&] { raised.push_back("All"); };
        device.Requests.clear();
        device.Mutate = c.mutate;
        EXPECT_THAT(ReadAll(image, imageLog),
                    ElementsAre("Identification of device:?", "Unknown device type, cancel reading"))
            << c.name;
        EXPECT_EQ(device.Requests.size(), 1u) << c.name;
        EXPECT_THAT(raised, ElementsAre("Begin", "All")) << c.name;
        EXPECT_TRUE(image.ErrorFlag()) << c.name;
        EXPECT_EQ(image.LastFailure(), Failure::UnknownDevice) << c.name;
        EXPECT_EQ(image.GetParset1ReadDate(), 0.0) << c.name;
        EXPECT_EQ(image.GetParset2ReadDate(), 0.0) << c.name;
        EXPECT_FALSE(image.Modified()) << c.name;
    }
    device.Mutate = nullptr;
}

TEST_F(ReadingTest, AnUnknownDeviceIsReadWithTheDefinitionsTheDocumentHas) {
    device.Identification = "X9ABCDEF";
    halvo.ReadFromHALVO();
    EXPECT_THAT(log.Lines, ElementsAre("Identification of device:?", "Read parset 1 :OK", "Read parset 2 :OK",
                                       "Event register reading: 500 bytes"));
    EXPECT_FALSE(halvo.ErrorFlag());
}

TEST_F(ReadingTest, AnExceptionOfTheLinkPassesAndTheReadingEnds) {
    device.Faults = {{2, TFault::Throw}};
    EXPECT_THROW(halvo.ReadFromHALVO(), platform::Exception);
    EXPECT_FALSE(halvo.IsReading());
    EXPECT_THAT(events, ElementsAre("Begin", "All"));
    EXPECT_FALSE(TTransferGuard::Busy());
}

TEST_F(ReadingTest, OneTransferAtATimeInTheWholeProcess) {
    THalvo other;
    other.SetDataDirectory(HALVO_BIN_DIR);
    other.SetDeviceType(2);
    test::TLinesLog otherLog;
    other.SetMessageMemo(&otherLog);
    std::copy_n(Pattern(20, 1).begin(), 20, other.Parset1Data());
    other.SetParset1Length(20);
    bool otherEvents = false;
    other.OnBeginRead = [&] { otherEvents = true; };
    other.OnCompleteAll = [&] { otherEvents = true; };
    bool busy = false;
    THalvo* holder = nullptr;
    waiter.OnWait = [&](int number, uint32_t) {
        if (number != 1) return;
        busy = TTransferGuard::Busy();
        holder = TTransferGuard::Holder();
        other.ReadFromHALVO();
        other.WriteParset(1, 1);
        other.ReadEvents();
    };
    halvo.ReadFromHALVO();
    EXPECT_TRUE(busy);
    EXPECT_EQ(holder, &halvo);
    EXPECT_EQ(device.Requests.size(), 6u);  // this document's reading alone
    EXPECT_TRUE(otherLog.Lines.empty());
    EXPECT_FALSE(otherEvents);
    EXPECT_FALSE(TTransferGuard::Busy());
    EXPECT_EQ(TTransferGuard::Holder(), nullptr);

    waiter.OnWait = nullptr;
    other.WriteParset(1, 1);
    EXPECT_EQ(otherLog.Lines.back(), "Save of parset1: OK");
}

// Every public transfer operation, as a second click would call it from the event
// loop that runs during a wait.
void CallEveryOperation(THalvo& image) {
    const Bytes request{0, kFnReadHolding, 0, 0, 0, 1, 0, 0};
    std::array<uint8_t, 16> words{};
    image.Transact(request);
    image.Identify();
    EXPECT_EQ(image.ReadRegisters(1, words, 8), 0u);
    image.ReadParset(1);
    image.ReadParset(2);
    image.ReadEvents();
    EXPECT_FALSE(image.WriteRegisters(1, words, 0, 8));
    image.WriteParset(1, 1);
    image.ReadFromHALVO();
}

struct TOutcome {
    std::vector<Bytes> requests;
    std::vector<std::string> lines;
    Bytes image;
    bool error = false;
    bool cancel = false;
    bool operator==(const TOutcome&) const = default;
};

class SecondCommandTest : public ReadingTest {
protected:
    // The whole reading (or a write of set 1) with Cancel pressed at wait `cancelAt`
    // (0: never) and, when intrude is set, every operation of this image and of
    // another called in wait `at`.
    TOutcome Run(bool write, int at, int cancelAt, bool intrude) {
        THalvo image;
        test::TLinesLog imageLog;
        image.SetMessageMemo(&imageLog);
        image.SetDataDirectory(HALVO_BIN_DIR);
        image.SetDeviceType(2);
        std::copy_n(Pattern(238, 4).begin(), 238, image.Parset1Data());
        image.SetParset1Length(238);
        test::TLinesLog otherLog;
        other.SetMessageMemo(&otherLog);
        const Bytes otherBefore(other.Image().begin(), other.Image().end());
        device.Requests.clear();
        waiter.Waits.clear();
        waiter.OnWait = [&](int number, uint32_t) {
            if (number == cancelAt) image.CancelReading();
            if (!intrude || number != at) return;
            CallEveryOperation(image);
            CallEveryOperation(other);
        };
        if (write) {
            image.WriteParset(1, 1);
        } else {
            image.ReadFromHALVO();
        }
        waiter.OnWait = nullptr;
        EXPECT_TRUE(otherLog.Lines.empty());
        EXPECT_EQ(Bytes(other.Image().begin(), other.Image().end()), otherBefore);
        EXPECT_FALSE(TTransferGuard::Busy());
        return {device.Requests, imageLog.Lines, Bytes(image.Image().begin(), image.Image().end()),
                image.ErrorFlag(), image.CancelFlag()};
    }
    THalvo other;
};

TEST_F(SecondCommandTest, EveryOperationDuringAWaitIsRefusedAndChangesNothing) {
    device.Events = Pattern(600, 3);
    for (const bool write : {false, true}) {
        const std::size_t waits = (Run(write, 0, 0, false), waiter.Waits.size());
        ASSERT_GE(waits, 2u);
        for (int at = 1; at <= static_cast<int>(waits); ++at) {
            for (const int cancelAt : {0, at}) {
                const TOutcome alone = Run(write, at, cancelAt, false);
                const TOutcome intruded = Run(write, at, cancelAt, true);
                EXPECT_EQ(intruded, alone) << (write ? "write" : "reading") << ", wait " << at
                                           << (cancelAt ? ", cancelled there" : "");
                if (cancelAt) {
                    EXPECT_TRUE(intruded.cancel) << at;
                }
            }
        }
    }
}

}  // namespace
}  // namespace app
