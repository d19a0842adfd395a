#pragma once
// The bytes the process holds on its heap now, for tests that show memory staying flat:
// the sanitizer's count under AddressSanitizer, the C library's otherwise.
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's own interface (g++ installs no header for it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace platform_test {

inline std::size_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

}  // namespace platform_test
