#pragma once
// Core code waits only through the current waiter: the GUI pumps its event loop
// (so Cancel works during a transfer), tests script what happens at each wait.
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/ServiceScope.h"

namespace platform {

class IWaiter {
public:
    virtual ~IWaiter() = default;
    virtual void WaitMs(uint32_t ms) = 0;
};

struct TSleepWaiter {
    static IWaiter& Get();
};
// Process-wide; without one set, a plain sleep.
using TWaiterService = TProcessService<IWaiter, TSleepWaiter>;
using TWaiterScope = TWaiterService::TScope;
inline IWaiter& CurrentWaiter() {
    return TWaiterService::Current();
}

// Records every wait and does not sleep; OnWait gets the wait's 1-based number and its ms.
class TScriptedWaiter : public IWaiter {
public:
    void WaitMs(uint32_t ms) override {
        Waits.push_back(ms);
        if (OnWait) OnWait(static_cast<int>(Waits.size()), ms);
    }
    std::vector<uint32_t> Waits;
    std::function<void(int number, uint32_t ms)> OnWait;
};

}  // namespace platform
