#pragma once
// Date-times as day numbers: whole days since 1899-12-30, the fraction the time of day.
#include <string>
#include <string_view>

#include "platform/Clock.h"
#include "platform/FormatSettings.h"

namespace platform {

bool TryEncodeDate(int year, int month, int day, TDateTime& out);
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& out);
// Throw EConvertError on a field out of range.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);

struct TDateTimeParts {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, MSec = 0;
};
// Rounded to the nearest millisecond first, so 23:59:59.9996 becomes the next day 00:00:00.000.
TDateTimeParts DecodeDateTime(TDateTime value);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec);

// Format letters: yyyy yy mm m dd d hh h nn n ss s zzz z; "/" the date separator,
// ":" the time separator; text in '...' or "..." literal; other characters as they are.
std::string FormatDateTime(std::string_view format, TDateTime value, const TFormatSettings& fs);
std::string DateToStr(TDateTime value, const TFormatSettings& fs);  // ShortDateFormat
std::string TimeToStr(TDateTime value, const TFormatSettings& fs);  // LongTimeFormat

// The current clock's time.
TDateTime Now();

}  // namespace platform
