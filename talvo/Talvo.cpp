// The connection table, the calls on its entries and the one-shot calls.
#include "talvo.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <memory>

#include "talvo/Frames.h"
#include "talvo/SimpSock.h"
#include "talvo/Texts.h"

namespace talvo {
namespace {

constexpr int32_t kTableSize = 101;
constexpr size_t kHostLen = 20;
constexpr int32_t kEntryTimeout = 2000;
constexpr uint16_t kDefaultPort = 502;

struct TEntry {
    std::unique_ptr<TSimpTcp> Sock;
    char Host[kHostLen + 1] = {};
    uint16_t Port = 0;
    uint16_t TransId = 0;
};

std::array<TEntry, kTableSize> gTable;

struct TAnswer {
    uint8_t Data[kReceiveArea];
    int32_t Len = 0;
};

bool ValidIndex(int32_t index) {
    return index >= 0 && index < kTableSize;
}
bool ValidCount(uint16_t count) {
    return count >= 1 && count <= kMaxRegCount;
}

void SetTimeouts(TSimpSock& sock, int32_t timeout) {
    sock.RecvTimeout = timeout;
    sock.ConnectTimeout = timeout;
}

// The index is judged before the entry, the entry before the call's own arguments.
TEntry* Lookup(int32_t index, int32_t& rc) {
    if (!ValidIndex(index)) {
        rc = -6;
        return nullptr;
    }
    if (!gTable[index].Sock) {
        rc = -10;
        return nullptr;
    }
    rc = 0;
    return &gTable[index];
}

// Which answer a call takes: the transaction it sent and whether an answer of another
// transaction is read past (one-shot calls) or judged as the answer (table calls).
struct TTransaction {
    uint16_t Id;
    bool SkipOthers;
};

// Sends one request and receives one whole answer: 0, -12, -11 or -13. A frame whose
// protocol identifier is not 0 is no Modbus answer and is read past, as is one of another
// transaction when the call skips those; what is read past counts against the call's
// time-out from the send and is never taken.
int32_t Exchange(TSimpTcp& sock, const uint8_t* tx, size_t txLen, TTransaction transaction, TAnswer& rx) {
    // Whatever is waiting now answers an earlier request.
    sock.DiscardInput();
    if (sock.Send(tx, txLen) != 0) return -12;
    const uint64_t sent = TickMs();
    for (bool skipped = false;; skipped = true) {
        // A peer that keeps sending frames of other transactions cannot hold the call.
        if (skipped && TickMs() - sent >= static_cast<uint64_t>(std::max(sock.RecvTimeout, 0))) return -11;
        if (sock.ReceiveExact(sent, rx.Data, kHeaderLen) != 0) return -11;
        const int n = GetBe16(rx.Data + 4);
        if (n < kMinLengthField || n > kMaxLengthField) return -13;
        if (sock.ReceiveExact(TickMs(), rx.Data + kHeaderLen, static_cast<size_t>(n - 1)) != 0) return -11;
        rx.Len = n + 6;
        if (GetBe16(rx.Data + 2) != 0) continue;
        if (transaction.SkipOthers && FrameTransId(rx.Data) != transaction.Id) continue;
        return 0;
    }
}

int32_t ReadRegs(TSimpTcp& sock, TTransaction t, uint8_t unitId, uint16_t startReg, uint16_t regCount,
                 uint16_t* values, bool swap) {
    uint8_t tx[kRequestArea];
    TAnswer rx;
    const int32_t len = BuildReadRequest(startReg, regCount, t.Id, unitId, tx);
    if (const int32_t rc = Exchange(sock, tx, static_cast<size_t>(len), t, rx); rc != 0) return rc;
    const int32_t rc = CheckTALVOReadRegs(startReg, regCount, t.Id, unitId, rx.Len, rx.Data);
    if (rc == 0) GetTALVOReadRegs(regCount, rx.Data, values, swap);
    return rc;
}

int32_t SendFrame(TSimpTcp& sock, const uint8_t* tx, int32_t len, TTransaction t, uint8_t unitId) {
    TAnswer rx;
    if (const int32_t rc = Exchange(sock, tx, static_cast<size_t>(len), t, rx); rc != 0) return rc;
    return CheckTALVOWriteRegs(0, 0, t.Id, unitId, rx.Len, rx.Data);
}

int32_t WriteRegs(TSimpTcp& sock, TTransaction t, uint8_t unitId, uint16_t startReg, uint16_t regCount,
                  const uint16_t* values) {
    uint8_t tx[kRequestArea];
    const int32_t len = BuildWriteRequest(startReg, regCount, t.Id, unitId, values, tx);
    return SendFrame(sock, tx, len, t, unitId);
}

int32_t SendRaw(TSimpTcp& sock, TTransaction t, uint8_t unitId, const uint8_t* request, int32_t requestLen,
                uint8_t* response, int32_t* responseLen) {
    uint8_t tx[kRequestArea];
    TAnswer rx;
    PutHeader(tx, t.Id, unitId, static_cast<size_t>(requestLen));
    if (requestLen > 0) std::memcpy(tx + kHeaderLen, request, static_cast<size_t>(requestLen));
    const int32_t rc = Exchange(sock, tx, static_cast<size_t>(kHeaderLen + requestLen), t, rx);
    if (rc != 0) return rc;
    if (FrameTransId(rx.Data) != t.Id) return -3;
    *responseLen = rx.Len - kHeaderLen;
    std::memcpy(response, rx.Data + kHeaderLen, static_cast<size_t>(*responseLen));
    return 0;
}

bool ValidRaw(const uint8_t* request, int32_t requestLen, const uint8_t* response,
              const int32_t* responseLen) {
    return requestLen >= 0 && requestLen <= kMaxRequestPdu && (request != nullptr || requestLen == 0) &&
           response != nullptr && responseLen != nullptr;
}

// One request on a kept connection. The transaction identifier moves on once the
// request went out, answered or not, so that a late answer never matches the next one.
template <class Call>
int32_t OnEntry(TEntry& entry, int32_t timeout, Call call) {
    SetTimeouts(*entry.Sock, timeout);
    // A table call judges an answer of another transaction (-3), as its callers expect.
    return call(*entry.Sock, TTransaction{entry.TransId++, false});
}

// The one-shot calls share one counter, so that an answer a gateway still holds for an
// earlier call, now sent on this call's connection, is never taken for this one.
std::atomic<uint16_t> gOneShotTransId{1};

// What the thread's last one-shot call met, for UniversalTALVOLastError.
struct TOneShotOutcome {
    int32_t Code = 0;
    int SocketError = 0;  // the Winsock error behind the failure, 0 when it has none
};
thread_local TOneShotOutcome tLastOneShot;

bool Refused(int32_t code) {
    tLastOneShot = {code, 0};
    return false;
}

// Connects, makes one exchange with a transaction identifier of its own and closes on
// every path.
template <class Call>
bool OneShot(const char* host, uint16_t port, int32_t timeout, Call call) try {
    // Until the connection stands nothing of the request has left.
    tLastOneShot = {-8, 0};
    TSimpTcp sock;
    sock.Host = host != nullptr ? host : "";
    sock.Port = port;
    SetTimeouts(sock, timeout);
    if (sock.Open() != 0 || sock.Connect() != 0) {
        tLastOneShot = {-8, sock.LastError()};
        return false;
    }
    const int32_t rc = call(sock, TTransaction{gOneShotTransId++, true});
    // An answer that did not come in time is the peer's silence, no fault of the socket.
    tLastOneShot = {rc, rc != 0 && sock.LastError() != WSAETIMEDOUT ? sock.LastError() : 0};
    sock.Close();
    return rc == 0;
} catch (...) {
    return false;
}

}  // namespace
}  // namespace talvo

