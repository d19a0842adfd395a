#pragma once
// Setting words of a parameter set as the settings grid shows and edits them, and the
// voltage bands of the event listing. A parameter set holds 16-bit words, high byte
// first; a setting's word lies at byte 2 * RegisterIndex.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "app/device/SettingDescriptor.h"
#include "platform/Exception.h"

namespace app {

// A typed number whose word would not hold it: no 16-bit word, signed or unsigned.
class ESettingRangeError : public platform::EConvertError {
public:
    using EConvertError::EConvertError;
};

// The word's text by the setting's kind. "?" for a set never read (setLength 0) or a
// word outside the set's bytes.
std::string SettingToText(const TSettingDescriptor& setting, std::span<const uint8_t> set, size_t setLength);

// Stores typed text as the setting's word, in place; nothing for an unread set or an
// empty text. A number's decimal mark is "," or, in a text without one, ".". A negative
// number is stored as its two's complement.
// A text the setting does not take raises platform::EConvertError naming the text and
// what the setting takes (its ESettingRangeError for a number outside the setting's
// range: a scaled, rounded number outside -32768..65535, a voltage outside 100..99500 V);
// the word is then unchanged. A Y/N text of any other letter shows "Allowable values:
// [Y/N]" through platform::Prompts() and stores nothing.
void TextToSetting(const TSettingDescriptor& setting, std::string_view text, size_t setLength,
                   std::span<uint8_t> set);

// A voltage text ("231V", "15k", "1,5k", "9999") as a voltage code; a voltage outside
// 100..99500 V leaves the word. Raises platform::EConvertError for a text that is no
// voltage, one with anything after its unit ("1k5", "230V5") too.
void TextToVoltageCode(std::string_view text, uint16_t& word);

// Volts to a count of 100..1000 in decade 0 (volts), 1 (tens) or 2 (hundreds), on the
// device's steps. Status -1 (volts and decade untouched) outside 100..99500 V, else 0.
void NormaliseVoltage(int32_t& volts, int& decade, int& status);

// 4 + the band (0..4) of the higher of two state codes.
int VoltageBandIndex(uint8_t a, uint8_t b);
// The band as a text around name, such as "Vl<VR<0.9Vr".
std::string VoltageBandText(uint8_t a, uint8_t b, std::string_view name);

}  // namespace app
