#pragma once
// "Now" for everything that stamps a date: the system's local time, or a test's clock,
// so no test depends on the day it runs or on crossing midnight.
#include "platform/ServiceScope.h"

namespace platform {

using TDateTime = double;

class IClock {
public:
    virtual ~IClock() = default;
    virtual TDateTime Now() = 0;
};

struct TSystemClock {
    static IClock& Get();
};
using TClockService = TProcessService<IClock, TSystemClock>;
using TClockScope = TClockService::TScope;

// Always the same moment; tests move it by hand.
class TFixedClock : public IClock {
public:
    explicit TFixedClock(TDateTime value) : Value(value) {}
    TDateTime Now() override { return Value; }
    TDateTime Value;
};

}  // namespace platform
