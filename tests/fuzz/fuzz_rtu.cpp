// Modbus RTU answers as the serial road and the Modbus TCP road judge them, the frame
// length read from an answer's first bytes, and the request frames built around
// register fields from the input. Layout of FuzzedDataProvider: device address, road,
// register number and count from the end; the rest is the answer.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/link/Mbusfun.h"
#include "platform/Exception.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

void CheckJudged(uint8_t device, const std::vector<uint8_t>& answer, bool withCrc) {
    const app::TAnswerCheck c = app::CheckAnswer(device, answer.data(), answer.size(), withCrc);
    FUZZ_CHECK(c.TimeOut == answer.empty());
    FUZZ_CHECK(withCrc || !c.CrcError);
    if (c.TimeOut || c.CrcError) {
        FUZZ_CHECK(!c.OtherAddress && !c.Exception);
        return;
    }
    FUZZ_CHECK(c.OtherAddress == (answer[0] != device));
    FUZZ_CHECK(c.Exception == (answer.size() >= 2 && (answer[1] & app::kExceptionBit) != 0));
}

// A frame with its CRC passes the CRC check, and any one bit changed fails it.
void CheckCrc(uint8_t device, const std::vector<uint8_t>& frame, std::size_t bit) {
    FUZZ_CHECK(app::CheckCRC16(frame.data(), frame.size()));
    FUZZ_CHECK(!app::CheckAnswer(device, frame.data(), frame.size(), true).CrcError);
    std::vector<uint8_t> spoilt = frame;
    spoilt[bit / 8 % spoilt.size()] ^= static_cast<uint8_t>(1u << bit % 8);
    FUZZ_CHECK(!app::CheckCRC16(spoilt.data(), spoilt.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const auto device = in.ConsumeIntegral<uint8_t>();
    const bool withCrc = in.ConsumeBool();
    const int registerNumber = in.ConsumeIntegral<int>();
    const int count = in.ConsumeIntegral<int>();
    const auto bit = in.ConsumeIntegral<uint16_t>();
    // Exactly as long as the answer, so a read past it shows.
    const std::vector<uint8_t> answer = in.ConsumeRemainingBytes<uint8_t>();

    CheckJudged(device, answer, withCrc);
    std::vector<uint8_t> framed = answer;
    framed.resize(answer.size() + 2);
    app::AddCRC16(framed.data(), answer.size());
    CheckCrc(device, framed, bit);
    CheckJudged(device, framed, true);

    // Once the first bytes tell the frame's length, more bytes never change it.
    std::optional<std::size_t> told;
    for (std::size_t n = 0; n <= answer.size() && n <= app::kMaxAnswerBytes; ++n) {
        const std::vector<uint8_t> head(answer.begin(), answer.begin() + static_cast<std::ptrdiff_t>(n));
        const std::optional<std::size_t> length = app::AnswerFrameLength(head.data(), head.size());
        if (told) FUZZ_CHECK(length == told);
        if (length) FUZZ_CHECK(*length >= 5 && *length <= app::kMaxAnswerBytes);
        told = length;
    }

    try {
        const std::vector<uint8_t> frame = app::BuildReadRequest(device, registerNumber, count);
        FUZZ_CHECK(frame.size() == 8);
        CheckCrc(device, frame, bit);
    } catch (const platform::Exception&) {
    }
    try {
        const std::vector<uint8_t> frame = app::BuildWriteRequest(device, registerNumber, answer);
        FUZZ_CHECK(frame.size() == answer.size() + 9);
        CheckCrc(device, frame, bit);
    } catch (const platform::Exception&) {
    }
    return 0;
}
