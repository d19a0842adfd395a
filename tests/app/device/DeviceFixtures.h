#pragma once
// The shared scratch directory, and raw file access for building and checking files.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/TempDir.h"

namespace app::test {

using platform_test::TTempDir;

// Little-endian fields of the document files.
inline void Put16(std::string& b, std::size_t at, uint16_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8);
}

inline void PutDouble(std::string& b, std::size_t at, double v) {
    auto bits = std::bit_cast<uint64_t>(v);
    for (std::size_t i = 0; i < 8; ++i, bits >>= 8) b[at + i] = static_cast<char>(bits & 0xFF);
}

inline std::string Le16(uint16_t v) {
    std::string s(2, '\0');
    Put16(s, 0, v);
    return s;
}

inline std::string LeDouble(double v) {
    std::string s(8, '\0');
    PutDouble(s, 0, v);
    return s;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace app::test
