#pragma once
// The process's serial link: one port, 8N1 at a chosen speed, one block written or read
// at a time, each waited for before the call returns.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/link/SerialLink.h"
#include "platform/Exception.h"
#include "platform/UniqueFd.h"

namespace app {

// clang-format off
// A fixed underlying type, so an ordinal from a file is a valid value to check.
enum TBaudRate : int {
    br110, br300, br600, br1200, br2400, br4800, br9600,
    br14400, br19200, br38400, br56000, br57600, br115200,
};
// clang-format on

// The configuration keeps the ordinal ("Speed"); one outside the 13 speeds is 9600.
TBaudRate BaudRateFromOrdinal(int ordinal);
uint32_t BaudRateBits(TBaudRate rate);

// "COMn" is /dev/ttyS(n-1), a name starting with "/" a device path, any other "/dev/" + name.
std::string SerialDeviceName(std::string_view commPort);

// The machine's serial ports, sorted as text; false (and empty) without the registry key.
bool GetSerialPortNames(std::vector<std::string>& list);

class EComState : public platform::Exception {
public:
    using Exception::Exception;
};

class TRsdHan : public ISerialLink {
public:
    // Results of Open, kept as the status code.
    static constexpr int kOpenOk = 0;
    static constexpr int kOpenFailed = 14;
    static constexpr uint8_t kInitialStatus = 7;

    TRsdHan() = default;
    // Releases the port as Close does, without raising OnClose: its owner is going.
    ~TRsdHan() override;
    TRsdHan(const TRsdHan&) = delete;
    TRsdHan& operator=(const TRsdHan&) = delete;

    // 0 when open, 14 when not (no name, no such port, port in use). Throws EComState
    // when the port opened but cannot be configured; the port is closed again then.
    // While open the port is ours alone: locked, and opened exclusively (TIOCEXCL, which
    // does not hold root back).
    virtual int Open();
    virtual void Close();
    bool Reopen() override;
    // A hang-up or error that poll reports, or a name that now names another device than
    // the open one, closes the port and keeps the reason.
    void CloseIfStale() override;
    // "Port <name>: <reason>" while the link is not open for a reason; empty else.
    std::string Failure() const override;
    // Why the last Open failed or the port closed itself ("busy, ...", the errno text);
    // empty when nothing failed since.
    const std::string& FailReason() const { return FFailReason; }

    size_t WriteBuffer(const uint8_t* data, size_t count) override;
    size_t ReadBuffer(uint8_t* data, size_t count) override;
    void DiscardInput() override;

    bool IsOpen() const override { return FIsOpen; }
    void SetIsOpen(bool value);

    TBaudRate BaudRate() const { return FBaudRate; }
    void SetBaudRate(TBaudRate value);
    const std::string& CommPort() const { return FCommPort; }
    void SetCommPort(std::string value) { FCommPort = std::move(value); }
    int32_t ReadTotalTimeoutConstant() const override { return FReadTotalTimeoutConstant; }
    void SetReadTotalTimeoutConstant(int32_t ms) { FReadTotalTimeoutConstant = ms; }
    int32_t SilenceTime() const override { return FSilenceTime; }
    void SetSilenceTime(int32_t ms) { FSilenceTime = ms; }
    const std::string& Error() const { return FError; }
    // Filled afresh on each call.
    const std::vector<std::string>& CommList();
    // 7 until the first Open, then its result.
    uint8_t Status() const { return FStatus; }

    std::function<void()> OnOpen;
    std::function<void()> OnClose;
    std::function<void()> OnProgress;  // never raised by the link
    std::function<void()> OnShowSt;

private:
    // Throws EComState when the port cannot be set to 8N1 at the chosen speed.
    void Configure(int fd);
    // A hang-up or an I/O error: the port is of no further use until it is opened again.
    void PortFailed(int fault);
    // Gives up the exclusive hold and closes the descriptor.
    void ReleaseHandle();

    TBaudRate FBaudRate = br9600;
    std::string FCommPort;
    int32_t FReadTotalTimeoutConstant = 500;
    int32_t FSilenceTime = 10;
    std::string FError;
    std::string FFailReason;
    std::vector<std::string> FCommList;
    platform::TUniqueFd FHandle;
    bool FIsOpen = false;
    uint8_t FStatus = kInitialStatus;
};

}  // namespace app
