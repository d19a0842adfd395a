#pragma once
// A pseudo-terminal for link tests: the link opens the slave by name, the test plays the
// device on the master. The slave starts in the kernel's cooked default, so a link that
// forgets to configure raw mode shows it.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/UniqueFd.h"

namespace linktest {

class TPtyPair {
public:
    TPtyPair() {
        char name[256] = {};
        int master = -1;
        int slave = -1;
        if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        FMaster.Reset(master);
        FSlave.Reset(slave);
        FName = name;
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    }

    const std::string& SlaveName() const { return FName; }
    int SlaveFd() const { return FSlave.Get(); }

    void Write(const std::vector<uint8_t>& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(FMaster.Get(), bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
            } else {
                pollfd p{FMaster.Get(), POLLOUT, 0};
                if (::poll(&p, 1, 2000) <= 0) throw std::runtime_error("pty master not writable");
            }
        }
    }

    // What the link sent: up to count bytes, waiting at most timeoutMs for them.
    std::vector<uint8_t> Read(size_t count, int timeoutMs = 2000) {
        std::vector<uint8_t> bytes;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (bytes.size() < count) {
            uint8_t buffer[512];
            const ssize_t n = ::read(FMaster.Get(), buffer, std::min(sizeof buffer, count - bytes.size()));
            if (n > 0) {
                bytes.insert(bytes.end(), buffer, buffer + n);
                continue;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            pollfd p{FMaster.Get(), POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) break;
        }
        return bytes;
    }

    // Waits until bytes written on the master can be read on the slave.
    bool WaitSlaveReadable(int timeoutMs = 2000) {
        pollfd p{FSlave.Get(), POLLIN, 0};
        return ::poll(&p, 1, timeoutMs) == 1;
    }

    // The device goes away: the slave side sees a hang-up.
    void HangUp() { FMaster.Reset(); }

private:
    // The master closes first, as a device that goes away.
    platform::TUniqueFd FSlave;
    platform::TUniqueFd FMaster;
    std::string FName;
};

inline std::vector<uint8_t> AllByteValues() {
    std::vector<uint8_t> bytes(256);
    for (int i = 0; i < 256; ++i) bytes[i] = static_cast<uint8_t>(i);
    return bytes;
}

}  // namespace linktest
