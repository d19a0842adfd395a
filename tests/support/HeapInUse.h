#pragma once
// The bytes the process holds on its heap now, for tests that show memory staying flat:
// the sanitizer's count under AddressSanitizer, the C library's otherwise. Large blocks
// the C library maps on their own count too: a buffer that only grows ends up there.
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
    const struct mallinfo2 heap = mallinfo2();
    return heap.uordblks + heap.hblkhd;
#endif
}

}  // namespace platform_test
