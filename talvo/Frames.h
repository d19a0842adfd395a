// Modbus TCP frame layout shared by the client calls.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Bytes.h"

namespace talvo {

constexpr int kHeaderLen = 7;
constexpr int kMaxRequestPdu = 253;
constexpr int kMaxRegCount = 127;
// What one frame holds: a read answer or a write request of at most 253 PDU bytes.
constexpr int kMaxReadCount = 125;
constexpr int kMaxWriteCount = 123;
// The largest request is a write of kMaxRegCount registers (267 bytes), longer than a
// header and the largest raw PDU (260 bytes).
constexpr int kRequestArea = 2 * kMaxRegCount + 13;
constexpr int kReceiveArea = 1024;
// Bounds of an answer's length field: unit identifier plus a PDU of 2 to 1017 bytes.
constexpr int kMinLengthField = 3;
constexpr int kMaxLengthField = 1018;

using platform::GetBe16;
using platform::PutBe16;
// The transaction identifier travels in host order.
uint16_t FrameTransId(const uint8_t* frame);
// Writes the 7-byte header of a request with a PDU of pduLen bytes.
void PutHeader(uint8_t* frame, uint16_t transId, uint8_t unitId, size_t pduLen);

// The requests as the table and one-shot calls send them, for any count they accept.
int32_t BuildReadRequest(uint16_t startReg, uint16_t regCount, uint16_t transId, uint8_t unitId,
                         uint8_t* buffer);
int32_t BuildWriteRequest(uint16_t startReg, uint16_t regCount, uint16_t transId, uint8_t unitId,
                          const uint16_t* values, uint8_t* buffer);

int32_t BuildTALVOPresetReg(uint16_t Register, uint16_t TransId, uint8_t UnitId, uint16_t Value,
                            uint8_t* Buffer);

}  // namespace talvo
