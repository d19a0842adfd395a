#include "app/link/RsdUnit.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/link/Mbusfun.h"
#include "app/link/RsdPort.h"
#include "platform/Registry.h"
#include "platform/UniqueFd.h"
#include "tests/app/link/PtyPair.h"
#include "tests/support/PeerProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/TempDirTest.h"

using namespace app;
using linktest::TPtyPair;
using testing::ElementsAre;
using Clock = std::chrono::steady_clock;

namespace {

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A link on a fresh pty, with every event it raises written down in order.
class RsdHanTest : public testing::Test {
protected:
    RsdHanTest() {
        link.OnOpen = [this] { events.push_back("Open"); };
        link.OnClose = [this] { events.push_back("Close"); };
        link.OnShowSt = [this] { events.push_back("ShowSt"); };
        link.OnProgress = [this] { events.push_back("Progress"); };
        link.SetCommPort(pty.SlaveName());
    }

    size_t Read(std::vector<uint8_t>& into, size_t count) {
        into.assign(count, 0);
        const size_t n = link.ReadBuffer(into.data(), count);
        into.resize(n);
        return n;
    }
    // The same read while the device sends the pieces, 40 ms apart.
    size_t ReadWhileArriving(std::vector<uint8_t>& into, size_t count,
                             const std::vector<std::vector<uint8_t>>& pieces) {
        std::thread device([&] {
            for (const auto& p : pieces) {
                std::this_thread::sleep_for(std::chrono::milliseconds(40));
                pty.Write(p);
            }
        });
        const size_t n = Read(into, count);
        device.join();
        return n;
    }

    TPtyPair pty;
    TRsdHan link;
    std::vector<std::string> events;
};

}  // namespace

TEST(SerialDeviceName, MapsPortNamesToDevices) {
    struct Case {
        const char* port;
        const char* device;
    };
    const std::vector<Case> cases = {
        {"COM1", "/dev/ttyS0"},         {"COM9", "/dev/ttyS8"},
        {"COM10", "/dev/ttyS9"},        {"com3", "/dev/ttyS2"},
        {"ttyUSB0", "/dev/ttyUSB0"},    {"/dev/pts/7", "/dev/pts/7"},
        {"/tmp/link/b", "/tmp/link/b"}, {"COM", "/dev/COM"},
        {"COM0", "/dev/COM0"},          {"COM1a", "/dev/COM1a"},
        {"COM-1", "/dev/COM-1"},        {"COM99999999999", "/dev/COM99999999999"},
    };
    for (const auto& c : cases) EXPECT_EQ(SerialDeviceName(c.port), c.device) << c.port;
}

TEST(BaudRate, OrdinalsOutsideTheThirteenSpeedsAre9600) {
    const uint32_t bits[] = {110,   300,   600,   1200,  2400,  4800,  9600,
                             14400, 19200, 38400, 56000, 57600, 115200};
    for (int i = 0; i < 13; ++i) {
        EXPECT_EQ(BaudRateFromOrdinal(i), static_cast<TBaudRate>(i));
        EXPECT_EQ(BaudRateBits(static_cast<TBaudRate>(i)), bits[i]);
    }
    for (int bad : {-1, 13, 255, -2147483647 - 1}) {
        EXPECT_EQ(BaudRateFromOrdinal(bad), br9600) << bad;
        EXPECT_EQ(BaudRateBits(static_cast<TBaudRate>(bad)), 9600u) << bad;
        TRsdHan link;
        link.SetBaudRate(br115200);
        link.SetBaudRate(static_cast<TBaudRate>(bad));
        EXPECT_EQ(link.BaudRate(), br9600) << bad;
    }
}

TEST(RsdHan, StateAtCreation) {
    TRsdHan link;
    EXPECT_EQ(link.BaudRate(), br9600);
    EXPECT_EQ(link.CommPort(), "");
    EXPECT_EQ(link.ReadTotalTimeoutConstant(), 500);
    EXPECT_EQ(link.SilenceTime(), 10);
    EXPECT_EQ(link.Error(), "");
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.Status(), 7);
    uint8_t byte = 0;
    EXPECT_EQ(link.WriteBuffer(&byte, 1), 0u);
    EXPECT_EQ(link.ReadBuffer(&byte, 1), 0u);
}

