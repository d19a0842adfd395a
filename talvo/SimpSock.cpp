#include "talvo/SimpSock.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace talvo {

namespace {

thread_local int tSocketError = 0;

constexpr int kSocketBufferSize = 131328;
constexpr int kReceivePollMs = 5;

uint64_t Remaining(uint64_t startTick, int32_t timeout) {
    const uint64_t limit = static_cast<uint64_t>(std::max<int32_t>(timeout, 0));
    const uint64_t elapsed = TickMs() - startTick;
    return elapsed >= limit ? 0 : limit - elapsed;
}

// poll() on one descriptor, restarted after signals; 0 on time-out.
int PollOne(int fd, short events, uint64_t waitMs, short& revents) {
    const uint64_t deadline = TickMs() + waitMs;
    for (;;) {
        pollfd p{fd, events, 0};
        const uint64_t now = TickMs();
        const int ms = static_cast<int>(deadline > now ? deadline - now : 0);
        const int rc = ::poll(&p, 1, ms);
        if (rc < 0 && errno == EINTR) continue;
        revents = p.revents;
        return rc;
    }
}

}  // namespace

namespace {

// Each errno the socket calls give and its Winsock number; where two errno values share
// a number, the first is the one its text comes from.
struct TErrnoWinsock {
    int Errno;
    int Winsock;
};
constexpr TErrnoWinsock kErrnoWinsock[] = {
    {EINTR, WSAEINTR},
    {EBADF, WSAEBADF},
    {EACCES, WSAEACCES},
    {EPERM, WSAEACCES},
    {EFAULT, WSAEFAULT},
    {EINVAL, WSAEINVAL},
    {EMFILE, WSAEMFILE},
    {ENFILE, WSAEMFILE},
    {EAGAIN, WSAEWOULDBLOCK},
    {EINPROGRESS, WSAEINPROGRESS},
    {EALREADY, WSAEALREADY},
    {ENOTSOCK, WSAENOTSOCK},
    {EMSGSIZE, WSAEMSGSIZE},
    {ENOPROTOOPT, WSAENOPROTOOPT},
    {EPROTONOSUPPORT, WSAEPROTONOSUPPORT},
    {EOPNOTSUPP, WSAEOPNOTSUPP},
    {EAFNOSUPPORT, WSAEAFNOSUPPORT},
    {EADDRINUSE, WSAEADDRINUSE},
    {EADDRNOTAVAIL, WSAEADDRNOTAVAIL},
    {ENETDOWN, WSAENETDOWN},
    {ENETUNREACH, WSAENETUNREACH},
    {ENETRESET, WSAENETRESET},
    {ECONNABORTED, WSAECONNABORTED},
    {ECONNRESET, WSAECONNRESET},
    {EPIPE, WSAECONNRESET},
    {ENOBUFS, WSAENOBUFS},
    {ENOMEM, WSAENOBUFS},
    {EISCONN, WSAEISCONN},
    {ENOTCONN, WSAENOTCONN},
    {ESHUTDOWN, WSAESHUTDOWN},
    {ETIMEDOUT, WSAETIMEDOUT},
    {ECONNREFUSED, WSAECONNREFUSED},
    {EHOSTDOWN, WSAEHOSTDOWN},
    {EHOSTUNREACH, WSAEHOSTUNREACH},
};

}  // namespace

int WinsockError(int e) {
    if (e == 0) return 0;
    for (const TErrnoWinsock& p : kErrnoWinsock)
        if (p.Errno == e) return p.Winsock;
    return WSASYSCALLFAILURE;
}

std::string WinsockErrorText(int error) {
    if (error == 0) return {};
    for (const TErrnoWinsock& p : kErrnoWinsock)
        if (p.Winsock == error) {
            if (const char* text = ::strerrordesc_np(p.Errno)) return text;
            break;
        }
    return "socket error " + std::to_string(error);
}

