#pragma once
// ASCII text helpers (names, keys, options); UTF-8 bytes above 0x7F pass unchanged.
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

}  // namespace platform
