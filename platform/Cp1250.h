#pragma once
// The boundary between 8-bit text (code page 1250) and the program's UTF-8 strings.
#include <string>
#include <string_view>

namespace platform {

// Every byte maps to one code point; the five bytes the code page leaves undefined
// (0x81 0x83 0x88 0x90 0x98) map to U+0081.. so they survive a round trip.
std::string Cp1250ToUtf8(std::string_view bytes);

// Characters without a code page 1250 byte become `replacement`; invalid UTF-8
// sequences too, one replacement per bad byte.
std::string Utf8ToCp1250(std::string_view utf8, char replacement = '?');

// Text that claims to be UTF-8, made fit to be the program's text: every well-formed
// sequence as it is, every other byte U+FFFD.
std::string CleanUtf8(std::string_view bytes);

// Bytes of an 8-bit text file: UTF-8 (BOM dropped, cleaned as above) when they start
// with EF BB BF, otherwise code page 1250.
std::string DecodeText8(std::string_view fileBytes);
bool HasUtf8Bom(std::string_view bytes);

}  // namespace platform
