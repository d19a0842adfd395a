#include "platform/Clock.h"

#include <ctime>

#include "platform/DateTime.h"

namespace platform {

namespace {

class TLocalTime : public IClock {
public:
    TDateTime Now() override {
        timespec ts{};
        ::clock_gettime(CLOCK_REALTIME, &ts);
        tm local{};
        ::localtime_r(&ts.tv_sec, &local);
        TDateTime date = 0, time = 0;
        TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, date);
        // A leap second shows as :59.
        TryEncodeTime(local.tm_hour, local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec,
                      static_cast<int>(ts.tv_nsec / 1000000), time);
        return date + time;
    }
};

}  // namespace

IClock& TSystemClock::Get() {
    static TLocalTime clock;
    return clock;
}

}  // namespace platform
