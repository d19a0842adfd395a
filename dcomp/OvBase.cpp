#include "dcomp/OvBase.h"

#include <array>
#include <charconv>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "dcomp/LangUnit.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"

namespace dcomp {

namespace {

// Microseconds are counted in whole numbers: a day number of 8 bytes resolves about
// 0.9 microseconds up to day 65,535, so only the rounding at the ends touches a double.
constexpr int64_t kUsPerDay = 86'400'000'000;
constexpr int64_t kUsPerSecond = 1'000'000;
constexpr int64_t kMinDay = -693593;  // 0001-01-01
constexpr int64_t kMaxDay = 2958465;  // 9999-12-31

const TLangText kTexts[] = {
    {"YEAR", "rok"},
    {"YEAR_SHORT", "r"},
    {"MONTH", "miesięc"},
    {"MONTH_SHORT", "msc"},
    {"WEEK", "tydzień"},
    {"WEEK_SHORT", "tydz"},
    {"DAY", "dzień"},
    {"DAY_SHORT", "d"},
    {"HOUR", "godzina"},
    {"HOUR_SHORT", "h"},
    {"MINUTE", "minuta"},
    {"MINUTE_SHORT", "min"},
    {"SECOND", "sekunda"},
    {"SECOND_SHORT", "s"},
    {"MSEC", "milisekunda"},
    {"MSEC_SHORT", "ms"},
    {"USEC", "mikrosekunda"},
    {"USEC_SHORT", "us"},
    {"NSEC", "nanosekundy"},
    {"NSEC_SHORT", "ns"},
    {"YEARS", "lata"},
    {"YEARS_SHORT", "lata"},
    {"MONTHS", "miesięce"},
    {"MONTHS_SHORT", "mies"},
    {"WEEKS", "tygodnie"},
    {"WEEKS_SHORT", "tyg"},
    {"DAYS", "dni"},
    {"DAYS_SHORT", "dni"},
    {"HOURS", "godziny"},
    {"HOURS_SHORT", "godz"},
    {"MINUTES", "minuty"},
    {"MINUTES_SHORT", "min"},
    {"SECONDS", "sekundy"},
    {"SECONDS_SHORT", "s"},
    {"MSECS", "milisekundy"},
    {"MSECS_SHORT", "ms"},
    {"USECS", "mikrosekundy"},
    {"USECS_SHORT", "us"},
    {"NSECS", "nanosekundy"},
    {"NSECS_SHORT", "ns"},
    {"YEARS_GENIT", "lat"},
    {"YEARS_GENIT_SHORT", "lat"},
    {"MONTHS_GENIT", "miesięcy"},
    {"MONTHS_GENIT_SHORT", "m"},
    {"WEEKS_GENIT", "tygodni"},
    {"WEEKS_GENIT_SHORT", "tyg"},
    {"DAYS_GENIT", "dni"},
    {"DAYS_GENIT_SHORT", "d"},
    {"HOURS_GENIT", "godzin"},
    {"HOURS_GENIT_SHORT", "g"},
    {"MINUTES_GENIT", "minut"},
    {"MINUTES_GENIT_SHORT", "min"},
    {"SECONDS_GENIT", "sekund"},
    {"SECONDS_GENIT_SHORT", "s"},
    {"MSECS_GENIT", "milisekund"},
    {"MSECS_GENIT_SHORT", "ms"},
    {"USECS_GENIT", "mikrosekund"},
    {"USECS_GENIT_SHORT", "us"},
    {"NSECS_GENIT", "nanosekund"},
    {"NSECS_GENIT_SHORT", "ns"},
    {"TXT_SAMP_TYPE_ANALOG", "Analogowe"},
    {"TXT_SAMP_TYPE_DIGITAL", "Cyfrowe"},
    {"TXT_NO_BYTES", "Bajtów"},
    {"TXT_1000_s", "Ponowne użycie parametru %s"},
    {"TXT_1001_s", "Wartość parametru powinna być poprzedzona znakiem \"-\" i nazwą parametru."},
};
static_assert(std::size(kTexts) == kOvBaseTextCount);

TXLangGroup* gGroup = nullptr;
std::array<std::string, kOvBaseTextCount> gTexts;
std::string gTextsLanguage;
std::unique_ptr<platform::TFormatSettings> gSettings;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Leading blanks, then one to nine digits and nothing else.
bool ReadNumber(std::string_view s, int64_t& value) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    s.remove_prefix(i);
    if (s.empty() || s.size() > 9) return false;
    for (char c : s)
        if (!IsDigit(c)) return false;
    value = 0;
    for (char c : s) value = value * 10 + (c - '0');
    return true;
}

// Every part between two separators, empty ones included, so that a part never moves.
std::vector<std::string_view> SplitAny(std::string_view text, std::string_view separators) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || separators.find(text[i]) != std::string_view::npos) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

