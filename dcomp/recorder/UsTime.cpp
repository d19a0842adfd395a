#include "dcomp/recorder/UsTime.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "platform/FormatSettings.h"
#include "platform/Strings.h"

namespace dcomp {

namespace {

constexpr int64_t kUsPerSecond = 1'000'000;
constexpr int64_t kUsPerDay = 86'400 * kUsPerSecond;

std::vector<std::string_view> SplitPieces(std::string_view text, std::string_view separators) {
    std::vector<std::string_view> pieces;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || separators.find(text[i]) != std::string_view::npos) {
            if (i > start) pieces.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return pieces;
}

// A whole piece of decimal digits with an optional sign; false on anything else or on
// a value beyond 32 bits.
bool PieceToInt(std::string_view piece, int64_t& value) {
    if (!piece.empty() && piece[0] == '+') piece.remove_prefix(1);
    if (piece.empty() || piece[0] == '+') return false;
    int32_t v = 0;
    const auto [end, ec] = std::from_chars(piece.data(), piece.data() + piece.size(), v);
    if (ec != std::errc() || end != piece.data() + piece.size()) return false;
    value = v;
    return true;
}

// Whole day number of a valid calendar date.
bool DayNumber(int year, int month, int day, int64_t& dayNumber) {
    platform::TDateTime d = 0;
    if (!platform::TryEncodeDate(year, month, day, d)) return false;
    dayNumber = static_cast<int64_t>(d);
    return true;
}

void AppendPadded(std::string& out, uint32_t value, int width) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width) out.append(static_cast<size_t>(width) - digits.size(), '0');
    out += digits;
}

}  // namespace

double MicrosecondsToDays(double microseconds) {
    return microseconds / 1000.0 / 86'400'000.0;
}

double DaysToMicroseconds(double days) {
    return days * 1000.0 * 86'400'000.0;
}

void TUsTime::ParseDate(std::string_view text, int revision) {
    DateValid = false;
    const auto fail = [&] { throw platform::EConvertError(std::string(text) + " is not valid date"); };
    const auto pieces = SplitPieces(text, "-./:");
    if (pieces.size() < 3) fail();
    int64_t day = 0, month = 0, year = 0;
    if (!PieceToInt(pieces[0], day) || !PieceToInt(pieces[1], month) || !PieceToInt(pieces[2], year)) fail();
    if (pieces[2].size() < 4) {
        year %= 100;
        year += year <= 50 ? 2000 : 1900;
    }
    // The 1991 layout writes the month first.
    if ((revision == 0 || revision == 1) && day <= 12) std::swap(day, month);
    int64_t dayNumber = 0;
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 ||
        !DayNumber(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day), dayNumber))
        fail();
    Year = static_cast<uint16_t>(year);
    Month = static_cast<uint16_t>(month);
    Day = static_cast<uint16_t>(day);
    DateValid = true;
}

void TUsTime::ParseTime(std::string_view text, int /*revision*/) {
    TimeValid = false;
    const auto fail = [&] { throw platform::EConvertError(std::string(text) + " is not valid Time"); };
    std::string rest(text);
    int halfDay = -1;  // -1 a 24-hour time, 0 AM, 12 PM
    if (const size_t pm = rest.find(" PM"); pm != std::string::npos) {
        rest.erase(pm, 3);
        halfDay = 12;
    } else if (const size_t am = rest.find(" AM"); am != std::string::npos) {
        rest.erase(am, 3);
        halfDay = 0;
    }
    const auto pieces = SplitPieces(rest, "./:");
    if (pieces.size() < 4) fail();
    int64_t hour = 0, minute = 0, second = 0;
    if (!PieceToInt(platform::Trim(pieces[0]), hour) || !PieceToInt(platform::Trim(pieces[1]), minute) ||
        !PieceToInt(platform::Trim(pieces[2]), second))
        fail();
    // The fraction: decimal digits of a second, the first six of them kept.
    const std::string fraction = platform::Trim(pieces[3]);
    if (fraction.empty()) fail();
    int64_t microsecond = 0;
    for (size_t i = 0; i < fraction.size(); ++i) {
        if (fraction[i] < '0' || fraction[i] > '9') fail();
        if (i < 6) microsecond = microsecond * 10 + (fraction[i] - '0');
    }
    for (size_t i = fraction.size(); i < 6; ++i) microsecond *= 10;
    if (halfDay >= 0) {
        if (hour < 0 || hour > 12) fail();
        hour = hour % 12 + halfDay;
    }
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) fail();
    Hour = static_cast<uint16_t>(hour);
    Minute = static_cast<uint16_t>(minute);
    Second = static_cast<uint16_t>(second);
    Microsecond = static_cast<int32_t>(microsecond);
    TimeValid = true;
}

