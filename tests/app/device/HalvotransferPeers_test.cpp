// The transfers end to end against real peers: the Vesk simulator (libmodbus) as an RTU
// slave on a socat pty pair, read through TRsdHan, and as a Modbus TCP server read
// through libtalvo.so; and a raw TCP peer for answers no Modbus server sends.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/device/Halvobase.h"
#include "app/device/LinkSettings.h"
#include "app/link/RsdUnit.h"
#include "platform/Waiter.h"
#include "tests/app/device/DeviceFixtures.h"
#include "tests/app/device/ScriptedDevice.h"
#include "tests/support/PeerProcess.h"

namespace app {
namespace {

using namespace std::chrono_literals;
using test::Area;
using test::Bytes;
using test::Pattern;
using test::TRawTcpPeer;
using testing::ElementsAre;

constexpr int kParset2Field = 2432;

std::string Text(const Bytes& b) {
    return std::string(b.begin(), b.end());
}
enum class TRoad { Rtu, Tcp };
void PrintTo(TRoad road, std::ostream* os) {
    *os << (road == TRoad::Rtu ? "Rtu" : "Tcp");
}

class PeerTest : public testing::TestWithParam<TRoad> {
protected:
    void SetUp() override {
        std::vector<std::string> args{HALVO_BIN_DIR "/vesk_sim",
                                      "--dump",
                                      dir.File("dump.bin"),
                                      "--ident",
                                      kIdent,
                                      "--parset1",
                                      dir.Write("p1.bin", Text(Pattern(238, 1))),
                                      "--parset2",
                                      dir.Write("p2.bin", Text(Pattern(238, 2))),
                                      "--events",
                                      dir.Write("ev.bin", Text(Pattern(500, 3)))};
        TLinkSettings s;
        if (GetParam() == TRoad::Rtu) {
            ptys = std::make_unique<peers::TSocatPtyPair>(std::filesystem::path(dir.File("")));
            ASSERT_TRUE(ptys->Ready()) << "socat made no pty pair";
            args.insert(args.end(), {"--rtu", ptys->A()});
            sim = std::make_unique<peers::TPeerProcess>(args);
            ASSERT_EQ(sim->FirstLine(), "READY");
            link.SetCommPort(ptys->B());
            link.SetBaudRate(br115200);
            // A read ends with its answer's frame; this only bounds an answer that never
            // comes, generous for a loaded machine.
            link.SetReadTotalTimeoutConstant(400);
            ASSERT_EQ(link.Open(), TRsdHan::kOpenOk);
            s.TimeSilence = 20;
            s.SerialLink = &link;
        } else {
            args.push_back("--tcp");
            sim = std::make_unique<peers::TPeerProcess>(args);
            const std::string line = sim->FirstLine();
            ASSERT_TRUE(line.starts_with("PORT ")) << line;
            s.TALVOComm = true;
            s.TALVOIP = "127.0.0.1";
            s.TALVOPort = static_cast<uint16_t>(std::stoi(line.substr(5)));
            s.TimeOut = 1000;
            s.TimeSilence = 5;
        }
        settings = std::make_unique<test::TFixedLinkSettings>(s);
        scope = std::make_unique<TLinkSettingsScope>(*settings);
        halvo.SetDataDirectory(HALVO_BIN_DIR);
        halvo.TraceMessages = false;
        halvo.SetMessageMemo(&log);
    }
    void TearDown() override { link.Close(); }

