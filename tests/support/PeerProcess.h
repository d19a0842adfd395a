#pragma once
// The peer programs the tests start: a child that dies with the test (killed at scope
// end, and by the kernel should the test itself die first), its first line of output,
// and the socat pty pair the serial tests run over.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/UniqueFd.h"

namespace peers {

class TPeerProcess {
public:
    explicit TPeerProcess(std::vector<std::string> args) {
        int out[2];
        if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
        FOut.Reset(out[0]);
        const platform::TUniqueFd childOut(out[1]);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        const pid_t parent = ::getpid();
        FPid = ::fork();
        if (FPid < 0) throw std::runtime_error("fork");
        if (FPid == 0) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent) ::_exit(126);
            ::dup2(childOut.Get(), STDOUT_FILENO);
            ::execvp(argv[0], argv.data());
            ::_exit(127);
        }
    }
    ~TPeerProcess() {
        FOut.Reset();
        if (FPid <= 0) return;
        ::kill(FPid, SIGTERM);
        for (int i = 0; i < 200; ++i) {
            if (::waitpid(FPid, nullptr, WNOHANG) == FPid) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ::kill(FPid, SIGKILL);
        ::waitpid(FPid, nullptr, 0);
    }
    TPeerProcess(const TPeerProcess&) = delete;
    TPeerProcess& operator=(const TPeerProcess&) = delete;

    // The first line the program prints, without its line break; empty when none came.
    std::string FirstLine(std::chrono::milliseconds limit = std::chrono::seconds(10)) {
        std::string line;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        char c = 0;
        while (std::chrono::steady_clock::now() < deadline) {
            pollfd p{FOut.Get(), POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            if (::read(FOut.Get(), &c, 1) != 1 || c == '\n') break;
            line.push_back(c);
        }
        return line;
    }
    bool Running() const { return FPid > 0 && ::waitpid(FPid, nullptr, WNOHANG) == 0; }

private:
    pid_t FPid = -1;
    platform::TUniqueFd FOut;
};

// Waits for a file the peer makes; false when it ends first or the time runs out.
inline bool WaitForPath(const std::filesystem::path& path, const TPeerProcess& owner,
                        std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (std::filesystem::exists(path)) return true;
        if (!owner.Running()) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return std::filesystem::exists(path);
}

// Two linked pseudo-terminals, dir/a and dir/b: what one end writes the other reads.
class TSocatPtyPair {
public:
    explicit TSocatPtyPair(const std::filesystem::path& dir)
        : FA((dir / "a").string()),
          FB((dir / "b").string()),
          FSocat({"socat", "pty,raw,echo=0,link=" + FA, "pty,raw,echo=0,link=" + FB}),
          FReady(WaitForPath(FA, FSocat) && WaitForPath(FB, FSocat)) {}

    bool Ready() const { return FReady; }
    const std::string& A() const { return FA; }
    const std::string& B() const { return FB; }

private:
    std::string FA, FB;
    TPeerProcess FSocat;
    bool FReady;
};

}  // namespace peers
