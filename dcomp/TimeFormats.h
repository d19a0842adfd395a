#pragma once
// Time formats and display values, a unit without a name of its own.
#include <array>
#include <cstdint>

namespace dcomp {

inline constexpr std::array<const char*, 4> kTimeFormats = {"HH:mm AM/PM", "HH:mm:ss AM/PM", "HH:mm",
                                                            "HH:mm:ss"};

// 64, white 0xFFFFFF, light grey 0xD3D3D3, 0 and 0 once initialised; zeros outside the
// unit's initialisation and finalisation.
const std::array<int32_t, 5>& TimeFormatValues();

void InitTimeFormats();
void FinalizeTimeFormats();

}  // namespace dcomp