TEST_F(RsdHanTest, PortThatCannotBeOpenedGives14AndStillRaisesOnOpen) {
    for (const char* port : {"", "/nonexistent/tty", "ttyHALVO_NONE"}) {
        events.clear();
        link.SetCommPort(port);
        EXPECT_EQ(link.Open(), 14) << port;
        EXPECT_FALSE(link.IsOpen());
        EXPECT_EQ(link.Status(), 14);
        EXPECT_THAT(events, ElementsAre("ShowSt", "Open")) << port;
    }
}

TEST_F(RsdHanTest, APortThatDoesNotOpenSaysWhyNamingThePort) {
    const platform_test::TTempDir temp;
    TRsdHan holder;
    holder.SetCommPort(pty.SlaveName());
    ASSERT_EQ(holder.Open(), 0);
    struct Case {
        std::string port;
        std::string reason;
        std::string failure;
    };
    const std::string held = pty.SlaveName();
    const std::vector<Case> cases{
        {"", "no port chosen", "No serial port chosen"},
        {"/nonexistent/tty", "No such file or directory", "Port /nonexistent/tty: No such file or directory"},
        {"COM300", "No such file or directory", "Port COM300 (/dev/ttyS299): No such file or directory"},
        {temp.Path(), "Is a directory", "Port " + temp.Path() + ": Is a directory"},
        // Root passes the exclusive open; the lock still holds it back.
        {held, "busy, locked by another program", "Port " + held + ": busy, locked by another program"},
    };
    for (const Case& c : cases) {
        link.SetCommPort(c.port);
        EXPECT_EQ(link.Open(), 14) << c.port;
        EXPECT_EQ(link.FailReason(), c.reason) << c.port;
        EXPECT_EQ(link.Failure(), c.failure) << c.port;
        EXPECT_FALSE(link.Reopen()) << c.port;
    }
    holder.Close();
    EXPECT_TRUE(link.Reopen());
    EXPECT_EQ(link.FailReason(), "");
    EXPECT_EQ(link.Failure(), "");
}

// The exclusive open binds a program that takes no lock (a terminal program); root is
// not bound by it, so this runs as an ordinary user.
TEST(RsdHanExclusive, AnOpenPortIsNoOtherProgramsUntilItIsClosed) {
    EXPECT_TRUE(platform_test::RunUnprivileged([] {
        TPtyPair pty;  // made by the ordinary user, so the user may open it
        TRsdHan link;
        link.SetCommPort(pty.SlaveName());
        if (link.Open() != 0) return false;
        const platform::TUniqueFd terminal(::open(pty.SlaveName().c_str(), O_RDWR | O_NOCTTY));
        const bool refused = !terminal && errno == EBUSY;
        TRsdHan second;
        second.SetCommPort(pty.SlaveName());
        const bool busy = second.Open() == 14 && second.FailReason() == "busy, held by another program";
        link.Close();
        const platform::TUniqueFd after(::open(pty.SlaveName().c_str(), O_RDWR | O_NOCTTY));
        return refused && busy && after && second.Open() == 0;
    }));
}

// On a pty the exclusive hold outlives the descriptor while the other side stays open, as
// socat keeps it: every way a link ends must give the port back, or the next start of the
// program finds its own port busy. Run as an ordinary user, whom the hold binds.
TEST(RsdHanSocat, EveryEndOfTheLinkLeavesThePortFreeForTheNextStart) {
    EXPECT_TRUE(platform_test::RunUnprivileged([] {
        const platform_test::TTempDir dir;  // the user's, and the pair with it
        const peers::TSocatPtyPair ptys(dir.Path());
        if (!ptys.Ready()) return false;
        bool free = true;
        for (const bool destroyedOpen : {false, true}) {
            {
                TRsdHan link;
                link.SetCommPort(ptys.B());
                if (link.Open() != TRsdHan::kOpenOk) return false;
                if (!destroyedOpen) link.Close();
            }
            const platform::TUniqueFd terminal(::open(ptys.B().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK));
            TRsdHan next;
            next.SetCommPort(ptys.B());
            free = free && terminal && next.Open() == TRsdHan::kOpenOk;
        }
        return free;
    }));
}

