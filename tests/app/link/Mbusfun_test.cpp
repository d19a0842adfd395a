#include "app/link/Mbusfun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <modbus.h>

#include <cerrno>
#include <memory>

#include "platform/Exception.h"
#include "tests/app/link/PtyPair.h"

using namespace app;
using testing::ElementsAre;
using testing::ElementsAreArray;
using Bytes = std::vector<uint8_t>;

namespace {

Bytes WithCrc(Bytes frame) {
    const size_t n = frame.size();
    frame.resize(n + 2);
    AddCRC16(frame.data(), n);
    return frame;
}

}  // namespace

TEST(Crc16, KnownVectors) {
    struct Case {
        Bytes data;
        uint16_t crc;
    };
    const std::vector<Case> cases = {
        {{}, 0xFFFF},
        {{'a', 'b', 'c'}, 0x5749},
        {{'1', '2', '3', '4', '5', '6', '7', '8', '9'}, 0x4B37},
        // The textbook Modbus read request 01 03 00 00 00 0A, whose CRC is C5 CD.
        {{0x01, 0x03, 0x00, 0x00, 0x00, 0x0A}, 0xCDC5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Crc16(c.data.data(), c.data.size()), c.crc);
        const Bytes framed = WithCrc(c.data);
        EXPECT_EQ(framed[c.data.size()], c.crc & 0xFF);
        EXPECT_EQ(framed[c.data.size() + 1], c.crc >> 8);
        EXPECT_TRUE(CheckCRC16(framed.data(), framed.size()));
    }
    EXPECT_THAT(WithCrc({'a', 'b', 'c'}), ElementsAre('a', 'b', 'c', 0x49, 0x57));
}

TEST(CheckCRC16, FailsDamagedAndShortAnswers) {
    const Bytes good = WithCrc({0x1F, 0x03, 0x02, 0x12, 0x34});
    ASSERT_TRUE(CheckCRC16(good.data(), good.size()));

    Bytes swapped = good;
    std::swap(swapped[5], swapped[6]);
    EXPECT_FALSE(CheckCRC16(swapped.data(), swapped.size()));

    for (size_t bit = 0; bit < good.size() * 8; ++bit) {
        Bytes flipped = good;
        flipped[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
        EXPECT_FALSE(CheckCRC16(flipped.data(), flipped.size())) << "bit " << bit;
    }
    // Counting fewer bytes than arrived is a different frame.
    EXPECT_FALSE(CheckCRC16(good.data(), good.size() - 1));
    for (size_t length : {0, 1}) EXPECT_FALSE(CheckCRC16(good.data(), length)) << length;
}

TEST(CheckCRC16, TakesTheWholeLengthOfLongAnswers) {
    // 256 and 300 bytes: an 8-bit count would check 0 or 44 of them.
    for (size_t length : {255u, 256u, 300u}) {
        Bytes frame(length - 2);
        for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i * 7 + 1);
        frame = WithCrc(frame);
        EXPECT_TRUE(CheckCRC16(frame.data(), frame.size())) << length;
        frame[1] ^= 0x01;
        EXPECT_FALSE(CheckCRC16(frame.data(), frame.size())) << length;
    }
}

TEST(BuildRequest, IdentificationReadCarries0E78Unchanged) {
    const Bytes frame = BuildIdentRequest(31);
    ASSERT_EQ(frame.size(), 8u);
    EXPECT_THAT(Bytes(frame.begin(), frame.begin() + 6), ElementsAre(0x1F, 0x03, 0x0E, 0x78, 0x00, 0x08));
    EXPECT_EQ(frame, WithCrc({0x1F, 0x03, 0x0E, 0x78, 0x00, 0x08}));
}

