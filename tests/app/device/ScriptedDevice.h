#pragma once
// A Vesk device in memory behind the serial-link interface, answering each request at
// once, normally or with a fault chosen per request; the link settings that lead the
// transfers to it; a message log that keeps its lines; a fixture joining them; and a
// raw Modbus TCP peer for answers no Modbus server sends.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/device/Halvobase.h"
#include "app/device/LinkSettings.h"
#include "app/device/MessageLog.h"
#include "app/link/Mbusfun.h"
#include "app/link/SerialLink.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "platform/UniqueFd.h"
#include "platform/Waiter.h"
#include "tests/app/device/DeviceFixtures.h"

namespace app::test {

using Bytes = std::vector<uint8_t>;

// Bytes that differ from their neighbours and between seeds.
inline Bytes Pattern(std::size_t n, int seed) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<uint8_t>((i * 11 + static_cast<std::size_t>(seed)) & 0xFF);
    return b;
}
inline Bytes Area(const uint8_t* p, std::size_t n) {
    return Bytes(p, p + n);
}

enum class TFault {
    None,
    TimeOut,                // no answer
    BadCrc,                 // last CRC byte spoilt
    SwappedCrc,             // the two CRC bytes exchanged
    OtherAddress,           // answered under another address
    Exception,              // exception code 4; the device refused and stored nothing
    OtherAddressException,  // both
    Short,                  // only the address byte arrives
    OverLong,               // 300 bytes, more than one read takes
    WrongFunction,          // a valid answer with function 4
    ByteCountTooBig,        // a read answered with 250 data bytes whatever was asked
    ByteCountBeyondData,    // a read whose byte count promises more than it carries
    ByteCountShort,         // a read whose byte count is 2 short of the data it carries
    Throw,                  // the link raises an exception
    HangUp,                 // the device takes the request, then the line hangs up
    Unplugged,              // the port went before the request: nothing leaves
};

class TScriptedDevice : public ISerialLink {
public:
    static constexpr uint16_t kIdentField = kIdentRegister;

    uint8_t Address = 31;
    std::vector<uint16_t> Registers = std::vector<uint16_t>(0x10000);
    std::string Identification = "V3SCRIPTED-0001";  // at most 16 bytes
    // The events register: one page of 125 registers for each register field from
    // EventsFirstField to EventsLastField; a page past the data answers exception 2.
    int EventsFirstField = 4000;
    int EventsLastField = 4031;
    Bytes Events;
    std::map<int, TFault> Faults;  // by request number, from 1
    std::size_t WriteLimit = SIZE_MAX;
    std::vector<Bytes> Requests;
    // When set, it replaces each answer after the request's fault.
    std::function<Bytes(const Bytes& request, Bytes answer)> Mutate;

    // Parameter-set words as the device sends them (big-endian).
    void PutWords(int field, const Bytes& bytes) {
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
            Registers[static_cast<std::size_t>(field) + i / 2] =
                static_cast<uint16_t>(bytes[i] << 8 | bytes[i + 1]);
    }
    Bytes Words(int field, int count) const {
        Bytes out;
        for (int i = 0; i < count; ++i) {
            const uint16_t w = Registers[static_cast<std::size_t>(field + i)];
            out.push_back(static_cast<uint8_t>(w >> 8));
            out.push_back(static_cast<uint8_t>(w));
        }
        return out;
    }
    // The register counts of the requests of one function, in order.
    std::vector<int> Counts(uint8_t function) const {
        std::vector<int> counts;
        for (const Bytes& r : Requests)
            if (r.size() >= 6 && r[1] == function) counts.push_back(r[4] << 8 | r[5]);
        return counts;
    }

    std::size_t WriteBuffer(const uint8_t* data, std::size_t count) override {
        const auto fault = Faults.find(static_cast<int>(Requests.size() + 1));
        const TFault f = fault == Faults.end() ? TFault::None : fault->second;
        const std::size_t taken = f == TFault::Unplugged ? 0 : std::min(count, WriteLimit);
        Requests.emplace_back(data, data + taken);
        if (f == TFault::Unplugged) {
            Close("Input/output error");
            return 0;
        }
        FPending = Answer(Requests.back(), f);
        if (Mutate) FPending = Mutate(Requests.back(), std::move(FPending));
        FHangUp = f == TFault::HangUp;
        return taken;
    }
    // A read collects what arrived unasked first, as a real line does.
    std::size_t ReadBuffer(uint8_t* data, std::size_t count) override {
        if (std::exchange(FHangUp, false)) {
            // The kernel drops what had arrived when the line hangs up.
            FPending.clear();
            Close("hung up");
            return 0;
        }
        FPending.insert(FPending.begin(), Stale.begin(), Stale.end());
        Stale.clear();
        const std::size_t n = std::min(count, FPending.size());
        std::copy_n(FPending.begin(), n, data);
        FPending.clear();
        return n;
    }
    void DiscardInput() override { Stale.clear(); }
    // Bytes waiting on the line before the next request, such as a late answer.
    Bytes Stale;
    bool IsOpen() const override { return FReason.empty(); }
    // Plugged in again.
    bool Reopen() override {
        FReason.clear();
        return true;
    }
    std::string Failure() const override { return FReason.empty() ? "" : "Port scripted: " + FReason; }
    int32_t SilenceTime() const override { return 0; }
    int32_t ReadTotalTimeoutConstant() const override { return 0; }

