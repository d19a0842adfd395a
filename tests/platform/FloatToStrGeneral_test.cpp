#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "platform/FormatSettings.h"

using namespace platform;

namespace {

struct Case {
    double value;
    int precision;
    int expDigits;
    std::string expected;
};

}  // namespace

TEST(FloatToStrGeneral, Table) {
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<Case> cases = {
        {0, 15, 0, "0"},
        {-0.0, 15, 0, "0"},
        {std::nan(""), 15, 0, "NAN"},
        {inf, 15, 0, "INF"},
        {-inf, 15, 0, "-INF"},
        {1, 15, 0, "1"},
        {-2.5, 15, 0, "-2.5"},
        {100, 15, 0, "100"},
        {0.1, 15, 0, "0.1"},
        {0.1 + 0.2, 15, 0, "0.3"},  // 15 digits hide the binary tail
        {1.0 / 3, 15, 0, "0.333333333333333"},
        {2.0 / 3, 15, 0, "0.666666666666667"},
        {123456789012345, 15, 0, "123456789012345"},  // exponent 14: still plain
        {1e15, 15, 0, "1E15"},                        // exponent 15: not below the precision
        {1234567890123456, 15, 0, "1.23456789012346E15"},
        {0.00001, 15, 0, "0.00001"},  // exponent -5 is plain
        {0.000012345, 15, 0, "0.000012345"},
        {0.000001, 15, 0, "1E-6"},
        {-1.5e-7, 15, 0, "-1.5E-7"},
        {1.5e20, 15, 0, "1.5E20"},
        {1.5e20, 15, 4, "1.5E0020"},
        {1.5e-20, 15, 2, "1.5E-20"},
        {1e300, 15, 2, "1E300"},
        {5e-324, 15, 0, "4.94065645841247E-324"},
        {std::numeric_limits<double>::max(), 15, 0, "1.79769313486232E308"},
        // Rounding to the precision asked for, halves to even on the exact binary value.
        {0.125, 2, 0, "0.12"},
        {0.375, 2, 0, "0.38"},
        {2.5, 1, 0, "2"},
        {3.5, 1, 0, "4"},
        {9.96, 2, 0, "10"},
        {99.5, 2, 0, "1E2"},  // rounds up into a new exponent, which is no longer below 2
        {123.456, 4, 0, "123.5"},
        {1234.5, 4, 0, "1234"},
        {12345, 4, 3, "1.234E004"},  // a tie: to even
        {12355, 4, 3, "1.236E004"},
        // Out-of-range arguments are clamped.
        {1.0 / 3, 0, 0, "0.3"},
        {1.0 / 3, 40, 0, "0.333333333333333"},
        {1.5e20, 15, 9, "1.5E0020"},
        {1.5e20, 15, -3, "1.5E20"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FloatToStrGeneral(c.value, c.precision, c.expDigits, DotFormatSettings()), c.expected)
            << c.value << " " << c.precision << " " << c.expDigits;
}

TEST(FloatToStrGeneral, SeparatorFromTheSettings) {
    TFormatSettings comma;
    comma.DecimalSeparator = ',';
    EXPECT_EQ(FloatToStrGeneral(-1.25, 15, 0, comma), "-1,25");
    EXPECT_EQ(FloatToStrGeneral(1.25e-9, 15, 0, comma), "1,25E-9");
    EXPECT_EQ(FloatToStrGeneral(7, 15, 0, comma), "7");
}

TEST(FloatToStrGeneral, ReadsBackWithinItsDigits) {
    // Every text reads back to a value that rounds to the same 15 digits.
    const double values[] = {3.14159265358979, -2.71828182845905e-100, 6.02214076e23, 1e-5,
                             9.999999999999999e14};
    for (double v : values) {
        const std::string text = FloatToStrGeneral(v, 15, 0, DotFormatSettings());
        double back = 0;
        ASSERT_TRUE(TryStrToFloat(text, back, DotFormatSettings())) << text;
        EXPECT_EQ(FloatToStrGeneral(back, 15, 0, DotFormatSettings()), text);
        EXPECT_NEAR(back, v, std::fabs(v) * 1e-14) << text;
    }
}
