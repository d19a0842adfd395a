#pragma once
// Little- and big-endian fields of images, records and frames, byte by byte, so no
// alignment or host byte order matters.
#include <bit>
#include <cstddef>
#include <cstdint>

namespace platform {

template <class T = uint64_t>
constexpr T GetLe(const uint8_t* p, std::size_t size = sizeof(T)) {
    T value = 0;
    for (std::size_t i = size; i-- > 0;) value = static_cast<T>(value << 8 | p[i]);
    return value;
}

template <class T = uint64_t>
constexpr T GetBe(const uint8_t* p, std::size_t size = sizeof(T)) {
    T value = 0;
    for (std::size_t i = 0; i < size; ++i) value = static_cast<T>(value << 8 | p[i]);
    return value;
}

template <class T>
constexpr void PutLe(uint8_t* p, T value, std::size_t size = sizeof(T)) {
    for (std::size_t i = 0; i < size; ++i)
        p[i] = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i));
}

template <class T>
constexpr void PutBe(uint8_t* p, T value, std::size_t size = sizeof(T)) {
    for (std::size_t i = 0; i < size; ++i)
        p[size - 1 - i] = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i));
}

constexpr uint16_t GetLe16(const uint8_t* p) {
    return GetLe<uint16_t>(p);
}
constexpr uint16_t GetBe16(const uint8_t* p) {
    return GetBe<uint16_t>(p);
}
constexpr void PutLe16(uint8_t* p, uint16_t value) {
    PutLe(p, value);
}
constexpr void PutBe16(uint8_t* p, uint16_t value) {
    PutBe(p, value);
}

// An IEEE double stored little-endian (time stamps, day numbers).
inline double GetLeDouble(const uint8_t* p) {
    return std::bit_cast<double>(GetLe<uint64_t>(p));
}
inline void PutLeDouble(uint8_t* p, double value) {
    PutLe(p, std::bit_cast<uint64_t>(value));
}

}  // namespace platform