using namespace talvo;

extern "C" {

int32_t TALVOAdd(int32_t Index, const char* Host, uint16_t Port) noexcept try {
    if (!ValidIndex(Index)) return -6;
    TEntry& entry = gTable[Index];
    if (entry.Sock) return -7;
    entry.Sock = std::make_unique<TSimpTcp>();
    const size_t len = Host != nullptr ? strnlen(Host, kHostLen) : 0;
    if (len > 0) std::memcpy(entry.Host, Host, len);
    entry.Host[len] = '\0';
    entry.Port = Port;
    entry.TransId = 1;
    TSimpTcp& sock = *entry.Sock;
    sock.Host = entry.Host;
    sock.Port = Port;
    SetTimeouts(sock, kEntryTimeout);
    // A failed entry keeps its object: the caller closes or reinitialises it.
    if (sock.Open() != 0 || sock.Connect() != 0) return -8;
    return 0;
} catch (...) {
    return -8;
}

int32_t TALVOClose(int32_t Index) noexcept {
    int32_t rc;
    TEntry* entry = Lookup(Index, rc);
    if (entry == nullptr) return rc;
    rc = entry->Sock->Close() == 0 ? 0 : -14;
    *entry = TEntry{};
    return rc;
}

int32_t TALVOReinit(int32_t Index) noexcept {
    if (!ValidIndex(Index)) return -6;
    const TEntry& entry = gTable[Index];
    char host[kHostLen + 1];
    std::memcpy(host, entry.Host, sizeof host);
    const uint16_t port = entry.Sock ? entry.Port : kDefaultPort;
    TALVOClose(Index);
    return TALVOAdd(Index, host, port);
}

bool TALVOCloseAll(void) noexcept {
    bool ok = true;
    for (TEntry& entry : gTable) {
        if (entry.Sock && entry.Sock->Close() != 0) ok = false;
        entry = TEntry{};
    }
    return ok;
}

int32_t TALVOReadRegs(int32_t Index, uint8_t UnitId, uint16_t StartReg, uint16_t RegCount, int32_t Timeout,
                      uint16_t* Values, bool Swap) noexcept {
    int32_t rc;
    TEntry* entry = Lookup(Index, rc);
    if (entry == nullptr) return rc;
    if (!ValidCount(RegCount) || Values == nullptr) return -9;
    return OnEntry(*entry, Timeout, [&](TSimpTcp& sock, TTransaction t) {
        return ReadRegs(sock, t, UnitId, StartReg, RegCount, Values, Swap);
    });
}

int32_t TALVOWriteRegs(int32_t Index, uint8_t UnitId, uint16_t StartReg, uint16_t RegCount, int32_t Timeout,
                       const uint16_t* Values) noexcept {
    int32_t rc;
    TEntry* entry = Lookup(Index, rc);
    if (entry == nullptr) return rc;
    if (!ValidCount(RegCount) || Values == nullptr) return -9;
    return OnEntry(*entry, Timeout, [&](TSimpTcp& sock, TTransaction t) {
        return WriteRegs(sock, t, UnitId, StartReg, RegCount, Values);
    });
}

int32_t TALVOPresetReg(int32_t Index, uint8_t UnitId, uint16_t Register, uint16_t Value,
                       int32_t Timeout) noexcept {
    int32_t rc;
    TEntry* entry = Lookup(Index, rc);
    if (entry == nullptr) return rc;
    return OnEntry(*entry, Timeout, [&](TSimpTcp& sock, TTransaction t) {
        uint8_t tx[kRequestArea];
        const int32_t len = BuildTALVOPresetReg(Register, t.Id, UnitId, Value, tx);
        return SendFrame(sock, tx, len, t, UnitId);
    });
}

int32_t TALVOSendAndWait(int32_t Index, uint8_t UnitId, const uint8_t* Request, uint8_t* Response,
                         int32_t Timeout, int32_t RequestLen, int32_t* ResponseLen) noexcept {
    int32_t rc;
    TEntry* entry = Lookup(Index, rc);
    if (entry == nullptr) return rc;
    if (!ValidRaw(Request, RequestLen, Response, ResponseLen)) return -9;
    *ResponseLen = 1;
    return OnEntry(*entry, Timeout, [&](TSimpTcp& sock, TTransaction t) {
        return SendRaw(sock, t, UnitId, Request, RequestLen, Response, ResponseLen);
    });
}

bool UniversalTALVOSendAndWait(const char* Host, uint16_t Port, uint8_t UnitId, const uint8_t* Request,
                               uint8_t* Response, int32_t Timeout, int32_t RequestLen,
                               int32_t* ResponseLen) noexcept {
    if (!ValidRaw(Request, RequestLen, Response, ResponseLen)) return Refused(-9);
    *ResponseLen = 0;
    return OneShot(Host, Port, Timeout, [&](TSimpTcp& sock, TTransaction t) {
        return SendRaw(sock, t, UnitId, Request, RequestLen, Response, ResponseLen);
    });
}

bool UniversalTALVOReadRegs(const char* Host, uint16_t Port, uint8_t UnitId, uint16_t StartReg,
                            uint16_t RegCount, int32_t Timeout, uint16_t* Values, bool Swap) noexcept {
    if (!ValidCount(RegCount) || Values == nullptr) return Refused(-9);
    return OneShot(Host, Port, Timeout, [&](TSimpTcp& sock, TTransaction t) {
        return ReadRegs(sock, t, UnitId, StartReg, RegCount, Values, Swap);
    });
}

bool UniversalTALVOWriteRegs(const char* Host, uint16_t Port, uint8_t UnitId, uint16_t StartReg,
                             uint16_t RegCount, int32_t Timeout, const uint16_t* Values) noexcept {
    if (!ValidCount(RegCount) || Values == nullptr) return Refused(-9);
    return OneShot(Host, Port, Timeout, [&](TSimpTcp& sock, TTransaction t) {
        return WriteRegs(sock, t, UnitId, StartReg, RegCount, Values);
    });
}

int32_t UniversalTALVOLastError(char* Reason, int32_t MaxLen) noexcept try {
    if (Reason != nullptr) CopyText(WinsockErrorText(tLastOneShot.SocketError), Reason, MaxLen);
    return tLastOneShot.Code;
} catch (...) {
    if (Reason != nullptr) Reason[0] = '\0';
    return tLastOneShot.Code;
}

}  // extern "C"
