// Number and date-time texts without the locale: every double's shortest text and fixed
// text read back, integer texts both ways, rounding to integers, day numbers taken
// apart and put together again, and any text read as a number or used as a date
// format. Layout of FuzzedDataProvider: settings, decimals, a double's and an
// integer's bits from the end; the rest is the text.
#include <fuzzer/FuzzedDataProvider.h>

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "platform/DateTime.h"
#include "platform/FormatSettings.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

constexpr double kMsPerDay = 86400000.0;

void CheckDouble(double value, int decimals, const platform::TFormatSettings& fs) {
    const std::string shortest = platform::FloatToStr(value, fs);
    double back = 0;
    if (!std::isfinite(value)) return;
    FUZZ_CHECK(platform::TryStrToFloat(shortest, back, fs) && back == value);

    const std::string fixed = platform::FormatFixed(value, decimals, fs);
    FUZZ_CHECK(platform::TryStrToFloat(fixed, back, fs));
    // At most half a unit of the last decimal off, and what reading the text costs.
    const double bound = 0.5 * std::pow(10.0, -decimals) * (1 + 1e-9) +
                         2 * std::fabs(std::nextafter(back, 0.0) - back) +
                         std::numeric_limits<double>::denorm_min();
    FUZZ_CHECK(std::fabs(back - value) <= bound);
    // Enough decimals give the value's whole expansion.
    FUZZ_CHECK(platform::TryStrToFloat(platform::FormatFixed(value, 1074, fs), back, fs) && back == value);

    int64_t rounded = 0;
    if (platform::TryRoundToInt64(value, rounded))
        FUZZ_CHECK(std::fabs(static_cast<double>(rounded) - value) <= 0.5);
}

void CheckDate(double value) {
    const platform::TDateTimeParts p = platform::DecodeDateTime(value);
    FUZZ_CHECK(p.Month >= 1 && p.Month <= 12 && p.Day >= 1 && p.Day <= 31);
    FUZZ_CHECK(p.Hour >= 0 && p.Hour <= 23 && p.Minute >= 0 && p.Minute <= 59 && p.Second >= 0 &&
               p.Second <= 59 && p.MSec >= 0 && p.MSec <= 999);
    platform::TDateTime date = 0, time = 0;
    FUZZ_CHECK(platform::TryEncodeDate(p.Year, p.Month, p.Day, date));
    FUZZ_CHECK(platform::TryEncodeTime(p.Hour, p.Minute, p.Second, p.MSec, time));
    // Days from 1899-12-30 on to year 9999 come back to the millisecond.
    if (value >= 0 && value < 2958466) {
        const double ulp = std::fabs(std::nextafter(value, 0.0) - value);
        FUZZ_CHECK(std::fabs(date + time - value) <= (1.0 / kMsPerDay) + 2 * ulp);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const platform::TFormatSettings& fs =
        in.ConsumeBool() ? platform::AppFormatSettings() : platform::DotFormatSettings();
    const int decimals = in.ConsumeIntegralInRange(0, 40);
    const double value = std::bit_cast<double>(in.ConsumeIntegral<uint64_t>());
    const auto integer = in.ConsumeIntegral<int64_t>();
    const std::string text = in.ConsumeRemainingBytesAsString();

    CheckDouble(value, decimals, fs);
    CheckDate(value);
    int64_t back = 0;
    FUZZ_CHECK(platform::TryStrToInt(platform::IntToStr(integer), back) && back == integer);

    double number = 0;
    if (platform::TryStrToFloat(text, number, fs)) CheckDouble(number, decimals, fs);
    if (platform::TryStrToInt(text, back)) {
        int64_t again = 0;
        FUZZ_CHECK(platform::TryStrToInt(platform::IntToStr(back), again) && again == back);
    }
    FUZZ_CHECK(platform::FormatDateTime(text, value, fs).size() <= 3 * text.size());
    return 0;
}
