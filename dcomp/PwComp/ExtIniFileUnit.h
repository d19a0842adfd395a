#pragma once
// The initialisation-file unit: of it the program keeps only its number format.
#include "platform/FormatSettings.h"

namespace dcomp {

// The library's number format with "." as decimal separator; platform::Exception outside
// the unit's initialisation and finalisation.
const platform::TFormatSettings& ExtIniFileFormatSettings();

void InitExtIniFileUnit();
void FinalizeExtIniFileUnit();

}  // namespace dcomp
