#pragma once
// Definitions of a small Vesk-3 settings file and a document image that loads them.
#include <string>

#include "app/device/Halvobase.h"
#include "tests/support/TempDir.h"

namespace app::test {

// Section 1: a REAL of scale 0,1 with one decimal (register 1), a REAL of scale 0,01
// shown without decimals (register 2), a Y/N (register 3), a hexadecimal word
// (register 4); section 2: one INT. Registers count from 1.
inline constexpr const char* kSmallVesk3Set =
    "[GLOBAL]\nZNS_SIZE=119\nZNS1_ADRES=2177\nZNS2_ADRES=2433\nZNS_SEND_STEP=119\n"
    "EV_BUF_FIRST_REG=4001\nEV_BUF_LAST_REG=4032\n"
    "[SECTION_1]\nTITLE=Voltages\n"
    "X1_NAME=Level 0.9Vr\nX1_DIM=%\nX1_TYPE=REAL\nX1_BASE=0,1\nX1_DEC_PLACES=1\nX1_OFFSET=1\n"
    "X2_NAME=Delay\nX2_DIM=s\nX2_TYPE=REAL\nX2_BASE=0,01\nX2_DEC_PLACES=0\n"
    "X3_NAME=Blocking\nX3_TYPE=Y/N\n"
    "X4_NAME=Mask\nX4_TYPE=HEX\n"
    "[SECTION_2]\nTITLE=Times\nX1_NAME=Counter\nX1_TYPE=INT\nX1_OFFSET=10\n";

inline void PutWord(uint8_t* set, int registerNumber, uint16_t word) {
    set[2 * (registerNumber - 1)] = static_cast<uint8_t>(word >> 8);
    set[2 * (registerNumber - 1) + 1] = static_cast<uint8_t>(word);
}

inline uint16_t Word(const uint8_t* set, int registerNumber) {
    return static_cast<uint16_t>(set[2 * (registerNumber - 1)] << 8 | set[2 * (registerNumber - 1) + 1]);
}

}  // namespace app::test
