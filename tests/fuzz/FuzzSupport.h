#pragma once
// What the fuzz targets share: a check that stops the run, a scratch directory of the
// process for the readers that take a file name, and UTF-8 validation.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "tests/support/TempDir.h"

// Stops the run; libFuzzer keeps the input that broke the check as a crash.
#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::fuzz::CheckFailed(#condition, __FILE__, __LINE__))

namespace fuzz {

[[noreturn]] inline void CheckFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

// A directory of this process under $TMPDIR, removed when the process ends normally.
using TScratchDir = platform_test::TTempDir;

inline const TScratchDir& Scratch() {
    static const TScratchDir dir;
    return dir;
}

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The harness's own checks stay out of the coverage that steers the fuzzer.
#define FUZZ_NO_COVERAGE __attribute__((no_sanitize("coverage")))

FUZZ_NO_COVERAGE inline bool ValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t more = 0;
        unsigned char low = 0x80, high = 0xBF;  // the first continuation byte's range
        if (c < 0x80) {
            more = 0;
        } else if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            if (c == 0xE0) low = 0xA0;
            if (c == 0xED) high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            if (c == 0xF0) low = 0x90;
            if (c == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (s.size() - i <= more) return false;
        for (std::size_t k = 1; k <= more; ++k) {
            const auto b = static_cast<unsigned char>(s[i + k]);
            if (b < (k == 1 ? low : 0x80) || b > (k == 1 ? high : 0xBF)) return false;
        }
        i += more + 1;
    }
    return true;
}

}  // namespace fuzz
