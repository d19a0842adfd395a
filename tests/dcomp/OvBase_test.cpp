#include "dcomp/OvBase.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "dcomp/LangUnit.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "tests/dcomp/DcompTest.h"

using namespace dcomp;
using dcomp_test::TUnitsTest;

namespace {

constexpr int64_t kUsPerDay = 86'400'000'000;

int64_t Us(int64_t hour, int64_t minute, int64_t second, int64_t usec) {
    return ((hour * 60 + minute) * 60 + second) * 1'000'000 + usec;
}

// The day number of the date with the time of day, away from zero before the origin.
double Value(int year, int month, int day, int64_t usOfDay) {
    const double date = platform::EncodeDate(year, month, day);
    const double time = static_cast<double>(usOfDay) / static_cast<double>(kUsPerDay);
    return date < 0 ? date - time : date + time;
}

void Append(std::string& out, int value, int width) {
    char buf[16];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(static_cast<size_t>(std::max(0, width - static_cast<int>(r.ptr - buf))), '0');
    out.append(buf, r.ptr);
}

using OvBaseTest = TUnitsTest;

struct TParseCase {
    std::string text;
    int selector;
    int year, month, day;
    int64_t usOfDay;
    std::string reason;  // empty when the text is valid
};

}  // namespace

TEST_F(OvBaseTest, CmtrStrToDateTimeTable) {
    const std::string missingComma = "missing comma, expected input format: dd/mm/yyyy,hh:mm:ss.zzzzzz";
    const TParseCase cases[] = {
        {"15/03/2024,13:45:30.123456", 2007, 2024, 3, 15, Us(13, 45, 30, 123456), ""},
        {"15/03/24,13:45:30", 2007, 2024, 3, 15, Us(13, 45, 30, 0), ""},
        {"15/03/60,13:45:30", 2007, 1960, 3, 15, Us(13, 45, 30, 0), ""},
        {"15/03/50,00:00", 2007, 2050, 3, 15, 0, ""},
        {"15/03/51,00:00", 2007, 1951, 3, 15, 0, ""},
        {"15/03/024,12:00", 2007, 2024, 3, 15, Us(12, 0, 0, 0), ""},  // fewer than 4 characters
        {"15/03/124,12:00", 2007, 2024, 3, 15, Us(12, 0, 0, 0), ""},
        {"15/03/0024,12:00", 2007, 24, 3, 15, Us(12, 0, 0, 0), ""},
        {"1/3/5,12:00", 2007, 2005, 3, 1, Us(12, 0, 0, 0), ""},
        {"15-03-2024,10:00", 2007, 2024, 3, 15, Us(10, 0, 0, 0), ""},
        {"15.03.2024,10:00", 2007, 2024, 3, 15, Us(10, 0, 0, 0), ""},
        {"15:03:2024,10:00", 2007, 2024, 3, 15, Us(10, 0, 0, 0), ""},
        {"29/02/2024,10:00", 2007, 2024, 2, 29, Us(10, 0, 0, 0), ""},
        {"01/01/1850,06:00", 2007, 1850, 1, 1, Us(6, 0, 0, 0), ""},
        // Month first for selectors 0 and 1, when the first number can be a month.
        {"03/04/2024,10:00", 0, 2024, 3, 4, Us(10, 0, 0, 0), ""},
        {"03/04/2024,10:00", 1, 2024, 3, 4, Us(10, 0, 0, 0), ""},
        {"03/04/2024,10:00", 2007, 2024, 4, 3, Us(10, 0, 0, 0), ""},
        {"03/04/2024,10:00", 2, 2024, 4, 3, Us(10, 0, 0, 0), ""},
        {"15/03/2024,10:00", 0, 2024, 3, 15, Us(10, 0, 0, 0), ""},
        {"03/15/2024,10:00", 0, 0, 0, 0, 0, "03/15/2024 is not valid date"},
        {"03/15/2024,10:00", 1, 0, 0, 0, 0, "03/15/2024 is not valid date"},
        {"03/15/2024,10:00", 2007, 0, 0, 0, 0, "03/15/2024 is not valid date"},
        {"31/04/2024,10:00", 2007, 0, 0, 0, 0, "31/04/2024 is not valid date"},
        {"29/02/2023,10:00", 2007, 0, 0, 0, 0, "29/02/2023 is not valid date"},
        {"0/03/2024,10:00", 2007, 0, 0, 0, 0, "0/03/2024 is not valid date"},
        {"32/03/2024,10:00", 2007, 0, 0, 0, 0, "32/03/2024 is not valid date"},
        {"15/13/2024,10:00", 2007, 0, 0, 0, 0, "15/13/2024 is not valid date"},
        {"15/03/0000,10:00", 2007, 0, 0, 0, 0, "15/03/0000 is not valid date"},
        {"15/03/10000,10:00", 2007, 0, 0, 0, 0, "15/03/10000 is not valid date"},
        {"15/03,10:00", 2007, 0, 0, 0, 0, "15/03 is not valid date"},
        {"15//2024,10:00", 2007, 0, 0, 0, 0, "15//2024 is not valid date"},
        {"15/03/2024/1,10:00", 2007, 0, 0, 0, 0, "15/03/2024/1 is not valid date"},
        {"aa/03/2024,10:00", 2007, 0, 0, 0, 0, "aa/03/2024 is not valid date"},
        {"15/03/-24,10:00", 2007, 0, 0, 0, 0, "15/03/-24 is not valid date"},
        {"15/03/99999999999,10:00", 2007, 0, 0, 0, 0, "15/03/99999999999 is not valid date"},
        {",10:00", 2007, 0, 0, 0, 0, " is not valid date"},
        {"15/03/2024 13:45:30", 2007, 0, 0, 0, 0, missingComma},
        {"", 2007, 0, 0, 0, 0, missingComma},
        // A bad date is reported before a bad time.
        {"32/03/2024,99:00", 2007, 0, 0, 0, 0, "32/03/2024 is not valid date"},
        // Twelve o'clock: noon after PM, midnight after AM.
        {"15/03/2024,01:30:00 PM", 2007, 2024, 3, 15, Us(13, 30, 0, 0), ""},
        {"15/03/2024,12:30 PM", 2007, 2024, 3, 15, Us(12, 30, 0, 0), ""},
        {"15/03/2024,12:30 AM", 2007, 2024, 3, 15, Us(0, 30, 0, 0), ""},
        {"15/03/2024,11:59 PM", 2007, 2024, 3, 15, Us(23, 59, 0, 0), ""},
        {"15/03/2024,00:15 PM", 2007, 2024, 3, 15, Us(12, 15, 0, 0), ""},
        {"15/03/2024,09:15 AM", 2007, 2024, 3, 15, Us(9, 15, 0, 0), ""},
        {"15/03/2024,13:00 PM", 2007, 2024, 3, 15, Us(13, 0, 0, 0), ""},
        {"15/03/2024,24:00 PM", 2007, 0, 0, 0, 0, "invalid hour 24:00 PM"},
        {"15/03/2024,24:00:00", 2007, 0, 0, 0, 0, "invalid hour 24:00:00"},
        {"15/03/2024,1a:00", 2007, 0, 0, 0, 0, "invalid hour 1a:00"},
        {"15/03/2024,123:00", 2007, 0, 0, 0, 0, "invalid hour 123:00"},
        {"15/03/2024,:30", 2007, 0, 0, 0, 0, "invalid hour :30"},
        {"15/03/2024, 9:05", 2007, 2024, 3, 15, Us(9, 5, 0, 0), ""},
        {"15/03/2024,10", 2007, 0, 0, 0, 0, "10 is not valid Time"},
        {"15/03/2024,", 2007, 0, 0, 0, 0, " is not valid Time"},
        {"15/03/2024,10:60", 2007, 0, 0, 0, 0, "10:60 is not valid Time"},
        {"15/03/2024,10:30:60", 2007, 0, 0, 0, 0, "10:30:60 is not valid Time"},
        {"15/03/2024,10:30:xx", 2007, 0, 0, 0, 0, "10:30:xx is not valid Time"},
        {"15/03/2024,10:30:15.", 2007, 0, 0, 0, 0, "10:30:15. is not valid Time"},
        {"15/03/2024,10:30:15.5e3", 2007, 0, 0, 0, 0, "10:30:15.5e3 is not valid Time"},
        {"15/03/2024,10:30:15.-5", 2007, 0, 0, 0, 0, "10:30:15.-5 is not valid Time"},
        {"15/03/2024,10:30:15.5.1", 2007, 0, 0, 0, 0, "10:30:15.5.1 is not valid Time"},
        {"15/03/2024,10:30:15,5", 2007, 0, 0, 0, 0, "10:30:15,5 is not valid Time"},
        {"15/03/2024,10:30 XM", 2007, 0, 0, 0, 0, "10:30 XM is not valid Time"},
        // Fraction digits: the first six are the microseconds, the rest round them,
        // halves to even, into the seconds and on into the next day.
        {"15/03/2024,10:20:30.5", 2007, 2024, 3, 15, Us(10, 20, 30, 500000), ""},
        {"15/03/2024,10:20:30/000001", 2007, 2024, 3, 15, Us(10, 20, 30, 1), ""},
        {"15/03/2024,10:20:30.1234565", 2007, 2024, 3, 15, Us(10, 20, 30, 123456), ""},
        {"15/03/2024,10:20:30.1234575", 2007, 2024, 3, 15, Us(10, 20, 30, 123458), ""},
        {"15/03/2024,10:20:30.12345650001", 2007, 2024, 3, 15, Us(10, 20, 30, 123457), ""},
        {"15/03/2024,10:20:30.1234564999", 2007, 2024, 3, 15, Us(10, 20, 30, 123456), ""},
        {"15/03/2024,10:20:59.9999999", 2007, 2024, 3, 15, Us(10, 21, 0, 0), ""},
        {"15/03/2024,23:59:59.9999996", 2007, 2024, 3, 16, 0, ""},
        {"15/03/2024,23:59:59.9999995", 2007, 2024, 3, 16, 0, ""},
        {"31/12/2024,23:59:59.9999996", 2007, 2025, 1, 1, 0, ""},
        {"15/03/2024,10:20:30." + std::string(5000, '0') + "1", 2007, 2024, 3, 15, Us(10, 20, 30, 0), ""},
    };
    for (const TParseCase& c : cases) {
        double value = -1;
        std::string reason = "stale";
        const bool ok = TryCmtrStrToDateTime(c.text, value, reason, c.selector);
        EXPECT_EQ(ok, c.reason.empty()) << c.text << " " << c.selector;
        EXPECT_EQ(reason, c.reason) << c.text << " " << c.selector;
        if (c.reason.empty()) {
            EXPECT_EQ(value, Value(c.year, c.month, c.day, c.usOfDay)) << c.text << " " << c.selector;
            EXPECT_EQ(CmtrStrToDateTime(c.text, c.selector), value) << c.text;
        } else {
            EXPECT_EQ(value, 0) << c.text;
            try {
                CmtrStrToDateTime(c.text, c.selector);
                ADD_FAILURE() << "no exception: " << c.text;
            } catch (const platform::Exception& e) {
                EXPECT_EQ(e.Message(), "CmtrStrToDateTime: " + c.reason);
            }
        }
    }
}

