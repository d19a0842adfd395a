#include "app/link/RsdUnit.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "app/link/Mbusfun.h"
#include "app/link/RsdPort.h"
#include "platform/ErrnoText.h"
#include "platform/FormatSettings.h"
#include "platform/Registry.h"
#include "platform/Strings.h"

namespace app {

namespace {

constexpr uint32_t kBitRates[] = {110,   300,   600,   1200,  2400,  4800,  9600,
                                  14400, 19200, 38400, 56000, 57600, 115200};
constexpr int kSpeedCount = sizeof(kBitRates) / sizeof(kBitRates[0]);
constexpr int kWriteTotalTimeoutConstant = 1000;

using Clock = std::chrono::steady_clock;

// Milliseconds left until the deadline, for poll.
int Remaining(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// A fault of Transfer that has no errno of its own: the other end hung up.
constexpr int kHungUp = -1;

// The fault behind poll's answer, 0 when there is none.
int PollFault(short revents) {
    if ((revents & POLLNVAL) != 0) return EBADF;
    if ((revents & POLLERR) != 0) return EIO;
    if ((revents & POLLHUP) != 0) return kHungUp;
    return 0;
}

// Moves bytes with `io` (read or write from an offset, up to an end) until goal(done)
// of them moved, waiting for the port with poll until the one deadline; returns how
// many moved. `fault` is 0, an errno, or kHungUp when the port stopped working.
template <typename Goal, typename Io>
size_t Transfer(int fd, short events, int timeoutMs, Goal goal, Io io, int& fault) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    size_t done = 0;
    int polled = 0;
    fault = 0;
    for (size_t end = goal(done); done < end; end = goal(done)) {
        const ssize_t n = io(done, end);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        // What moved before the end is all there is.
        if (n < 0 && errno != EAGAIN) {
            fault = errno;
            break;
        }
        if (n == 0) {
            fault = kHungUp;
            break;
        }
        // After a hang-up one more try still collects what came before it.
        if (polled != 0) {
            fault = polled;
            break;
        }
        pollfd p{fd, events, 0};
        const int ready = ::poll(&p, 1, Remaining(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) break;
        polled = PollFault(p.revents);
    }
    return done;
}

// Address, function and byte count: enough to know the length of every answer whose
// length can be known, and never more than the shortest answer.
constexpr size_t kAnswerHeaderBytes = 3;

// How far a read may go with `done` bytes in: to the end of the answer frame once its
// length is known, to the end of the header while it may still tell, else to `count`.
// Never past a frame's end, so what follows it stays queued for DiscardInput.
size_t ReadGoal(const uint8_t* data, size_t done, size_t count) {
    if (const auto length = AnswerFrameLength(data, done)) return std::min(*length, count);
    if (done < kAnswerHeaderBytes) return std::min(kAnswerHeaderBytes, count);
    return count;
}

}  // namespace

TBaudRate BaudRateFromOrdinal(int ordinal) {
    return ordinal >= 0 && ordinal < kSpeedCount ? static_cast<TBaudRate>(ordinal) : br9600;
}

uint32_t BaudRateBits(TBaudRate rate) {
    return kBitRates[BaudRateFromOrdinal(static_cast<int>(rate))];
}

std::string SerialDeviceName(std::string_view commPort) {
    if (!commPort.empty() && commPort.front() == '/') return std::string(commPort);
    if (commPort.size() > 3 && platform::SameText(commPort.substr(0, 3), "COM")) {
        const std::string_view digits = commPort.substr(3);
        int64_t number = 0;
        if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
            digits.size() <= 9 && platform::TryStrToInt(digits, number) && number >= 1)
            return "/dev/ttyS" + platform::IntToStr(number - 1);
    }
    return "/dev/" + std::string(commPort);
}

bool GetSerialPortNames(std::vector<std::string>& list) {
    list.clear();
    std::vector<std::pair<std::string, std::string>> values;
    if (!platform::RegReadValues(platform::HKEY::LocalMachine, "HARDWARE\\DEVICEMAP\\SERIALCOMM", values))
        return false;
    for (auto& value : values)
        if (!value.second.empty()) list.push_back(std::move(value.second));
    // As text, case aside: COM10 before COM2.
    std::stable_sort(list.begin(), list.end(), [](const std::string& a, const std::string& b) {
        return platform::UpperCase(a) < platform::UpperCase(b);
    });
    return true;
}

TRsdHan::~TRsdHan() {
    ReleaseHandle();
}

void TRsdHan::ReleaseHandle() {
    // On a pty the exclusive flag outlives the descriptor while the other side stays
    // open: without TIOCNXCL the next program, this one started again included, would
    // find the port busy. Others may also open it through a descriptor of theirs.
    if (FHandle) ::ioctl(FHandle.Get(), TIOCNXCL);
    FHandle.Reset();  // a failed close leaves nothing to undo
}

int TRsdHan::Open() {
    Close();
    int result = kOpenFailed;
    FFailReason.clear();
    if (FCommPort.empty()) {
        FFailReason = "no port chosen";
    } else {
        const std::string device = SerialDeviceName(FCommPort);
        platform::TUniqueFd port(::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
        if (!port) {
            // Another program took the port exclusively.
            FFailReason = errno == EBUSY ? "busy, held by another program" : platform::ErrnoText(errno);
        } else if (::flock(port.Get(), LOCK_EX | LOCK_NB) != 0) {
            FFailReason =
                errno == EWOULDBLOCK ? "busy, locked by another program" : platform::ErrnoText(errno);
        } else {
            try {
                Configure(port.Get());
            } catch (const EComState& e) {
                FFailReason = e.Message();
                throw;
            }
            // The lock binds only programs that ask for it; a terminal program does not.
            if (::ioctl(port.Get(), TIOCEXCL) != 0) {
                FFailReason = platform::ErrnoText(errno);
            } else {
                FHandle = std::move(port);
                result = kOpenOk;
            }
        }
    }
    FIsOpen = result == kOpenOk;
    FStatus = static_cast<uint8_t>(result);
    if (OnShowSt) OnShowSt();
    if (OnOpen) OnOpen();
    return result;
}

void TRsdHan::Close() {
    if (!FIsOpen) return;
    ReleaseHandle();
    FIsOpen = false;
    if (OnClose) OnClose();
}

bool TRsdHan::Reopen() {
    if (FIsOpen) return true;
    try {
        return Open() == kOpenOk;
    } catch (const EComState&) {
        return false;  // the reason is kept
    }
}

void TRsdHan::CloseIfStale() {
    if (!FIsOpen) return;
    const int fd = FHandle.Get();
    // No events asked: a hang-up or an error is reported all the same.
    pollfd p{fd, 0, 0};
    while (::poll(&p, 1, 0) < 0 && errno == EINTR) {
    }
    int fault = PollFault(p.revents);
    struct stat open {};
    struct stat named {};
    // A name that names nothing now leaves alone a port that still works.
    if (fault == 0 && ::fstat(fd, &open) == 0 && ::stat(SerialDeviceName(FCommPort).c_str(), &named) == 0 &&
        (named.st_dev != open.st_dev || named.st_ino != open.st_ino || named.st_rdev != open.st_rdev))
        fault = ENODEV;  // the open device is no longer the one the name gives
    if (fault != 0) PortFailed(fault);
}

std::string TRsdHan::Failure() const {
    if (FFailReason.empty()) return {};
    if (FCommPort.empty()) return "No serial port chosen";
    const std::string device = SerialDeviceName(FCommPort);
    return "Port " + FCommPort + (device == FCommPort ? "" : " (" + device + ")") + ": " + FFailReason;
}

void TRsdHan::PortFailed(int fault) {
    FFailReason = fault == kHungUp ? "hung up" : platform::ErrnoText(fault);
    Close();
}

void TRsdHan::SetIsOpen(bool value) {
    if (value == FIsOpen) return;
    if (value)
        Open();
    else
        Close();
}

void TRsdHan::SetBaudRate(TBaudRate value) {
    FBaudRate = BaudRateFromOrdinal(static_cast<int>(value));
}

const std::vector<std::string>& TRsdHan::CommList() {
    GetSerialPortNames(FCommList);
    return FCommList;
}

void TRsdHan::Configure(int fd) {
    if (const int error = rsdport::Configure8N1(fd, BaudRateBits(FBaudRate)); error != 0)
        throw EComState("Unable to set com state: " + platform::IntToStr(error));
}

size_t TRsdHan::WriteBuffer(const uint8_t* data, size_t count) {
    const int fd = FHandle.Get();
    if (fd < 0) return 0;
    int fault = 0;
    const size_t done = Transfer(
        fd, POLLOUT, kWriteTotalTimeoutConstant, [count](size_t) { return count; },
        [&](size_t at, size_t end) { return ::write(fd, data + at, end - at); }, fault);
    if (fault != 0) {
        PortFailed(fault);
        return done;
    }
    // The bytes are on their way only when they left the output queue.
    while (done > 0 && ::tcdrain(fd) != 0 && errno == EINTR) {
    }
    return done;
}

size_t TRsdHan::ReadBuffer(uint8_t* data, size_t count) {
    const int fd = FHandle.Get();
    if (fd < 0) return 0;
    int fault = 0;
    // A negative time-out is no time-out rather than an endless wait.
    const size_t done = Transfer(
        fd, POLLIN, std::max<int32_t>(FReadTotalTimeoutConstant, 0),
        [&](size_t got) { return ReadGoal(data, got, count); },
        [&](size_t at, size_t end) { return ::read(fd, data + at, end - at); }, fault);
    if (fault != 0) PortFailed(fault);
    return done;
}

void TRsdHan::DiscardInput() {
    if (FHandle) ::tcflush(FHandle.Get(), TCIFLUSH);
}

}  // namespace app
