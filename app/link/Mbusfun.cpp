#include "app/link/Mbusfun.h"

#include <algorithm>

#include "platform/Exception.h"
#include "platform/FormatSettings.h"

namespace app {

uint16_t Crc16(const uint8_t* block, size_t length) {
    uint16_t crc = 0xFFFF;
    for (size_t i = 0; i < length; ++i) {
        crc ^= block[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    }
    return crc;
}

void AddCRC16(uint8_t* block, size_t length) {
    const uint16_t crc = Crc16(block, length);
    block[length] = static_cast<uint8_t>(crc & 0xFF);
    block[length + 1] = static_cast<uint8_t>(crc >> 8);
}

bool CheckCRC16(const uint8_t* block, size_t length) {
    // Fewer than two bytes cannot carry a CRC.
    return length >= 2 && Crc16(block, length) == 0;
}

namespace {

void CheckRange(int registerNumber, int count) {
    if (count < 1 || count > kMaxFrameRegisters)
        throw platform::Exception("Register count out of range: " + platform::IntToStr(count));
    // The register field is 16 bits and the frame's registers must all lie below 0x10000.
    if (registerNumber < 1 || static_cast<int64_t>(registerNumber) - 1 + count > 0x10000)
        throw platform::Exception("Register number out of range: " + platform::IntToStr(registerNumber));
}

std::vector<uint8_t> Header(uint8_t device, uint8_t function, uint16_t field, int count, size_t frameLength) {
    std::vector<uint8_t> frame;
    frame.reserve(frameLength);
    frame.push_back(device);
    frame.push_back(function);
    frame.push_back(static_cast<uint8_t>(field >> 8));
    frame.push_back(static_cast<uint8_t>(field & 0xFF));
    frame.push_back(static_cast<uint8_t>(count >> 8));
    frame.push_back(static_cast<uint8_t>(count & 0xFF));
    return frame;
}

void AppendCrc(std::vector<uint8_t>& frame) {
    const size_t length = frame.size();
    frame.resize(length + 2);
    AddCRC16(frame.data(), length);
}

}  // namespace

std::vector<uint8_t> BuildReadRequest(uint8_t device, int registerNumber, int count) {
    CheckRange(registerNumber, count);
    auto frame = Header(device, kFnReadHolding, static_cast<uint16_t>(registerNumber - 1), count, 8);
    AppendCrc(frame);
    return frame;
}

std::vector<uint8_t> BuildIdentRequest(uint8_t device) {
    auto frame = Header(device, kFnReadHolding, kIdentRegister, kIdentRegisterCount, 8);
    AppendCrc(frame);
    return frame;
}

std::vector<uint8_t> BuildWriteRequest(uint8_t device, int registerNumber, std::span<const uint8_t> words) {
    if (words.size() % 2 != 0)
        throw platform::Exception("Register words of odd length: " +
                                  platform::IntToStr(static_cast<int64_t>(words.size())));
    // Clamped only so that an oversized block reaches the range check as "too many".
    const int count = static_cast<int>(std::min<size_t>(words.size() / 2, kMaxFrameRegisters + 1));
    CheckRange(registerNumber, count);
    auto frame =
        Header(device, kFnWriteMultiple, static_cast<uint16_t>(registerNumber - 1), count, 2 * count + 9);
    frame.push_back(static_cast<uint8_t>((2 * count) & 0xFF));
    frame.insert(frame.end(), words.begin(), words.end());
    AppendCrc(frame);
    return frame;
}

TAnswerCheck CheckAnswer(uint8_t device, const uint8_t* answer, size_t length, bool withCrc) {
    TAnswerCheck check;
    if (length == 0) {
        check.TimeOut = true;
        return check;
    }
    if (withCrc && !CheckCRC16(answer, length)) {
        check.CrcError = true;
        return check;
    }
    check.OtherAddress = answer[0] != device;
    check.Exception = length >= 2 && (answer[1] & kExceptionBit) != 0;
    return check;
}

std::optional<size_t> AnswerFrameLength(const uint8_t* received, size_t length) {
    if (length < 2) return std::nullopt;
    const uint8_t function = received[1];
    if ((function & kExceptionBit) != 0) return 5;
    if (function == kFnWriteMultiple) return 8;
    if (function != kFnReadHolding || length < 3) return std::nullopt;
    const size_t total = 5 + size_t{received[2]};
    if (total > kMaxAnswerBytes) return std::nullopt;
    return total;
}

}  // namespace app
