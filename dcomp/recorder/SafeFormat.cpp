#include "dcomp/recorder/SafeFormat.h"

#include <charconv>
#include <cmath>
#include <cstddef>

#include "platform/FormatSettings.h"

namespace dcomp {

namespace {

// A width or precision from a translated text never sizes more than this.
constexpr int kMaxField = 1024;

struct TConversion {
    bool Left = false, Plus = false, Space = false, Zero = false;
    int Width = 0;
    int Precision = -1;
    char Conv = 0;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int ReadNumber(std::string_view f, std::size_t& i) {
    int n = 0;
    while (i < f.size() && IsDigit(f[i])) {
        if (n < kMaxField) n = n * 10 + (f[i] - '0');
        ++i;
    }
    return n < kMaxField ? n : kMaxField;
}

std::string Digits(uint64_t value, int base, bool upper) {
    char buf[72];
    auto res = std::to_chars(buf, buf + sizeof buf, value, base);
    std::string s(buf, res.ptr);
    if (upper)
        for (char& c : s)
            if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// Sign and digits of an integer conversion; precision is the least number of digits.
std::string IntegerText(bool negative, uint64_t magnitude, const TConversion& s, int base, bool upper) {
    std::string digits = Digits(magnitude, base, upper);
    if (s.Precision >= 0 && static_cast<int>(digits.size()) < s.Precision)
        digits.insert(0, static_cast<std::size_t>(s.Precision) - digits.size(), '0');
    if (s.Precision == 0 && magnitude == 0) digits.clear();
    std::string sign = negative ? "-" : (s.Plus ? "+" : (s.Space ? " " : ""));
    if (s.Zero && !s.Left && s.Precision < 0 && static_cast<int>(sign.size() + digits.size()) < s.Width)
        digits.insert(0, static_cast<std::size_t>(s.Width) - sign.size() - digits.size(), '0');
    return sign + digits;
}

std::string RealText(double value, const TConversion& s) {
    const auto& fs = platform::DotFormatSettings();
    const int precision = s.Precision < 0 ? 6 : s.Precision;
    std::string text;
    if (!std::isfinite(value)) {
        text = platform::FloatToStr(value, fs);
    } else if (s.Conv == 'e') {
        char buf[kMaxField + 64];
        auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, precision);
        text.assign(buf, res.ptr);
    } else if (s.Conv == 'g') {
        text = platform::FloatToStrGeneral(value, precision == 0 ? 1 : precision, 2, fs);
    } else {
        text = platform::FormatFixed(value, precision, fs);
    }
    if (std::isfinite(value) && text[0] != '-' && (s.Plus || s.Space))
        text.insert(text.begin(), s.Plus ? '+' : ' ');
    if (s.Zero && !s.Left && std::isfinite(value) && static_cast<int>(text.size()) < s.Width) {
        const std::size_t at = (text[0] == '-' || text[0] == '+' || text[0] == ' ') ? 1 : 0;
        text.insert(at, static_cast<std::size_t>(s.Width) - text.size(), '0');
    }
    return text;
}

std::string IntegerOf(const TFormatArg& a, const TConversion& s) {
    const int base = (s.Conv == 'x' || s.Conv == 'X') ? 16 : 10;
    const bool upper = s.Conv == 'X';
    switch (a.Kind()) {
        case TFormatArg::TKind::Signed: {
            const int64_t v = a.Signed();
            const uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
            return IntegerText(v < 0, magnitude, s, base, upper);
        }
        case TFormatArg::TKind::Unsigned:
            return IntegerText(false, a.Unsigned(), s, base, upper);
        case TFormatArg::TKind::Real: {
            // A real given to an integer conversion shows as a real, never as a converted
            // integer (which NaN and huge values have not).
            TConversion real = s;
            real.Conv = 'f';
            real.Precision = -1;
            return RealText(a.Real(), real);
        }
        case TFormatArg::TKind::Text:
            break;
    }
    return std::string(a.Text());
}

std::string RealOf(const TFormatArg& a, const TConversion& s) {
    switch (a.Kind()) {
        case TFormatArg::TKind::Signed:
            return RealText(static_cast<double>(a.Signed()), s);
        case TFormatArg::TKind::Unsigned:
            return RealText(static_cast<double>(a.Unsigned()), s);
        case TFormatArg::TKind::Real:
            return RealText(a.Real(), s);
        case TFormatArg::TKind::Text:
            break;
    }
    return std::string(a.Text());
}

std::string TextOf(const TFormatArg& a, const TConversion& s) {
    std::string text;
    if (a.Kind() == TFormatArg::TKind::Text) {
        text = std::string(a.Text());
        if (s.Precision >= 0 && static_cast<std::size_t>(s.Precision) < text.size())
            text.resize(static_cast<std::size_t>(s.Precision));
        return text;
    }
    TConversion plain;
    plain.Conv = a.Kind() == TFormatArg::TKind::Real ? 'g' : 'd';
    plain.Precision = a.Kind() == TFormatArg::TKind::Real ? 15 : -1;
    return a.Kind() == TFormatArg::TKind::Real ? RealOf(a, plain) : IntegerOf(a, plain);
}

}  // namespace

std::string FormatText(std::string_view format, std::initializer_list<TFormatArg> args) {
    std::string out;
    const TFormatArg* next = args.begin();
    std::size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        const std::size_t start = i++;
        TConversion s;
        for (; i < format.size(); ++i) {
            const char f = format[i];
            if (f == '-') {
                s.Left = true;
            } else if (f == '+') {
                s.Plus = true;
            } else if (f == ' ') {
                s.Space = true;
            } else if (f == '0') {
                s.Zero = true;
            } else if (f != '#') {
                break;
            }
        }
        s.Width = ReadNumber(format, i);
        if (i < format.size() && format[i] == '.') {
            ++i;
            s.Precision = ReadNumber(format, i);
        }
        while (i < format.size() && std::string_view("hlLqjzt").find(format[i]) != std::string_view::npos)
            ++i;
        if (i >= format.size()) {
            out.append(format.substr(start));
            break;
        }
        s.Conv = format[i++];
        const std::string_view written = format.substr(start, i - start);
        if (s.Conv == '%') {
            out += '%';
            continue;
        }
        if (std::string_view("diuxXfegsc").find(s.Conv) == std::string_view::npos) {
            out.append(written);
            continue;
        }
        if (next == args.end()) {
            out.append(written);
            continue;
        }
        const TFormatArg& arg = *next++;
        std::string text;
        if (s.Conv == 'f' || s.Conv == 'e' || s.Conv == 'g') {
            text = RealOf(arg, s);
        } else if (s.Conv == 's') {
            text = TextOf(arg, s);
        } else if (s.Conv == 'c') {
            text = arg.Kind() == TFormatArg::TKind::Text ? std::string(arg.Text().substr(0, 1))
                                                         : TextOf(arg, TConversion{});
        } else {
            text = IntegerOf(arg, s);
        }
        if (static_cast<int>(text.size()) < s.Width) {
            const std::size_t pad = static_cast<std::size_t>(s.Width) - text.size();
            if (s.Left) {
                text.append(pad, ' ');
            } else {
                text.insert(0, pad, ' ');
            }
        }
        out += text;
    }
    return out;
}

}  // namespace dcomp
