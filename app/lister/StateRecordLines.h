#pragma once
// The detail lines of the state records (voltages, blocking, switchgear snapshot), all
// plain and indented by two spaces. A record too short for a byte writes no line of it.
#include <cstdint>
#include <span>

#include "app/lister/ListingSink.h"

namespace app {

struct TListingConditions {
    bool ShowAllEvents = false;  // the reading option
    bool SysLogick = false;      // the settings definitions' ImplementsSysLogick
};

// Device type 1 or 2; other types write nothing.
void WriteVoltageLines(std::span<const uint8_t> record, int deviceType, IListingSink& sink);
void WriteBlockingLines(std::span<const uint8_t> record, int deviceType, IListingSink& sink);
// Whether a blocking record repeats the state (bytes 3 on) of the previous one, whose
// cell may go on past its record; the bytes past the record are never compared.
bool SameBlockingState(std::span<const uint8_t> record, std::span<const uint8_t> previousCell);

void WriteSwitchgearLines(std::span<const uint8_t> record, int deviceType,
                          const TListingConditions& conditions, IListingSink& sink);

}  // namespace app
