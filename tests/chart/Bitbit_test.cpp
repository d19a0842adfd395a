#include "chart/Bitbit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/Minmax.h"
#include "platform/Exception.h"

namespace {

using namespace chart;

TEST(Minmax, KeepsTheWidthAndSignOfEachType) {
    EXPECT_EQ(MaxByte(255, 0), 255);
    EXPECT_EQ(MinInteger(-1, 1), -1);
    EXPECT_EQ(MaxInteger(INT32_MIN, -1), -1);
    EXPECT_EQ(MinWord(65535, 1), 1);
}

struct BitCase {
    int state;
    int bit;
    uint8_t before;
    uint8_t after;
};

TEST(Bitbit, SetBit) {
    const std::vector<BitCase> cases = {
        {1, 0, 0x00, 0x01},
        {0, 7, 0xFF, 0x7F},
        {5, 3, 0x00, 0x08},  // any non-zero state sets
        {-1, 3, 0x00, 0x08},
        {0, 3, 0x08, 0x00},
        {1, 3, 0x08, 0x08},
        // Bit numbers outside the byte leave it alone instead of shifting past it.
        {1, 8, 0x00, 0x00},
        {0, 8, 0xFF, 0xFF},
        {1, 31, 0x00, 0x00},
        {1, 200, 0x00, 0x00},
        {1, -1, 0x00, 0x00},
    };
    for (const auto& c : cases) {
        uint8_t value = c.before;
        SetBit(c.state, c.bit, value);
        EXPECT_EQ(value, c.after) << "state " << c.state << " bit " << c.bit;
    }
}

TEST(Bitbit, BitIsSet) {
    struct Case {
        int bit;
        uint8_t value;
        bool set;
    };
    const std::vector<Case> cases = {
        {0, 0x01, true},  {7, 0x80, true},   {0, 0xFE, false},
        {8, 0xFF, false}, {-1, 0xFF, false}, {40, 0xFF, false},
    };
    for (const auto& c : cases) EXPECT_EQ(BitIsSet(c.bit, c.value), c.set) << "bit " << c.bit;
}

TEST(Bitbit, SwapBits) {
    struct Case {
        int a;
        int b;
        uint8_t before;
        uint8_t after;
    };
    const std::vector<Case> cases = {
        {0, 7, 0x01, 0x80}, {7, 0, 0x01, 0x80}, {2, 3, 0x04, 0x08},  {2, 3, 0x0C, 0x0C},
        {2, 2, 0x04, 0x04}, {1, 6, 0xBD, 0xBD},  // equal bits
        {0, 8, 0x01, 0x01}, {8, 0, 0x01, 0x01}, {9, 12, 0xFF, 0xFF}, {-1, 0, 0x01, 0x01},
    };
    for (const auto& c : cases) {
        uint8_t value = c.before;
        EXPECT_EQ(SwapBits(c.a, c.b, value), c.after) << c.a << "<->" << c.b;
        EXPECT_EQ(value, c.after);
    }
}

TEST(Bitbit, HexDigitValue) {
    const std::vector<std::pair<char, int>> digits = {{'0', 0}, {'9', 9}, {'A', 10}, {'F', 15}};
    for (const auto& [c, value] : digits) EXPECT_EQ(HexDigitValue(c), value) << c;
    for (char c : std::string("aG/:@`f ")) {
        try {
            HexDigitValue(c);
            ADD_FAILURE() << "accepted " << c;
        } catch (const platform::Exception& e) {
            EXPECT_EQ(e.Message(), std::string(1, c) + " is not a hex value");
        }
    }
}

TEST(Bitbit, HexToInt) {
    const std::vector<std::pair<std::string, int32_t>> cases = {
        {"1F", 31},         {"00FF", 255},
        {"0", 0},           {"7FFFFFFF", INT32_MAX},
        {"FFFFFFFF", -1},   {"123456789", 0x23456789},  // a ninth digit wraps out of 32 bits
        {"10000000000", 0},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(HexToInt(text), value) << text;
}

TEST(Bitbit, HexToIntRejects) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "HexToInt - trying convert empty string"},
        {"1g", "g is not a hex value"},
        {"1a", "a is not a hex value"},  // lower case is not a digit
        {"G1", "G is not a hex value"},
        {"-1", "- is not a hex value"},
        {"0x1F", "x is not a hex value"},
        {" 1", "  is not a hex value"},
        {"1\xC4\x85", "\xC4\x85 is not a hex value"},  // a whole UTF-8 character, never a piece of one
        {"\xC5\x9B"
         "1",
         "\xC5\x9B is not a hex value"},
    };
    for (const auto& [text, message] : cases) {
        try {
            HexToInt(text);
            ADD_FAILURE() << "accepted " << text;
        } catch (const platform::Exception& e) {
            EXPECT_EQ(e.Message(), message);
        }
    }
}

}  // namespace
