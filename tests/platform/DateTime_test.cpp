#include "platform/DateTime.h"

#include <gtest/gtest.h>
#include <time.h>

#include <cmath>
#include <limits>

#include "platform/Exception.h"

using namespace platform;

namespace {

struct Civil {
    int y, m, d;
};

TDateTimeParts Parts(int y, int mo, int d, int h, int mi, int s, int ms) {
    return {y, mo, d, h, mi, s, ms};
}

void ExpectParts(const TDateTimeParts& a, const TDateTimeParts& b, double value) {
    EXPECT_EQ(std::vector<int>({a.Year, a.Month, a.Day, a.Hour, a.Minute, a.Second, a.MSec}),
              std::vector<int>({b.Year, b.Month, b.Day, b.Hour, b.Minute, b.Second, b.MSec}))
        << std::to_string(value);
}

}  // namespace

TEST(DateTime, EncodeDateKnownDays) {
    struct Case {
        Civil date;
        double day;
    };
    const std::vector<Case> cases = {
        {{1899, 12, 30}, 0},       {{1899, 12, 31}, 1},    {{1900, 1, 1}, 2},     {{1900, 3, 1}, 61},
        {{2000, 1, 1}, 36526},     {{2000, 2, 29}, 36585}, {{2024, 1, 1}, 45292}, {{1, 1, 1}, -693593},
        {{9999, 12, 31}, 2958465}, {{1899, 12, 29}, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeDate(c.date.y, c.date.m, c.date.d), c.day)
            << c.date.y << "-" << c.date.m << "-" << c.date.d;
        int y, m, d;
        DecodeDate(c.day, y, m, d);
        EXPECT_EQ(std::vector<int>({y, m, d}), std::vector<int>({c.date.y, c.date.m, c.date.d})) << c.day;
    }
}

TEST(DateTime, EncodeRejectsFieldsOutOfRange) {
    const std::vector<Civil> badDates = {{0, 1, 1},     {10000, 1, 1}, {2023, 0, 1},
                                         {2023, 13, 1}, {2023, 1, 0},  {2023, 1, 32},
                                         {1900, 2, 29}, {2023, 2, 29}, {2023, 4, 31}};
    for (const auto& c : badDates) {
        TDateTime v = 7;
        EXPECT_FALSE(TryEncodeDate(c.y, c.m, c.d, v)) << c.y << "-" << c.m << "-" << c.d;
        EXPECT_EQ(v, 7);
        EXPECT_THROW(EncodeDate(c.y, c.m, c.d), EConvertError);
    }
    struct Time {
        int h, m, s, ms;
    };
    for (const auto& t :
         std::vector<Time>{{24, 0, 0, 0}, {-1, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}}) {
        TDateTime v = 7;
        EXPECT_FALSE(TryEncodeTime(t.h, t.m, t.s, t.ms, v));
        EXPECT_THROW(EncodeTime(t.h, t.m, t.s, t.ms), EConvertError);
    }
    EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
}

TEST(DateTime, EveryDateRoundTrips) {
    for (int y = 1; y <= 9999; y += 7) {
        for (int m = 1; m <= 12; ++m) {
            for (int d : {1, 15, 28}) {
                int yy, mm, dd;
                DecodeDate(EncodeDate(y, m, d), yy, mm, dd);
                ASSERT_EQ(std::vector<int>({yy, mm, dd}), std::vector<int>({y, m, d}));
            }
        }
    }
}

TEST(DateTime, DecodeRoundsToTheMillisecond) {
    const double newYear = EncodeDate(2024, 1, 1);
    struct Case {
        double value;
        TDateTimeParts parts;
    };
    const std::vector<Case> cases = {
        {newYear + EncodeTime(13, 45, 30, 250), Parts(2024, 1, 1, 13, 45, 30, 250)},
        {newYear - 0.4 / 86400000, Parts(2024, 1, 1, 0, 0, 0, 0)},  // carried into the next day
        {newYear - 0.6 / 86400000, Parts(2023, 12, 31, 23, 59, 59, 999)},
        {newYear - 1.6 / 86400000, Parts(2023, 12, 31, 23, 59, 59, 998)},
        {-1.25, Parts(1899, 12, 29, 6, 0, 0, 0)},  // day towards zero, time absolute
        {-0.5, Parts(1899, 12, 30, 12, 0, 0, 0)},
        {-1 - (1 - 0.4 / 86400000), Parts(1899, 12, 30, 0, 0, 0, 0)},
        {EncodeDate(9999, 12, 31) + (1 - 0.1 / 86400000), Parts(9999, 12, 31, 23, 59, 59, 999)},
        {std::numeric_limits<double>::quiet_NaN(), TDateTimeParts{}},
        {1e300, TDateTimeParts{}},
        {-700000, TDateTimeParts{}},
    };
    for (const auto& c : cases) ExpectParts(DecodeDateTime(c.value), c.parts, c.value);
}

TEST(DateTime, Format) {
    const double v = EncodeDate(2024, 3, 5) + EncodeTime(7, 8, 9, 45);
    TFormatSettings fs = AppFormatSettings();
    fs.DateSeparator = '.';
    fs.TimeSeparator = '-';
    struct Case {
        std::string format, expected;
    };
    const std::vector<Case> cases = {
        {"yyyy-mm-dd", "2024-03-05"},
        {"yy/m/d", "24.3.5"},
        {"dd/mm/yyyy hh:nn:ss", "05.03.2024 07-08-09"},
        {"h:n:s.zzz", "7-8-9.045"},
        {"hh:mm", "07-08"},  // minutes after hours
        {"h mm", "7 08"},
        {"mm hh mm dd mm", "03 07 08 05 03"},
        {"ss.z", "09.45"},
        {"YYYY-MM-DD HH:NN", "2024-03-05 07-08"},
        {"'hh' \"mm\" hh", "hh mm 07"},
        {"'open", "open"},
        {"x!", "x!"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.format, v, fs), c.expected) << c.format;
    EXPECT_EQ(DateToStr(v, AppFormatSettings()), "2024-03-05");
    EXPECT_EQ(TimeToStr(v, AppFormatSettings()), "07:08:09");
    EXPECT_EQ(DateToStr(EncodeDate(987, 6, 1), AppFormatSettings()), "0987-06-01");
}

TEST(DateTime, NowIsLocalTime) {
    const time_t before = ::time(nullptr);
    const TDateTime now = Now();
    tm local{};
    ::localtime_r(&before, &local);
    const double expected = EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
                            EncodeTime(local.tm_hour, local.tm_min, local.tm_sec, 0);
    EXPECT_GE(now, expected - 1e-9);
    EXPECT_LT(now, expected + 5.0 / 86400);
}
