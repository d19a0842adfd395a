#pragma once
// The chart traces of a sequence: trace points collected per trace number, and the
// sample styles of the state values they are drawn in.
#include <array>
#include <cstdint>
#include <span>

#include "chart/TraceChart.h"

namespace app {

// A cell of the lister's trace matrix (row = trace number), 16 little-endian bytes.
struct TTracePoint {
    double Seconds = 0;     // since the sequence's first record
    uint32_t Code = 0;      // of the record it comes from
    uint8_t Value = 0;      // 0/1 signals, 0..2 breaker states, 4..8 voltage bands
    uint8_t Unset[3] = {};  // zero
};
static_assert(sizeof(TTracePoint) == 16);

std::array<uint8_t, sizeof(TTracePoint)> TracePointCell(const TTracePoint& point);
// Zeros for what a short cell lacks.
TTracePoint TracePointOf(std::span<const uint8_t> cell);

inline constexpr int kStateOff = 0;
inline constexpr int kStateOn = 1;
inline constexpr int kStateAmbiguous = 2;
inline constexpr int kStateUnknown = 3;
inline constexpr int kStateCount = 9;

// The sample templates of the state values 0..8, X 0.
extern const std::array<chart::TGraphSample, kStateCount> StateSampleStyles;

// The style of a state value: itself, or UNKNOWN STATE for a value outside 0..8.
int StateStyle(int value);
// The template of a value's style with its X set.
chart::TGraphSample StateSample(int value, double x);
// OFF and ON swapped; any other value unchanged.
int InvertState(int value);
// The common value of two equal values, else AMBIGUOUS STATE.
int CombineStates(int a, int b);

}  // namespace app