int WSAGetLastError() {
    return tSocketError;
}
void WSASetLastError(int error) {
    tSocketError = error;
}

uint64_t TickMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool ParseDottedQuad(const std::string& text, in_addr& address) {
    uint8_t bytes[4];
    size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (pos >= text.size() || text[pos] != '.') return false;
            ++pos;
        }
        const size_t first = pos;
        unsigned value = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            value = value * 10 + static_cast<unsigned>(text[pos] - '0');
            if (value > 255) return false;
            ++pos;
        }
        if (pos == first) return false;
        bytes[part] = static_cast<uint8_t>(value);
    }
    // After the fourth number only a "." may follow; what comes after it is ignored.
    if (pos < text.size() && text[pos] != '.') return false;
    static_assert(sizeof(address.s_addr) == sizeof(bytes));
    std::copy(bytes, bytes + 4, reinterpret_cast<uint8_t*>(&address.s_addr));
    return true;
}

int StrToAddr(const std::string& text, in_addr& address) {
    if (text.empty()) {
        address.s_addr = htonl(INADDR_ANY);
        return 0;
    }
    if (ParseDottedQuad(text, address)) return 0;
    WSASetLastError(WSAEFAULT);
    return WSAEFAULT;
}

int MakeSockAddr(sockaddr_in& address, const std::string& host, uint16_t port) {
    address = sockaddr_in{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    return StrToAddr(host, address.sin_addr) == 0 ? 0 : WSAEFAULT;
}

TSimpSock::~TSimpSock() {
    Close();
}

int TSimpSock::SetError(int value) {
    FLastError = value == 0 ? 0 : WSAGetLastError();
    return FLastError;
}

int TSimpSock::FailErrno() {
    WSASetLastError(WinsockError(errno));
    return SetError(-1);
}

void TSimpSock::DoProgress(double value) {
    if (OnProgress) OnProgress(*this, value);
}

int TSimpSock::Open() {
    return FHandle ? Close() : SetError(0);
}

int TSimpSock::Close() {
    if (!FHandle) return SetError(0);
    // A socket that never connected cannot be shut down; it is closed all the same.
    ::shutdown(FHandle.Get(), SHUT_WR);
    return FHandle.Close() ? SetError(0) : FailErrno();
}

int TSimpSock::Send(const void* data, size_t count) {
    if (!FHandle) {
        WSASetLastError(WSAENOTSOCK);
        return SetError(-1);
    }
    const auto* p = static_cast<const uint8_t*>(data);
    const uint64_t start = TickMs();
    while (count > 0) {
        const ssize_t sent = ::send(FHandle.Get(), p, count, MSG_NOSIGNAL);
        if (sent > 0) {
            p += sent;
            count -= static_cast<size_t>(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && errno != EAGAIN) return FailErrno();
        short revents = 0;
        const int rc = PollOne(FHandle.Get(), POLLOUT, Remaining(start, RecvTimeout), revents);
        if (rc < 0) return FailErrno();
        if (rc == 0) {
            WSASetLastError(WSAETIMEDOUT);
            return SetError(-1);
        }
    }
    return SetError(0);
}

int TSimpSock::Recv(void* buffer, size_t& count) {
    ssize_t got;
    do {
        got = ::recv(FHandle.Get(), buffer, count, MSG_DONTWAIT);
    } while (got < 0 && errno == EINTR);
    if (got < 0) return FailErrno();
    count = static_cast<size_t>(got);
    return SetError(0);
}

int TSimpSock::ReceiveExact(uint64_t startTick, void* buffer, size_t count) {
    Aborted = false;
    DoProgress(0);
    auto* p = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < count && !Aborted) {
        const uint64_t left = Remaining(startTick, RecvTimeout);
        short revents = 0;
        const int rc = PollOne(FHandle.Get(), POLLIN, std::min<uint64_t>(left, kReceivePollMs), revents);
        if (rc < 0) return FailErrno();
        if (rc > 0) {
            size_t got = count - done;
            if (Recv(p + done, got) != 0) {
                if (LastError() != WSAEWOULDBLOCK) return LastError();
            } else if (got == 0) {
                // The peer closed: nothing more can arrive, so waiting out the time-out is useless.
                WSASetLastError(WSAECONNRESET);
                return SetError(-1);
            } else {
                done += got;
                DoProgress(static_cast<double>(done));
            }
        }
        if (done < count && left == 0) break;
    }
    if (Aborted) {
        WSASetLastError(kAborted);
        return SetError(-1);
    }
    if (done < count) {
        WSASetLastError(WSAETIMEDOUT);
        return SetError(-1);
    }
    return SetError(0);
}

void TSimpSock::DiscardInput() {
    // Only what is waiting now: a peer that keeps sending cannot hold the caller here.
    int waiting = 0;
    if (!FHandle || ::ioctl(FHandle.Get(), FIONREAD, &waiting) != 0) return;
    uint8_t scratch[1024];
    while (waiting > 0) {
        const size_t want = std::min(sizeof scratch, static_cast<size_t>(waiting));
        const ssize_t got = ::recv(FHandle.Get(), scratch, want, MSG_DONTWAIT);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return;
        waiting -= static_cast<int>(got);
    }
}

TSimpTcp::TSimpTcp() {
    RecvTimeout = 1000;
    ConnectTimeout = 1000;
}

int TSimpTcp::Open() {
    if (const int rc = TSimpSock::Open(); rc != 0) return rc;
    FHandle.Reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!FHandle) return FailErrno();
    const int flags = ::fcntl(FHandle.Get(), F_GETFL);
    if (flags == -1 || ::fcntl(FHandle.Get(), F_SETFL, flags | O_NONBLOCK) == -1) return FailErrno();
    for (auto [option, field] : {std::pair{SO_RCVBUF, &FRecvBufSize}, std::pair{SO_SNDBUF, &FSendBufSize}}) {
        const int size = kSocketBufferSize;
        socklen_t len = sizeof *field;
        if (::setsockopt(FHandle.Get(), SOL_SOCKET, option, &size, sizeof size) == -1 ||
            ::getsockopt(FHandle.Get(), SOL_SOCKET, option, field, &len) == -1)
            return FailErrno();
    }
    return SetError(0);
}