// Blanks and controls off both ends.
std::string_view Trim(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

bool ValidTime(int64_t hour, int64_t minute, int64_t second, int64_t usec) {
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59 &&
           usec >= 0 && usec < kUsPerSecond;
}

int64_t UsOfDay(int64_t hour, int64_t minute, int64_t second, int64_t usec) {
    return ((hour * 60 + minute) * 60 + second) * kUsPerSecond + usec;
}

// platform::Exception "invalid cmtr time" for fields out of range.
int64_t PartsUsOfDay(const TCmtrDateTimeParts& parts) {
    if (!ValidTime(parts.Hour, parts.Minute, parts.Second, parts.USec))
        throw platform::Exception("invalid cmtr time");
    return UsOfDay(parts.Hour, parts.Minute, parts.Second, parts.USec);
}

// The microseconds of the fraction's first six digits, and whether the digits after
// them round that up (halves to even).
bool ReadFraction(std::string_view digits, int64_t& usec, bool& roundUp) {
    if (digits.empty()) return false;
    for (char c : digits)
        if (!IsDigit(c)) return false;
    usec = 0;
    for (size_t i = 0; i < 6; ++i) usec = usec * 10 + (i < digits.size() ? digits[i] - '0' : 0);
    roundUp = false;
    if (digits.size() > 6) {
        const std::string_view rest = digits.substr(6);
        const bool moreAfterFirst = rest.find_first_not_of('0', 1) != std::string_view::npos;
        if (rest[0] > '5' || (rest[0] == '5' && (moreAfterFirst || usec % 2 == 1))) roundUp = true;
    }
    return true;
}

// A time of 24:00 goes into the next day, but never past the last day.
void CarryIntoDay(int64_t& day, int64_t& usOfDay) {
    if (usOfDay < kUsPerDay) return;
    if (day < kMaxDay) {
        ++day;
        usOfDay -= kUsPerDay;
    } else {
        usOfDay = kUsPerDay - 1;
    }
}

bool InCalendar(double value) {
    return value > static_cast<double>(kMinDay - 1) && value < static_cast<double>(kMaxDay + 1);
}

platform::TDateTime Compose(int64_t day, int64_t usOfDay) {
    CarryIntoDay(day, usOfDay);
    const double time = static_cast<double>(usOfDay) / static_cast<double>(kUsPerDay);
    // Before the day-number origin the time of day counts away from zero, as everywhere.
    const double value = day < 0 ? static_cast<double>(day) - time : static_cast<double>(day) + time;
    // Near the ends of the calendar a double is coarser than the time: the last moments of
    // the first and last day would round onto a day outside it.
    return InCalendar(value) ? value : std::nextafter(value, 0.0);
}

// The calendar day and the microseconds of the day of a value rounded to the microsecond.
void Decompose(platform::TDateTime value, int64_t& day, int64_t& usOfDay) {
    if (!InCalendar(value)) value = 0;
    const double whole = std::trunc(value);
    day = static_cast<int64_t>(whole);
    usOfDay = static_cast<int64_t>(std::nearbyint(std::fabs(value - whole) * static_cast<double>(kUsPerDay)));
    CarryIntoDay(day, usOfDay);
}

void AppendPadded(std::string& out, int64_t value, int width) {
    char buf[24];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    const auto length = static_cast<int>(result.ptr - buf);
    if (length < width) out.append(static_cast<size_t>(width - length), '0');
    out.append(buf, result.ptr);
}

std::string DateText(int64_t day) {
    int year = 0, month = 0, dayOfMonth = 0;
    platform::DecodeDate(static_cast<double>(day), year, month, dayOfMonth);
    std::string out;
    AppendPadded(out, dayOfMonth, 2);
    out += '/';
    AppendPadded(out, month, 2);
    out += '/';
    AppendPadded(out, year, 4);
    return out;
}

std::string TimeText(int64_t usOfDay) {
    std::string out;
    AppendPadded(out, usOfDay / 3'600'000'000, 2);
    out += ':';
    AppendPadded(out, usOfDay / 60'000'000 % 60, 2);
    out += ':';
    AppendPadded(out, usOfDay / kUsPerSecond % 60, 2);
    out += '.';
    AppendPadded(out, usOfDay % kUsPerSecond, 6);
    return out;
}

bool ParseDate(std::string_view text, int selector, int64_t& dayNumber) {
    const std::vector<std::string_view> parts = SplitAny(text, "-./:");
    if (parts.size() != 3) return false;
    int64_t day = 0, month = 0, year = 0;
    if (!ReadNumber(parts[0], day) || !ReadNumber(parts[1], month) || !ReadNumber(parts[2], year))
        return false;
    if (day < 1 || day > 31 || month < 1 || month > 12) return false;
    if (Trim(parts[2]).size() < 4) {
        year %= 100;
        year += year < 51 ? 2000 : 1900;
    }
    if ((selector == 0 || selector == 1) && day <= 12) std::swap(day, month);
    platform::TDateTime date = 0;
    if (!platform::TryEncodeDate(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day),
                                 date))
        return false;
    dayNumber = static_cast<int64_t>(date);
    return true;
}

// False with the reason.
bool ParseTime(std::string_view text, int64_t& usOfDay, std::string& reason) {
    std::string time(text);
    bool pm = false, am = false;
    if (const size_t at = time.find(" PM"); at != std::string::npos) {
        time.erase(at, 3);
        pm = true;
    }
    if (const size_t at = time.find(" AM"); at != std::string::npos) {
        time.erase(at, 3);
        am = true;
    }
    const std::string notValid = std::string(text) + " is not valid Time";
    const std::vector<std::string_view> parts = SplitAny(time, "./:");
    if (parts.size() < 2 || parts.size() > 4) {
        reason = notValid;
        return false;
    }
    const std::string_view hourText = Trim(parts[0]);
    bool hourValid = !hourText.empty() && hourText.size() <= 2;
    int64_t hour = 0;
    for (char c : hourText) {
        hourValid = hourValid && IsDigit(c);
        if (hourValid) hour = hour * 10 + (c - '0');
    }
    if (!hourValid || hour > 23) {
        reason = "invalid hour " + std::string(text);
        return false;
    }
    // Twelve o'clock is noon after PM and midnight after AM.
    if (pm && hour < 12) hour += 12;
    if (am && hour == 12) hour = 0;
    int64_t minute = 0, second = 0, usec = 0;
    bool roundUp = false;
    if (!ReadNumber(parts[1], minute) || (parts.size() > 2 && !ReadNumber(parts[2], second)) ||
        (parts.size() > 3 && !ReadFraction(parts[3], usec, roundUp)) ||
        !ValidTime(hour, minute, second, usec)) {
        reason = notValid;
        return false;
    }
    usOfDay = UsOfDay(hour, minute, second, usec) + (roundUp ? 1 : 0);
    return true;
}

}  // namespace

