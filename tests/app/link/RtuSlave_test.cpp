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
#include "tests/support/PeerProcess.h"
#include "tests/support/TempDir.h"

using namespace app;
using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

namespace {

class RtuSlaveTest : public testing::Test {
protected:
    void SetUp() override {
        ptys = std::make_unique<peers::TSocatPtyPair>(dir);
        ASSERT_TRUE(ptys->Ready()) << "socat made no pty pair";
        slave = std::make_unique<peers::TPeerProcess>(std::vector<std::string>{
            std::string(HALVO_BIN_DIR) + "/rtu_slave", ptys->A(), (dir / "ready").string()});
        ASSERT_TRUE(peers::WaitForPath(dir / "ready", *slave)) << "rtu_slave did not start";

        link.SetCommPort(ptys->B());
        // Far beyond any answer's time: a read that waits it out fails the hang guard.
        link.SetReadTotalTimeoutConstant(kLongTimeOutMs);
        ASSERT_EQ(link.Open(), 0);
    }
    void TearDown() override {
        link.Close();
        slave.reset();
        ptys.reset();
    }

    // One transaction as the device transfers run it: the whole request, then the answer.
    Bytes Transact(const Bytes& request) {
        EXPECT_EQ(link.WriteBuffer(request.data(), request.size()), request.size());
        return ReadAnswer();
    }
    // A read for as many bytes as an answer may have; it ends with the answer's frame,
    // long before the time-out (a hang guard, not a measure of speed).
    Bytes ReadAnswer() {
        Bytes answer(kMaxAnswerBytes);
        const auto start = std::chrono::steady_clock::now();
        answer.resize(link.ReadBuffer(answer.data(), answer.size()));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kLongTimeOutMs / 2));
        return answer;
    }

    static constexpr int32_t kLongTimeOutMs = 10000;

    platform_test::TTempDir temp;
    const fs::path dir = temp.Path();
    std::unique_ptr<peers::TSocatPtyPair> ptys;
    std::unique_ptr<peers::TPeerProcess> slave;
    TRsdHan link;
};

}  // namespace

TEST_F(RtuSlaveTest, IdentificationAnswerIsCrcValid) {
    const Bytes answer = Transact(BuildIdentRequest(31));
    ASSERT_EQ(answer.size(), 3u + 16 + 2);
    EXPECT_TRUE(CheckCRC16(answer.data(), answer.size()));
    EXPECT_FALSE(CheckAnswer(31, answer.data(), answer.size(), true).Failed());
    EXPECT_EQ(answer[1], kFnReadHolding);
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
    EXPECT_EQ(written[1], kFnWriteMultiple);

    const Bytes read = Transact(BuildReadRequest(31, 101, 119));
    ASSERT_EQ(read.size(), 5u + 238);
    EXPECT_FALSE(CheckAnswer(31, read.data(), read.size(), true).Failed());
    EXPECT_EQ(read[2], 238);
    EXPECT_EQ(Bytes(read.begin() + 3, read.end() - 2), words);
}

TEST_F(RtuSlaveTest, RegisterOutsideTheSlavesMapGivesAnExceptionAnswer) {
    const Bytes answer = Transact(BuildReadRequest(31, kIdentRegister + kIdentRegisterCount + 1, 1));
    ASSERT_EQ(answer.size(), 5u);
    const TAnswerCheck check = CheckAnswer(31, answer.data(), answer.size(), true);
    EXPECT_TRUE(check.Exception);
    EXPECT_FALSE(check.CrcError || check.OtherAddress);
    EXPECT_EQ(answer[1], 0x83);
}

TEST_F(RtuSlaveTest, AnswersFollowingEachOtherAreReadOneFrameAtATime) {
    // Three requests in one go: the slave answers each as it takes it, so its answers
    // queue up behind each other, and each read must end exactly where its frame does.
    const Bytes words = {0x12, 0x34, 0x56, 0x78};
    Bytes requests;
    for (const Bytes& r : {BuildIdentRequest(31), BuildWriteRequest(31, 101, words),
                           BuildReadRequest(31, kIdentRegister + kIdentRegisterCount + 1, 1)})
        requests.insert(requests.end(), r.begin(), r.end());
    ASSERT_EQ(link.WriteBuffer(requests.data(), requests.size()), requests.size());

    const Bytes ident = ReadAnswer();
    const Bytes written = ReadAnswer();
    const Bytes refused = ReadAnswer();
    ASSERT_EQ(ident.size(), 21u);
    EXPECT_EQ(std::string(ident.begin() + 3, ident.begin() + 19), "V3-RTU SLAVE 1.0");
    ASSERT_EQ(written.size(), 8u);
    EXPECT_EQ(written[1], kFnWriteMultiple);
    ASSERT_EQ(refused.size(), 5u);
    EXPECT_EQ(refused[1], 0x83);
    for (const Bytes* answer : {&ident, &written, &refused})
        EXPECT_TRUE(CheckCRC16(answer->data(), answer->size())) << answer->size();

    // Nothing more is on its way: a read waits its whole time-out and gets nothing.
    link.SetReadTotalTimeoutConstant(200);
    uint8_t byte = 0;
    EXPECT_EQ(link.ReadBuffer(&byte, 1), 0u);
}
