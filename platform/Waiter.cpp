#include "platform/Waiter.h"

#include <chrono>
#include <thread>

namespace platform {

namespace {

class TSleeper : public IWaiter {
public:
    void WaitMs(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

}  // namespace

IWaiter& TSleepWaiter::Get() {
    static TSleeper sleeper;
    return sleeper;
}

}  // namespace platform