platform::TDateTime CmtrStrToDateTime(std::string_view text, int selector) {
    platform::TDateTime value = 0;
    std::string reason;
    if (!TryCmtrStrToDateTime(text, value, reason, selector))
        throw platform::Exception("CmtrStrToDateTime: " + reason);
    return value;
}

bool TryCmtrStrToDateTime(std::string_view text, platform::TDateTime& value, std::string& reason,
                          int selector) {
    value = 0;
    reason.clear();
    const size_t comma = text.find(',');
    if (comma == std::string_view::npos) {
        reason = "missing comma, expected input format: dd/mm/yyyy,hh:mm:ss.zzzzzz";
        return false;
    }
    const std::string_view dateText = text.substr(0, comma);
    int64_t day = 0, usOfDay = 0;
    if (!ParseDate(dateText, selector, day)) {
        reason = std::string(dateText) + " is not valid date";
        return false;
    }
    if (!ParseTime(text.substr(comma + 1), usOfDay, reason)) return false;
    value = Compose(day, usOfDay);
    return true;
}

std::string CmtrDateTimeToStr(int /*selector*/, platform::TDateTime value) {
    int64_t day = 0, usOfDay = 0;
    Decompose(value, day, usOfDay);
    return DateText(day) + "," + TimeText(usOfDay);
}

