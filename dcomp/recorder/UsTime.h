#pragma once
// A calendar time with microseconds: the first-sample and trigger times of a recording,
// which a day-number date-time cannot hold exactly.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Clock.h"

namespace dcomp {

double MicrosecondsToDays(double microseconds);
double DaysToMicroseconds(double days);

class TUsTime {
public:
    uint16_t Year = 0;
    uint16_t Month = 0;
    uint16_t Day = 0;
    uint16_t Hour = 0;
    uint16_t Minute = 0;
    uint16_t Second = 0;
    int32_t Microsecond = 0;  // 0..999,999
    bool DateValid = false;
    bool TimeValid = false;

    // Pieces split at '-', '.', '/' and ':'; day, month, year. Revisions 0 and 1 read a
    // first piece of at most 12 as the month. platform::EConvertError
    // "<text> is not valid date" on failure (DateValid false).
    void ParseDate(std::string_view text, int revision);
    // "hh:mm:ss.ffffff" with an optional " AM"/" PM"; the fraction is decimal digits of a
    // second (".5" is 500,000 µs, digits past the sixth dropped). platform::EConvertError
    // "<text> is not valid Time" on failure (TimeValid false).
    void ParseTime(std::string_view text, int revision);

    platform::TDateTime ToDateTime() const;
    // Rounded to the nearest microsecond.
    void FromDateTime(platform::TDateTime value);
    void Assign(const TUsTime& other) { *this = other; }
    // Exact: carries through seconds up to years; Microsecond stays 0..999,999.
    // platform::EConvertError when the result leaves years 1..9999.
    void AddMicroseconds(int64_t count);
    // "dd/mm/yyyy,hh:mm:ss.ffffff"
    std::string FormatCfg() const;
};

}  // namespace dcomp
