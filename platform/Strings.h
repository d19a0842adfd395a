#pragma once
// ASCII text helpers (names, keys, options); UTF-8 bytes above 0x7F pass unchanged.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

std::string Trim(std::string_view s);  // blanks and control characters at both ends
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);  // ASCII case-insensitive
bool StartsWith(std::string_view s, std::string_view prefix);
std::vector<std::string> SplitLines(std::string_view text);  // on LF, CR LF or CR

// Upper-case hexadecimal digits, at least minDigits of them.
std::string HexText(unsigned value, int minDigits);
// Each byte as two upper-case hexadecimal digits and a blank.
std::string HexLine(std::span<const uint8_t> bytes);

}  // namespace platform
