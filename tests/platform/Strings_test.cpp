#include "platform/Strings.h"

#include <gtest/gtest.h>

using namespace platform;
using Lines = std::vector<std::string>;

TEST(Strings, TrimDropsBlanksAndControlsOnly) {
    EXPECT_EQ(Trim(" \t\r\n a b \x01"), "a b");
    EXPECT_EQ(Trim("   "), "");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim(" \xC5\x81\xC3\xB3 "), "\xC5\x81\xC3\xB3");  // UTF-8 bytes are not blanks
}

TEST(Strings, CaseOnlyTouchesAscii) {
    EXPECT_EQ(UpperCase("abz\xC4\x85"), "ABZ\xC4\x85");
    EXPECT_EQ(LowerCase("ABZ\xC4\x84"), "abz\xC4\x84");
    EXPECT_TRUE(SameText("Halvo", "hALVO"));
    EXPECT_FALSE(SameText("Halvo", "Halv"));
    EXPECT_FALSE(SameText("\xC4\x85", "\xC4\x84"));
}

TEST(Strings, StartsWith) {
    EXPECT_TRUE(StartsWith("COM3", "COM"));
    EXPECT_TRUE(StartsWith("x", ""));
    EXPECT_FALSE(StartsWith("CO", "COM"));
}

TEST(Strings, SplitLinesOnEveryEnding) {
    struct Case {
        std::string text;
        Lines lines;
    };
    const std::vector<Case> cases = {
        {"", {}},           {"a", {"a"}},
        {"a\n", {"a"}},     {"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
        {"\n\n", {"", ""}}, {"a\r\r\nb", {"a", "", "b"}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitLines(c.text), c.lines) << c.text;
}

TEST(Strings, HexTexts) {
    EXPECT_EQ(HexText(0, 2), "00");
    EXPECT_EQ(HexText(0xF5, 2), "F5");
    EXPECT_EQ(HexText(0x105, 2), "105");  // never cut to the minimum
    EXPECT_EQ(HexText(0xABCD, 1), "ABCD");
    const std::vector<uint8_t> bytes{0x00, 0x0A, 0xFF};
    EXPECT_EQ(HexLine(bytes), "00 0A FF ");
    EXPECT_EQ(HexLine({}), "");
}
