#include "platform/Strings.h"

namespace platform {

namespace {
bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F;
}
char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
}  // namespace

std::string_view TrimView(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::string Trim(std::string_view s) {
    return std::string(TrimView(s));
}

std::string UpperCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = Upper(c);
    return r;
}

std::string LowerCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = Lower(c);
    return r;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n' && text[i] != '\r') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::string HexText(unsigned value, int minDigits) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), kDigits[value & 0x0F]);
        value >>= 4;
    } while (value != 0);
    if (static_cast<int>(text.size()) < minDigits)
        text.insert(0, static_cast<std::size_t>(minDigits) - text.size(), '0');
    return text;
}

std::string HexLine(std::span<const uint8_t> bytes) {
    std::string line;
    line.reserve(bytes.size() * 3);
    for (uint8_t b : bytes) line += HexText(b, 2) + ' ';
    return line;
}

}  // namespace platform
