#include "app/forms/PageOptions.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

#include "platform/Exception.h"
#include "platform/FormatSettings.h"

namespace app {

namespace {

[[noreturn]] void NotAMargin(std::string_view text) {
    throw platform::EConvertError("'" + std::string(text) + "' is not a valid floating point value");
}

}  // namespace

std::string MarginText(int32_t mm) {
    return platform::FormatFixed(mm / 10.0, 2, platform::AppFormatSettings()) + " cm";
}

std::optional<int32_t> MarginFromText(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const char separator = platform::AppFormatSettings().DecimalSeparator;
    std::size_t n = 0;
    while (n < text.size() && (std::isdigit(static_cast<unsigned char>(text[n])) || text[n] == separator ||
                               text[n] == '-' || text[n] == '+'))
        ++n;
    double cm = 0;
    if (!platform::TryStrToFloat(text.substr(0, n), cm, platform::AppFormatSettings()) || n == 0)
        NotAMargin(text);
    int64_t mm = 0;
    if (!platform::TryRoundToInt64(cm * 10, mm) || mm > std::numeric_limits<int32_t>::max() ||
        mm < std::numeric_limits<int32_t>::min())
        NotAMargin(text);
    return static_cast<int32_t>(std::max<int64_t>(mm, 0));
}

std::string MarginStepText(std::string_view text, int32_t current, int32_t delta) {
    const int64_t moved = int64_t{MarginFromText(text).value_or(current)} + delta;
    return MarginText(static_cast<int32_t>(std::clamp<int64_t>(moved, std::numeric_limits<int32_t>::min(),
                                                               std::numeric_limits<int32_t>::max())));
}

TPrintChecks ChecksFromFlags(uint8_t flags) {
    return {(flags & kPrintListing) != 0, (flags & kPrintGraph) != 0, (flags & kPrintParset1) != 0,
            (flags & kPrintParset2) != 0};
}

uint8_t FlagsFromChecks(const TPrintChecks& checks) {
    return static_cast<uint8_t>((checks.Listing ? kPrintListing : 0) | (checks.Graph ? kPrintGraph : 0) |
                                (checks.Parset1 ? kPrintParset1 : 0) | (checks.Parset2 ? kPrintParset2 : 0));
}

}  // namespace app