bool TSimpTcp::WaitWritable() {
    short revents = 0;
    const auto wait = static_cast<uint64_t>(std::max<int32_t>(ConnectTimeout, 0));
    const int rc = PollOne(FHandle.Get(), POLLOUT, wait, revents);
    if (rc != 1) {
        WSASetLastError(rc < 0 ? WinsockError(errno) : WSAETIMEDOUT);
        SetError(-1);
    }
    return rc == 1;
}

int TSimpTcp::Connect() {
    if (!FHandle) {
        WSASetLastError(WSAENOTSOCK);
        return SetError(-1);
    }
    sockaddr_in address;
    if (MakeSockAddr(address, Host, Port) != 0) return SetError(-1);
    // The empty host means "any address"; connecting there would reach this machine.
    if (address.sin_addr.s_addr == htonl(INADDR_ANY)) {
        WSASetLastError(WSAEADDRNOTAVAIL);
        return SetError(-1);
    }
    if (::connect(FHandle.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return SetError(0);
    if (errno != EINPROGRESS && errno != EINTR) return FailErrno();
    if (!WaitWritable()) return LastError();
    // Writable also means "failed": the outcome is in SO_ERROR.
    int error = 0;
    socklen_t len = sizeof error;
    if (::getsockopt(FHandle.Get(), SOL_SOCKET, SO_ERROR, &error, &len) == -1) return FailErrno();
    if (error != 0) {
        WSASetLastError(WinsockError(error));
        return SetError(-1);
    }
    return SetError(0);
}

}  // namespace talvo
