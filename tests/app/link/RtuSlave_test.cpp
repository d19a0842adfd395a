// The link and the frames against an independent Modbus RTU slave (libmodbus) on the
// other end of a socat pty pair.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/link/Mbusfun.h"
#include "app/link/RsdUnit.h"

using namespace app;
using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

namespace {

// A child program that dies with the test: killed at scope end, and by the kernel
// should the test process itself die first.
class TChild {
public:
    explicit TChild(std::vector<std::string> args) {
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        const pid_t parent = ::getpid();
        pid_ = ::fork();
        if (pid_ == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent) ::_exit(127);
            ::execvp(argv[0], argv.data());
            ::_exit(127);
        }
    }
    ~TChild() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        for (int i = 0; i < 200; ++i) {
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    TChild(const TChild&) = delete;
    TChild& operator=(const TChild&) = delete;

    bool Started() const { return pid_ > 0; }
    bool Running() const { return pid_ > 0 && ::waitpid(pid_, nullptr, WNOHANG) == 0; }

private:
    pid_t pid_ = -1;
};

bool WaitForPath(const fs::path& path, const TChild& owner) {
    for (int i = 0; i < 500; ++i) {
        if (fs::exists(path)) return true;
        if (!owner.Running()) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

class RtuSlaveTest : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::path(testing::TempDir()) / ("rtu_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        const std::string a = (dir / "a").string(), b = (dir / "b").string();
        socat = std::make_unique<TChild>(std::vector<std::string>{
            "socat", "-d", "-d", "pty,raw,echo=0,link=" + a, "pty,raw,echo=0,link=" + b});
        ASSERT_TRUE(WaitForPath(a, *socat) && WaitForPath(b, *socat)) << "socat made no pty pair";
        slave = std::make_unique<TChild>(
            std::vector<std::string>{std::string(HALVO_BIN_DIR) + "/rtu_slave", a, (dir / "ready").string()});
        ASSERT_TRUE(WaitForPath(dir / "ready", *slave)) << "rtu_slave did not start";

        link.SetCommPort(b);
        link.SetReadTotalTimeoutConstant(300);
        ASSERT_EQ(link.Open(), 0);
    }
    void TearDown() override {
        link.Close();
        slave.reset();
        socat.reset();
        fs::remove_all(dir);
    }

    // One transaction as the device transfers run it: the whole request, then the answer.
    Bytes Transact(const Bytes& request) {
        EXPECT_EQ(link.WriteBuffer(request.data(), request.size()), request.size());
        Bytes answer(MaxAnswerBytes);
        answer.resize(link.ReadBuffer(answer.data(), answer.size()));
        return answer;
    }

    fs::path dir;
    std::unique_ptr<TChild> socat, slave;
    TRsdHan link;
};

}  // namespace

TEST_F(RtuSlaveTest, IdentificationAnswerIsCrcValid) {
    const Bytes answer = Transact(BuildIdentRequest(31));
    ASSERT_EQ(answer.size(), 3u + 16 + 2);
    EXPECT_TRUE(CheckCRC16(answer.data(), answer.size()));
    EXPECT_FALSE(CheckAnswer(31, answer.data(), answer.size(), true).Failed());
    EXPECT_EQ(answer[1], FnReadHolding);
    EXPECT_EQ(answer[2], 16);
    EXPECT_EQ(std::string(answer.begin() + 3, answer.begin() + 19), "V3-RTU SLAVE 1.0");
}

TEST_F(RtuSlaveTest, WrittenRegistersReadBack) {
    // 119 registers, a parameter set of the default register map; libmodbus takes
    // at most 123 in one write.
    Bytes words;
    for (int i = 0; i < 119; ++i) {
        words.push_back(static_cast<uint8_t>(0x80 + i));
        words.push_back(static_cast<uint8_t>(i));
    }
    const Bytes written = Transact(BuildWriteRequest(31, 101, words));
    ASSERT_EQ(written.size(), 8u);
    EXPECT_FALSE(CheckAnswer(31, written.data(), written.size(), true).Failed());
    EXPECT_EQ(written[1], FnWriteMultiple);

    const Bytes read = Transact(BuildReadRequest(31, 101, 119));
    ASSERT_EQ(read.size(), 5u + 238);
    EXPECT_FALSE(CheckAnswer(31, read.data(), read.size(), true).Failed());
    EXPECT_EQ(read[2], 238);
    EXPECT_EQ(Bytes(read.begin() + 3, read.end() - 2), words);
}

TEST_F(RtuSlaveTest, RegisterOutsideTheSlavesMapGivesAnExceptionAnswer) {
    const Bytes answer = Transact(BuildReadRequest(31, IdentRegister + IdentRegisterCount + 1, 1));
    ASSERT_EQ(answer.size(), 5u);
    const TAnswerCheck check = CheckAnswer(31, answer.data(), answer.size(), true);
    EXPECT_TRUE(check.Exception);
    EXPECT_FALSE(check.CrcError || check.OtherAddress);
    EXPECT_EQ(answer[1], 0x83);
}