    static constexpr const char* kIdent = "V3SIM-0123456789";  // 16 characters, no NUL
    test::TTempDir dir;
    std::unique_ptr<peers::TSocatPtyPair> ptys;
    std::unique_ptr<peers::TPeerProcess> sim;
    TRsdHan link;
    std::unique_ptr<test::TFixedLinkSettings> settings;
    std::unique_ptr<TLinkSettingsScope> scope;
    test::TLinesLog log;
    THalvo halvo;
};

TEST_P(PeerTest, AFullReadingFillsTheImageWithTheDevicesBytes) {
    halvo.ReadFromHALVO();
    EXPECT_THAT(log.Lines, ElementsAre("Identification of device:VESK-3", "Read parset 1 :OK",
                                       "Read parset 2 :OK", "Event register reading: 500 bytes"));
    EXPECT_FALSE(halvo.ErrorFlag());
    EXPECT_EQ(halvo.GetUnitVersion(), "V3SIM-01_23456789");  // all 16 characters
    EXPECT_EQ(halvo.DeviceType(), 2);
    EXPECT_EQ(halvo.GetParset1Length(), 238);
    EXPECT_EQ(halvo.GetParset2Length(), 238);
    EXPECT_EQ(halvo.GetEventsLength(), 500);
    EXPECT_EQ(Area(halvo.Parset1Data(), 238), Pattern(238, 1));
    EXPECT_EQ(Area(halvo.Parset2Data(), 238), Pattern(238, 2));
    EXPECT_EQ(Area(halvo.EventsBuffer(), 500), Pattern(500, 3));
}

TEST_P(PeerTest, WritingAParsetChangesExactlyTheDevicesRegisters) {
    halvo.SetDeviceType(2);
    const std::string before = test::ReadBytes(dir.File("dump.bin"));
    ASSERT_EQ(before.size(), 2u * 0x10000);
    const Bytes written = Pattern(238, 40);
    std::copy(written.begin(), written.end(), halvo.Parset1Data());
    halvo.SetParset1Length(238);

    halvo.WriteParset(1, 2);

    EXPECT_THAT(log.Lines, ElementsAre("Save of parset1 do 2: OK"));
    std::string expected = before;
    expected.replace(2 * kParset2Field, written.size(), Text(written));
    EXPECT_TRUE(test::ReadBytes(dir.File("dump.bin")) == expected);
    halvo.ReadParset(2);
    EXPECT_EQ(Area(halvo.Parset2Data(), 238), written);
}

INSTANTIATE_TEST_SUITE_P(Roads, PeerTest, testing::Values(TRoad::Rtu, TRoad::Tcp),
                         [](const testing::TestParamInfo<TRoad>& i) {
                             return i.param == TRoad::Rtu ? "Rtu" : "Tcp";
                         });

// A USB-serial adapter on its configured name: the device behind a socat pty pair, the
// name a link to the pair's end, as udev or socat's link= make one. Pulled, the pair
// goes; plugged in again, a new pair stands under the same name.
class AdapterTest : public testing::Test {
protected:
    AdapterTest() {
        halvo.SetDataDirectory(HALVO_BIN_DIR);
        halvo.TraceMessages = false;
        halvo.SetMessageMemo(&log);
        link.SetCommPort(dir.File("ttyUSB0"));
        link.SetBaudRate(br115200);
        link.SetReadTotalTimeoutConstant(400);
    }
    void PlugIn(const std::string& folder, const std::string& ident = "V3SIM-0123456789") {
        std::filesystem::create_directories(dir.File(folder));
        ptys = std::make_unique<peers::TSocatPtyPair>(std::filesystem::path(dir.File(folder)));
        ASSERT_TRUE(ptys->Ready()) << "socat made no pty pair";
        sim = std::make_unique<peers::TPeerProcess>(std::vector<std::string>{
            HALVO_BIN_DIR "/vesk_sim", "--dump", dir.File(folder + "/dump.bin"), "--ident", ident,
            "--parset1", dir.Write("p1.bin", Text(Pattern(238, 1))), "--parset2",
            dir.Write("p2.bin", Text(Pattern(238, 2))), "--events",
            dir.Write("ev.bin", Text(Pattern(500, 3))), "--rtu", ptys->A()});
        ASSERT_EQ(sim->FirstLine(), "READY");
        const std::string next = dir.File("ttyUSB0.new");
        std::filesystem::remove(next);
        std::filesystem::create_symlink(ptys->B(), next);
        std::filesystem::rename(next, dir.File("ttyUSB0"));
    }
    void Pull() {
        sim.reset();
        ptys.reset();
    }
    std::string Failure(const std::string& reason) const {
        return "Port " + dir.File("ttyUSB0") + ": " + reason + ", cancel reading";
    }
    bool Logged(const std::string& line) const {
        return std::find(log.Lines.begin(), log.Lines.end(), line) != log.Lines.end();
    }