TEST_F(OvBaseTest, CmtrDateTimeToStrTable) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::string dayZero = "30/12/1899,00:00:00.000000";
    const struct {
        double value;
        std::string text;
    } cases[] = {
        {Value(2024, 3, 15, Us(13, 45, 30, 123456)), "15/03/2024,13:45:30.123456"},
        // Next to the origin a day number holds tenths of a microsecond.
        {1 + (Us(10, 20, 30, 0) + 999'999.6) / kUsPerDay, "31/12/1899,10:20:31.000000"},
        {1 + (Us(10, 20, 30, 0) + 999'999.4) / kUsPerDay, "31/12/1899,10:20:30.999999"},
        {1 + (Us(23, 59, 59, 0) + 999'999.6) / kUsPerDay, "01/01/1900,00:00:00.000000"},
        {-1 - (Us(23, 59, 59, 0) + 999'999.6) / kUsPerDay, "30/12/1899,00:00:00.000000"},
        {-1 - (Us(23, 59, 59, 0) + 999'999.4) / kUsPerDay, "29/12/1899,23:59:59.999999"},
        {Value(1850, 1, 1, Us(6, 0, 0, 7)), "01/01/1850,06:00:00.000007"},
        {Value(1, 1, 1, Us(12, 0, 0, 0)), "01/01/0001,12:00:00.000000"},
        {Value(9999, 12, 31, Us(12, 0, 0, 0)), "31/12/9999,12:00:00.000000"},
        {std::nextafter(2958466.0, 0.0), "31/12/9999,23:59:59.999960"},
        {std::nextafter(-693594.0, 0.0), "01/01/0001,23:59:59.999990"},
        {0, dayZero},
        {-0.0, dayZero},
        {nan, dayZero},
        {inf, dayZero},
        {-inf, dayZero},
        {1e300, dayZero},
        {-1e300, dayZero},
        {2958466.0, dayZero},  // 10000-01-01
        {-693594.0, dayZero},  // before 0001-01-01
    };
    for (const auto& c : cases) {
        for (int selector : {0, 1, 2007}) EXPECT_EQ(CmtrDateTimeToStr(selector, c.value), c.text) << c.value;
        const size_t comma = c.text.find(',');
        EXPECT_EQ(CmtrDateToStr(c.value), c.text.substr(0, comma));
        EXPECT_EQ(CmtrTimeToStr(c.value), c.text.substr(comma + 1));
    }
}

TEST_F(OvBaseTest, CmtrEndsOfTheCalendar) {
    // A day number there resolves some 40 and 10 microseconds: the last moments of the
    // last and the first day stay on their day instead of rounding onto one outside them.
    const struct {
        std::string text, written;
    } cases[] = {
        {"31/12/9999,23:59:59.999999", "31/12/9999,23:59:59.999960"},
        {"31/12/9999,23:59:59.9999999", "31/12/9999,23:59:59.999960"},
        {"31/12/9999,23:59:59.99998", "31/12/9999,23:59:59.999960"},
        {"31/12/9999,00:00", "31/12/9999,00:00:00.000000"},
        {"01/01/0001,23:59:59.999999", "01/01/0001,23:59:59.999990"},
        {"01/01/0001,00:00", "01/01/0001,00:00:00.000000"},
    };
    for (const auto& c : cases) {
        const double value = CmtrStrToDateTime(c.text, 2007);
        EXPECT_GT(value, -693594.0) << c.text;
        EXPECT_LT(value, 2958466.0) << c.text;
        EXPECT_EQ(CmtrDateTimeToStr(2007, value), c.written) << c.text;
    }
}

TEST_F(OvBaseTest, CmtrTextsComeBackUnchanged) {
    // Up to day 65,535 (June 2079) a day number holds every microsecond.
    std::mt19937_64 random(20240315);
    const double first = platform::EncodeDate(1900, 1, 1);
    const double last = platform::EncodeDate(2078, 12, 31);
    std::uniform_int_distribution<int64_t> days(static_cast<int64_t>(first), static_cast<int64_t>(last));
    std::uniform_int_distribution<int64_t> micros(0, kUsPerDay - 1);
    int failures = 0;
    for (int i = 0; i < 100'000 && failures < 10; ++i) {
        int year = 0, month = 0, day = 0;
        platform::DecodeDate(static_cast<double>(days(random)), year, month, day);
        const int64_t us = micros(random);
        std::string text;
        Append(text, day, 2);
        text += '/';
        Append(text, month, 2);
        text += '/';
        Append(text, year, 4);
        text += ',';
        Append(text, static_cast<int>(us / 3'600'000'000), 2);
        text += ':';
        Append(text, static_cast<int>(us / 60'000'000 % 60), 2);
        text += ':';
        Append(text, static_cast<int>(us / 1'000'000 % 60), 2);
        text += '.';
        Append(text, static_cast<int>(us % 1'000'000), 6);
        const std::string back = CmtrDateTimeToStr(2007, CmtrStrToDateTime(text, 2007));
        if (back != text) {
            ++failures;
            ADD_FAILURE() << text << " came back as " << back;
        }
    }
}

TEST_F(OvBaseTest, CmtrHelpers) {
    EXPECT_EQ(CmtrDaysToMSecs(1.5), 129'600'000.0);
    EXPECT_EQ(CmtrDateTimeWithoutMSecs(Value(2024, 3, 15, Us(10, 20, 30, 500000))),
              Value(2024, 3, 15, Us(10, 20, 30, 0)));
    EXPECT_EQ(CmtrDateTimeWithoutMSecs(Value(1850, 1, 1, Us(6, 0, 1, 999999))),
              Value(1850, 1, 1, Us(6, 0, 1, 0)));
    EXPECT_EQ(CmtrDateTimeWithoutMSecs(0), 0);

    const TCmtrDateTimeParts parts{2024, 3, 15, 13, 45, 30, 123456};
    EXPECT_EQ(CmtrPartsToDate(parts), platform::EncodeDate(2024, 3, 15));
    EXPECT_EQ(CmtrPartsToTime(parts), static_cast<double>(Us(13, 45, 30, 123456)) / kUsPerDay);
    EXPECT_EQ(CmtrPartsToDateTime(parts), CmtrStrToDateTime("15/03/2024,13:45:30.123456", 2007));

    const struct {
        TCmtrDateTimeParts parts;
        std::string message;
    } bad[] = {
        {{2023, 2, 29, 0, 0, 0, 0}, "invalid cmtr date"},
        {{0, 1, 1, 0, 0, 0, 0}, "invalid cmtr date"},
        {{2024, 1, 1, 24, 0, 0, 0}, "invalid cmtr time"},
        {{2024, 1, 1, 0, 60, 0, 0}, "invalid cmtr time"},
        {{2024, 1, 1, 0, 0, 60, 0}, "invalid cmtr time"},
        {{2024, 1, 1, 0, 0, 0, 1'000'000}, "invalid cmtr time"},
        {{2024, 1, 1, 0, 0, 0, -1}, "invalid cmtr time"},
    };
    for (const auto& b : bad) {
        try {
            CmtrPartsToDateTime(b.parts);
            ADD_FAILURE() << b.message;
        } catch (const platform::Exception& e) {
            EXPECT_EQ(e.Message(), b.message);
        }
    }

    const platform::TFormatSettings& fs = CmtrFormatSettings();
    EXPECT_EQ(fs.DecimalSeparator, ',');
    EXPECT_EQ(fs.DateSeparator, '/');
    EXPECT_EQ(fs.TimeSeparator, ':');
    EXPECT_EQ(fs.ShortDateFormat, "dd/mm/yyyy");
    EXPECT_EQ(fs.LongTimeFormat, "HH:mm:ss");
}

TEST_F(OvBaseTest, OvBaseTextsAreFetchedPerLanguage) {
    EXPECT_EQ(OvBaseText(TOvBaseText::YEAR), "rok");
    EXPECT_EQ(OvBaseText(TOvBaseText::MONTHS_GENIT), "miesięcy");
    EXPECT_EQ(OvBaseText(TOvBaseText::TXT_1001_s),
              "Wartość parametru powinna być poprzedzona znakiem \"-\" i nazwą parametru.");

    TXLangItem* year = OvBaseGroup()->FindItem("YEAR");
    ASSERT_NE(year, nullptr);
    const struct {
        const char* language;  // of the dictionary
        const char* text;      // given to the item before fetching
        const char* fetched;   // the unit's text afterwards
    } steps[] = {
        {"", "year", "year"},  // no language: always fetched
        {"EN", "yr", "yr"},    // a new language
        {"EN", "y", "yr"},     // the same one: kept
        {"DE", "Jahr", "Jahr"}, {"", "r", "r"},
    };
    for (const auto& s : steps) {
        Dictionary().SetLanguageCode(s.language);
        year->SetText(s.text);
        FetchOvBaseTexts();
        EXPECT_EQ(OvBaseText(TOvBaseText::YEAR), s.fetched) << s.language << " " << s.text;
        EXPECT_EQ(OvBaseTextsLanguage(), s.language);
    }
}
