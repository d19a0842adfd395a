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

#include "app/link/RsdPort.h"
#include "platform/Registry.h"
#include "tests/app/link/PtyPair.h"

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

    std::thread device([&] {
        for (const auto& p : pieces) {
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
            pty.Write(p);
        }
    });
    std::vector<uint8_t> got;
    const auto start = Clock::now();
    Read(got, whole.size());
    device.join();
    EXPECT_EQ(got, whole);
    // Complete before the time-out: the read ends once it has all it asked for.
    EXPECT_LT(MsSince(start), 4000);
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

    start = Clock::now();
    const auto all = linktest::AllByteValues();
    EXPECT_EQ(link.WriteBuffer(all.data(), all.size()), 0u);
    EXPECT_EQ(Read(got, 256), 0u);
    EXPECT_LT(MsSince(start), 2500);
}

TEST_F(RsdHanTest, ConfigurationFailureClosesThePortAndRaisesEComState) {
    // A plain file opens and locks like a port but is no terminal.
    const std::string path = testing::TempDir() + "rsdhan_not_a_tty";
    std::ofstream(path) << "x";
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
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
    std::filesystem::remove(path);

    link.SetCommPort(pty.SlaveName());
    EXPECT_EQ(link.Open(), 0);
}

namespace {

// A sysfs tty folder of our own making.
class SerialPortNamesTest : public testing::Test {
protected:
    void SetUp() override {
        root = std::filesystem::path(testing::TempDir()) / ("rsd_sysfs_" + std::to_string(::getpid()));
        std::filesystem::remove_all(root);
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
    void TearDown() override {
        platform::SetSysfsTtyRoot("");
        std::filesystem::remove_all(root);
    }

    std::filesystem::path root;
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
