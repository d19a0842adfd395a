#pragma once
// Line settings of an open tty by the kernel's termios2, which carries any bit rate.
// Kept apart from <termios.h>: the kernel's and the C library's termios definitions clash.
#include <cstdint>

namespace app::rsdport {

// 8 data bits, no parity, one stop bit, raw, no flow control, at `bitRate`; DTR and RTS
// dropped where the port has modem lines. 0, or the errno of the call that failed.
int Configure8N1(int fd, uint32_t bitRate);
// The output bit rate the port runs at; 0, or the errno.
int ReadBitRate(int fd, uint32_t& bitRate);

}  // namespace app::rsdport