    static Bytes WithCrc(Bytes frame) {
        const std::size_t n = frame.size();
        frame.resize(n + 2);
        AddCRC16(frame.data(), n);
        return frame;
    }

private:
    Bytes ExceptionAnswer(uint8_t function, uint8_t code) const {
        return WithCrc({Address, static_cast<uint8_t>(function | 0x80), code});
    }

    void Close(const char* reason) { FReason = reason; }

    // The device's own answer, as a real slave gives it; nothing for a broken request
    // or one to another address. A refusing device stores nothing.
    Bytes Normal(const Bytes& q, bool store = true) {
        if (q.size() < 8 || !CheckCRC16(q.data(), q.size()) || q[0] != Address) return {};
        const int field = q[2] << 8 | q[3];
        const int count = q[4] << 8 | q[5];
        if (q[1] == kFnReadHolding) {
            if (count < 1 || count > 125) return ExceptionAnswer(q[1], 3);
            Bytes data;
            if (field == kIdentField) {
                data.assign(2 * static_cast<std::size_t>(count), 0);
                std::copy_n(Identification.begin(), std::min(Identification.size(), data.size()),
                            data.begin());
            } else if (field >= EventsFirstField && field <= EventsLastField) {
                const std::size_t at = static_cast<std::size_t>(field - EventsFirstField) * 250;
                if (at >= Events.size()) return ExceptionAnswer(q[1], 2);
                data.assign(2 * static_cast<std::size_t>(count), 0);
                std::copy_n(Events.begin() + static_cast<std::ptrdiff_t>(at),
                            std::min(data.size(), Events.size() - at), data.begin());
            } else {
                if (field + count > 0x10000) return ExceptionAnswer(q[1], 2);
                data = Words(field, count);
            }
            Bytes a{Address, kFnReadHolding, static_cast<uint8_t>(data.size())};
            a.insert(a.end(), data.begin(), data.end());
            return WithCrc(a);
        }
        if (q[1] == kFnWriteMultiple) {
            if (count < 1 || count > 125 || q.size() != 2 * static_cast<std::size_t>(count) + 9 ||
                q[6] != 2 * count)
                return ExceptionAnswer(q[1], 3);
            for (int i = 0; store && i < count; ++i)
                Registers[static_cast<std::size_t>(field + i)] =
                    static_cast<uint16_t>(q[7 + 2 * i] << 8 | q[8 + 2 * i]);
            return WithCrc({Address, kFnWriteMultiple, q[2], q[3], q[4], q[5]});
        }
        return ExceptionAnswer(q[1], 1);
    }

    Bytes Answer(const Bytes& q, TFault fault) {
        Bytes a = Normal(q, fault != TFault::Exception);
        if (a.empty()) return a;
        const Bytes body(a.begin(), a.end() - 2);
        switch (fault) {
            case TFault::None:
                return a;
            case TFault::TimeOut:
                return {};
            case TFault::BadCrc:
                a.back() ^= 0x5A;
                return a;
            case TFault::SwappedCrc:
                std::swap(a[a.size() - 1], a[a.size() - 2]);
                return a;
            case TFault::OtherAddress: {
                Bytes b = body;
                b[0] = static_cast<uint8_t>(Address + 1);
                return WithCrc(b);
            }
            case TFault::Exception:
                return ExceptionAnswer(q[1], 4);
            case TFault::OtherAddressException:
                return WithCrc({static_cast<uint8_t>(Address + 1), static_cast<uint8_t>(q[1] | 0x80), 4});
            case TFault::Short:
                return {a[0]};
            case TFault::OverLong:
                a.resize(300, 0x33);
                return a;
            case TFault::WrongFunction: {
                Bytes b = body;
                b[1] = 4;
                return WithCrc(b);
            }
            case TFault::ByteCountTooBig: {
                Bytes b{Address, kFnReadHolding, 250};
                b.resize(253, 0xAB);
                return WithCrc(b);
            }
            case TFault::ByteCountBeyondData: {
                Bytes b = body;
                if (b.size() > 13) b.resize(13);  // 10 data bytes, the byte count unchanged
                return WithCrc(b);
            }
            case TFault::ByteCountShort: {
                Bytes b = body;
                if (q[1] == kFnReadHolding && b[2] >= 2) b[2] = static_cast<uint8_t>(b[2] - 2);
                return WithCrc(b);
            }
            case TFault::Throw:
                throw platform::Exception("link broke");
            case TFault::HangUp:
            case TFault::Unplugged:
                return a;
        }
        return a;
    }

