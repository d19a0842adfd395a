#pragma once
// One setting of a parameter set, as a ".set" file describes it.
#include <cstdint>
#include <string>

namespace app {

enum SettingKind : uint8_t { skInt = 0, skReal = 1, skYesNo = 2, skVoltage = 3, skHex = 4 };

struct TSettingDescriptor {
    std::string Name;           // at most 20 characters
    std::string Unit;           // at most 4 characters
    uint8_t Kind = skHex;       // SettingKind
    uint8_t RegisterIndex = 0;  // word at byte 2 * RegisterIndex of the parameter set
    double Scale = 0.0;         // factor of a REAL setting
    uint8_t DecimalPlaces = 0;  // digits kept after the separator of a REAL setting
};

}  // namespace app
