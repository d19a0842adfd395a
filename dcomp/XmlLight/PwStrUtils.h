#pragma once
// Date-time text with fixed positions ("yyyy.mm.dd hh:nn:ss.zzz") and dotted IPv4 text.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/DateTime.h"

namespace dcomp {

// Characters 5, 8 and 14 one of , - . / : and character 11 a blank; seconds and
// milliseconds are optional. `value` is 0 whenever the result is false.
bool TryTextToDateTime(std::string_view text, platform::TDateTime& value);
// 0 when the text does not parse.
platform::TDateTime TextToDateTime(std::string_view text);
// "yyyy.mm.dd hh:nn:ss.zzz" with the application's time separator; 0 gives
// "????.??.?? ??:??:??.???".
std::string DateTimeToText(platform::TDateTime value);
// Four dotted octets, the first the low byte; anything after the fourth is ignored.
// `address` is written only on success.
bool TextToIPv4(std::string_view text, uint32_t& address);

void InitPwStrUtils();

}  // namespace dcomp