platform::TDateTime TUsTime::ToDateTime() const {
    int64_t dayNumber = 0;
    if (!DayNumber(Year, Month, Day, dayNumber)) dayNumber = 0;
    const double seconds = (Hour * 60.0 + Minute) * 60.0 + Second;
    const double time = seconds / 86'400.0 + MicrosecondsToDays(Microsecond);
    // Before 1899-12-30 the fraction still counts forward from midnight.
    return dayNumber < 0 ? static_cast<double>(dayNumber) - time : static_cast<double>(dayNumber) + time;
}

void TUsTime::FromDateTime(platform::TDateTime value) {
    if (!std::isfinite(value)) throw platform::EConvertError("Invalid date-time value");
    double whole = std::trunc(value);
    int64_t us = 0;
    if (!platform::TryRoundToInt64(std::fabs(value - whole) * static_cast<double>(kUsPerDay), us))
        throw platform::EConvertError("Invalid date-time value");
    if (us >= kUsPerDay) {
        us -= kUsPerDay;
        whole += value < 0 ? -1 : 1;
    }
    if (whole < -693593 || whole > 2958465) throw platform::EConvertError("Invalid date-time value");
    int year = 0, month = 0, day = 0;
    platform::DecodeDate(whole, year, month, day);
    Year = static_cast<uint16_t>(year);
    Month = static_cast<uint16_t>(month);
    Day = static_cast<uint16_t>(day);
    const int64_t seconds = us / kUsPerSecond;
    Hour = static_cast<uint16_t>(seconds / 3600);
    Minute = static_cast<uint16_t>(seconds / 60 % 60);
    Second = static_cast<uint16_t>(seconds % 60);
    Microsecond = static_cast<int32_t>(us % kUsPerSecond);
}

void TUsTime::AddMicroseconds(int64_t count) {
    if (count == 0) return;
    int64_t dayNumber = 0;
    if (!DayNumber(Year, Month, Day, dayNumber) || Hour > 23 || Minute > 59 || Second > 59 ||
        Microsecond < 0 || Microsecond >= kUsPerSecond)
        throw platform::EConvertError(FormatCfg() + " is not valid date");
    // A count past the calendar in either direction fails below; clamping keeps the sum in range.
    constexpr int64_t kSpan = int64_t{4'000'000} * kUsPerDay;
    if (count > kSpan) count = kSpan;
    if (count < -kSpan) count = -kSpan;
    const int64_t ofDay = ((Hour * int64_t{60} + Minute) * 60 + Second) * kUsPerSecond + Microsecond;
    int64_t total = dayNumber * kUsPerDay + ofDay + count;
    int64_t days = total / kUsPerDay, rest = total % kUsPerDay;
    if (rest < 0) {
        rest += kUsPerDay;
        --days;
    }
    if (days < -693593 || days > 2958465)
        throw platform::EConvertError(FormatCfg() + " moved by " + std::to_string(count) +
                                      " µs is not valid date");
    int year = 0, month = 0, day = 0;
    platform::DecodeDate(static_cast<double>(days), year, month, day);
    Year = static_cast<uint16_t>(year);
    Month = static_cast<uint16_t>(month);
    Day = static_cast<uint16_t>(day);
    const int64_t seconds = rest / kUsPerSecond;
    Hour = static_cast<uint16_t>(seconds / 3600);
    Minute = static_cast<uint16_t>(seconds / 60 % 60);
    Second = static_cast<uint16_t>(seconds % 60);
    Microsecond = static_cast<int32_t>(rest % kUsPerSecond);
}

std::string TUsTime::FormatCfg() const {
    std::string out;
    AppendPadded(out, Day, 2);
    out += '/';
    AppendPadded(out, Month, 2);
    out += '/';
    AppendPadded(out, Year, 4);
    out += ',';
    AppendPadded(out, Hour, 2);
    out += ':';
    AppendPadded(out, Minute, 2);
    out += ':';
    AppendPadded(out, Second, 2);
    out += '.';
    AppendPadded(out, static_cast<uint32_t>(Microsecond), 6);
    return out;
}

}  // namespace dcomp
