// The calls against an independent Modbus TCP server (libmodbus, tests/peers/tcp_server.c).
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "talvo.h"
#include "talvo/Frames.h"
#include "talvo/SimpSock.h"
#include "tests/talvo/Peers.h"

namespace talvo {
namespace {

using namespace talvo::test;

constexpr int32_t kTimeout = 3000;
constexpr uint8_t kUnit = 1;

class TalvoServer : public testing::Test {
protected:
    void SetUp() override { FServer = std::make_unique<ModbusServer>(); }
    void TearDown() override {
        EXPECT_TRUE(TALVOCloseAll());
        FServer.reset();
    }
    uint16_t Port() const { return FServer->Port(); }

    std::unique_ptr<ModbusServer> FServer;
};

std::vector<uint16_t> Initial(uint16_t start, uint16_t count) {
    std::vector<uint16_t> values(count);
    for (uint16_t i = 0; i < count; ++i) values[i] = ModbusServer::Initial(start + i);
    return values;
}

TEST_F(TalvoServer, ReadsUpTo125Registers) {
    ASSERT_EQ(TALVOAdd(0, "127.0.0.1", Port()), 0);
    struct Case {
        uint16_t start, count;
        int32_t expected;
    };
    // The server allows at most 125 registers a read and answers more with exception 3.
    const std::vector<Case> cases{{0x0E77, 1, 0}, {0x0FA0, 125, 0}, {0, 126, 3}, {0, 127, 3}};
    for (const Case& c : cases) {
        std::vector<uint16_t> values(c.count, 0);
        EXPECT_EQ(TALVOReadRegs(0, kUnit, c.start, c.count, kTimeout, values.data(), true), c.expected)
            << c.count;
        if (c.expected == 0) {
            EXPECT_EQ(values, Initial(c.start, c.count)) << c.count;
        }
    }
}

TEST_F(TalvoServer, ReadWithoutSwapKeepsTheWireOrder) {
    ASSERT_EQ(TALVOAdd(0, "127.0.0.1", Port()), 0);
    uint16_t value = 0;
    ASSERT_EQ(TALVOReadRegs(0, kUnit, 0x0100, 1, kTimeout, &value, false), 0);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&value);
    EXPECT_EQ(bytes[0], ModbusServer::Initial(0x0100) >> 8);
    EXPECT_EQ(bytes[1], ModbusServer::Initial(0x0100) & 0xFF);
}

TEST_F(TalvoServer, WriteAndPresetThenReadBack) {
    ASSERT_EQ(TALVOAdd(5, "127.0.0.1", Port()), 0);
    std::vector<uint16_t> written(123);
    for (size_t i = 0; i < written.size(); ++i) written[i] = static_cast<uint16_t>(0xC000 + i * 5);
    EXPECT_EQ(TALVOWriteRegs(5, kUnit, 0x0200, 123, kTimeout, written.data()), 0);
    EXPECT_EQ(TALVOPresetReg(5, kUnit, 0x0300, 0xBEEF, kTimeout), 0);

    std::vector<uint16_t> back(123);
    EXPECT_EQ(TALVOReadRegs(5, kUnit, 0x0200, 123, kTimeout, back.data(), true), 0);
    EXPECT_EQ(back, written);
    uint16_t preset[2] = {};
    EXPECT_EQ(TALVOReadRegs(5, kUnit, 0x0300, 2, kTimeout, preset, true), 0);
    EXPECT_EQ(preset[0], 0xBEEF);
    EXPECT_EQ(preset[1], ModbusServer::Initial(0x0301));
}

TEST_F(TalvoServer, OneShotCalls) {
    // The identification read of the service program: 8 registers from word 0x0E78.
    const uint8_t request[] = {0x03, 0x0E, 0x77, 0x00, 0x08};
    std::vector<uint8_t> response(1017);
    int32_t responseLen = 0;
    ASSERT_TRUE(UniversalTALVOSendAndWait("127.0.0.1", Port(), kUnit, request, response.data(), kTimeout,
                                          sizeof request, &responseLen));
    ASSERT_EQ(responseLen, 18);
    EXPECT_EQ(response[0], 0x03);
    EXPECT_EQ(response[1], 16);
    for (int i = 0; i < 8; ++i) {
        const uint16_t expected = ModbusServer::Initial(static_cast<uint16_t>(0x0E77 + i));
        EXPECT_EQ(response[2 + 2 * i] << 8 | response[3 + 2 * i], expected) << i;
    }

    const std::vector<uint16_t> written{0x1111, 0x2222, 0x3333};
    EXPECT_TRUE(UniversalTALVOWriteRegs("127.0.0.1", Port(), kUnit, 0x0400, 3, kTimeout, written.data()));
    std::vector<uint16_t> back(3);
    EXPECT_TRUE(UniversalTALVOReadRegs("127.0.0.1", Port(), kUnit, 0x0400, 3, kTimeout, back.data(), true));
    EXPECT_EQ(back, written);
    // An exception answer is no success.
    std::vector<uint16_t> many(127);
    EXPECT_FALSE(UniversalTALVOReadRegs("127.0.0.1", Port(), kUnit, 0, 127, kTimeout, many.data(), true));
}

// The largest frames the builders make are ones the server serves; one register more
// builds nothing.
TEST_F(TalvoServer, BuiltFramesOfTheLargestCountsAreServed) {
    TSimpTcp sock;
    sock.Host = "127.0.0.1";
    sock.Port = Port();
    sock.RecvTimeout = kTimeout;
    sock.ConnectTimeout = kTimeout;
    ASSERT_EQ(sock.Open(), 0);
    ASSERT_EQ(sock.Connect(), 0);
    const std::vector<uint16_t> written(124, 0x7E7E);
    struct Case {
        const char* name;
        std::function<int32_t(uint8_t*)> build;
        Bytes answerHead;  // after the header
        std::function<int32_t(uint8_t*)> oneMore;
    };
    const std::vector<Case> cases{
        {"read",
         [](uint8_t* b) { return BuildTALVOReadRegs(0x0100, 125, 0x0A0B, kUnit, b); },
         {0x03, 250},
         [](uint8_t* b) { return BuildTALVOReadRegs(0x0100, 126, 0x0A0B, kUnit, b); }},
        {"write",
         [&](uint8_t* b) { return BuildTALVOWriteRegs(0x0500, 123, 0x0C0D, kUnit, written.data(), b); },
         {0x10, 0x05, 0x00, 0x00, 123},
         [&](uint8_t* b) { return BuildTALVOWriteRegs(0x0500, 124, 0x0C0D, kUnit, written.data(), b); }},
    };
    for (const Case& c : cases) {
        Bytes frame(300);
        const int32_t len = c.build(frame.data());
        ASSERT_GT(len, 0) << c.name;
        ASSERT_EQ(sock.Send(frame.data(), static_cast<size_t>(len)), 0) << c.name;
        Bytes answer(kHeaderLen + c.answerHead.size());
        ASSERT_EQ(sock.ReceiveExact(TickMs(), answer.data(), answer.size()), 0) << c.name;
        EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 2), Bytes(frame.begin(), frame.begin() + 2))
            << c.name;
        EXPECT_EQ(Bytes(answer.begin() + kHeaderLen, answer.end()), c.answerHead) << c.name;
        Bytes rest(GetBe16(answer.data() + 4) + 6 - answer.size());
        EXPECT_EQ(sock.ReceiveExact(TickMs(), rest.data(), rest.size()), 0) << c.name;
        EXPECT_EQ(c.oneMore(frame.data()), -9) << c.name;
    }
}

