#include "chart/Extgraph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace chart;

TEST(Extgraph, MillimetresAndPixels) {
    EXPECT_EQ(MMToPixels(96, 25.4L), 96.0L);
    EXPECT_EQ(PixelsToMM(96, 96), 25.4L);
    EXPECT_NEAR(static_cast<double>(MMToPixels(600, 10)), 236.2204724409, 1e-9);  // not rounded
    EXPECT_NEAR(static_cast<double>(PixelsToMM(300, MMToPixels(300, 17.3L))), 17.3, 1e-15);
}

TEST(Extgraph, ValueToLength) {
    EXPECT_DOUBLE_EQ(static_cast<double>(ValueToLength(5, 2, 10)), 25.0);
}

TEST(Extgraph, AutoScalePercent) {
    struct Case {
        int32_t width;
        int32_t ppi;
        long double division;
        long double perDivision;
        long double minimum;
        long double maximum;
        double percent;
    };
    // 960 pixels at 96 ppi are 254 mm: 25.4 divisions of 10 mm.
    const std::vector<Case> cases = {
        {960, 96, 10, 1, 0, 25.4L, 100}, {960, 96, 10, 1, 0, 12.7L, 200},
        {960, 96, 10, 2, 5, 30.4L, 200}, {960, 96, 10, 1, 3, 3, 100},  // minimum = maximum
        {0, 96, 10, 1, 0, 1, 100},       {960, 0, 10, 1, 0, 1, 100},
        {960, 96, 0, 1, 0, 1, 100},      {960, 96, 10, 0, 0, 1, 100},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(static_cast<double>(
                        AutoScalePercent(c.width, c.ppi, c.division, c.perDivision, c.minimum, c.maximum)),
                    c.percent, 1e-12)
            << c.width << " " << c.ppi << " " << static_cast<double>(c.maximum);
}

TEST(Extgraph, IsGridValue) {
    struct Case {
        long double value;
        long double step;
        bool grid;
    };
    const std::vector<Case> cases = {
        {2.005L, 1, true},  {2.02L, 1, false},   {-2.005L, 1, true}, {1.995L, 1, true},
        {0.6L, 0.2L, true}, {0.5L, 0.2L, false}, {2.5L, 1, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsGridValue(c.value, c.step), c.grid)
            << static_cast<double>(c.value) << " / " << static_cast<double>(c.step);
}

TEST(Extgraph, FirstGridValue) {
    struct Case {
        double start;
        double step;
        double first;
    };
    // The starts and steps are the doubles the chart holds.
    const std::vector<Case> cases = {
        {0.3, 0.2, 0.4},   {0.25, 0.2, 0.4}, {0.4, 0.2, 0.4},   {0.0, 0.2, 0.0},
        {-0.3, 0.2, -0.2}, {2.5, 1.0, 3.0},  {-2.5, 1.0, -2.0}, {7.0, 5.0, 10.0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(static_cast<double>(FirstGridValue(c.start, c.step)), c.first, 1e-15)
            << c.start << " " << c.step;
}

TEST(Extgraph, NextGridValue) {
    EXPECT_NEAR(static_cast<double>(NextGridValue(4, 1, 2)), 2.2, 1e-15);
    EXPECT_EQ(NextGridValue(0, 1, 2), 3.0L);
}

TEST(Extgraph, FormatGridLabelKeepsEveryDigit) {
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    const long double inf = std::numeric_limits<long double>::infinity();
    const std::vector<std::pair<long double, std::string>> cases = {
        {12345, "12345"},
        {-1234, "-1234"},
        {999, "999"},
        {0, "0"},
        {2.5L, "2"},
        {3.5L, "4"},
        {-2.5L, "-2"},
        {0.4L, "0"},
        {-0.4L, "0"},
        {9.6L, "10"},
        {1e20L, "100000000000000000000"},
        {-1e25L, "-10000000000000000000000000"},
        {nan, ""},
        {inf, ""},
        {-inf, ""},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(FormatGridLabel(3, value), text) << static_cast<double>(value);
    const std::string huge = FormatGridLabel(3, std::numeric_limits<long double>::max());
    EXPECT_EQ(huge.size(), 4933u);
    EXPECT_EQ(huge.substr(0, 5), "11897");
}

}  // namespace
