#pragma once
// The chart's time unit and the arithmetic of its millimetre page model.
// ppi is the device's pixels per inch along the axis concerned.
#include <cstdint>
#include <string>

namespace chart {

enum class TIntervalTimeType : uint8_t { None = 0, mSeconds = 1, Seconds = 2, Minutes = 3, Hours = 4 };

// Not rounded: callers round to the nearest whole pixel. ppi must not be 0.
long double MMToPixels(long double ppi, long double mm);
long double PixelsToMM(long double ppi, long double pixels);

long double ValueToLength(long double span, long double valuePerDivision, long double divisionLength);

// Horizontal scale in percent at which minimum..maximum fills the plot width;
// exactly 100 when any of the quantities it divides by is 0.
long double AutoScalePercent(int32_t widthPixels, int32_t ppi, long double divisionLengthMM,
                             long double valuePerDivision, long double minimum, long double maximum);

// Within a hundredth of a step of a whole multiple of the step.
bool IsGridValue(long double value, long double step);
// The first grid value at or after start.
long double FirstGridValue(long double start, long double step);
long double NextGridValue(int32_t subdivisions, long double step, long double current);

// The value rounded (halves to even) to a whole number, with every digit whatever width
// decimals asks for: a label cut short would show a different number. Empty for a value
// that is not a number or infinite.
std::string FormatGridLabel(int32_t decimals, long double value);

}  // namespace chart
