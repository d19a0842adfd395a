#include "dcomp/XmlLight/PwStrUtils.h"

#include <limits>

#include "dcomp/VersionListUnit.h"

namespace dcomp {

namespace {

const char* const kHeader =
    "$Header: /Halvo/dcomp/XmlLight/PwStrUtils.cpp 1.9 2011/01/27 09:48:15 rbaran Exp $";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsDateSeparator(char c) {
    return c == ',' || c == '-' || c == '.' || c == '/' || c == ':';
}

// The whole text as a decimal integer: leading blanks and a sign allowed, nothing after.
bool WholeInteger(std::string_view s, int64_t& value) {
    size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i == s.size()) return false;
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (!IsDigit(s[i])) return false;
        if (v > (std::numeric_limits<int32_t>::max() - (s[i] - '0')) / 10) return false;
        v = v * 10 + (s[i] - '0');
    }
    value = negative ? -v : v;
    return true;
}

// The value of the field's leading digits; 0 without any.
int LeadingDigits(std::string_view s) {
    int v = 0;
    for (char c : s) {
        if (!IsDigit(c)) break;
        v = v * 10 + (c - '0');
    }
    return v;
}

}  // namespace

bool TryTextToDateTime(std::string_view text, platform::TDateTime& value) {
    value = 0;
    const std::string t = std::string(text) + std::string(35, ' ');
    // Positions below count from 1, as the format is written.
    auto at = [&t](size_t pos) { return t[pos - 1]; };
    auto field = [&t](size_t pos, size_t len) { return std::string_view(t).substr(pos - 1, len); };
    if (!IsDateSeparator(at(5)) || !IsDateSeparator(at(8)) || !IsDateSeparator(at(14)) || at(11) != ' ')
        return false;
    int64_t year = 0, month = 0, day = 0, hour = 0, minute = 0;
    if (!WholeInteger(field(1, 4), year) || !WholeInteger(field(6, 2), month) ||
        !WholeInteger(field(9, 2), day) || !WholeInteger(field(12, 2), hour) ||
        !WholeInteger(field(15, 2), minute))
        return false;
    int second = 0, msec = 0;
    if (IsDateSeparator(at(17))) {
        second = LeadingDigits(field(18, 2));
        if (IsDateSeparator(at(20))) msec = LeadingDigits(field(21, 3));
    }
    // Each field is taken as a 16-bit unsigned value, so a negative one is out of range.
    auto u16 = [](int64_t v) { return static_cast<int>(static_cast<uint16_t>(v)); };
    platform::TDateTime date = 0, time = 0;
    if (!platform::TryEncodeDate(u16(year), u16(month), u16(day), date) ||
        !platform::TryEncodeTime(u16(hour), u16(minute), u16(second), u16(msec), time))
        return false;
    // Before the day-number origin the time of day counts away from zero.
    value = date < 0 ? date - time : date + time;
    return true;
}

platform::TDateTime TextToDateTime(std::string_view text) {
    platform::TDateTime value = 0;
    return TryTextToDateTime(text, value) ? value : 0;
}

std::string DateTimeToText(platform::TDateTime value) {
    if (value == 0) return "????.??.?? ??:??:??.???";
    return platform::FormatDateTime("yyyy.mm.dd hh:nn:ss.zzz", value, platform::AppFormatSettings());
}

bool TextToIPv4(std::string_view text, uint32_t& address) {
    uint32_t result = 0;
    size_t pos = 0;
    for (int pass = 0; pass < 4; ++pass) {
        size_t end = pos <= text.size() ? text.find('.', pos) : std::string_view::npos;
        if (end == std::string_view::npos) end = text.size();
        const std::string_view part = pos <= text.size() ? text.substr(pos, end - pos) : std::string_view();
        pos = end + 1;
        int64_t octet = 0;
        if (part.empty() || !WholeInteger(part, octet) || octet < 0 || octet > 255) return false;
        result |= static_cast<uint32_t>(octet) << (8 * pass);
    }
    address = result;
    return true;
}

void InitPwStrUtils() {
    AddToVersionList(kHeader);
}

}  // namespace dcomp