// A gateway that hands each new connection the answer to the request before first: every
// one-shot call still takes the answer to its own request. Each request reads other
// registers than the one before, so a late answer taken shows in the values.
TEST_F(TalvoServer, OneShotCallsTakeOnlyTheirOwnAnswerFromALateGateway) {
    ModbusServer gateway(true);
    for (uint16_t start : {0x0100, 0x0200, 0x0300}) {
        std::vector<uint16_t> values(119);
        EXPECT_TRUE(UniversalTALVOReadRegs("127.0.0.1", gateway.Port(), kUnit, start, 119, kTimeout,
                                           values.data(), true));
        EXPECT_EQ(values, Initial(start, 119)) << start;
    }
    for (uint16_t start : {0x0E77, 0x0F00}) {
        const uint8_t request[] = {0x03, static_cast<uint8_t>(start >> 8), static_cast<uint8_t>(start), 0x00,
                                   0x08};
        std::vector<uint8_t> response(1017);
        int32_t responseLen = 0;
        ASSERT_TRUE(UniversalTALVOSendAndWait("127.0.0.1", gateway.Port(), kUnit, request, response.data(),
                                              kTimeout, sizeof request, &responseLen));
        ASSERT_EQ(responseLen, 18);
        EXPECT_EQ(response[2] << 8 | response[3], ModbusServer::Initial(start)) << start;
    }
    const std::vector<uint16_t> written{0x1111, 0x2222, 0x3333};
    EXPECT_TRUE(
        UniversalTALVOWriteRegs("127.0.0.1", gateway.Port(), kUnit, 0x0400, 3, kTimeout, written.data()));
    std::vector<uint16_t> back(3);
    EXPECT_TRUE(
        UniversalTALVOReadRegs("127.0.0.1", gateway.Port(), kUnit, 0x0400, 3, kTimeout, back.data(), true));
    EXPECT_EQ(back, written);
}

TEST_F(TalvoServer, AllEntriesAtOnceThenCloseAll) {
    const int before = CountOpenFds();
    for (int32_t i = 0; i <= 100; ++i) ASSERT_EQ(TALVOAdd(i, "127.0.0.1", Port()), 0) << i;
    EXPECT_EQ(CountOpenFds(), before + 101);
    EXPECT_EQ(TALVOAdd(101, "127.0.0.1", Port()), -6);
    for (int32_t i = 0; i <= 100; ++i) {
        uint16_t value = 0;
        EXPECT_EQ(TALVOReadRegs(i, kUnit, static_cast<uint16_t>(i), 1, kTimeout, &value, true), 0);
        EXPECT_EQ(value, ModbusServer::Initial(static_cast<uint16_t>(i)));
    }
    EXPECT_TRUE(TALVOCloseAll());
    EXPECT_EQ(CountOpenFds(), before);
    uint16_t value;
    EXPECT_EQ(TALVOReadRegs(50, kUnit, 0, 1, kTimeout, &value, true), -10);
}

}  // namespace
}  // namespace talvo