    test::TTempDir dir;
    std::unique_ptr<peers::TSocatPtyPair> ptys;
    std::unique_ptr<peers::TPeerProcess> sim;
    TRsdHan link;
    test::TFixedLinkSettings settings{TLinkSettings{.TimeSilence = 5, .SerialLink = &link}};
    TLinkSettingsScope scope{settings};
    platform::TScriptedWaiter waiter;
    platform::TWaiterScope waiterScope{waiter};
    test::TLinesLog log;
    THalvo halvo;
};

TEST_F(AdapterTest, APulledAdapterIsNamedAndThePortIsOpenedAgainAtTheNextReading) {
    PlugIn("first");
    ASSERT_EQ(link.Open(), TRsdHan::kOpenOk);
    // Pulled between the frames of parset 1 and parset 2: 1 and 2 are the waits of the
    // identification and of parset 1's answer, 3 the one after it.
    waiter.OnWait = [&](int number, uint32_t) {
        if (number == 3) Pull();
    };
    halvo.ReadFromHALVO();
    EXPECT_TRUE(Logged("Read parset 1 :OK"));
    EXPECT_EQ(log.Lines.back(), Failure("Input/output error"));
    EXPECT_FALSE(Logged("TimeOut, cancel reading"));
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(halvo.GetParset2Length(), 0);

    // Still out: the port is looked for by its name.
    waiter.OnWait = nullptr;
    log = {};
    halvo.ReadFromHALVO();
    EXPECT_EQ(log.Lines.back(), Failure("No such file or directory"));
    EXPECT_FALSE(Logged("TimeOut, cancel reading"));

    PlugIn("second");
    log = {};
    halvo.ReadFromHALVO();
    EXPECT_THAT(log.Lines, ElementsAre("Identification of device:VESK-3", "Read parset 1 :OK",
                                       "Read parset 2 :OK", "Event register reading: 500 bytes"));
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(Area(halvo.Parset2Data(), 238), Pattern(238, 2));
}

// Pulled while idle and plugged in again under the same name, or the name given to
// another adapter: the first command after it finds the stale port and opens it again,
// so none of its frames fails.
TEST_F(AdapterTest, AnAdapterPluggedInAgainWhileIdleServesTheNextCommandWhole) {
    const std::vector<std::string> whole{"Identification of device:VESK-3", "Read parset 1 :OK",
                                         "Read parset 2 :OK", "Event register reading: 500 bytes"};
    // The identification as the image shows it.
    auto shown = [](const std::string& ident) {
        THalvo image;
        image.SetUnitVersion(ident);
        return image.GetUnitVersion();
    };
    PlugIn("first", "V3SIM-0000000001");
    ASSERT_EQ(link.Open(), TRsdHan::kOpenOk);
    halvo.ReadFromHALVO();
    EXPECT_EQ(log.Lines, whole);

    Pull();
    PlugIn("second", "V3SIM-0000000002");
    log = {};
    halvo.ReadFromHALVO();
    EXPECT_EQ(log.Lines, whole);
    EXPECT_EQ(halvo.GetUnitVersion(), shown("V3SIM-0000000002"));

    // The old adapter still there, the name now another's.
    auto oldPtys = std::move(ptys);
    auto oldSim = std::move(sim);
    PlugIn("third", "V3SIM-0000000003");
    log = {};
    halvo.ReadFromHALVO();
    EXPECT_EQ(log.Lines, whole);
    EXPECT_EQ(halvo.GetUnitVersion(), shown("V3SIM-0000000003"));

    Pull();
    PlugIn("fourth");
    log = {};
    halvo.WriteParset(1, 2);
    EXPECT_THAT(log.Lines, ElementsAre("Save of parset1 do 2: OK"));
    EXPECT_TRUE(link.IsOpen());
}

// A port that did not open at start is tried again by the reading, which names it and
// says why instead of timing out.
TEST_F(AdapterTest, APortThatNeverOpenedIsNamedWithItsReason) {
    PlugIn("first");
    TRsdHan other;  // another program on the port
    other.SetCommPort(ptys->B());
    ASSERT_EQ(other.Open(), TRsdHan::kOpenOk);
    struct Case {
        std::string port;
        std::string line;
    };
    const std::vector<Case> cases{
        {dir.File("missing"), "Port " + dir.File("missing") + ": No such file or directory, cancel reading"},
        {dir.File("first"), "Port " + dir.File("first") + ": Is a directory, cancel reading"},
        {dir.File("ttyUSB0"), Failure("busy, locked by another program")},
        {"", "No serial port chosen, cancel reading"},
    };
    for (const Case& c : cases) {
        link.SetCommPort(c.port);
        EXPECT_NE(link.Open(), TRsdHan::kOpenOk) << c.port;
        log = {};
        halvo.ReadFromHALVO();
        EXPECT_THAT(log.Lines, ElementsAre("Identification of device:", c.line)) << c.port;
    }
    other.Close();
    link.SetCommPort(dir.File("ttyUSB0"));
    log = {};
    halvo.ReadFromHALVO();
    EXPECT_EQ(log.Lines.back(), "Event register reading: 500 bytes");
}

// A new document whose transfers go over Modbus TCP to a peer on loopback.
struct TTcpDocument {
    explicit TTcpDocument(uint16_t port, int32_t timeSilence = TLinkSettings{}.TimeSilence)
        : settings{TLinkSettings{.TALVOComm = true,
                                 .TALVOIP = "127.0.0.1",
                                 .TALVOPort = port,
                                 .TimeOut = 1000,
                                 .TimeSilence = timeSilence}} {
        halvo.SetDataDirectory(HALVO_BIN_DIR);
        halvo.TraceMessages = false;
        halvo.SetMessageMemo(&log);
    }
    test::TFixedLinkSettings settings;
    TLinkSettingsScope scope{settings};
    test::TLinesLog log;
    THalvo halvo;
};

struct PduCase {
    std::size_t pdu;
    std::size_t answer;
    std::vector<std::string> lines;
};

TEST(TcpRoadTest, OnlyAnAnswerThatFitsTheAnswerFrameIsUsed) {
    for (const PduCase& c : {PduCase{299, 300, {"Identification of device:VESK-3"}},
                             PduCase{300, 0, {"Identification of device:", "TimeOut, cancel reading"}},
                             PduCase{1017, 0, {"Identification of device:", "TimeOut, cancel reading"}}}) {
        TRawTcpPeer peer(c.pdu);
        TTcpDocument document(peer.Port());
        THalvo& halvo = document.halvo;
        const test::TLinesLog& log = document.log;
        halvo.Identify();
        EXPECT_EQ(halvo.Answer().size(), c.answer) << c.pdu;
        EXPECT_EQ(log.Lines, c.lines) << c.pdu;
        EXPECT_EQ(halvo.ErrorFlag(), c.answer == 0) << c.pdu;
        if (c.answer == 0) {
            EXPECT_EQ(halvo.LastFailure(), THalvo::TTransferFailure::AnswerTooLong);
        }
        // Header with the unit identifier 31, then the request without address and CRC.
        const Bytes request = peer.Request();
        ASSERT_GE(request.size(), 4u);
        EXPECT_EQ(Bytes(request.begin() + 4, request.end()), (Bytes{0, 6, 31, 3, 0x0E, 0x78, 0, 8}));
    }
}

struct TcpFailureCase {
    test::TSilentTcpPeer::TKind kind;
    std::string reason;  // empty: the peer is there and does not answer
};

// A connection that fails names the peer and the system's reason; a device that is there
// and does not answer in time is a time-out. What a stopped write leaves in the device
// follows: a connection never made sent nothing, one that went away may have.
TEST(TcpRoadTest, AFailedConnectionNamesThePeerAndWhyASilentDeviceTimesOut) {
    using TKind = test::TSilentTcpPeer::TKind;
    const std::vector<TcpFailureCase> cases{
        {TKind::Refusing, "Connection refused"},
        {TKind::Closing, "Connection reset by peer"},
        {TKind::Holding, ""},
    };
    for (const TcpFailureCase& c : cases) {
        test::TSilentTcpPeer peer(c.kind);
        TTcpDocument document(peer.Port(), 0);
        document.settings.Settings.TimeOut = 100;
        THalvo& halvo = document.halvo;
        const std::string failure = c.reason.empty() ? "TimeOut, cancel reading"
                                                     : "Modbus TCP 127.0.0.1:" + std::to_string(peer.Port()) +
                                                           ": " + c.reason + ", cancel reading";
        halvo.ReadFromHALVO();
        EXPECT_THAT(document.log.Lines, ElementsAre("Identification of device:", failure)) << c.reason;
        EXPECT_EQ(halvo.LastFailure(),
                  c.reason.empty() ? THalvo::TTransferFailure::TimeOut : THalvo::TTransferFailure::LinkFailed)
            << c.reason;

        halvo.SetDeviceType(2);
        std::copy_n(Pattern(238, 5).begin(), 238, halvo.Parset1Data());
        halvo.SetParset1Length(238);
        document.log = {};
        halvo.WriteParset(1, 2);
        EXPECT_THAT(document.log.Lines,
                    ElementsAre(failure, "Save of parset1 do 2: Settings rejected by device",
                                c.kind == TKind::Refusing
                                    ? "Device parset 2 unchanged"
                                    : "Device parset 2: the first 119 of 119 registers may hold "
                                      "the new values, the parset must be written again"))
            << c.reason;
    }
}

// A gateway that hands each new connection the answer to the request before first (the
// Vesk simulator with --late): every part of a reading still holds what the device sent
// for it, also a parameter set read right after the other one.
TEST(TcpRoadTest, ALateAnswerOfTheGatewayIsNotTakenForTheNextRequest) {
    test::TTempDir dir;
    peers::TPeerProcess sim(
        {HALVO_BIN_DIR "/vesk_sim", "--tcp", "--late", "--dump", dir.File("dump.bin"), "--ident",
         "V3SIM-0123456789", "--parset1", dir.Write("p1.bin", Text(Pattern(238, 1))), "--parset2",
         dir.Write("p2.bin", Text(Pattern(238, 2))), "--events", dir.Write("ev.bin", Text(Pattern(500, 3)))});
    const std::string line = sim.FirstLine();
    ASSERT_TRUE(line.starts_with("PORT ")) << line;
    TTcpDocument document(static_cast<uint16_t>(std::stoi(line.substr(5))), 5);
    THalvo& halvo = document.halvo;
    halvo.ReadFromHALVO();
    EXPECT_THAT(document.log.Lines, ElementsAre("Identification of device:VESK-3", "Read parset 1 :OK",
                                                "Read parset 2 :OK", "Event register reading: 500 bytes"));
    EXPECT_EQ(Area(halvo.Parset1Data(), 238), Pattern(238, 1));
    EXPECT_EQ(Area(halvo.Parset2Data(), 238), Pattern(238, 2));
    EXPECT_EQ(Area(halvo.EventsBuffer(), 500), Pattern(500, 3));

    halvo.ReadParset(1);
    halvo.ReadParset(2);
    EXPECT_EQ(Area(halvo.Parset1Data(), 238), Pattern(238, 1));
    EXPECT_EQ(Area(halvo.Parset2Data(), 238), Pattern(238, 2));
    EXPECT_FALSE(halvo.ErrorFlag());
}

// A Modbus TCP server that answers every read with a byte count of 0: the device is not
// known and a new document has no definitions, so the reading ends after the
// identification and reports nothing as read.
TEST(TcpRoadTest, AnUnknownDeviceStopsTheReadingAfterItsIdentification) {
    TRawTcpPeer peer([](const Bytes& q) { return Bytes{q[0], q[1], 0, 0, 0, 3, q[6], 3, 0}; });
    TTcpDocument document(peer.Port());
    THalvo& halvo = document.halvo;
    const test::TLinesLog& log = document.log;
    EXPECT_NO_THROW(halvo.ReadFromHALVO());
    EXPECT_THAT(log.Lines, ElementsAre("Identification of device:?", "Unknown device type, cancel reading"));
    EXPECT_EQ(halvo.LastFailure(), THalvo::TTransferFailure::UnknownDevice);
    EXPECT_EQ(halvo.GetParset1ReadDate(), 0.0);
    EXPECT_EQ(halvo.GetParset2ReadDate(), 0.0);
    EXPECT_EQ(halvo.GetEventsLength(), 0);
}

}  // namespace
}  // namespace app
