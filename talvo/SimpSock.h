// A small TCP client on POSIX sockets with Winsock-numbered errors.
#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/UniqueFd.h"

namespace talvo {

// Winsock error numbers, as the library's callers know them.
enum : int {
    WSAEINTR = 10004,
    WSAEBADF = 10009,
    WSAEACCES = 10013,
    WSAEFAULT = 10014,
    WSAEINVAL = 10022,
    WSAEMFILE = 10024,
    WSAEWOULDBLOCK = 10035,
    WSAEINPROGRESS = 10036,
    WSAEALREADY = 10037,
    WSAENOTSOCK = 10038,
    WSAEMSGSIZE = 10040,
    WSAENOPROTOOPT = 10042,
    WSAEPROTONOSUPPORT = 10043,
    WSAEOPNOTSUPP = 10045,
    WSAEAFNOSUPPORT = 10047,
    WSAEADDRINUSE = 10048,
    WSAEADDRNOTAVAIL = 10049,
    WSAENETDOWN = 10050,
    WSAENETUNREACH = 10051,
    WSAENETRESET = 10052,
    WSAECONNABORTED = 10053,
    WSAECONNRESET = 10054,
    WSAENOBUFS = 10055,
    WSAEISCONN = 10056,
    WSAENOTCONN = 10057,
    WSAESHUTDOWN = 10058,
    WSAETIMEDOUT = 10060,
    WSAECONNREFUSED = 10061,
    WSAEHOSTDOWN = 10064,
    WSAEHOSTUNREACH = 10065,
    WSASYSCALLFAILURE = 10107,
};

// Result of ReceiveExact when Aborted was set.
constexpr int kAborted = 15;

int WinsockError(int errnoValue);
// The system's text of a Winsock error number ("Connection refused"); empty for 0.
std::string WinsockErrorText(int error);
// The socket layer's last error of this thread.
int WSAGetLastError();
void WSASetLastError(int error);

// Milliseconds of a monotonic clock.
uint64_t TickMs();

bool ParseDottedQuad(const std::string& text, in_addr& address);
int StrToAddr(const std::string& text, in_addr& address);
int MakeSockAddr(sockaddr_in& address, const std::string& host, uint16_t port);

class TSimpSock {
public:
    TSimpSock() = default;
    TSimpSock(const TSimpSock&) = delete;
    TSimpSock& operator=(const TSimpSock&) = delete;
    virtual ~TSimpSock();

    virtual int Open();
    int Close();

    int Send(const void* data, size_t count);
    int Recv(void* buffer, size_t& count);
    int ReceiveExact(uint64_t startTick, void* buffer, size_t count);
    // Throws away whatever has already arrived, so that a late answer is not read as
    // the answer to the next request.
    void DiscardInput();

    int SetError(int value);
    int LastError() const { return FLastError; }
    int Handle() const { return FHandle.Get(); }

    std::function<void(TSimpSock& sender, double value)> OnProgress;
    uint16_t Port = 0;
    std::string Host;
    bool Aborted = false;
    int32_t RecvTimeout = 200;
    int32_t ConnectTimeout = 200;

protected:
    void DoProgress(double value);
    // Latches errno, as its Winsock number, and returns it.
    int FailErrno();

    platform::TUniqueFd FHandle;

private:
    int FLastError = 0;
};

class TSimpTcp : public TSimpSock {
public:
    TSimpTcp();

    int Open() override;
    int Connect();

    int RecvBufSize() const { return FRecvBufSize; }
    int SendBufSize() const { return FSendBufSize; }

private:
    bool WaitWritable();

    int FRecvBufSize = 0;
    int FSendBufSize = 0;
};

}  // namespace talvo