    Bytes FPending;
    bool FHangUp = false;
    std::string FReason;  // why the link is closed; empty while open
};

class TFixedLinkSettings : public ILinkSettingsProvider {
public:
    explicit TFixedLinkSettings(TLinkSettings settings) : Settings(std::move(settings)) {}
    TLinkSettings LinkSettings() override { return Settings; }
    TLinkSettings Settings;
};

class TLinesLog : public IMessageLog {
public:
    int Count() const override { return static_cast<int>(Lines.size()); }
    void Add(const std::string& line) override {
        Lines.push_back(line);
        if (UpdateDepth > 0) ++LinesInUpdate;
    }
    void Delete(int index) override {
        ASSERT_GE(index, 0);
        ASSERT_LT(index, Count());
        Lines.erase(Lines.begin() + index);
    }
    void BeginUpdate() override { ++UpdateDepth; }
    void EndUpdate() override { --UpdateDepth; }
    void TypeKey(char key) override { Typed += key; }

    std::vector<std::string> Lines;
    std::string Typed;
    int UpdateDepth = 0;
    int LinesInUpdate = 0;
};

// The test clock stands a tenth of a second before midnight, so a date taken again
// after the operation instead of from the clock would show.
constexpr double kTestNow = 45356.0 + 86399.9 / 86400;  // 2024-03-05 23:59:59.9
inline double Today() {
    return std::floor(kTestNow);
}

// An image whose transfers go to the scripted device, with scripted waits, its log and
// its raised events.
class TTransferTest : public testing::Test {
protected:
    TTransferTest() {
        halvo.SetDataDirectory(HALVO_BIN_DIR);
        halvo.SetDeviceType(2);
        halvo.TraceMessages = false;
        halvo.SetMessageMemo(&log);
        halvo.OnBeginRead = [this] { Raised("Begin"); };
        halvo.OnCompleteZestawNastaw1 = [this] { Raised("Zestaw1"); };
        halvo.OnCompleteZestawNastaw2 = [this] { Raised("Zestaw2"); };
        halvo.OnEvRegCompleted = [this] { Raised("EvReg"); };
        halvo.OnCompleteAll = [this] { Raised("All"); };
    }
    void Raised(const char* name) {
        events.push_back(name);
        readingAt.push_back(halvo.IsReading());
    }
    // A register map of the test's own: the GLOBAL keys given, the defaults for the rest.
    void UseMap(const std::string& globals) {
        dir.Write("Vesk3.set", "[GLOBAL]\n" + globals);
        halvo.SetDataDirectory(dir.Path());
        halvo.SetDeviceType(2);
    }
    void SetParset1(const Bytes& bytes) {
        std::copy(bytes.begin(), bytes.end(), halvo.Parset1Data());
        halvo.SetParset1Length(static_cast<uint16_t>(bytes.size()));
    }
    void SetOptions(void (*change)(TReadOptions&)) {
        TReadOptions o = halvo.GetReadOptions();
        change(o);
        halvo.SetReadOptions(o);
    }

    platform::TFixedClock clock{kTestNow};
    platform::TClockScope clockScope{clock};
    TScriptedDevice device;
    TFixedLinkSettings settings{TLinkSettings{.TimeSilence = 7, .SerialLink = &device}};
    TLinkSettingsScope settingsScope{settings};
    platform::TScriptedWaiter waiter;
    platform::TWaiterScope waiterScope{waiter};
    TLinesLog log;
    TTempDir dir;
    THalvo halvo;
    std::vector<std::string> events;
    std::vector<bool> readingAt;
};

