#include "platform/FormatSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace platform;

namespace {
const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
}  // namespace

TEST(FormatSettings, StartingValues) {
    const TFormatSettings& app = AppFormatSettings();
    EXPECT_EQ(app.DecimalSeparator, ',');
    EXPECT_EQ(app.DateSeparator, '-');
    EXPECT_EQ(app.TimeSeparator, ':');
    EXPECT_EQ(app.ShortDateFormat, "yyyy-mm-dd");
    EXPECT_EQ(app.LongTimeFormat, "hh:nn:ss");
    EXPECT_EQ(DotFormatSettings().DecimalSeparator, '.');
}

TEST(FormatSettings, FormatFixed) {
    struct Case {
        double value;
        int decimals;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {0.125, 2, "0,12"},  // an exact tie goes to even
        {0.375, 2, "0,38"},
        {2.675, 2, "2,67"},  // the binary value lies below the tie
        {1.005, 2, "1,00"},
        {0.5, 0, "0"},
        {1.5, 0, "2"},
        {2.5, 0, "2"},
        {-1.5, 0, "-2"},
        {-3.14159, 3, "-3,142"},
        {-0.001, 2, "-0,00"},
        {12, 3, "12,000"},
        {1e20, 1, "100000000000000000000,0"},
        {0.1, 20, "0,10000000000000000555"},
        {7.25, -3, "7"},
        {kNaN, 2, "NAN"},
        {kInf, 2, "INF"},
        {-kInf, 0, "-INF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFixed(c.value, c.decimals, AppFormatSettings()), c.expected)
            << c.value << " " << c.decimals;
    EXPECT_EQ(FormatFixed(2.5, 1, DotFormatSettings()), "2.5");
}

TEST(FormatSettings, FormatFixedHugeValues) {
    const std::string max = FormatFixed(std::numeric_limits<double>::max(), 2, DotFormatSettings());
    EXPECT_EQ(max.size(), 309u + 3u);
    EXPECT_EQ(max.substr(0, 6), "179769");
    EXPECT_EQ(max.substr(max.size() - 3), ".00");
    const std::string tiny =
        FormatFixed(std::numeric_limits<double>::denorm_min(), 5000, DotFormatSettings());
    EXPECT_EQ(tiny.size(), 2u + 1074u);
    EXPECT_EQ(tiny.back(), '5');
}

TEST(FormatSettings, FloatToStr) {
    struct Case {
        double value;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {0, "0"},
        {-0.0, "0"},
        {1, "1"},
        {-2.5, "-2,5"},
        {0.1, "0,1"},
        {0.1 + 0.2, "0,30000000000000004"},
        {123456.789, "123456,789"},
        {100, "100"},
        {1e14, "100000000000000"},
        {999999999999999, "999999999999999"},
        {1e15, "1E15"},
        {1.5e20, "1,5E20"},
        {-1.25e-7, "-1,25E-7"},
        {0.0001, "0,0001"},
        {0.00001, "1E-5"},
        {kNaN, "NAN"},
        {kInf, "INF"},
        {-kInf, "-INF"},
    };
    for (const auto& c : cases) EXPECT_EQ(FloatToStr(c.value, AppFormatSettings()), c.expected) << c.value;
    EXPECT_EQ(FloatToStr(1.5e20, DotFormatSettings()), "1.5E20");
}

TEST(FormatSettings, FloatToStrReadsBack) {
    for (double v : {0.1 + 0.2, 1.0 / 3, 2.0 / 3 * 1e-9, 6.02214076e23, -std::numeric_limits<double>::max(),
                     std::numeric_limits<double>::denorm_min(), 123456789012.34567}) {
        double back = 0;
        const std::string text = FloatToStr(v, AppFormatSettings());
        ASSERT_TRUE(TryStrToFloat(text, back, AppFormatSettings())) << text;
        EXPECT_EQ(back, v) << text;
    }
}

TEST(FormatSettings, TryStrToFloat) {
    struct Case {
        std::string text;
        bool ok;
        double value;
    };
    const std::vector<Case> cases = {
        {"1,5", true, 1.5},  {"  -2,25\t", true, -2.25}, {"+3", true, 3},      {",5", true, 0.5},
        {"7,", true, 7},     {"1,5E3", true, 1500},      {"1e-2", true, 0.01}, {"2E+2", true, 200},
        {"", false, 0},      {"   ", false, 0},          {"1.5", false, 0},  // the other separator
        {"1,5x", false, 0},  {"1,5,", false, 0},         {"1 5", false, 0},    {",", false, 0},
        {"-", false, 0},     {"1e", false, 0},           {"1e+", false, 0},    {"e5", false, 0},
        {"--1", false, 0},   {"inf", false, 0},          {"nan", false, 0},    {"0x10", false, 0},
        {"1e400", false, 0},
    };
    for (const auto& c : cases) {
        double v = -99;
        EXPECT_EQ(TryStrToFloat(c.text, v, AppFormatSettings()), c.ok) << c.text;
        EXPECT_EQ(v, c.ok ? c.value : -99) << c.text;
    }
    double v = 0;
    EXPECT_TRUE(TryStrToFloat("1.5", v, DotFormatSettings()));
    EXPECT_EQ(v, 1.5);
    EXPECT_FALSE(TryStrToFloat("1,5", v, DotFormatSettings()));
}

TEST(FormatSettings, IntToStr) {
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-42), "-42");
    EXPECT_EQ(IntToStr(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
}

TEST(FormatSettings, TryStrToInt) {
    struct Case {
        std::string text;
        bool ok;
        int64_t value;
    };
    const std::vector<Case> cases = {
        {"0", true, 0},
        {" 123 ", true, 123},
        {"-17", true, -17},
        {"+5", true, 5},
        {"$FF", true, 255},
        {"0xff", true, 255},
        {"0X1A", true, 26},
        {"-$10", true, -16},
        {"9223372036854775807", true, std::numeric_limits<int64_t>::max()},
        {"-9223372036854775808", true, std::numeric_limits<int64_t>::min()},
        {"9223372036854775808", false, 0},
        {"-9223372036854775809", false, 0},
        {"$8000000000000000", false, 0},
        {"99999999999999999999999", false, 0},
        {"", false, 0},
        {"$", false, 0},
        {"0x", false, 0},
        {"$-1", false, 0},
        {"+-1", false, 0},
        {"12a", false, 0},
        {"1.0", false, 0},
        {"$FG", false, 0},
    };
    for (const auto& c : cases) {
        int64_t v = -99;
        EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
        EXPECT_EQ(v, c.ok ? c.value : -99) << c.text;
    }
    EXPECT_EQ(StrToIntDef("12", 7), 12);
    EXPECT_EQ(StrToIntDef("x", 7), 7);
}

TEST(FormatSettings, Rounding) {
    struct Case {
        double value;
        double rounded;
    };
    const std::vector<Case> cases = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {-0.5, -0.0}, {-1.5, -2}, {-2.5, -2}, {2.4999, 2}, {2.5001, 3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RoundHalfEven(c.value), c.rounded) << c.value;
        int64_t r = 0;
        ASSERT_TRUE(TryRoundToInt64(c.value, r));
        EXPECT_EQ(r, static_cast<int64_t>(c.rounded));
    }
}

TEST(FormatSettings, TryRoundToInt64Limits) {
    int64_t r = 5;
    EXPECT_FALSE(TryRoundToInt64(kNaN, r));
    EXPECT_FALSE(TryRoundToInt64(kInf, r));
    EXPECT_FALSE(TryRoundToInt64(-kInf, r));
    EXPECT_FALSE(TryRoundToInt64(9223372036854775808.0, r));
    EXPECT_FALSE(TryRoundToInt64(-9223372036854777856.0, r));
    EXPECT_EQ(r, 5);
    ASSERT_TRUE(TryRoundToInt64(-9223372036854775808.0, r));
    EXPECT_EQ(r, std::numeric_limits<int64_t>::min());
    ASSERT_TRUE(TryRoundToInt64(9223372036854774784.0, r));
    EXPECT_EQ(r, 9223372036854774784);
}
