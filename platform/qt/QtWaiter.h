#pragma once
// The GUI's waiter: a wait runs a nested event loop until a single-shot timer ends it,
// so the windows stay alive (Cancel, closing) while a transfer waits.
#include <cstdint>

#include "platform/Waiter.h"

namespace platform {

class TQtWaiter : public IWaiter {
public:
    // 0 ms processes what is pending once and returns.
    void WaitMs(uint32_t ms) override;
};

}  // namespace platform
