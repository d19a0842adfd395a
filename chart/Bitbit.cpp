#include "chart/Bitbit.h"

#include <string>

#include "platform/Exception.h"
#include "platform/Strings.h"

namespace chart {

namespace {

bool IsBitNumber(int n) {
    return n >= 0 && n < 8;
}

[[noreturn]] void NotHex(std::string_view character) {
    throw platform::Exception(std::string(character) + " is not a hex value");
}

}  // namespace

void SetBit(int state, int n, uint8_t& value) {
    if (!IsBitNumber(n)) return;
    const auto mask = static_cast<uint8_t>(1u << n);
    value = state != 0 ? static_cast<uint8_t>(value | mask) : static_cast<uint8_t>(value & ~mask);
}

bool BitIsSet(int n, uint8_t value) {
    return IsBitNumber(n) && (value >> n & 1u) != 0;
}

uint8_t SwapBits(int a, int b, uint8_t& value) {
    if (!IsBitNumber(a) || !IsBitNumber(b)) return value;
    const bool bitA = BitIsSet(a, value);
    const bool bitB = BitIsSet(b, value);
    SetBit(bitA, b, value);
    SetBit(bitB, a, value);
    return value;
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    NotHex(std::string_view(&c, 1));
}

int32_t HexToInt(std::string_view text) {
    if (text.empty()) throw platform::Exception("HexToInt - trying convert empty string");
    uint32_t sum = 0;
    uint32_t weight = 1;
    for (size_t end = text.size(); end > 0;) {
        // Step back over a whole UTF-8 character, so the message names it and not a piece.
        size_t start = end - 1;
        while (start > 0 && platform::IsUtf8Continuation(text[start])) --start;
        if (end - start > 1) NotHex(text.substr(start, end - start));
        sum += static_cast<uint32_t>(HexDigitValue(text[start])) * weight;
        weight *= 16;
        end = start;
    }
    return static_cast<int32_t>(sum);
}

}  // namespace chart
