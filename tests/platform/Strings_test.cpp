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

TEST(Strings, Utf8PrefixNeverSplitsACharacter) {
    constexpr size_t kAll = std::string_view::npos;
    struct Case {
        std::string_view text;
        size_t maxCharacters;
        size_t maxBytes;
        std::string_view prefix;
    };
    // "ź" takes 2 bytes, "€" 3, "😀" 4.
    const std::vector<Case> cases = {
        {"abc", 2, kAll, "ab"},
        {"abc", 0, kAll, ""},
        {"abc", 9, kAll, "abc"},
        {"", 3, kAll, ""},
        {"ź€😀x", 1, kAll, "ź"},
        {"ź€😀x", 2, kAll, "ź€"},
        {"ź€😀x", 3, kAll, "ź€😀"},
        // A byte limit inside a character ends before it.
        {"Odpowiedź", kAll, 8, "Odpowied"},
        {"Odpowiedź", kAll, 9, "Odpowied"},
        {"Odpowiedź", kAll, 10, "Odpowiedź"},
        {"😀", kAll, 3, ""},
        {"abc", kAll, 0, ""},
        // Both limits: whichever ends first.
        {"a€b", 2, 3, "a"},
        {"a€b", 2, 4, "a€"},
        {"abcdef", 2, 4, "ab"},
        // Stray continuation bytes stay with the character before them, or make one.
        {"\x80\x80xy", 1, kAll, "\x80\x80"},
        {"\x80\x80xy", 2, kAll, "\x80\x80x"},
        {"x\x80\x80y", 1, kAll, "x\x80\x80"},
        {"x\x80\x80y", kAll, 2, ""},
        // A lead byte whose sequence was cut off is a character too.
        {"xy\xC5", 3, kAll, "xy\xC5"},
        {"x\xC5y", 2, kAll, "x\xC5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Utf8Prefix(c.text, c.maxCharacters, c.maxBytes), c.prefix)
            << testing::PrintToString(std::string(c.text)) << " " << c.maxCharacters << " " << c.maxBytes;
    static_assert(Utf8Prefix("ąć", 1) == "ą");
}
