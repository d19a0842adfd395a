#include "platform/Waiter.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace platform {

namespace {

class TSleepWaiter : public IWaiter {
public:
    void WaitMs(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

std::atomic<IWaiter*> current{nullptr};

}  // namespace

IWaiter& CurrentWaiter() {
    static TSleepWaiter sleeper;
    IWaiter* w = current.load();
    if (w) return *w;
    return sleeper;
}

IWaiter* SetWaiter(IWaiter* waiter) {
    return current.exchange(waiter);
}

}  // namespace platform
