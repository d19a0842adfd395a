#include "talvo/Frames.h"

#include <cstring>

#include "talvo.h"

namespace talvo {

uint16_t FrameTransId(const uint8_t* frame) {
    uint16_t id;
    std::memcpy(&id, frame, sizeof id);
    return id;
}

void PutHeader(uint8_t* frame, uint16_t transId, uint8_t unitId, size_t pduLen) {
    std::memcpy(frame, &transId, sizeof transId);
    PutBe16(frame + 2, 0);
    PutBe16(frame + 4, static_cast<uint16_t>(pduLen + 1));
    frame[6] = unitId;
}

namespace {

// A request of a function code and two 16-bit values: 12 bytes.
int32_t BuildPair(uint8_t function, uint16_t first, uint16_t second, uint16_t transId, uint8_t unitId,
                  uint8_t* buffer) {
    PutHeader(buffer, transId, unitId, 5);
    buffer[7] = function;
    PutBe16(buffer + 8, first);
    PutBe16(buffer + 10, second);
    return 12;
}

int32_t CheckAnswer(uint16_t transId, uint8_t unitId, int32_t rxLen, const uint8_t* b, int32_t minLen) {
    if (b == nullptr || rxLen < 9) return -1;
    if (GetBe16(b + 4) < 2) return -2;
    if (FrameTransId(b) != transId) return -3;
    if (b[6] != unitId) return -4;
    // Bit 7 marks an exception; one without a code is no success either.
    if (b[7] & 0x80) return b[8] != 0 ? b[8] : -5;
    if (rxLen < minLen) return -5;
    return 0;
}

}  // namespace

int32_t BuildReadRequest(uint16_t startReg, uint16_t regCount, uint16_t transId, uint8_t unitId,
                         uint8_t* buffer) {
    return BuildPair(3, startReg, regCount, transId, unitId, buffer);
}

int32_t BuildWriteRequest(uint16_t startReg, uint16_t regCount, uint16_t transId, uint8_t unitId,
                          const uint16_t* values, uint8_t* buffer) {
    // The byte count is one byte: callers keep regCount at kMaxRegCount or below.
    const size_t bytes = 2 * size_t{regCount};
    PutHeader(buffer, transId, unitId, bytes + 6);
    buffer[7] = 16;
    PutBe16(buffer + 8, startReg);
    PutBe16(buffer + 10, regCount);
    buffer[12] = static_cast<uint8_t>(bytes);
    for (size_t i = 0; i < regCount; ++i) PutBe16(buffer + 13 + 2 * i, values[i]);
    return static_cast<int32_t>(bytes + 13);
}

int32_t BuildTALVOPresetReg(uint16_t Register, uint16_t TransId, uint8_t UnitId, uint16_t Value,
                            uint8_t* Buffer) {
    return BuildPair(6, Register, Value, TransId, UnitId, Buffer);
}

}  // namespace talvo

using namespace talvo;

extern "C" {

// Nothing is written for arguments that make no frame: -8 for a missing area, -9 for a
// count that one frame does not hold.
int32_t BuildTALVOReadRegs(uint16_t StartReg, uint16_t RegCount, uint16_t TransId, uint8_t UnitId,
                           uint8_t* Buffer) noexcept {
    if (Buffer == nullptr) return -8;
    if (RegCount < 1 || RegCount > kMaxReadCount) return -9;
    return BuildReadRequest(StartReg, RegCount, TransId, UnitId, Buffer);
}

int32_t BuildTALVOWriteRegs(uint16_t StartReg, uint16_t RegCount, uint16_t TransId, uint8_t UnitId,
                            const uint16_t* Values, uint8_t* Buffer) noexcept {
    if (Buffer == nullptr || Values == nullptr) return -8;
    if (RegCount < 1 || RegCount > kMaxWriteCount) return -9;
    return BuildWriteRequest(StartReg, RegCount, TransId, UnitId, Values, Buffer);
}

int32_t CheckTALVOReadRegs(uint16_t, uint16_t RegCount, uint16_t TransId, uint8_t UnitId, int32_t RxLen,
                           const uint8_t* Buffer) noexcept {
    return CheckAnswer(TransId, UnitId, RxLen, Buffer, 2 * int32_t{RegCount} + 9);
}

int32_t CheckTALVOWriteRegs(uint16_t, uint16_t, uint16_t TransId, uint8_t UnitId, int32_t RxLen,
                            const uint8_t* Buffer) noexcept {
    return CheckAnswer(TransId, UnitId, RxLen, Buffer, 0);
}

int32_t GetTALVOReadRegs(uint16_t RegCount, const uint8_t* Source, uint16_t* Destination,
                         bool Swap) noexcept {
    if (Source == nullptr || Destination == nullptr) return 0;
    const uint8_t* data = Source + 9;
    for (size_t i = 0; i < RegCount; ++i) {
        uint16_t value;
        std::memcpy(&value, data + 2 * i, sizeof value);
        Destination[i] = Swap ? GetBe16(data + 2 * i) : value;
    }
    return 0;
}

}  // extern "C"
