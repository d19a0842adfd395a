#pragma once
// The display formats of a measured value, from "X.XXX m" to "XXX.X M".
#include <cstdint>
#include <string>
#include <vector>

namespace dcomp {

struct TKnvInfo {
    double Limit;     // the upper end of the values the format is meant for
    int32_t Valid;    // 1 for a real format, 0 for the automatic entry
    int8_t Exponent;  // decimal exponent of the scale
    int32_t IntDigits;
    int32_t DecDigits;
    std::string Prefix;  // "m", "k", "M" or empty
    bool Enabled;
    bool ShowPoint;
    double Scale;  // 10 to the power Exponent
};

inline constexpr int kKnvInfoCount = 15;

// The 15 entries, index 0 the automatic one, with their scales; empty outside the unit's
// initialisation and finalisation.
const std::vector<TKnvInfo>& KnvInfoTable();

void InitMeasListUnit();
void FinalizeMeasListUnit();

}  // namespace dcomp
