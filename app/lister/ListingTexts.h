#pragma once
// The small texts of the listing, the hexadecimal list and the sequence list.
#include <cstdint>
#include <span>
#include <string>

#include "app/lister/StampedEvent.h"
#include "platform/DateTime.h"
#include "platform/Strings.h"

namespace app {

// State values as the listing and the chart's legend name them: 0 "OFF", 1 "ON",
// 2 "AMBIGUOUS STATE", 3 "UNKNOWN STATE", 4..8 the voltage bands; any other "?".
std::string StateText(int state);

// A breaker from its closed and open contacts: 1 closed, 0 open, 2 when both agree.
int ContactState(bool closed, bool open);

using platform::HexLine;
using platform::HexText;

// Seconds of a positive time difference, whole days included, to the millisecond
// (halves to even); 0 for any other.
double ListingSeconds(platform::TDateTime difference);

// The seconds of an event line: three decimals, the application's decimal separator.
std::string SecondsText(double seconds);

// "Sequence no.1 (Normal) Date: 2006-03-14 hour: 10:22:05:040"
std::string SequenceLineText(int number, const TSequenceInfo& info);

}  // namespace app
