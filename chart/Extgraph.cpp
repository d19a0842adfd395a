#include "chart/Extgraph.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace chart {

namespace {
constexpr long double kMMPerInch = 25.4L;
}

long double MMToPixels(long double ppi, long double mm) {
    return mm * ppi / kMMPerInch;
}

long double PixelsToMM(long double ppi, long double pixels) {
    return pixels * kMMPerInch / ppi;
}

long double ValueToLength(long double span, long double valuePerDivision, long double divisionLength) {
    return divisionLength * (span / valuePerDivision);
}

long double AutoScalePercent(int32_t widthPixels, int32_t ppi, long double divisionLengthMM,
                             long double valuePerDivision, long double minimum, long double maximum) {
    if (minimum == maximum || divisionLengthMM == 0 || valuePerDivision == 0 || widthPixels == 0 || ppi == 0)
        return 100;
    return PixelsToMM(ppi, widthPixels) * (valuePerDivision * 100) / divisionLengthMM / (maximum - minimum);
}

bool IsGridValue(long double value, long double step) {
    const long double k = std::nearbyint(value / step);
    return std::fabs(value - k * step) < step / 100;
}

long double FirstGridValue(long double start, long double step) {
    const long double t = step * std::nearbyint(start / step);
    return start <= t ? t : t + step;
}

long double NextGridValue(int32_t subdivisions, long double step, long double current) {
    return current + step / (static_cast<long double>(subdivisions) + 1);
}

std::string FormatGridLabel(int32_t /*decimals*/, long double value) {
    const long double whole = std::nearbyint(value);
    if (!std::isfinite(whole)) return {};
    if (whole == 0) return "0";  // no "-0"
    char digits[48];
    auto result = std::to_chars(digits, digits + sizeof digits, whole, std::chars_format::fixed, 0);
    if (result.ec == std::errc()) return std::string(digits, result.ptr);
    // Room for every digit of the largest long double.
    std::string text(std::numeric_limits<long double>::max_exponent10 + 8, '\0');
    result = std::to_chars(text.data(), text.data() + text.size(), whole, std::chars_format::fixed, 0);
    text.resize(static_cast<size_t>(result.ptr - text.data()));
    return text;
}

}  // namespace chart
