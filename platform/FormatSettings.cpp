#include "platform/FormatSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace platform {

TFormatSettings& TAppFormatDefaults::Get() {
    static TFormatSettings settings{',', '-', ':', "yyyy-mm-dd", "hh:nn:ss"};
    return settings;
}

const TFormatSettings& DotFormatSettings() {
    static const TFormatSettings settings{'.', '-', ':', "yyyy-mm-dd", "hh:nn:ss"};
    return settings;
}

namespace {

// Texts of the values that have no digits.
bool NonFiniteText(double value, std::string& out) {
    if (std::isnan(value)) {
        out = "NAN";
    } else if (std::isinf(value)) {
        out = value < 0 ? "-INF" : "INF";
    } else {
        return false;
    }
    return true;
}

void SwapSeparator(std::string& s, char separator) {
    for (char& c : s)
        if (c == '.') c = separator;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// A finite value in general format: the digits of its scientific form, `precision`
// significant ones (0: the shortest that read back; rounding happens here, on the exact
// binary value), trailing zeros dropped; plain notation while the decimal exponent lies
// in [plainFrom, plainTo), else one digit, the rest, "E" and the exponent padded to
// expDigits.
std::string GeneralFormat(double value, int precision, int plainFrom, int plainTo, int expDigits,
                          char separator) {
    std::string out;
    if (NonFiniteText(value, out)) return out;
    if (value == 0) return "0";
    char buf[64];
    const auto res =
        precision > 0
            ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, precision - 1)
            : std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    const std::string_view sci(buf, static_cast<size_t>(res.ptr - buf));
    const size_t ePos = sci.find('e');
    int exponent = 0;
    std::from_chars(sci.data() + ePos + (sci[ePos + 1] == '+' ? 2 : 1), sci.data() + sci.size(), exponent);
    std::string digits;
    for (char c : sci.substr(0, ePos))
        if (IsDigit(c)) digits += c;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    if (sci[0] == '-') out = "-";
    if (exponent >= plainFrom && exponent < plainTo) {
        if (exponent < 0) {
            out += "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
        } else {
            const size_t intDigits = static_cast<size_t>(exponent) + 1;
            if (digits.size() <= intDigits) {
                out += digits + std::string(intDigits - digits.size(), '0');
            } else {
                out += digits.substr(0, intDigits) + "." + digits.substr(intDigits);
            }
        }
    } else {
        out += digits.substr(0, 1);
        if (digits.size() > 1) out += "." + digits.substr(1);
        std::string expText = std::to_string(exponent < 0 ? -exponent : exponent);
        if (static_cast<int>(expText.size()) < expDigits)
            expText.insert(0, static_cast<size_t>(expDigits) - expText.size(), '0');
        out += "E" + std::string(exponent < 0 ? "-" : "") + expText;
    }
    SwapSeparator(out, separator);
    return out;
}

}  // namespace

std::string FormatFixed(double value, int decimals, const TFormatSettings& fs) {
    std::string out;
    if (NonFiniteText(value, out)) return out;
    // Beyond 1074 decimals every double's expansion has ended.
    decimals = decimals < 0 ? 0 : (decimals > 1074 ? 1074 : decimals);
    out.resize(static_cast<size_t>(decimals) + 320);
    auto res = std::to_chars(out.data(), out.data() + out.size(), value, std::chars_format::fixed, decimals);
    out.resize(static_cast<size_t>(res.ptr - out.data()));
    SwapSeparator(out, fs.DecimalSeparator);
    return out;
}

std::string FloatToStr(double value, const TFormatSettings& fs) {
    return GeneralFormat(value, 0, -4, 15, 0, fs.DecimalSeparator);
}

std::string FloatToStrGeneral(double value, int precision, int minExponentDigits, const TFormatSettings& fs) {
    precision = std::clamp(precision, 1, 15);
    return GeneralFormat(value, precision, -5, precision, std::clamp(minExponentDigits, 0, 4),
                         fs.DecimalSeparator);
}

bool TryStrToFloat(std::string_view text, double& value, const TFormatSettings& fs) {
    std::string_view s = TrimBlanks(text);
    std::string normal;
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-') normal += '-';
        ++i;
    }
    size_t mantissaDigits = 0;
    bool separatorSeen = false;
    for (; i < s.size(); ++i) {
        if (IsDigit(s[i])) {
            ++mantissaDigits;
            normal += s[i];
        } else if (s[i] == fs.DecimalSeparator && !separatorSeen) {
            separatorSeen = true;
            normal += '.';
        } else {
            break;
        }
    }
    if (mantissaDigits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        normal += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) normal += s[i++];
        size_t expDigits = 0;
        for (; i < s.size() && IsDigit(s[i]); ++i, ++expDigits) normal += s[i];
        if (expDigits == 0) return false;
    }
    if (i != s.size()) return false;
    double parsed = 0;
    auto res = std::from_chars(normal.data(), normal.data() + normal.size(), parsed);
    if (res.ec != std::errc() || res.ptr != normal.data() + normal.size()) return false;
    value = parsed;
    return true;
}

std::string IntToStr(int64_t value) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

bool TryStrToInt(std::string_view text, int64_t& value) {
    std::string_view s = TrimBlanks(text);
    bool negative = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && s[0] == '$') {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    // A sign of its own here would be a second sign.
    if (s.empty() || s[0] == '+' || s[0] == '-') return false;
    uint64_t magnitude = 0;
    auto res = std::from_chars(s.data(), s.data() + s.size(), magnitude, base);
    if (res.ec != std::errc() || res.ptr != s.data() + s.size()) return false;
    const uint64_t limit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + (negative ? 1 : 0);
    if (magnitude > limit) return false;
    value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

int64_t StrToIntDef(std::string_view text, int64_t def) {
    int64_t v = 0;
    return TryStrToInt(text, v) ? v : def;
}

double RoundHalfEven(double value) {
    return std::nearbyint(value);
}

bool TryRoundToInt64(double value, int64_t& result) {
    if (!std::isfinite(value)) return false;
    const double r = std::nearbyint(value);
    // 2^63 is exact as a double; every double below it converts.
    if (r < -9223372036854775808.0 || r >= 9223372036854775808.0) return false;
    result = static_cast<int64_t>(r);
    return true;
}

}  // namespace platform
