#include "app/device/Interp.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include "chart/Bitbit.h"
#include "platform/Bytes.h"
#include "platform/Exception.h"
#include "platform/FormatSettings.h"
#include "platform/Prompts.h"
#include "platform/Strings.h"

namespace app {

namespace {

constexpr uint16_t kTensOfVolts = 0x8000;
constexpr uint16_t kHundredsOfVolts = 0x4000;
// Every number one word holds, as a signed or as an unsigned value.
constexpr int64_t kWordMin = -32768;
constexpr int64_t kWordMax = 65535;

// Byte offset of the setting's word, or none when the set does not hold it.
bool WordOffset(const TSettingDescriptor& setting, size_t bytes, size_t setLength, size_t& offset) {
    offset = size_t{setting.RegisterIndex} * 2;
    return setLength != 0 && offset + 2 <= bytes;
}

uint16_t GetWord(std::span<const uint8_t> set, size_t offset) {
    return platform::GetBe16(set.data() + offset);
}

void PutWord(std::span<uint8_t> set, size_t offset, uint16_t word) {
    platform::PutBe16(set.data() + offset, word);
}

// The general decimal form of 15 significant digits, without trailing zeros. Rounding to
// 15 digits first keeps 3 * 0.1 from showing as 0,30000000000000004.
std::string GeneralText(double value) {
    if (std::isfinite(value)) {
        char digits[32];
        const auto printed =
            std::to_chars(digits, digits + sizeof digits, value, std::chars_format::scientific, 14);
        std::from_chars(digits, printed.ptr, value);
    }
    return platform::FloatToStr(value, platform::AppFormatSettings());
}

std::string Quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// A typed number: "," is its decimal mark, or "." in a text without a ",". The grid has
// no thousands separator, so a "." can be nothing else.
bool ReadDecimal(std::string_view text, double& value) {
    std::string number(text);
    size_t separator = number.find(',');
    if (separator == std::string::npos) separator = number.find('.');
    if (separator != std::string::npos) number[separator] = platform::AppFormatSettings().DecimalSeparator;
    return platform::TryStrToFloat(number, value, platform::AppFormatSettings());
}

std::string RealText(const TSettingDescriptor& setting, uint16_t word) {
    std::string text = GeneralText(word * setting.Scale);
    // An exponent form is never cut: its digits after the separator are not decimals.
    if (text.find('E') != std::string::npos) return text;
    const size_t separator = text.find(platform::AppFormatSettings().DecimalSeparator);
    if (separator == std::string::npos) return text;
    const size_t keep = setting.DecimalPlaces == 0 ? separator : separator + 1 + setting.DecimalPlaces;
    if (keep < text.size()) text.resize(keep);
    return text;
}

std::string VoltageText(uint16_t word) {
    const int count = word & 0x03FF;
    switch (word & (kTensOfVolts | kHundredsOfVolts)) {
        case 0:
            return platform::IntToStr(count);
        case kHundredsOfVolts:
            return GeneralText(count * 0.1) + "k";
        case kTensOfVolts:
            return GeneralText(count * 0.01) + "k";
        default:
            return {};
    }
}

// The values the setting's word can take, in the setting's units.
std::string RealRangeText(const TSettingDescriptor& setting) {
    double low = static_cast<double>(kWordMin) * setting.Scale;
    double high = static_cast<double>(kWordMax) * setting.Scale;
    if (low > high) std::swap(low, high);
    return GeneralText(low) + " to " + GeneralText(high);
}

uint16_t RealWord(const TSettingDescriptor& setting, std::string_view text) {
    if (setting.Scale == 0 || !std::isfinite(setting.Scale))
        throw platform::EConvertError(Quoted(text) + " cannot be stored with the scale of this setting");
    double number = 0;
    if (!ReadDecimal(text, number))
        throw platform::EConvertError(Quoted(text) +
                                      " is not a number for this setting: " + RealRangeText(setting));
    // Only the low 16 bits would be stored: the device would get another value.
    int64_t raw = 0;
    if (!platform::TryRoundToInt64(number / setting.Scale, raw) || raw < kWordMin || raw > kWordMax)
        throw ESettingRangeError(Quoted(text) +
                                 " is out of range for this setting: " + RealRangeText(setting));
    return static_cast<uint16_t>(static_cast<uint64_t>(raw));
}

// The volts of a voltage text ("231V", "15k", "1,5kV", "9999"); raises for a text that
// is none. The unit ends the text: what followed it ("1k5", "230V5") would be lost.
double ReadVolts(std::string_view text) {
    const auto refuse = [&] {
        return platform::EConvertError(Quoted(text) +
                                       " is not a voltage for this setting: 100 to 99500 V, as 230, 231V, "
                                       "15k or 1,5k");
    };
    std::string number = platform::Trim(text);
    const size_t kilo = number.find('k');
    size_t unit = kilo;
    if (unit == std::string::npos) unit = number.find('V');
    if (unit == std::string::npos) unit = number.find('v');
    if (unit != std::string::npos) {
        const std::string_view after = platform::TrimView(std::string_view(number).substr(unit + 1));
        if (!after.empty() && !(kilo != std::string::npos && (after == "V" || after == "v"))) throw refuse();
        number.resize(unit);
    }
    double value = 0;
    if (!ReadDecimal(number, value)) throw refuse();
    return kilo != std::string::npos ? std::trunc(value * 1000) : platform::RoundHalfEven(value);
}

// The voltage code of the volts on the device's steps; false outside 100..99500 V.
bool VoltageCode(double volts, uint16_t& word) {
    if (!(volts >= 0 && volts <= std::numeric_limits<int32_t>::max())) return false;
    int32_t count = static_cast<int32_t>(volts);
    int decade = 0;
    int status = 0;
    NormaliseVoltage(count, decade, status);
    if (status != 0) return false;
    const uint16_t flags = decade == 1 ? kTensOfVolts : decade == 2 ? kHundredsOfVolts : 0;
    word = static_cast<uint16_t>(count | flags);
    return true;
}

uint16_t HexWord(std::string_view text) {
    try {
        return static_cast<uint16_t>(chart::HexToInt(platform::Utf8Prefix(text, 4)));
    } catch (const platform::Exception&) {
        throw platform::EConvertError(Quoted(text) +
                                      " is not a hexadecimal number for this setting: 0000 to FFFF, "
                                      "digits 0 to 9 and A to F");
    }
}

// Bits 2 and 3 of the state code are exchanged: then the band is the run of set bits from bit 0.
uint8_t BandBits(uint8_t code) {
    uint8_t bits = code & 0x0F;
    return chart::SwapBits(2, 3, bits);
}

int Band(uint8_t a, uint8_t b) {
    const uint8_t bits = std::max(BandBits(a), BandBits(b));
    int n = 0;
    while (n < 4 && chart::BitIsSet(n, bits)) ++n;
    return n;
}

}  // namespace

std::string SettingToText(const TSettingDescriptor& setting, std::span<const uint8_t> set, size_t setLength) {
    size_t offset = 0;
    if (!WordOffset(setting, set.size(), setLength, offset)) return "?";
    const uint16_t word = GetWord(set, offset);
    switch (setting.Kind) {
        case skInt:
            return {};
        case skReal:
            return RealText(setting, word);
        case skYesNo:
            if (word == 0) return "N";
            if (word == 1) return "Y";
            return "?: " + platform::HexText(word, 4) + "h";
        case skVoltage:
            return VoltageText(word);
        default:
            return platform::HexText(word, 4);
    }
}

void TextToSetting(const TSettingDescriptor& setting, std::string_view text, size_t setLength,
                   std::span<uint8_t> set) {
    size_t offset = 0;
    if (text.empty() || !WordOffset(setting, set.size(), setLength, offset)) return;
    switch (setting.Kind) {
        case skInt:
            throw platform::EConvertError(Quoted(text) +
                                          " cannot be stored: this setting takes no typed value");
        case skReal:
            return PutWord(set, offset, RealWord(setting, text));
        case skYesNo:
            switch (text.front()) {
                case 'N':
                case 'n':
                    return PutWord(set, offset, 0);
                case 'T':
                case 't':
                case 'Y':
                case 'y':
                    return PutWord(set, offset, 1);
                default:
                    return platform::Prompts().ShowMessage("Allowable values: [Y/N]");
            }
        case skVoltage: {
            uint16_t word = GetWord(set, offset);
            if (!VoltageCode(ReadVolts(text), word))
                throw ESettingRangeError(Quoted(text) + " is out of range for this setting: 100 to 99500 V");
            return PutWord(set, offset, word);
        }
        default:
            return PutWord(set, offset, HexWord(text));
    }
}

void TextToVoltageCode(std::string_view text, uint16_t& word) {
    // Far outside the device's range, as for 50 V, the word stays.
    VoltageCode(ReadVolts(text), word);
}

void NormaliseVoltage(int32_t& volts, int& decade, int& status) {
    if (volts < 100 || volts > 99500) {
        status = -1;
        return;
    }
    decade = volts < 1000 ? 0 : volts < 10000 ? 1 : 2;
    int32_t count = decade == 0 ? volts : decade == 1 ? volts / 10 : volts / 100;
    if (count >= 499) {
        count = (count + 4) / 5 * 5;
    } else if (count >= 200) {
        count += count % 2;
    }
    volts = count;
    status = 0;
}

int VoltageBandIndex(uint8_t a, uint8_t b) {
    return 4 + Band(a, b);
}

std::string VoltageBandText(uint8_t a, uint8_t b, std::string_view name) {
    const std::string n(name);
    switch (Band(a, b)) {
        case 0:
            return n + "<Vlt";
        case 1:
            return "Vlt<" + n + "<Vl";
        case 2:
            return "Vl<" + n + "<0.9Vr";
        case 3:
            return "0.9Vr<" + n + "<Vr";
        default:
            return n + ">Vr";
    }
}

}  // namespace app
