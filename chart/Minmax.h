#pragma once
// Minimum and maximum of the integer widths the chart works in.
#include <cstdint>

namespace chart {

constexpr uint8_t MaxByte(uint8_t a, uint8_t b) {
    return a > b ? a : b;
}
constexpr int32_t MinInteger(int32_t a, int32_t b) {
    return a < b ? a : b;
}
constexpr int32_t MaxInteger(int32_t a, int32_t b) {
    return a > b ? a : b;
}
constexpr uint16_t MinWord(uint16_t a, uint16_t b) {
    return a < b ? a : b;
}

}  // namespace chart
