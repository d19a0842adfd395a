#pragma once
// Bit operations on one byte (bit 0 the least significant) and hexadecimal texts.
#include <cstdint>
#include <string_view>

namespace chart {

// Sets bit n when state is non-zero, clears it otherwise; n outside 0..7 leaves the byte.
void SetBit(int state, int n, uint8_t& value);
// False for n outside 0..7.
bool BitIsSet(int n, uint8_t value);
// Exchanges bits a and b and returns the new byte; a or b outside 0..7 leaves the byte.
uint8_t SwapBits(int a, int b, uint8_t& value);

// 0-9 and upper-case A-F only; anything else raises platform::Exception
// "<character> is not a hex value".
int HexDigitValue(char c);
// Digits only, no sign or prefix; summed in 32 bits, so more than 8 digits wrap.
// Empty text raises "HexToInt - trying convert empty string".
int32_t HexToInt(std::string_view text);

}  // namespace chart