double CmtrDaysToMSecs(double days) {
    return days * 86'400'000.0;
}

platform::TDateTime CmtrDateTimeWithoutMSecs(platform::TDateTime value) {
    int64_t day = 0, usOfDay = 0;
    Decompose(value, day, usOfDay);
    return Compose(day, usOfDay - usOfDay % kUsPerSecond);
}

std::string CmtrDateToStr(platform::TDateTime value) {
    int64_t day = 0, usOfDay = 0;
    Decompose(value, day, usOfDay);
    return DateText(day);
}

std::string CmtrTimeToStr(platform::TDateTime value) {
    int64_t day = 0, usOfDay = 0;
    Decompose(value, day, usOfDay);
    return TimeText(usOfDay);
}

platform::TDateTime CmtrPartsToDate(const TCmtrDateTimeParts& parts) {
    platform::TDateTime date = 0;
    if (!platform::TryEncodeDate(parts.Year, parts.Month, parts.Day, date))
        throw platform::Exception("invalid cmtr date");
    return date;
}

platform::TDateTime CmtrPartsToTime(const TCmtrDateTimeParts& parts) {
    return static_cast<double>(PartsUsOfDay(parts)) / static_cast<double>(kUsPerDay);
}

platform::TDateTime CmtrPartsToDateTime(const TCmtrDateTimeParts& parts) {
    const auto day = static_cast<int64_t>(CmtrPartsToDate(parts));
    return Compose(day, PartsUsOfDay(parts));
}

const platform::TFormatSettings& CmtrFormatSettings() {
    if (!gSettings) throw platform::Exception("CmtrFormatSettings: the unit ovbase is not initialised");
    return *gSettings;
}

const std::string& OvBaseText(TOvBaseText key) {
    return gTexts[static_cast<size_t>(key)];
}

void FetchOvBaseTexts() {
    if (!gGroup) return;
    const std::string language = gGroup->GetLanguage();
    if (!language.empty() && language == gTextsLanguage) return;
    gTextsLanguage = language;
    for (size_t i = 0; i < kOvBaseTextCount; ++i) gTexts[i] = gGroup->Translate(kTexts[i].Key);
}

const std::string& OvBaseTextsLanguage() {
    return gTextsLanguage;
}

TXLangGroup* OvBaseGroup() {
    return gGroup;
}

void InitOvBase() {
    auto settings = std::make_unique<platform::TFormatSettings>();
    settings->DecimalSeparator = ',';
    settings->DateSeparator = '/';
    settings->TimeSeparator = ':';
    settings->ShortDateFormat = "dd/mm/yyyy";
    settings->LongTimeFormat = "HH:mm:ss";
    gSettings = std::move(settings);
    gGroup = AddLangGroup("OvBase", kTexts);
    gTextsLanguage.clear();
    FetchOvBaseTexts();
}

void FinalizeOvBase() {
    gGroup = nullptr;
    for (std::string& text : gTexts) text.clear();
    gTextsLanguage.clear();
    gSettings.reset();
}

}  // namespace dcomp
