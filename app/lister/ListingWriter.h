#pragma once
// The listing of one sequence (TEvLister::WriteListing): an event line per record and
// the detail lines of the clock-change and serial-command records.
#include <cstdint>
#include <span>
#include <string>

#include "app/lister/ListingSink.h"

namespace app {

// "  Change of time source: ..." for sources 1 to 3, "  ?" for any other.
std::string ClockSourceLine(uint8_t source);
// The source line and the new date and time of a clock-time change record; an
// impossible date raises platform::EConvertError.
void WriteClockChangeLines(std::span<const uint8_t> record, IListingSink& sink);
// The command of a serial-port command record, nullptr for a number without one.
const char* SerialCommandText(uint8_t number, bool msbNotZero);
void WriteSerialCommandLines(std::span<const uint8_t> record, IListingSink& sink);

}  // namespace app
