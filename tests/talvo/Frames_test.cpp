// Frame helpers, answer checks, address parsing, error texts and the log writer.
#include "talvo/Frames.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "talvo.h"
#include "talvo/SimpSock.h"
#include "tests/support/TempDir.h"

namespace talvo {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(TalvoFrames, RequestsAreByteExact) {
    const uint16_t values[] = {0x1234, 0xABCD};
    struct Case {
        const char* name;
        std::function<int32_t(uint8_t*)> build;
        Bytes frame;
    };
    const std::vector<Case> cases{
        {"read",
         [](uint8_t* b) { return BuildTALVOReadRegs(0x0FA0, 125, 1, 31, b); },
         {0x01, 0x00, 0x00, 0x00, 0x00, 0x06, 0x1F, 0x03, 0x0F, 0xA0, 0x00, 0x7D}},
        {"write",
         [&](uint8_t* b) { return BuildTALVOWriteRegs(0x0010, 2, 0x0203, 5, values, b); },
         {0x03, 0x02, 0x00, 0x00, 0x00, 0x0B, 0x05, 0x10, 0x00, 0x10, 0x00, 0x02, 0x04, 0x12, 0x34, 0xAB,
          0xCD}},
        {"preset",
         [](uint8_t* b) { return BuildTALVOPresetReg(0x0102, 7, 9, 0xBEEF, b); },
         {0x07, 0x00, 0x00, 0x00, 0x00, 0x06, 0x09, 0x06, 0x01, 0x02, 0xBE, 0xEF}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> frame(c.frame.size());
        EXPECT_EQ(c.build(frame.data()), static_cast<int32_t>(c.frame.size())) << c.name;
        EXPECT_EQ(frame, c.frame) << c.name;
    }
}

TEST(TalvoFrames, WriteOf123RegistersIsTheLongestBuilt) {
    std::vector<uint16_t> values(123);
    for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<uint16_t>(0x0100 + i);
    // Exactly the frame's size, so that AddressSanitizer sees any byte beyond it.
    std::vector<uint8_t> frame(259);
    ASSERT_EQ(BuildTALVOWriteRegs(0, 123, 1, 1, values.data(), frame.data()), 259);
    EXPECT_EQ(Bytes(frame.begin() + 4, frame.begin() + 13),
              (Bytes{0x00, 0xFD, 0x01, 0x10, 0x00, 0x00, 0x00, 0x7B, 0xF6}));
    EXPECT_EQ(Bytes(frame.end() - 2, frame.end()), (Bytes{0x01, 0x7A}));
}

TEST(TalvoFrames, BadArgumentsBuildNothing) {
    const std::vector<uint16_t> values(256, 0x5555);
    struct Case {
        const char* name;
        std::function<int32_t(uint8_t*)> build;
        int32_t expected;
    };
    const std::vector<Case> cases{
        {"read into NULL", [](uint8_t*) { return BuildTALVOReadRegs(0, 1, 1, 1, nullptr); }, -8},
        {"read of 0", [](uint8_t* b) { return BuildTALVOReadRegs(0, 0, 1, 1, b); }, -9},
        {"read of 126", [](uint8_t* b) { return BuildTALVOReadRegs(0, 126, 1, 1, b); }, -9},
        {"read of 65535", [](uint8_t* b) { return BuildTALVOReadRegs(0, 0xFFFF, 1, 1, b); }, -9},
        {"write into NULL", [&](uint8_t*) { return BuildTALVOWriteRegs(0, 1, 1, 1, values.data(), nullptr); },
         -8},
        {"write of NULL", [](uint8_t* b) { return BuildTALVOWriteRegs(0, 1, 1, 1, nullptr, b); }, -8},
        {"write of 0", [&](uint8_t* b) { return BuildTALVOWriteRegs(0, 0, 1, 1, values.data(), b); }, -9},
        {"write of 124", [&](uint8_t* b) { return BuildTALVOWriteRegs(0, 124, 1, 1, values.data(), b); }, -9},
        // Its byte count would be 280, which the one-byte field cannot hold.
        {"write of 140", [&](uint8_t* b) { return BuildTALVOWriteRegs(0, 140, 1, 1, values.data(), b); }, -9},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> frame(600, 0xA5);
        EXPECT_EQ(c.build(frame.data()), c.expected) << c.name;
        EXPECT_EQ(std::count(frame.begin(), frame.end(), 0xA5), 600) << c.name << ": bytes written";
    }
}

TEST(TalvoFrames, GetReadRegsSwapsOnlyWhenAsked) {
    const Bytes answer{0x01, 0x00, 0x00, 0x00, 0x00, 0x07, 0x01, 0x03, 0x04, 0x12, 0x34, 0xAB, 0xCD};
    uint16_t values[2];
    EXPECT_EQ(GetTALVOReadRegs(2, answer.data(), values, true), 0);
    EXPECT_EQ(values[0], 0x1234);
    EXPECT_EQ(values[1], 0xABCD);
    GetTALVOReadRegs(2, answer.data(), values, false);
    EXPECT_EQ(std::memcmp(values, answer.data() + 9, 4), 0);
}

// Each answer breaks its own check and every later one, so a result shows the order.
struct CheckCase {
    const char* name;
    Bytes answer;
    int32_t rxLen;  // -1: the answer's size
    int32_t read;
    int32_t write;
};

void PrintTo(const CheckCase& c, std::ostream* os) {
    *os << c.name;
}

class TalvoCheckOrder : public testing::TestWithParam<CheckCase> {};

TEST_P(TalvoCheckOrder, FirstFailingCheckDecides) {
    const CheckCase& c = GetParam();
    const int32_t rxLen = c.rxLen >= 0 ? c.rxLen : static_cast<int32_t>(c.answer.size());
    // Answers to TransId 0x0201, unit 0x11, 2 registers.
    EXPECT_EQ(CheckTALVOReadRegs(0, 2, 0x0201, 0x11, rxLen, c.answer.data()), c.read);
    EXPECT_EQ(CheckTALVOWriteRegs(0, 2, 0x0201, 0x11, rxLen, c.answer.data()), c.write);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TalvoCheckOrder,
    testing::Values(
        CheckCase{"TooFewBytes", {0x09, 0x09, 0, 0, 0x00, 0x01, 0x22, 0x83, 0x00}, 8, -1, -1},
        CheckCase{"LengthBelow2", {0x09, 0x09, 0, 0, 0x00, 0x01, 0x22, 0x83, 0x00}, -1, -2, -2},
        CheckCase{"OtherTransId", {0x02, 0x01, 0, 0, 0x00, 0x03, 0x22, 0x83, 0x00}, -1, -3, -3},
        CheckCase{"OtherUnit", {0x01, 0x02, 0, 0, 0x00, 0x03, 0x22, 0x83, 0x00}, -1, -4, -4},
        CheckCase{"Exception", {0x01, 0x02, 0, 0, 0x00, 0x03, 0x11, 0x83, 0x02}, -1, 2, 2},
        CheckCase{"ExceptionOfFunction0", {0x01, 0x02, 0, 0, 0x00, 0x03, 0x11, 0x80, 0x04}, -1, 4, 4},
        CheckCase{"ExceptionWithoutCode", {0x01, 0x02, 0, 0, 0x00, 0x03, 0x11, 0x83, 0x00}, -1, -5, -5},
        CheckCase{"ShortRead", {0x01, 0x02, 0, 0, 0x00, 0x06, 0x11, 0x03, 0x04, 0x00, 0x01, 0x00}, -1, -5, 0},
        CheckCase{
            "Complete", {0x01, 0x02, 0, 0, 0x00, 0x07, 0x11, 0x03, 0x04, 0x00, 0x01, 0x00, 0x02}, -1, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TalvoDottedQuad, ParsesOnlyFourDecimalBytes) {
    struct Case {
        std::string text;
        bool ok;
        Bytes bytes;
    };
    const std::vector<Case> cases{
        {"192.168.1.10", true, {0xC0, 0xA8, 0x01, 0x0A}},
        {"0.0.0.255", true, {0, 0, 0, 255}},
        {"10.0.0.1.junk", true, {10, 0, 0, 1}},
        {"1.2.3", false, {}},
        {"1.2.3.256", false, {}},
        {"a.b.c.d", false, {}},
        {"1..2.3", false, {}},
        {"1.2.3.4x", false, {}},
        {"-1.2.3.4", false, {}},
        {"", false, {}},
    };
    for (const Case& c : cases) {
        in_addr address{};
        EXPECT_EQ(ParseDottedQuad(c.text, address), c.ok) << c.text;
        if (c.ok) {
            const auto* b = reinterpret_cast<const uint8_t*>(&address.s_addr);
            EXPECT_EQ(Bytes(b, b + 4), c.bytes) << c.text;
        }
    }
}

TEST(TalvoDottedQuad, StrToAddrTakesEmptyAsAnyAndRejectsTheRest) {
    in_addr address{};
    address.s_addr = 0x01020304;
    EXPECT_EQ(StrToAddr("", address), 0);
    EXPECT_EQ(address.s_addr, htonl(INADDR_ANY));
    WSASetLastError(0);
    EXPECT_EQ(StrToAddr("1.2.3", address), WSAEFAULT);
    EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
}

std::string Description(int32_t code, int32_t maxLen = 255) {
    std::string buffer(static_cast<size_t>(std::max(maxLen, 0)) + 1, '\x7F');
    TALVOGetErrorDescription(code, buffer.data(), maxLen);
    return buffer.substr(0, buffer.find('\0'));
}

TEST(TalvoErrorDescription, EveryCodeHasItsText) {
    const std::vector<std::pair<int32_t, std::string>> cases{
        {0, "Odpowiedź poprawna"},
        {-1, "Odebrano zbyt mało bajtów"},
        {-2, "Błąd pola Length ramki"},
        {-3, "Błąd numeru ramki"},
        {-4, "Błąd numeru urządzenia"},
        {-5, "Niezgodność długości odpowiedzi na zapytanie o rejestry"},
        {-6, "Numer indeksu za duży"},
        {-7, "Interfejs o tym numerze już istnieje"},
        {-8, "Błąd inicjacji połączenia"},
        {-9, "Błędny parametr RegCount"},
        {-10, "Interfejs nie zainicjowany"},
        {-11, "Timeout"},
        {-12, "Nie nawiązane połączenie"},
        {-13, "Ramka odpowiedzi za dluga"},
        {-14, "Błąd zamknięcia połączenia"},
        {2, "Bramka zwróciła kod błędu: 2"},
        {255, "Bramka zwróciła kod błędu: 255"},
        {-15, "Bramka zwróciła kod błędu: -15"},
    };
    for (const auto& [code, text] : cases) EXPECT_EQ(Description(code), text) << code;
}

TEST(TalvoErrorDescription, MaxLenCutsAtACharacterBoundary) {
    // "Odpowiedź": the ź takes bytes 8 and 9.
    EXPECT_EQ(Description(0, 8), "Odpowied");
    EXPECT_EQ(Description(0, 9), "Odpowied");
    EXPECT_EQ(Description(0, 10), "Odpowiedź");
    EXPECT_EQ(Description(0, 0), "");
    EXPECT_EQ(Description(0, -3), "");

    // Nothing past MaxLen bytes and the NUL.
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    TALVOGetErrorDescription(-11, buffer, 3);
    EXPECT_EQ(std::string(buffer, 5), std::string("Tim\0x", 5));
}

class TalvoLog : public testing::Test {
protected:
    std::vector<std::string> Lines(const std::filesystem::path& file) {
        std::ifstream in(file);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    platform_test::TTempDir FTemp;
    const std::filesystem::path FDir = FTemp.Path();
};

TEST_F(TalvoLog, AppendsStampedLines) {
    const auto file = FDir / "talvo.log";
    WriteLog("first", file.c_str());
    WriteLog(nullptr, file.c_str());
    WriteLog("", file.c_str());
    WriteLog("żółw", file.c_str());
    const auto lines = Lines(file);
    ASSERT_EQ(lines.size(), 4u);
    const std::string stamp = R"(\d{4}/\d{2}/\d{2} \d{2}:\d{2}:\d{2}\.\d{3})";
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(stamp + " first"))) << lines[0];
    EXPECT_TRUE(std::regex_match(lines[1], std::regex(stamp))) << lines[1];
    EXPECT_TRUE(std::regex_match(lines[2], std::regex(stamp))) << lines[2];
    EXPECT_EQ(lines[3].substr(23), " żółw");
}

TEST_F(TalvoLog, NoFileNameWritesNothing) {
    WriteLog("message", nullptr);
    WriteLog("message", "");
    WriteLog("message", (FDir / "missing" / "talvo.log").c_str());
    EXPECT_TRUE(std::filesystem::is_empty(FDir));
}

}  // namespace
}  // namespace talvo
