#include "app/link/Timeutil.h"

#include <cmath>

#include "platform/Waiter.h"

namespace app {

void WaitMs(int ms) {
    platform::CurrentWaiter().WaitMs(ms > 0 ? static_cast<uint32_t>(ms) : 0u);
}

double DateTimeToSeconds(platform::TDateTime value) {
    // NaN fails the test too.
    if (!(value > 0) || !std::isfinite(value)) return 0;
    int hour = 0, minute = 0, second = 0, msec = 0;
    platform::DecodeTime(value, hour, minute, second, msec);
    return hour * 3600.0 + minute * 60.0 + second + msec / 1000.0;
}

}  // namespace app
