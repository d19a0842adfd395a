#pragma once
// Locale-free number texts. Nothing here reads the C or the user's locale.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ServiceScope.h"

namespace platform {

struct TFormatSettings {
    char DecimalSeparator = '.';
    char DateSeparator = '-';
    char TimeSeparator = ':';
    std::string ShortDateFormat = "yyyy-mm-dd";
    std::string LongTimeFormat = "hh:nn:ss";
};

// The application's process-wide settings (the main window sets "," and "yyyy-mm-dd";
// they start that way, so core code and tests see the same values). Tests that change
// them install their own record with a TAppFormatSettingsScope.
struct TAppFormatDefaults {
    static TFormatSettings& Get();
};
using TAppFormatSettingsService = TProcessService<TFormatSettings, TAppFormatDefaults>;
using TAppFormatSettingsScope = TAppFormatSettingsService::TScope;
inline TFormatSettings& AppFormatSettings() {
    return TAppFormatSettingsService::Current();
}
// Fixed "." settings of the in-house library's file formats.
const TFormatSettings& DotFormatSettings();

// Like printf("%.*f") with the given decimal separator; halves as the binary value
// lies (exact decimal expansion), never through the locale.
std::string FormatFixed(double value, int decimals, const TFormatSettings& fs);
// Shortest text that reads back as the same double, in general (not scientific) notation
// where it has at most 15 significant digits, exponent notation "1,5E20" otherwise.
std::string FloatToStr(double value, const TFormatSettings& fs);
// General format: `precision` significant digits (1..15), plain notation when the decimal
// exponent lies in -5 .. precision-1, else one digit, the rest, "E" and the exponent padded
// to `minExponentDigits` (0..4). Trailing zeros and a bare separator are dropped.
std::string FloatToStrGeneral(double value, int precision, int minExponentDigits, const TFormatSettings& fs);
// Decimal text with the given separator, optional sign, optional exponent; leading and
// trailing blanks allowed. False on anything else (the other separator included).
bool TryStrToFloat(std::string_view text, double& value, const TFormatSettings& fs);

std::string IntToStr(int64_t value);
// Decimal with optional sign, or hexadecimal after "$" or "0x"; blanks around allowed.
bool TryStrToInt(std::string_view text, int64_t& value);
int64_t StrToIntDef(std::string_view text, int64_t def);

// Rounding of the system: halves to even.
double RoundHalfEven(double value);
// Halves to even, then to an integer; false when not finite or outside int64.
bool TryRoundToInt64(double value, int64_t& result);

}  // namespace platform
