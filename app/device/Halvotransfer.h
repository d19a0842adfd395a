#pragma once
// The transfer state of one device image: the frames of the transaction under way, the
// stop flags, the first failure's cause and the link to the document's message log.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "app/device/MessageLog.h"
#include "app/link/SerialLink.h"

namespace app {

// Why the transfer failed: the first cause met since the operation began.
enum class TTransferFailure : uint8_t {
    None,
    WriteFailed,    // the serial link took fewer bytes than the request
    TimeOut,        // nothing received
    AnswerTooLong,  // a Modbus TCP answer longer than the answer frame
    CrcError,
    OtherAddress,        // answered by another device
    Exception,           // an exception answer
    UnexpectedFunction,  // an answer of another function than the request's
    Incomplete,          // a parameter set answered with fewer bytes than asked
    UnknownDevice,       // an identification of no known type, and no definitions to read with
    LinkFailed,          // the serial port hung up, failed or could not be opened again; the
                         // Modbus TCP connection was refused, broken or never made
};

// How far a write got: the registers of the frames the device confirmed, then those of
// the frame in flight when it stopped, which the device may have stored.
struct TWriteProgress {
    int Confirmed = 0;
    int InDoubt = 0;
};

class THalvoTransfer {
public:
    static constexpr std::size_t kFrameSize = 300;

    // A command's transfer starts: its first frame looks at the serial port first, which
    // may have gone stale while the program was idle.
    void BeginTransfer() { FFirstFrame = true; }
    // Clears the flags and the cause: a new operation starts.
    void BeginOperation();
    void Fail(TTransferFailure why);
    // Fails for a cause the transaction does not report itself and says why in the log.
    void Stop(TTransferFailure why);
    // A reading that ends on an exception answer says so; the transaction gives no line
    // for it, as it is also the normal end of the events register.
    void ExplainException();
    // Forgets a failure but keeps a pending cancel.
    void ClearFailure();
    void Cancel() { FCancel = true; }
    bool Stopped() const { return FError || FCancel; }
    bool ErrorFlag() const { return FError; }
    bool CancelFlag() const { return FCancel; }
    TTransferFailure LastFailure() const { return FFailure; }

    // One request, address byte to CRC (both are set here), and its answer over the
    // configured road. An empty request is taken as a cancel.
    void Transact(std::span<const uint8_t> request, uint8_t device, bool trace);
    std::span<const uint8_t> Answer() const { return {FAnswer.data(), FAnswerLength}; }
    // Whether anything of the last request left the program, so the device may have it.
    bool RequestLeft() const { return FRequestLeft; }
    // The answer's function code, 0 without one.
    uint8_t AnswerFunction() const { return FAnswerLength >= 2 ? FAnswer[1] : 0; }
    // The data of a function-3 answer, as far as it arrived.
    std::span<const uint8_t> AnswerData() const;

    // Not owned; nullptr unlinks. Without a log the messages are dropped.
    void SetMessageLog(IMessageLog* log) { FMessageLog = log; }
    IMessageLog* MessageLog() const { return FMessageLog; }
    void AddMessage(const std::string& text);
    void RemoveLastMessage();
    void HexDump(std::span<const uint8_t> bytes);
    // The number of the line AddMessage added last, to remove that line later even
    // when others followed it.
    std::size_t LastLineMark() const { return FLinesAdded; }
    void RemoveLine(std::size_t mark);

private:
    // The serial link closed under the transaction or did not open: says which port and why.
    void LinkFailed(const ISerialLink& serial);
    // A one-shot Modbus TCP call failed: true when the connection failed and the log says
    // with which peer and why; false for the peer's silence, left to the answer check.
    bool TcpFailed(const std::string& host, uint16_t port);

    bool FError = false;
    bool FCancel = false;
    TTransferFailure FFailure = TTransferFailure::None;
    std::array<uint8_t, kFrameSize> FRequest{};
    std::array<uint8_t, kFrameSize> FAnswer{};
    std::size_t FRequestLength = 0;
    std::size_t FAnswerLength = 0;
    bool FAnswerHasCrc = false;  // the serial road's answers end in a CRC
    bool FRequestLeft = false;
    bool FFirstFrame = false;
    IMessageLog* FMessageLog = nullptr;
    std::size_t FLinesAdded = 0;
};

}  // namespace app