TEST(BuildRequest, ReadSendsRegisterNumberMinusOne) {
    struct Case {
        uint8_t device;
        int reg;
        int count;
        Bytes head;
    };
    const std::vector<Case> cases = {
        {31, 2177, 119, {0x1F, 0x03, 0x08, 0x80, 0x00, 0x77}},
        {1, 1, 1, {0x01, 0x03, 0x00, 0x00, 0x00, 0x01}},
        {247, 65536, 1, {0xF7, 0x03, 0xFF, 0xFF, 0x00, 0x01}},
        {31, 65412, 125, {0x1F, 0x03, 0xFF, 0x83, 0x00, 0x7D}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildReadRequest(c.device, c.reg, c.count), WithCrc(c.head)) << c.reg;
}

TEST(BuildRequest, WriteOf125RegistersIs259BytesWithCrcOverTheFirst257) {
    Bytes words(250);
    for (size_t i = 0; i < words.size(); ++i) words[i] = static_cast<uint8_t>(i);
    const Bytes frame = BuildWriteRequest(31, 2177, words);
    ASSERT_EQ(frame.size(), 259u);
    // Byte count 250 fits its byte; the words go out as given.
    EXPECT_THAT(Bytes(frame.begin(), frame.begin() + 7),
                ElementsAre(0x1F, 0x10, 0x08, 0x80, 0x00, 0x7D, 0xFA));
    EXPECT_TRUE(std::equal(words.begin(), words.end(), frame.begin() + 7));
    EXPECT_EQ(frame[257] | frame[258] << 8, Crc16(frame.data(), 257));
    EXPECT_TRUE(CheckCRC16(frame.data(), frame.size()));

    EXPECT_EQ(BuildWriteRequest(5, 10, Bytes{0xAB, 0xCD}),
              WithCrc({0x05, 0x10, 0x00, 0x09, 0x00, 0x01, 0x02, 0xAB, 0xCD}));
}

TEST(BuildRequest, RejectsWhatAFrameCannotCarry) {
    struct Case {
        int reg;
        int count;
    };
    const std::vector<Case> cases = {{0, 1},   {-5, 1},    {1, 0},       {1, -1},
                                     {1, 126}, {65536, 2}, {65413, 125}, {70000, 1}};
    for (const auto& c : cases) {
        EXPECT_THROW(BuildReadRequest(31, c.reg, c.count), platform::Exception) << c.reg << " " << c.count;
        if (c.count >= 0) {
            EXPECT_THROW(BuildWriteRequest(31, c.reg, Bytes(2 * static_cast<size_t>(c.count))),
                         platform::Exception)
                << c.reg << " " << c.count;
        }
    }
    EXPECT_THROW(BuildWriteRequest(31, 1, Bytes(3)), platform::Exception);
    EXPECT_THROW(BuildWriteRequest(31, 1, Bytes(100000)), platform::Exception);
}

TEST(CheckAnswer, ChecksInOrder) {
    struct Case {
        const char* name;
        Bytes answer;
        bool withCrc;
        bool timeOut, crcError, otherAddress, exception;
    };
    const Bytes data = WithCrc({0x1F, 0x03, 0x02, 0x12, 0x34});
    const Bytes written = WithCrc({0x1F, 0x10, 0x08, 0x80, 0x00, 0x77});
    const Bytes exception = WithCrc({0x1F, 0x83, 0x02});
    const Bytes otherDevice = WithCrc({0x05, 0x03, 0x02, 0x12, 0x34});
    const Bytes otherException = WithCrc({0x05, 0x90, 0x02});
    Bytes badCrc = data;
    badCrc.back() ^= 0xFF;
    const std::vector<Case> cases = {
        {"nothing", {}, true, true, false, false, false},
        {"nothing over TCP", {}, false, true, false, false, false},
        {"data", data, true, false, false, false, false},
        {"write accepted", written, true, false, false, false, false},
        {"one byte", {0x1F}, true, false, true, false, false},
        {"bad CRC ends the checks", badCrc, true, false, true, false, false},
        {"exception", exception, true, false, false, false, true},
        {"other device", otherDevice, true, false, false, true, false},
        {"other device's exception", otherException, true, false, false, true, true},
        {"TCP has no CRC", {0x1F, 0x03, 0x02, 0x12, 0x34}, false, false, false, false, false},
        {"TCP exception", {0x1F, 0x90, 0x04}, false, false, false, false, true},
        {"TCP address alone", {0x1F}, false, false, false, false, false},
    };
    for (const auto& c : cases) {
        const TAnswerCheck r = CheckAnswer(31, c.answer.data(), c.answer.size(), c.withCrc);
        EXPECT_EQ(r.TimeOut, c.timeOut) << c.name;
        EXPECT_EQ(r.CrcError, c.crcError) << c.name;
        EXPECT_EQ(r.OtherAddress, c.otherAddress) << c.name;
        EXPECT_EQ(r.Exception, c.exception) << c.name;
        EXPECT_EQ(r.Failed(), c.timeOut || c.crcError || c.otherAddress || c.exception) << c.name;
    }
}

TEST(AnswerFrameLength, FollowsFromTheBytesReceived) {
    constexpr size_t unknown = 0;
    struct Case {
        const char* name;
        Bytes received;
        size_t length;  // unknown: no length (yet)
    };
    const std::vector<Case> cases = {
        {"nothing", {}, unknown},
        {"address alone", {0x1F}, unknown},
        {"exception to a read", {0x1F, 0x83}, 5},
        {"exception to a write", {0x1F, 0x90, 0x02}, 5},
        {"any function with bit 7", {0x1F, 0xFF}, 5},
        {"write accepted", {0x1F, 0x10}, 8},
        {"write accepted, more in", {0x1F, 0x10, 0x08, 0x80, 0x00}, 8},
        {"read without its byte count", {0x1F, 0x03}, unknown},
        {"read of nothing", {0x1F, 0x03, 0x00}, 5},
        {"identification", {0x1F, 0x03, 0x10, 'V', '3'}, 21},
        {"125 registers", {0x1F, 0x03, 250}, 255},
        {"the most that fits", {0x1F, 0x03, 251}, 256},
        {"one byte too many to fit", {0x1F, 0x03, 252}, unknown},
        {"byte count 255", {0x1F, 0x03, 255}, unknown},
        {"bytes past the frame", {0x1F, 0x03, 0x02, 0x12, 0x34, 0xAA, 0xBB, 0xCC, 0xDD}, 7},
        {"another device's answer", {0x05, 0x03, 0x02}, 7},
        {"input registers", {0x1F, 0x04, 0x02, 0x12, 0x34}, unknown},
        {"single register write", {0x1F, 0x06, 0x08, 0x80, 0x00, 0x01}, unknown},
        {"function 0", {0x1F, 0x00, 0x02}, unknown},
        {"function 0x7F", {0x1F, 0x7F, 0x02}, unknown},
    };
    for (const auto& c : cases) {
        const auto length = AnswerFrameLength(c.received.data(), c.received.size());
        EXPECT_EQ(length.value_or(unknown), c.length) << c.name;
    }
    // Each answer the device transfers accept has its own length, from its header on.
    for (const Bytes& answer : {WithCrc({0x1F, 0x03, 0x02, 0x12, 0x34}),
                                WithCrc({0x1F, 0x10, 0x08, 0x80, 0x00, 0x77}), WithCrc({0x1F, 0x83, 0x02})})
        for (size_t n = 3; n <= answer.size(); ++n)
            EXPECT_EQ(AnswerFrameLength(answer.data(), n).value_or(unknown), answer.size()) << n;
}

// The frames libmodbus, an independent implementation, sends for the same requests.
namespace {

struct TModbusDeleter {
    void operator()(modbus_t* ctx) const {
        modbus_close(ctx);
        modbus_free(ctx);
    }
};

class LibmodbusFrames : public testing::Test {
protected:
    void SetUp() override {
        ctx.reset(modbus_new_rtu(pty.SlaveName().c_str(), 9600, 'N', 8, 1));
        ASSERT_NE(ctx, nullptr);
        ASSERT_EQ(modbus_set_slave(ctx.get(), 31), 0);
        ASSERT_EQ(modbus_connect(ctx.get()), 0) << modbus_strerror(errno);
        // Nobody answers: a short wait for the answer is all each request costs.
        modbus_set_response_timeout(ctx.get(), 0, 30000);
    }

    linktest::TPtyPair pty;
    std::unique_ptr<modbus_t, TModbusDeleter> ctx;
};

}  // namespace

TEST_F(LibmodbusFrames, ReadRequestsMatch) {
    struct Case {
        int reg;
        int count;
    };
    for (const Case c : std::vector<Case>{{2177, 119}, {1, 1}, {0x0E79, 8}, {65412, 125}}) {
        uint16_t dest[125];
        EXPECT_EQ(modbus_read_registers(ctx.get(), c.reg - 1, c.count, dest), -1);
        const Bytes sent = pty.Read(8);
        EXPECT_TRUE(CheckCRC16(sent.data(), sent.size())) << c.reg;
        EXPECT_EQ(BuildReadRequest(31, c.reg, c.count), sent) << c.reg;
    }
    uint16_t dest[8];
    modbus_read_registers(ctx.get(), kIdentRegister, kIdentRegisterCount, dest);
    EXPECT_EQ(BuildIdentRequest(31), pty.Read(8));
    EXPECT_TRUE(pty.Read(1, 50).empty());
}

TEST_F(LibmodbusFrames, WriteRequestsMatch) {
    // 123 is as many as libmodbus writes in one frame; the 125 of the device protocol
    // are checked above.
    for (int count : {1, 2, 119, 123}) {
        std::vector<uint16_t> values(count);
        Bytes words;
        for (int i = 0; i < count; ++i) {
            values[i] = static_cast<uint16_t>(0x0102 * i + 0x8000);
            words.push_back(static_cast<uint8_t>(values[i] >> 8));
            words.push_back(static_cast<uint8_t>(values[i] & 0xFF));
        }
        EXPECT_EQ(modbus_write_registers(ctx.get(), 2176, count, values.data()), -1);
        const Bytes sent = pty.Read(2 * count + 9);
        EXPECT_TRUE(CheckCRC16(sent.data(), sent.size())) << count;
        EXPECT_EQ(BuildWriteRequest(31, 2177, words), sent) << count;
    }
    EXPECT_TRUE(pty.Read(1, 50).empty());
}
