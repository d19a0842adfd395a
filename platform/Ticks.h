#pragma once
// Milliseconds of a monotonic clock (wraps like the 32-bit tick count).
#include <cstdint>

namespace platform {

uint32_t GetTickCount();
uint64_t GetTickCount64();

}  // namespace platform
