#pragma once
// Events-buffer records built by hand, for the lister tests and the sample-making tool
// (so without gtest).
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace app::test {

using Bytes = std::vector<uint8_t>;

inline Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Clock-time record: minute, hour, day, month, two-digit year.
inline Bytes Clock(int minute, int hour, int day, int month, int year) {
    return {0xF3,
            static_cast<uint8_t>(minute),
            static_cast<uint8_t>(hour),
            static_cast<uint8_t>(day),
            static_cast<uint8_t>(month),
            static_cast<uint8_t>(year)};
}

// A record with a tick count: code, ticks big-endian, then the bytes from byte 3 on.
inline Bytes Ev(uint8_t code, uint16_t ticks, const Bytes& tail = {}) {
    // Sized at once: GCC 12 takes growing a three-byte vector by the tail for a copy past
    // its end (a false -Warray-bounds in optimised builds).
    Bytes r(3 + tail.size());
    r[0] = code;
    r[1] = static_cast<uint8_t>(ticks >> 8);
    r[2] = static_cast<uint8_t>(ticks);
    std::copy(tail.begin(), tail.end(), r.begin() + 3);
    return r;
}

}  // namespace app::test
