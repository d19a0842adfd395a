#pragma once
// ASCII text helpers (names, keys, options); UTF-8 bytes above 0x7F pass unchanged.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

std::string Trim(std::string_view s);           // blanks and control characters at both ends
std::string_view TrimView(std::string_view s);  // the same, as a view into s
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);  // ASCII case-insensitive
bool StartsWith(std::string_view s, std::string_view prefix);
std::vector<std::string> SplitLines(std::string_view text);  // on LF, CR LF or CR

// Upper-case hexadecimal digits, at least minDigits of them.
std::string HexText(unsigned value, int minDigits);
// Each byte as two upper-case hexadecimal digits and a blank.
std::string HexLine(std::span<const uint8_t> bytes);

// A UTF-8 character is its first byte and the continuation bytes (10xxxxxx) after it,
// so a stray byte counts as a character of its own and no text is ever cut inside one.
constexpr bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The longest prefix of whole characters, at most maxCharacters of them and at most
// maxBytes bytes. Inline, so that libtalvo uses it without the platform library.
// Characters of a UTF-8 text, counted as Utf8Prefix below cuts them: a first byte and
// the continuation bytes after it (a stray one at the start counts as a character).
constexpr int CharacterCount(std::string_view text) {
    int n = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if (i == 0 || !IsUtf8Continuation(text[i])) ++n;
    return n;
}

constexpr std::string_view Utf8Prefix(std::string_view text, size_t maxCharacters,
                                      size_t maxBytes = std::string_view::npos) {
    size_t end = 0;
    for (size_t characters = 0; end < text.size() && characters < maxCharacters; ++characters) {
        size_t next = end + 1;
        while (next < text.size() && IsUtf8Continuation(text[next])) ++next;
        if (next > maxBytes) break;
        end = next;
    }
    return text.substr(0, end);
}

}  // namespace platform
