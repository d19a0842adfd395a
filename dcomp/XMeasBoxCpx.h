#pragma once
// The constants and texts of the configuration editor; the texts in the dictionary group
// "XMeasBoxCpx".
#include <array>

namespace dcomp {

inline constexpr std::array<const char*, 3> kXMeasBoxOnOffTexts = {"ON", "OFF", "ONOFF"};

class TXLangGroup;
// None outside the unit's initialisation and finalisation.
TXLangGroup* XMeasBoxCpxGroup();

void InitXMeasBoxCpx();
void FinalizeXMeasBoxCpx();

}  // namespace dcomp
