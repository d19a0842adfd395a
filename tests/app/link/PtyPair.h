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

namespace linktest {

class TPtyPair {
public:
    TPtyPair() {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
            throw std::runtime_error("openpty failed");
        name_ = name;
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    }
    ~TPtyPair() {
        HangUp();
        if (slave_ >= 0) ::close(slave_);
    }
    TPtyPair(const TPtyPair&) = delete;
    TPtyPair& operator=(const TPtyPair&) = delete;

    const std::string& SlaveName() const { return name_; }
    int SlaveFd() const { return slave_; }

    void Write(const std::vector<uint8_t>& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
            } else {
                pollfd p{master_, POLLOUT, 0};
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
            const ssize_t n = ::read(master_, buffer, std::min(sizeof buffer, count - bytes.size()));
            if (n > 0) {
                bytes.insert(bytes.end(), buffer, buffer + n);
                continue;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            pollfd p{master_, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) break;
        }
        return bytes;
    }

    // Waits until bytes written on the master can be read on the slave.
    bool WaitSlaveReadable(int timeoutMs = 2000) {
        pollfd p{slave_, POLLIN, 0};
        return ::poll(&p, 1, timeoutMs) == 1;
    }

    // The device goes away: the slave side sees a hang-up.
    void HangUp() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string name_;
};

inline std::vector<uint8_t> AllByteValues() {
    std::vector<uint8_t> bytes(256);
    for (int i = 0; i < 256; ++i) bytes[i] = static_cast<uint8_t>(i);
    return bytes;
}

}  // namespace linktest