// Before a command's first frame: a port that hung up or whose name now names another
// device is closed, and opened again by its name; a sound one stays as it is.
TEST_F(RsdHanTest, AStalePortIsClosedBeforeTheNextCommandASoundOneStays) {
    const platform_test::TTempDir dir;
    const std::string name = dir.File("ttyUSB0");
    std::filesystem::create_symlink(pty.SlaveName(), name);
    link.SetCommPort(name);
    link.CloseIfStale();  // not open: nothing to look at
    EXPECT_TRUE(events.empty());

    ASSERT_EQ(link.Open(), 0);
    events.clear();
    link.CloseIfStale();
    EXPECT_TRUE(link.IsOpen());
    // A name that names nothing now leaves a port that works alone.
    std::filesystem::remove(name);
    link.CloseIfStale();
    EXPECT_TRUE(link.IsOpen());
    EXPECT_TRUE(events.empty());

    // Another adapter under the name, the first still there.
    TPtyPair other;
    std::filesystem::create_symlink(other.SlaveName(), name);
    link.CloseIfStale();
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.FailReason(), "No such device");
    EXPECT_THAT(events, ElementsAre("Close"));
    ASSERT_TRUE(link.Reopen());
    const uint8_t byte = 0x5A;
    ASSERT_EQ(link.WriteBuffer(&byte, 1), 1u);
    EXPECT_EQ(other.Read(1), std::vector<uint8_t>{byte});

    // The adapter pulled: poll tells the error.
    other.HangUp();
    link.CloseIfStale();
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.FailReason(), "Input/output error");
}

TEST_F(RsdHanTest, OpenAndCloseAreIdempotent) {
    EXPECT_EQ(link.Open(), 0);
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(link.Status(), 0);
    EXPECT_THAT(events, ElementsAre("ShowSt", "Open"));

    events.clear();
    link.SetIsOpen(true);
    EXPECT_TRUE(events.empty());

    // Opening an open link reopens it.
    EXPECT_EQ(link.Open(), 0);
    EXPECT_THAT(events, ElementsAre("Close", "ShowSt", "Open"));

    events.clear();
    link.SetIsOpen(false);
    EXPECT_FALSE(link.IsOpen());
    link.SetIsOpen(false);
    link.Close();
    EXPECT_THAT(events, ElementsAre("Close"));

    events.clear();
    link.SetIsOpen(true);
    EXPECT_TRUE(link.IsOpen());
    EXPECT_THAT(events, ElementsAre("ShowSt", "Open"));
}

TEST_F(RsdHanTest, PortInUseGives14UntilItsOwnerClosesIt) {
    ASSERT_EQ(link.Open(), 0);
    TRsdHan second;
    second.SetCommPort(pty.SlaveName());
    EXPECT_EQ(second.Open(), 14);
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(second.WriteBuffer(reinterpret_cast<const uint8_t*>("x"), 1), 0u);

    link.Close();
    EXPECT_EQ(second.Open(), 0);
    EXPECT_EQ(link.Open(), 14);
}

class RsdHanSpeedTest : public RsdHanTest, public testing::WithParamInterface<int> {};

TEST_P(RsdHanSpeedTest, EverySpeedConfigures) {
    const auto rate = static_cast<TBaudRate>(GetParam());
    link.SetBaudRate(rate);
    ASSERT_EQ(link.Open(), 0);
    uint32_t bits = 0;
    ASSERT_EQ(rsdport::ReadBitRate(pty.SlaveFd(), bits), 0);
    EXPECT_EQ(bits, BaudRateBits(rate));
}

INSTANTIATE_TEST_SUITE_P(AllSpeeds, RsdHanSpeedTest, testing::Range(0, 13));

TEST_F(RsdHanTest, EveryByteValuePassesUnchangedBothWays) {
    ASSERT_EQ(link.Open(), 0);
    const auto all = linktest::AllByteValues();

    EXPECT_EQ(link.WriteBuffer(all.data(), all.size()), all.size());
    EXPECT_EQ(pty.Read(all.size() + 1, 300), all);

    pty.Write(all);
    std::vector<uint8_t> got;
    link.SetReadTotalTimeoutConstant(2000);
    Read(got, all.size());
    EXPECT_EQ(got, all);
    // Nothing was echoed back to the device.
    EXPECT_TRUE(pty.Read(1, 100).empty());
}

