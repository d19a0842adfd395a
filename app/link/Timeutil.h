#pragma once
// Waiting and time-of-day helpers of the link's users.
#include "platform/DateTime.h"

namespace app {

// Waits about ms milliseconds through the current waiter, which keeps the GUI's events
// running; a negative time waits 0.
void WaitMs(int ms);

// The time of day as seconds with a millisecond fraction; 0 for a value of 0 or less.
double DateTimeToSeconds(platform::TDateTime value);

}  // namespace app
