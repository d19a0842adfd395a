/* A C program against talvo.h and libtalvo.so. */
#include <stdio.h>
#include <string.h>

#include "talvo.h"

int main(void) {
    static const uint8_t expected[12] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x06,
                                         0x1F, 0x03, 0x0F, 0xA0, 0x00, 0x7D};
    uint8_t frame[12];
    char text[64];
    int failures = 0;
    if (BuildTALVOReadRegs(0x0FA0, 125, 1, 31, frame) != 12 || memcmp(frame, expected, 12) != 0) {
        puts("BuildTALVOReadRegs");
        ++failures;
    }
    TALVOGetErrorDescription(-11, text, (int32_t)(sizeof text - 1));
    if (strcmp(text, "Timeout") != 0) {
        puts("TALVOGetErrorDescription");
        ++failures;
    }
    if (TALVOReadRegs(101, 1, 0, 1, 100, NULL, true) != -6 || !TALVOCloseAll()) {
        puts("table");
        ++failures;
    }
    return failures;
}
