// Only kernel headers here: <asm/termios.h> and the C library's <termios.h> or
// <sys/ioctl.h> cannot share a file, hence the own declaration of ioctl.
#include "app/link/RsdPort.h"

#include <asm/termios.h>

#include <cerrno>

extern "C" int ioctl(int fd, unsigned long request, ...) noexcept;

namespace app::rsdport {

int Configure8N1(int fd, uint32_t bitRate) {
    termios2 tio{};
    if (ioctl(fd, TCGETS2, &tio) != 0) return errno;
    tio.c_iflag = 0;
    tio.c_oflag = 0;
    tio.c_lflag = 0;
    // CIBAUD left 0: input runs at the output rate.
    tio.c_cflag = BOTHER | CS8 | CREAD | CLOCAL;
    tio.c_ispeed = bitRate;
    tio.c_ospeed = bitRate;
    // With O_NONBLOCK and VMIN 1 an empty queue reads as EAGAIN, not as end of file;
    // the link waits with poll against its own deadline.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (ioctl(fd, TCSETS2, &tio) != 0) return errno;

    // The lines stay low as the devices' converters are used to; ports without modem
    // lines (ptys, some adapters) refuse the request, which is no fault.
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (ioctl(fd, TIOCMBIC, &lines) != 0 && errno != ENOTTY && errno != EINVAL) return errno;
    return 0;
}

int ReadBitRate(int fd, uint32_t& bitRate) {
    termios2 tio{};
    if (ioctl(fd, TCGETS2, &tio) != 0) return errno;
    bitRate = tio.c_ospeed;
    return 0;
}

}  // namespace app::rsdport
