#include "tests/talvo/Peers.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

namespace talvo::test {

using namespace std::chrono_literals;

Step Read(size_t count) {
    return {Step::Read, {}, count};
}
Step Send(Bytes bytes) {
    return {Step::Send, std::move(bytes)};
}
Step Reply(Bytes bytes, int idOffset) {
    return {Step::Reply, std::move(bytes), 0, idOffset};
}
Step Flood(Bytes bytes, int idOffset) {
    return {Step::Flood, std::move(bytes), 0, idOffset};
}
Step Trickle(Bytes bytes) {
    return {Step::Trickle, std::move(bytes)};
}
Step Flush() {
    return {Step::Flush, {}};
}
Step Await() {
    return {Step::Await, {}};
}
Step Close() {
    return {Step::Close, {}};
}

namespace {

uint16_t BoundPort(int fd) {
    sockaddr_in addr{};
    socklen_t len = sizeof addr;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("getsockname");
    return ntohs(addr.sin_port);
}

platform::TUniqueFd BindEphemeral(bool anyAddress) {
    platform::TUniqueFd fd(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd) throw std::runtime_error("socket");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(anyAddress ? INADDR_ANY : INADDR_LOOPBACK);
    if (bind(fd.Get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        throw std::runtime_error("bind");
    return fd;
}

}  // namespace

ScriptedPeer::ScriptedPeer(std::vector<std::vector<Step>> scripts) : FScripts(std::move(scripts)) {
    FListener = BindEphemeral(false);
    if (listen(FListener.Get(), 16) != 0) throw std::runtime_error("listen");
    FPort = BoundPort(FListener.Get());
    FThread = std::thread([this] { Run(); });
}

ScriptedPeer::~ScriptedPeer() {
    FStop = true;
    Release();
    FThread.join();
}

std::vector<Bytes> ScriptedPeer::Requests() {
    std::lock_guard lock(FMutex);
    return FRequests;
}

void ScriptedPeer::Release() {
    std::lock_guard lock(FMutex);
    FReleased = true;
    FChanged.notify_all();
}

bool ScriptedPeer::WaitSteps(int count, int timeoutMs) {
    std::unique_lock lock(FMutex);
    return FChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return FStepsDone >= count; });
}

void ScriptedPeer::Run() {
    size_t next = 0;
    // Connections kept open until the peer ends.
    std::vector<platform::TUniqueFd> held;
    while (!FStop) {
        pollfd p{FListener.Get(), POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) continue;
        platform::TUniqueFd fd(accept4(FListener.Get(), nullptr, nullptr, SOCK_CLOEXEC));
        if (!fd) continue;
        ++FAccepted;
        bool keep = true;
        uint16_t transId = 0;
        if (next < FScripts.size()) {
            for (const Step& step : FScripts[next]) {
                if (step.kind == Step::Close) {
                    keep = false;
                } else if (!RunStep(fd.Get(), step, transId)) {
                    break;
                }
                std::lock_guard lock(FMutex);
                ++FStepsDone;
                FChanged.notify_all();
            }
            ++next;
        }
        if (keep) held.push_back(std::move(fd));
    }
}

bool ScriptedPeer::ReadFully(int fd, uint8_t* p, size_t count) {
    while (count > 0 && !FStop) {
        pollfd pf{fd, POLLIN, 0};
        if (poll(&pf, 1, 20) <= 0) continue;
        const ssize_t n = recv(fd, p, count, 0);
        if (n <= 0) return false;
        p += n;
        count -= static_cast<size_t>(n);
    }
    return count == 0;
}

bool ScriptedPeer::RunStep(int fd, const Step& step, uint16_t& transId) {
    switch (step.kind) {
        case Step::Read: {
            Bytes request(step.count != 0 ? step.count : 6);
            if (!ReadFully(fd, request.data(), request.size())) return false;
            if (step.count == 0) {
                const size_t rest = static_cast<size_t>(request[4] << 8 | request[5]);
                request.resize(6 + rest);
                if (!ReadFully(fd, request.data() + 6, rest)) return false;
            }
            // The identifier travels in host order.
            std::memcpy(&transId, request.data(), sizeof transId);
            std::lock_guard lock(FMutex);
            FRequests.push_back(std::move(request));
            return true;
        }
        case Step::Send:
            return send(fd, step.bytes.data(), step.bytes.size(), MSG_NOSIGNAL) ==
                   static_cast<ssize_t>(step.bytes.size());
        case Step::Reply:
        case Step::Flood: {
            Bytes bytes = step.bytes;
            const auto id = static_cast<uint16_t>(transId + step.idOffset);
            std::memcpy(bytes.data(), &id, sizeof id);
            const auto sendAll = [&] {
                return send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
                       static_cast<ssize_t>(bytes.size());
            };
            if (step.kind == Step::Reply) return sendAll();
            // Many frames a send, so that the client always finds the next one waiting.
            const Bytes one = bytes;
            for (int i = 1; i < 100; ++i) bytes.insert(bytes.end(), one.begin(), one.end());
            while (!FStop && sendAll()) {
            }
            return true;
        }
        case Step::Trickle:
            for (uint8_t b : step.bytes) {
                if (send(fd, &b, 1, MSG_NOSIGNAL) != 1) return false;
                std::this_thread::sleep_for(1ms);
            }
            return true;
        case Step::Flush: {
            const auto deadline = std::chrono::steady_clock::now() + 5s;
            int unacked = 0;
            while (ioctl(fd, SIOCOUTQ, &unacked) == 0 && unacked > 0 &&
                   std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(1ms);
            return unacked == 0;
        }
        case Step::Await: {
            std::unique_lock lock(FMutex);
            FChanged.wait(lock, [&] { return FReleased; });
            FReleased = false;
            return !FStop;
        }
        case Step::Close:
            break;
    }
    return true;
}

ModbusServer::ModbusServer(bool late) {
    std::vector<std::string> args{HALVO_BIN_DIR "/tcp_server"};
    if (late) args.push_back("--late");
    FProcess = std::make_unique<peers::TPeerProcess>(args);
    const std::string line = FProcess->FirstLine();
    if (line.rfind("PORT ", 0) == 0) FPort = static_cast<uint16_t>(std::stoi(line.substr(5)));
    if (FPort == 0) throw std::runtime_error("tcp_server did not start: '" + line + "'");
}

ModbusServer::~ModbusServer() = default;

Listener::Listener(int backlog, bool anyAddress) : FFd(BindEphemeral(anyAddress)) {
    if (backlog >= 0 && listen(FFd.Get(), backlog) != 0) throw std::runtime_error("listen");
    FPort = BoundPort(FFd.Get());
}

FullListener::FullListener() {
    // Backlog 0 queues one connection; further SYNs are dropped while nobody accepts.
    for (int i = 0; i < 2; ++i) {
        platform::TUniqueFd fd(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
        if (!fd) throw std::runtime_error("socket");
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(FListener.Port());
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connect(fd.Get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        pollfd p{fd.Get(), POLLOUT, 0};
        poll(&p, 1, 200);
        FFillers.push_back(std::move(fd));
    }
}

int CountOpenFds() {
    const platform::TUniqueDir dir(opendir("/proc/self/fd"));
    if (!dir) return -1;
    int count = 0;
    while (const dirent* e = readdir(dir.Get()))
        if (e->d_name[0] != '.') ++count;
    return count;
}

}  // namespace talvo::test
