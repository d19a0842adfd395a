#pragma once
// Modbus RTU frames of the device protocol and their CRC-16.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace app {

// Register field of the identification read, sent as it is (not "number minus one").
constexpr uint16_t kIdentRegister = 0x0E78;
constexpr int kIdentRegisterCount = 8;
// The most registers one function-3 or function-16 frame carries.
constexpr int kMaxFrameRegisters = 125;
// The most bytes read as one answer on the serial road.
constexpr size_t kMaxAnswerBytes = 256;

constexpr uint8_t kFnReadHolding = 3;
constexpr uint8_t kFnWriteMultiple = 16;
constexpr uint8_t kExceptionBit = 0x80;

// The Modbus CRC (start 0xFFFF, polynomial 0xA001 reflected) of `length` bytes.
uint16_t Crc16(const uint8_t* block, size_t length);
// Stores the CRC of the first `length` bytes behind them, low byte first; the block must
// hold length + 2 bytes.
void AddCRC16(uint8_t* block, size_t length);
// True when the CRC over all `length` bytes, the two trailing CRC bytes included, is 0.
bool CheckCRC16(const uint8_t* block, size_t length);

// Whole request frames, address to CRC. Register numbers count from 1 and go out as
// number - 1; a number or count the protocol cannot carry throws platform::Exception.
std::vector<uint8_t> BuildReadRequest(uint8_t device, int registerNumber, int count);
std::vector<uint8_t> BuildIdentRequest(uint8_t device);
// `words` are the register words as they are sent (big-endian), two bytes a register.
std::vector<uint8_t> BuildWriteRequest(uint8_t device, int registerNumber, std::span<const uint8_t> words);

// Outcome of the checks an answer goes through, in their order. A time-out or a CRC
// error ends the checks; another device's address and an exception answer are both
// looked at, so each can be reported.
struct TAnswerCheck {
    bool TimeOut = false;       // nothing received
    bool CrcError = false;      // serial road only
    bool OtherAddress = false;  // the answer's address byte is not the request's
    bool Exception = false;     // function byte with bit 7 set
    bool Failed() const { return TimeOut || CrcError || OtherAddress || Exception; }
};
// `withCrc` for the serial road; the Modbus TCP road rebuilds address + PDU without CRC.
TAnswerCheck CheckAnswer(uint8_t device, const uint8_t* answer, size_t length, bool withCrc);

// The whole length, CRC included, of the serial answer that begins with the `length`
// bytes received: 5 for an exception answer, 5 + byte count for function 3, 8 for
// function 16. Empty while the bytes do not tell yet, and for good when they never
// will (another function, a byte count whose frame would not fit kMaxAnswerBytes).
std::optional<size_t> AnswerFrameLength(const uint8_t* received, size_t length);

}  // namespace app
