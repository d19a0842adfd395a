#pragma once
// The recording units' text form of a point in time with microseconds,
// "dd/mm/yyyy,hh:mm:ss.zzzzzz": a tolerant parser that says why a text is no date-time,
// a formatter that rounds to the microsecond, and the dictionary texts of time units.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "platform/FormatSettings.h"

namespace dcomp {

// Selectors 0 and 1 read a date whose first number is at most 12 month first; every
// other selector (the callers pass 2007) reads day first. The selector does not change
// the written form.
// The value, or platform::Exception "CmtrStrToDateTime: " + the reason.
platform::TDateTime CmtrStrToDateTime(std::string_view text, int selector);
// Never raises: false with the reason, value 0.
bool TryCmtrStrToDateTime(std::string_view text, platform::TDateTime& value, std::string& reason,
                          int selector);
// Rounded to the microsecond (halves to even); a time that rounds to 24:00 is the next
// day's 00:00. A value outside years 1-9999, or NaN, is written as day 0.
std::string CmtrDateTimeToStr(int selector, platform::TDateTime value);

// A parsed date-time; USec the whole microseconds within the second.
struct TCmtrDateTimeParts {
    uint16_t Year = 0, Month = 0, Day = 0;
    uint16_t Hour = 0, Minute = 0, Second = 0;
    int32_t USec = 0;
};

double CmtrDaysToMSecs(double days);
// The value with its fraction of a second removed; 0 stays 0.
platform::TDateTime CmtrDateTimeWithoutMSecs(platform::TDateTime value);
// "dd/mm/yyyy" and "hh:mm:ss.zzzzzz" of the value rounded to the microsecond.
std::string CmtrDateToStr(platform::TDateTime value);
std::string CmtrTimeToStr(platform::TDateTime value);
// platform::Exception "invalid cmtr date" / "invalid cmtr time" for fields out of range.
platform::TDateTime CmtrPartsToDate(const TCmtrDateTimeParts& parts);
platform::TDateTime CmtrPartsToTime(const TCmtrDateTimeParts& parts);
platform::TDateTime CmtrPartsToDateTime(const TCmtrDateTimeParts& parts);

// "," decimal, "/" date and ":" time separators, "dd/mm/yyyy", "HH:mm:ss"; between the
// unit's initialisation and finalisation, platform::Exception outside them.
const platform::TFormatSettings& CmtrFormatSettings();

// The keys of the dictionary group "OvBase", in registration order.
enum class TOvBaseText {
    YEAR,
    YEAR_SHORT,
    MONTH,
    MONTH_SHORT,
    WEEK,
    WEEK_SHORT,
    DAY,
    DAY_SHORT,
    HOUR,
    HOUR_SHORT,
    MINUTE,
    MINUTE_SHORT,
    SECOND,
    SECOND_SHORT,
    MSEC,
    MSEC_SHORT,
    USEC,
    USEC_SHORT,
    NSEC,
    NSEC_SHORT,
    YEARS,
    YEARS_SHORT,
    MONTHS,
    MONTHS_SHORT,
    WEEKS,
    WEEKS_SHORT,
    DAYS,
    DAYS_SHORT,
    HOURS,
    HOURS_SHORT,
    MINUTES,
    MINUTES_SHORT,
    SECONDS,
    SECONDS_SHORT,
    MSECS,
    MSECS_SHORT,
    USECS,
    USECS_SHORT,
    NSECS,
    NSECS_SHORT,
    YEARS_GENIT,
    YEARS_GENIT_SHORT,
    MONTHS_GENIT,
    MONTHS_GENIT_SHORT,
    WEEKS_GENIT,
    WEEKS_GENIT_SHORT,
    DAYS_GENIT,
    DAYS_GENIT_SHORT,
    HOURS_GENIT,
    HOURS_GENIT_SHORT,
    MINUTES_GENIT,
    MINUTES_GENIT_SHORT,
    SECONDS_GENIT,
    SECONDS_GENIT_SHORT,
    MSECS_GENIT,
    MSECS_GENIT_SHORT,
    USECS_GENIT,
    USECS_GENIT_SHORT,
    NSECS_GENIT,
    NSECS_GENIT_SHORT,
    TXT_SAMP_TYPE_ANALOG,
    TXT_SAMP_TYPE_DIGITAL,
    TXT_NO_BYTES,
    TXT_1000_s,
    TXT_1001_s,
};
inline constexpr size_t kOvBaseTextCount = static_cast<size_t>(TOvBaseText::TXT_1001_s) + 1;

// The text as last fetched.
const std::string& OvBaseText(TOvBaseText key);
// Fetches every text again from the dictionary, unless the group's language is not
// empty and the same as at the last fetch.
void FetchOvBaseTexts();
// The language of the last fetch.
const std::string& OvBaseTextsLanguage();

class TXLangGroup;
// The unit's group; none outside the unit's initialisation and finalisation.
TXLangGroup* OvBaseGroup();

void InitOvBase();
void FinalizeOvBase();

}  // namespace dcomp