// A TCP socket bound to an ephemeral port of loopback, listening when backlog >= 0.
inline platform::TUniqueFd BindLoopback(int backlog, uint16_t& port) {
    platform::TUniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (!fd || ::bind(fd.Get(), reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        (backlog >= 0 && ::listen(fd.Get(), backlog) != 0) ||
        ::getsockname(fd.Get(), reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("listener");
    port = ntohs(addr.sin_port);
    return fd;
}

// A Modbus TCP peer on loopback: each connection gets the bytes made from its request
// (header and PDU as they came) and is closed, until the peer is destroyed.
class TRawTcpPeer {
public:
    using TAnswerer = std::function<Bytes(const Bytes& request)>;

    explicit TRawTcpPeer(TAnswerer answerer)
        : FAnswerer(std::move(answerer)), FListener(BindLoopback(4, FPort)) {
        FThread = std::thread([this] { Serve(); });
    }
    // Answers with a PDU of pduLength bytes: function 3, byte count 16, then "333...".
    explicit TRawTcpPeer(std::size_t pduLength)
        : TRawTcpPeer([pduLength](const Bytes& q) {
              Bytes answer{q[0],
                           q[1],
                           0,
                           0,
                           static_cast<uint8_t>((pduLength + 1) >> 8),
                           static_cast<uint8_t>(pduLength + 1),
                           q[6],
                           3,
                           16};
              answer.resize(7 + pduLength, 0x33);
              return answer;
          }) {}
    ~TRawTcpPeer() {
        FStop = true;
        FThread.join();
    }
    TRawTcpPeer(const TRawTcpPeer&) = delete;
    TRawTcpPeer& operator=(const TRawTcpPeer&) = delete;

    uint16_t Port() const { return FPort; }
    // The last request, whole.
    Bytes Request() const {
        std::lock_guard<std::mutex> lock(FRequestMutex);
        return FRequest;
    }

private:
    static bool ReadFully(int fd, uint8_t* p, std::size_t n) {
        while (n > 0) {
            pollfd pf{fd, POLLIN, 0};
            if (::poll(&pf, 1, 5000) <= 0) return false;
            const ssize_t got = ::recv(fd, p, n, 0);
            if (got <= 0) return false;
            p += got;
            n -= static_cast<std::size_t>(got);
        }
        return true;
    }
    void Serve() {
        while (!FStop) {
            pollfd p{FListener.Get(), POLLIN, 0};
            // Short, so that the destructor is not kept waiting.
            if (::poll(&p, 1, 5) <= 0) continue;
            const platform::TUniqueFd connection(::accept4(FListener.Get(), nullptr, nullptr, SOCK_CLOEXEC));
            const int fd = connection.Get();
            if (fd < 0) continue;
            // The header up to its length field, then the unit identifier and PDU it counts;
            // a request without a unit identifier gets no answer.
            Bytes q(6);
            if (!ReadFully(fd, q.data(), q.size())) continue;
            const std::size_t counted = q[4] << 8 | q[5];
            q.resize(6 + counted);
            if (counted == 0 || !ReadFully(fd, q.data() + 6, counted)) continue;
            {
                std::lock_guard<std::mutex> lock(FRequestMutex);
                FRequest = q;
            }
            const Bytes answer = FAnswerer(q);
            if (!answer.empty()) ::send(fd, answer.data(), answer.size(), MSG_NOSIGNAL);
        }
    }

    TAnswerer FAnswerer;
    uint16_t FPort = 0;  // set by FListener's initialiser, so declared before it
    platform::TUniqueFd FListener;
    std::atomic<bool> FStop{false};
    mutable std::mutex FRequestMutex;
    Bytes FRequest;  // written by the server thread, read by the test's
    std::thread FThread;
};

// A Modbus TCP address on loopback where no answer ever comes: nothing listens (the
// connection is refused), or each connection is closed at once, or held open in silence.
class TSilentTcpPeer {
public:
    enum class TKind { Refusing, Closing, Holding };

    // A refusing peer's port stays bound, so that no other program takes it.
    explicit TSilentTcpPeer(TKind kind) : FListener(BindLoopback(kind == TKind::Refusing ? -1 : 4, FPort)) {
        if (kind == TKind::Refusing) return;
        FThread = std::thread([this, kind] {
            std::vector<platform::TUniqueFd> held;
            while (!FStop) {
                pollfd p{FListener.Get(), POLLIN, 0};
                if (::poll(&p, 1, 5) <= 0) continue;
                platform::TUniqueFd connection(::accept4(FListener.Get(), nullptr, nullptr, SOCK_CLOEXEC));
                if (connection && kind == TKind::Holding) held.push_back(std::move(connection));
            }
        });
    }
    ~TSilentTcpPeer() {
        FStop = true;
        if (FThread.joinable()) FThread.join();
    }
    TSilentTcpPeer(const TSilentTcpPeer&) = delete;
    TSilentTcpPeer& operator=(const TSilentTcpPeer&) = delete;

    uint16_t Port() const { return FPort; }

private:
    uint16_t FPort = 0;  // set by FListener's initialiser, so declared before it
    platform::TUniqueFd FListener;
    std::atomic<bool> FStop{false};
    std::thread FThread;
};

}  // namespace app::test