TEST_F(RsdHanTest, ReadWithoutAnswerReturns0AfterTheTimeOut) {
    link.SetReadTotalTimeoutConstant(200);
    ASSERT_EQ(link.Open(), 0);
    std::vector<uint8_t> got;
    const auto start = Clock::now();
    EXPECT_EQ(Read(got, 256), 0u);
    const auto elapsed = MsSince(start);
    EXPECT_GE(elapsed, 195);
    EXPECT_LT(elapsed, 3000);
}

TEST_F(RsdHanTest, ShortAnswerIsReturnedWhenTheTimeOutRunsOut) {
    link.SetReadTotalTimeoutConstant(200);
    ASSERT_EQ(link.Open(), 0);
    pty.Write({0x1F, 0x10, 0x08});
    std::vector<uint8_t> got;
    EXPECT_EQ(Read(got, 256), 3u);
    EXPECT_THAT(got, ElementsAre(0x1F, 0x10, 0x08));
}

TEST_F(RsdHanTest, TimeOut0ReturnsWhatIsThereAtOnce) {
    link.SetReadTotalTimeoutConstant(0);
    ASSERT_EQ(link.Open(), 0);
    std::vector<uint8_t> got;
    auto start = Clock::now();
    EXPECT_EQ(Read(got, 256), 0u);
    EXPECT_LT(MsSince(start), 1000);

    pty.Write({1, 2, 3});
    ASSERT_TRUE(pty.WaitSlaveReadable());
    start = Clock::now();
    EXPECT_EQ(Read(got, 256), 3u);
    EXPECT_LT(MsSince(start), 1000);
}

TEST_F(RsdHanTest, DiscardInputDropsWhatArrivedUnasked) {
    link.SetReadTotalTimeoutConstant(200);
    ASSERT_EQ(link.Open(), 0);
    pty.Write({0x1F, 0x03, 0x02, 0xAA, 0xBB});
    ASSERT_TRUE(pty.WaitSlaveReadable());
    link.DiscardInput();
    pty.Write({0x1F, 0x10});
    std::vector<uint8_t> got;
    EXPECT_EQ(Read(got, 256), 2u);
    EXPECT_THAT(got, ElementsAre(0x1F, 0x10));
}

TEST_F(RsdHanTest, AnswerInPiecesIsCollected) {
    link.SetReadTotalTimeoutConstant(5000);
    ASSERT_EQ(link.Open(), 0);
    const std::vector<std::vector<uint8_t>> pieces = {
        {0x1F, 0x03}, {0x10, 'V', '3'}, {0x00, 0x11, 0x13, 0x0D}};
    std::vector<uint8_t> whole;
    for (const auto& p : pieces) whole.insert(whole.end(), p.begin(), p.end());

    std::vector<uint8_t> got;
    const auto start = Clock::now();
    ReadWhileArriving(got, whole.size(), pieces);
    EXPECT_EQ(got, whole);
    // Complete before the time-out: the read ends once it has all it asked for.
    EXPECT_LT(MsSince(start), 4000);
}

