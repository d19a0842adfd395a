#include "dcomp/recorder/UsTime.h"

#include <gtest/gtest.h>

#include "platform/DateTime.h"
#include "platform/Exception.h"

namespace {

using dcomp::TUsTime;

TUsTime Make(int year, int month, int day, int hour, int minute, int second, int microsecond) {
    TUsTime t;
    t.Year = static_cast<uint16_t>(year);
    t.Month = static_cast<uint16_t>(month);
    t.Day = static_cast<uint16_t>(day);
    t.Hour = static_cast<uint16_t>(hour);
    t.Minute = static_cast<uint16_t>(minute);
    t.Second = static_cast<uint16_t>(second);
    t.Microsecond = microsecond;
    return t;
}

TEST(UsTime, ParseDate) {
    const struct {
        const char* text;
        int revision;
        int year, month, day;  // year 0: the parse fails
    } cases[] = {
        {"05/01/20", 0, 2020, 5, 1},        // the 1991 layout writes the month first
        {"05/01/20", 1, 2020, 5, 1},        //
        {"05/01/20", 1999, 2020, 1, 5},     // day first
        {"13/01/1999", 0, 1999, 1, 13},     // 13 is no month
        {"02/12/11", 0, 2011, 2, 12},       //
        {"12/01/2011", 2013, 2011, 1, 12},  //
        {"01/01/50", 1999, 2050, 1, 1},     //
        {"01/01/51", 1999, 1951, 1, 1},     //
        {"01/01/0050", 1999, 50, 1, 1},     // four characters: the year as written
        {"05-01-2020", 1999, 2020, 1, 5},   //
        {"05.01.2020", 1999, 2020, 1, 5},   //
        {"29/02/2020", 1999, 2020, 2, 29},  //
        {"29/02/2019", 1999, 0, 0, 0},      // no such day
        {"31/04/2020", 1999, 0, 0, 0},      //
        {"05/13/2020", 1999, 0, 0, 0},      //
        {"05/01/70000", 1999, 0, 0, 0},     // beyond 16 bits: no wrap to 4464
        {"05/01/0000", 1999, 0, 0, 0},      //
        {"05/01/10000", 1999, 0, 0, 0},     //
        {"05/01", 1999, 0, 0, 0},           // a piece missing
        {" 5/01/2020", 1999, 0, 0, 0},      // pieces are not trimmed
        {"05/x1/2020", 1999, 0, 0, 0},      //
        {"", 1999, 0, 0, 0},                //
    };
    for (const auto& c : cases) {
        TUsTime t;
        if (c.year == 0) {
            try {
                t.ParseDate(c.text, c.revision);
                ADD_FAILURE() << c.text << " parsed";
            } catch (const platform::EConvertError& e) {
                EXPECT_EQ(e.Message(), std::string(c.text) + " is not valid date");
            }
            EXPECT_FALSE(t.DateValid) << c.text;
            continue;
        }
        EXPECT_NO_THROW(t.ParseDate(c.text, c.revision)) << c.text;
        EXPECT_TRUE(t.DateValid) << c.text;
        EXPECT_EQ(t.Year, c.year) << c.text << " rev " << c.revision;
        EXPECT_EQ(t.Month, c.month) << c.text << " rev " << c.revision;
        EXPECT_EQ(t.Day, c.day) << c.text << " rev " << c.revision;
    }
}

TEST(UsTime, ParseTime) {
    const struct {
        const char* text;
        int hour, minute, second, microsecond;  // hour -1: the parse fails
    } cases[] = {
        {"10:20:30.5", 10, 20, 30, 500'000},          // decimal digits of a second
        {"10:20:30.075", 10, 20, 30, 75'000},         //
        {"10:20:30.000007", 10, 20, 30, 7},           //
        {"10:20:30.1234567", 10, 20, 30, 123'456},    // the seventh digit dropped
        {"05:55:30.075011", 5, 55, 30, 75'011},       //
        {" 10: 20 :30.5", 10, 20, 30, 500'000},       // hour, minute and second trimmed
        {"01:02:03.123456 PM", 13, 2, 3, 123'456},    //
        {"12:00:00.0 PM", 12, 0, 0, 0},               // noon
        {"12:30:00.0 AM", 0, 30, 0, 0},               // half past midnight
        {"11:59:59.999999 AM", 11, 59, 59, 999'999},  //
        {"23:59:59.999999", 23, 59, 59, 999'999},     //
        {"10:20:30", -1, 0, 0, 0},                    // no fraction
        {"24:00:00.0", -1, 0, 0, 0},                  //
        {"10:60:00.0", -1, 0, 0, 0},                  //
        {"10:00:60.0", -1, 0, 0, 0},                  //
        {"65546:00:00.0", -1, 0, 0, 0},               // beyond 16 bits: no wrap to 10
        {"13:00:00.0 PM", -1, 0, 0, 0},               //
        {"10:20:30.-5", -1, 0, 0, 0},                 //
        {"10:20:30.5x", -1, 0, 0, 0},                 //
        {"10:x:30.5", -1, 0, 0, 0},                   //
        {"", -1, 0, 0, 0},                            //
    };
    for (const auto& c : cases) {
        TUsTime t;
        if (c.hour < 0) {
            try {
                t.ParseTime(c.text, 1999);
                ADD_FAILURE() << c.text << " parsed";
            } catch (const platform::EConvertError& e) {
                EXPECT_EQ(e.Message(), std::string(c.text) + " is not valid Time");
            }
            EXPECT_FALSE(t.TimeValid) << c.text;
            continue;
        }
        EXPECT_NO_THROW(t.ParseTime(c.text, 0)) << c.text;
        EXPECT_TRUE(t.TimeValid) << c.text;
        EXPECT_EQ(t.Hour, c.hour) << c.text;
        EXPECT_EQ(t.Minute, c.minute) << c.text;
        EXPECT_EQ(t.Second, c.second) << c.text;
        EXPECT_EQ(t.Microsecond, c.microsecond) << c.text;
    }
}

TEST(UsTime, FormatCfgWritesSixDigitsThatReadBack) {
    EXPECT_EQ(Make(2020, 1, 5, 10, 20, 30, 7).FormatCfg(), "05/01/2020,10:20:30.000007");
    EXPECT_EQ(Make(812, 12, 31, 0, 0, 0, 999'999).FormatCfg(), "31/12/0812,00:00:00.999999");
    const TUsTime t = Make(2011, 2, 12, 11, 41, 11, 81'315);
    const std::string text = t.FormatCfg();
    TUsTime back;
    back.ParseDate(text.substr(0, 10), 1999);
    back.ParseTime(text.substr(11), 1999);
    EXPECT_EQ(back.FormatCfg(), text);
}

TEST(UsTime, AddMicrosecondsCarriesExactly) {
    const struct {
        TUsTime start;
        int64_t count;
        const char* result;
    } cases[] = {
        {Make(2019, 12, 31, 23, 59, 59, 999'999), 1, "01/01/2020,00:00:00.000000"},
        {Make(2020, 1, 1, 0, 0, 0, 0), -1, "31/12/2019,23:59:59.999999"},
        {Make(2020, 2, 28, 23, 59, 59, 500'000), 500'000, "29/02/2020,00:00:00.000000"},
        {Make(2020, 2, 29, 12, 0, 0, 0), 86'400'000'000, "01/03/2020,12:00:00.000000"},
        {Make(2021, 1, 31, 23, 0, 0, 0), 3'600'000'000, "01/02/2021,00:00:00.000000"},
        {Make(2021, 3, 1, 0, 0, 0, 1), -2, "28/02/2021,23:59:59.999999"},
        {Make(2020, 1, 5, 10, 20, 30, 999'500), 999, "05/01/2020,10:20:31.000499"},
        {Make(2020, 1, 5, 10, 20, 30, 500), -1'000'999, "05/01/2020,10:20:28.999501"},
        {Make(2020, 6, 15, 0, 0, 0, 0), int64_t{366} * 86'400'000'000, "16/06/2021,00:00:00.000000"},
    };
    for (const auto& c : cases) {
        TUsTime t = c.start;
        t.AddMicroseconds(c.count);
        EXPECT_EQ(t.FormatCfg(), c.result) << c.start.FormatCfg() << " + " << c.count;
        EXPECT_GE(t.Microsecond, 0);
        EXPECT_LE(t.Microsecond, 999'999);
    }
}

TEST(UsTime, AddingZeroChangesNothing) {
    TUsTime t = Make(2020, 1, 5, 10, 20, 30, 1'500'000);
    t.AddMicroseconds(0);
    EXPECT_EQ(t.Microsecond, 1'500'000);
}

TEST(UsTime, AddingPastTheCalendarFailsAndKeepsTheTime) {
    TUsTime t = Make(9999, 12, 31, 23, 59, 59, 999'999);
    EXPECT_THROW(t.AddMicroseconds(1), platform::EConvertError);
    EXPECT_EQ(t.FormatCfg(), "31/12/9999,23:59:59.999999");
    TUsTime early = Make(1, 1, 1, 0, 0, 0, 0);
    EXPECT_THROW(early.AddMicroseconds(INT64_MIN), platform::EConvertError);
    EXPECT_EQ(early.Year, 1);
}

TEST(UsTime, DateTimeConversionsKeepEveryMicrosecond) {
    for (int us : {0, 1, 7, 499'999, 500'000, 999'999, 123'456}) {
        const TUsTime t = Make(2014, 12, 4, 7, 1, 48, us);
        TUsTime back;
        back.FromDateTime(t.ToDateTime());
        EXPECT_EQ(back.FormatCfg(), t.FormatCfg());
    }
    // Rounded to the nearest microsecond, not truncated.
    TUsTime t;
    t.FromDateTime(platform::EncodeDate(2020, 1, 5) + (10 * 3600.0 + 20 * 60 + 30) / 86400.0 +
                   dcomp::MicrosecondsToDays(6.9));
    EXPECT_EQ(t.FormatCfg(), "05/01/2020,10:20:30.000007");
    EXPECT_DOUBLE_EQ(dcomp::DaysToMicroseconds(1), 86'400'000'000.0);
    EXPECT_THROW(t.FromDateTime(std::numeric_limits<double>::quiet_NaN()), platform::EConvertError);
}

}  // namespace
