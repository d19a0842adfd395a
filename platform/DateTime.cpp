#include "platform/DateTime.h"

#include <time.h>

#include <cmath>
#include <cstdint>

#include "platform/Exception.h"

namespace platform {

namespace {

constexpr int64_t kMsPerDay = 86400000;
// Day number of 1970-01-01, the origin of the civil-day arithmetic below.
constexpr int64_t kUnixEpochDay = 25569;
constexpr int64_t kMinDay = -693593;  // 0001-01-01
constexpr int64_t kMaxDay = 2958465;  // 9999-12-31

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

void AppendNumber(std::string& out, int value, int width) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width) out.append(static_cast<size_t>(width) - digits.size(), '0');
    out += digits;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool TryEncodeDate(int year, int month, int day, TDateTime& out) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    out = static_cast<double>(DaysFromCivil(year, month, day) + kUnixEpochDay);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& out) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 ||
        msec > 999)
        return false;
    out = static_cast<double>(((hour * 60 + minute) * 60 + second) * 1000 + msec) / kMsPerDay;
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime v = 0;
    if (!TryEncodeDate(year, month, day, v))
        throw EConvertError("Invalid argument to date encode: " + std::to_string(year) + "-" +
                            std::to_string(month) + "-" + std::to_string(day));
    return v;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
    TDateTime v = 0;
    if (!TryEncodeTime(hour, minute, second, msec, v))
        throw EConvertError("Invalid argument to time encode: " + std::to_string(hour) + ":" +
                            std::to_string(minute) + ":" + std::to_string(second) + "." +
                            std::to_string(msec));
    return v;
}

TDateTimeParts DecodeDateTime(TDateTime value) {
    TDateTimeParts p;
    // Values outside years 1..9999 (and NaN) have no date; they decode as day 0.
    if (!(value > kMinDay - 1 && value < kMaxDay + 1)) return p;
    const double whole = std::trunc(value);
    auto day = static_cast<int64_t>(whole);
    auto ms = static_cast<int64_t>(std::nearbyint(std::fabs(value - whole) * kMsPerDay));
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        if (day < kMaxDay)
            ++day;
        else
            ms = kMsPerDay - 1;
    }
    CivilFromDays(day - kUnixEpochDay, p.Year, p.Month, p.Day);
    p.MSec = static_cast<int>(ms % 1000);
    p.Second = static_cast<int>(ms / 1000 % 60);
    p.Minute = static_cast<int>(ms / 60000 % 60);
    p.Hour = static_cast<int>(ms / 3600000);
    return p;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day) {
    const TDateTimeParts p = DecodeDateTime(value);
    year = p.Year, month = p.Month, day = p.Day;
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec) {
    const TDateTimeParts p = DecodeDateTime(value);
    hour = p.Hour, minute = p.Minute, second = p.Second, msec = p.MSec;
}

std::string FormatDateTime(std::string_view format, TDateTime value, const TFormatSettings& fs) {
    const TDateTimeParts p = DecodeDateTime(value);
    std::string out;
    char lastToken = 0;
    size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        const char lc = Lower(c);
        if (c == '\'' || c == '"') {
            const size_t close = format.find(c, i + 1);
            const size_t end = close == std::string_view::npos ? format.size() : close;
            out.append(format.substr(i + 1, end - i - 1));
            i = end == format.size() ? end : end + 1;
            continue;
        }
        if (c == '/') {
            out += fs.DateSeparator;
            ++i;
            continue;
        }
        if (c == ':') {
            out += fs.TimeSeparator;
            ++i;
            continue;
        }
        size_t run = 1;
        while (i + run < format.size() && Lower(format[i + run]) == lc) ++run;
        switch (lc) {
            case 'y':
                if (run <= 2) {
                    AppendNumber(out, p.Year % 100, 2);
                } else {
                    AppendNumber(out, p.Year, 4);
                }
                i += run;
                break;
            case 'z':
                run = run >= 3 ? 3 : 1;
                AppendNumber(out, p.MSec, static_cast<int>(run));
                i += run;
                break;
            case 'm':
            case 'd':
            case 'h':
            case 'n':
            case 's': {
                run = run >= 2 ? 2 : 1;
                int v = 0;
                if (lc == 'm')
                    v = lastToken == 'h' ? p.Minute : p.Month;
                else if (lc == 'd')
                    v = p.Day;
                else if (lc == 'h')
                    v = p.Hour;
                else if (lc == 'n')
                    v = p.Minute;
                else
                    v = p.Second;
                AppendNumber(out, v, static_cast<int>(run));
                i += run;
                break;
            }
            default:
                out += c;
                ++i;
                continue;
        }
        lastToken = lc;
    }
    return out;
}

std::string DateToStr(TDateTime value, const TFormatSettings& fs) {
    return FormatDateTime(fs.ShortDateFormat, value, fs);
}

std::string TimeToStr(TDateTime value, const TFormatSettings& fs) {
    return FormatDateTime(fs.LongTimeFormat, value, fs);
}

TDateTime Now() {
    return TClockService::Current().Now();
}

}  // namespace platform