namespace {

std::vector<uint8_t> Framed(std::vector<uint8_t> frame) {
    const size_t n = frame.size();
    frame.resize(n + 2);
    AddCRC16(frame.data(), n);
    return frame;
}

std::vector<uint8_t> Joined(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace

TEST_F(RsdHanTest, ReadEndsWhereTheAnswerFrameEnds) {
    ASSERT_EQ(link.Open(), 0);
    const std::vector<uint8_t> ident = Framed(
        {0x1F, 0x03, 0x10, 'V', '3', 'S', 'C', 'R', 'I', 'P', 'T', 'E', 'D', '-', '0', '0', '0', '1', 0});
    std::vector<uint8_t> fullest = {0x1F, 0x03, 251};
    fullest.resize(3 + 251, 0x5A);
    fullest = Framed(fullest);
    std::vector<uint8_t> tooLong = {0x1F, 0x03, 252};
    tooLong.resize(3 + 252, 0x5A);
    tooLong = Framed(tooLong);
    // What follows the frame: the next answer, whole.
    const std::vector<uint8_t> tail = Framed({0x1F, 0x90, 0x04});
    const std::vector<uint8_t> otherFunction = Framed({0x1F, 0x04, 0x02, 0x12, 0x34});

    struct Case {
        const char* name;
        std::vector<uint8_t> line;  // all on the line before the read
        size_t asked;
        bool complete;  // ends at once; else it waits out the time-out
        size_t first;   // what the read returns; the rest stays on the line
    };
    const std::vector<Case> cases = {
        {"exception answer", Joined(Framed({0x1F, 0x83, 0x02}), tail), 256, true, 5},
        {"write accepted", Joined(Framed({0x1F, 0x10, 0x08, 0x80, 0x00, 0x77}), tail), 256, true, 8},
        {"identification", Joined(ident, tail), 256, true, ident.size()},
        {"read of nothing", Joined(Framed({0x1F, 0x03, 0x00}), tail), 256, true, 5},
        {"the longest answer that fits", Joined(fullest, tail), 256, true, 256},
        {"asked for less than the frame", ident, 9, true, 9},
        {"too long to fit: as much as asked", tooLong, 256, true, 256},
        {"truncated answer", std::vector<uint8_t>(ident.begin(), ident.begin() + 10), 256, false, 10},
        {"truncated exception", {0x1F, 0x83, 0x02}, 256, false, 3},
        {"address alone", {0x1F}, 256, false, 1},
        {"other function: to the time-out", Joined(otherFunction, tail), 256, false,
         otherFunction.size() + tail.size()},
        {"too long to fit: to the time-out", {0x1F, 0x03, 252, 1, 2, 3, 4, 5, 6, 7, 8}, 256, false, 11},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        pty.Write(c.line);
        ASSERT_TRUE(pty.WaitSlaveReadable());
        // A complete frame must not wait: a long time-out and a hang guard well inside it.
        link.SetReadTotalTimeoutConstant(c.complete ? 10000 : 200);
        std::vector<uint8_t> got;
        const auto start = Clock::now();
        Read(got, c.asked);
        if (c.complete) {
            EXPECT_LT(MsSince(start), 5000);
        }
        EXPECT_EQ(got,
                  std::vector<uint8_t>(c.line.begin(), c.line.begin() + static_cast<ptrdiff_t>(c.first)));

        // The rest is still queued, whole.
        link.SetReadTotalTimeoutConstant(200);
        std::vector<uint8_t> rest, piece;
        while (Read(piece, 256) > 0) rest.insert(rest.end(), piece.begin(), piece.end());
        EXPECT_EQ(rest, std::vector<uint8_t>(c.line.begin() + static_cast<ptrdiff_t>(c.first), c.line.end()));
    }
}

TEST_F(RsdHanTest, BytesBehindAnAnswerGoWithDiscardInput) {
    link.SetReadTotalTimeoutConstant(10000);
    ASSERT_EQ(link.Open(), 0);
    const auto first = Framed({0x1F, 0x10, 0x08, 0x80, 0x00, 0x77});
    const auto second = Framed({0x1F, 0x03, 0x02, 0x12, 0x34});
    pty.Write(Joined(first, {0x1F, 0x03, 0x02, 0xAA}));
    std::vector<uint8_t> got;
    Read(got, 256);
    EXPECT_EQ(got, first);

    // The next request: its answer is read alone, as if the stray bytes never came.
    link.DiscardInput();
    pty.Write(second);
    Read(got, 256);
    EXPECT_EQ(got, second);
}

TEST_F(RsdHanTest, AnswerWhoseHeaderComesInPiecesEndsWithItsFrame) {
    link.SetReadTotalTimeoutConstant(10000);
    ASSERT_EQ(link.Open(), 0);
    const std::vector<std::vector<uint8_t>> pieces = {{0x1F}, {0x03}, {0x04, 0x12}, {0x34, 0x56}, {0x78}};
    std::vector<uint8_t> whole;
    for (const auto& p : pieces) whole.insert(whole.end(), p.begin(), p.end());
    whole = Framed(whole);
    std::vector<std::vector<uint8_t>> sent = pieces;
    sent.push_back({whole.end() - 2, whole.end()});

    std::vector<uint8_t> got;
    const auto start = Clock::now();
    ReadWhileArriving(got, 256, sent);
    EXPECT_EQ(got, whole);
    EXPECT_LT(MsSince(start), 5000);  // a hang guard: the time-out is twice as long
}

TEST_F(RsdHanTest, PeerThatHangsUpEndsReadAndWriteAtOnce) {
    link.SetReadTotalTimeoutConstant(5000);
    ASSERT_EQ(link.Open(), 0);
    pty.Write({0x1F});
    ASSERT_TRUE(pty.WaitSlaveReadable());
    pty.HangUp();

    std::vector<uint8_t> got;
    auto start = Clock::now();
    Read(got, 256);
    EXPECT_LT(MsSince(start), 2500);
    EXPECT_LE(got.size(), 1u);

    // Of no further use: closed, and it says why.
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.Failure(), "Port " + pty.SlaveName() + ": " + link.FailReason());
    EXPECT_EQ(link.FailReason(), "hung up");

    start = Clock::now();
    const auto all = linktest::AllByteValues();
    EXPECT_EQ(link.WriteBuffer(all.data(), all.size()), 0u);
    EXPECT_EQ(Read(got, 256), 0u);
    EXPECT_LT(MsSince(start), 2500);
}

TEST_F(RsdHanTest, AWriteToAPeerThatHungUpClosesTheLink) {
    ASSERT_EQ(link.Open(), 0);
    pty.HangUp();
    const uint8_t byte = 0x1F;
    EXPECT_EQ(link.WriteBuffer(&byte, 1), 0u);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(link.FailReason(), "Input/output error");
}

TEST_F(RsdHanTest, ConfigurationFailureClosesThePortAndRaisesEComState) {
    // A plain file opens and locks like a port but is no terminal.
    const platform_test::TTempDir temp;
    const std::string path = temp.Write("rsdhan_not_a_tty", "x");
    link.SetCommPort(path);
    try {
        link.Open();
        FAIL() << "no EComState";
    } catch (const EComState& e) {
        EXPECT_STREQ(e.what(), "Unable to set com state: 25");  // ENOTTY
    }
    EXPECT_FALSE(link.IsOpen());
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(link.Status(), 7);

    // Nothing of the failed open is left holding the file.
    const platform::TUniqueFd file(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    ASSERT_TRUE(file);
    EXPECT_EQ(::flock(file.Get(), LOCK_EX | LOCK_NB), 0);

    link.SetCommPort(pty.SlaveName());
    EXPECT_EQ(link.Open(), 0);
}

namespace {

// A sysfs tty folder of our own making.
class SerialPortNamesTest : public testing::Test {
protected:
    void SetUp() override {
        struct Entry {
            const char* name;
            bool device;
            const char* uartType;  // nullptr: no type file
        };
        for (const Entry& e : std::vector<Entry>{{"ttyUSB0", true, nullptr},
                                                 {"ttyS0", true, "4"},
                                                 {"ttyS1", true, "0"},  // registered, no UART
                                                 {"ttyS10", true, "4"},
                                                 {"ttyS2", true, "4"},
                                                 {"ttyACM1", true, nullptr},
                                                 {"tty0", false, nullptr}}) {
            const auto dir = root / e.name;
            std::filesystem::create_directories(e.device ? dir / "device" : dir);
            if (e.uartType) std::ofstream(dir / "type") << e.uartType << "\n";
        }
    }
    void TearDown() override { platform::SetSysfsTtyRoot(""); }

    platform_test::TTempDir temp;
    const std::filesystem::path root = temp.Path();
};

}  // namespace

TEST_F(SerialPortNamesTest, ListsThePortsSortedAsText) {
    platform::SetSysfsTtyRoot(root.string());
    std::vector<std::string> list = {"stale"};
    EXPECT_TRUE(GetSerialPortNames(list));
    EXPECT_THAT(list, ElementsAre("/dev/ttyACM1", "/dev/ttyS0", "/dev/ttyS10", "/dev/ttyS2", "/dev/ttyUSB0"));

    TRsdHan link;
    EXPECT_EQ(link.CommList(), list);
    // Read afresh each time.
    std::filesystem::remove_all(root / "ttyUSB0");
    EXPECT_THAT(link.CommList(), ElementsAre("/dev/ttyACM1", "/dev/ttyS0", "/dev/ttyS10", "/dev/ttyS2"));
}

TEST_F(SerialPortNamesTest, MissingKeyGivesFalseAndAnEmptyList) {
    platform::SetSysfsTtyRoot((root / "absent").string());
    std::vector<std::string> list = {"stale"};
    EXPECT_FALSE(GetSerialPortNames(list));
    EXPECT_TRUE(list.empty());
    TRsdHan link;
    EXPECT_TRUE(link.CommList().empty());
}
