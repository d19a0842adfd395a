// talvo's frame helpers on answers as they arrive: the read and write answer checks,
// the copy of the registers out of an accepted read answer, the texts of the results
// they give, and the request frames built around the same fields. Layout of
// FuzzedDataProvider: the fields from the end, the rest is the answer.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "talvo.h"
#include "talvo/Frames.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

void CheckText(int32_t code, int32_t maxLen) {
    std::vector<char> buffer(static_cast<std::size_t>(maxLen) + 1, '\x7F');
    TALVOGetErrorDescription(code, buffer.data(), maxLen);
    const std::size_t length = ::strnlen(buffer.data(), buffer.size());
    FUZZ_CHECK(length <= static_cast<std::size_t>(maxLen));
    FUZZ_CHECK(fuzz::ValidUtf8({buffer.data(), length}));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const auto startReg = in.ConsumeIntegral<uint16_t>();
    const auto regCount = in.ConsumeIntegral<uint16_t>();
    const auto transId = in.ConsumeIntegral<uint16_t>();
    const auto unitId = in.ConsumeIntegral<uint8_t>();
    const bool swap = in.ConsumeBool();
    const auto maxLen = in.ConsumeIntegralInRange<int32_t>(0, 200);
    // Exactly as long as the answer, so a read past it shows.
    const std::vector<uint8_t> answer = in.ConsumeRemainingBytes<uint8_t>();
    const auto rxLen = static_cast<int32_t>(answer.size());

    const int32_t read = CheckTALVOReadRegs(startReg, regCount, transId, unitId, rxLen, answer.data());
    FUZZ_CHECK(read >= -5 && read <= 255);
    if (read == 0) {
        std::vector<uint16_t> values(regCount);
        FUZZ_CHECK(GetTALVOReadRegs(regCount, answer.data(), values.data(), swap) == 0);
        for (std::size_t i = 0; i < values.size(); ++i) {
            const uint8_t* wire = answer.data() + 9 + 2 * i;
            if (swap)
                FUZZ_CHECK(values[i] == talvo::GetBe16(wire));
            else
                FUZZ_CHECK(std::memcmp(&values[i], wire, 2) == 0);
        }
    }
    const int32_t write = CheckTALVOWriteRegs(startReg, regCount, transId, unitId, rxLen, answer.data());
    FUZZ_CHECK(write >= -5 && write <= 255);
    CheckText(read, maxLen);
    CheckText(write, maxLen);
    CheckText(static_cast<int32_t>(startReg << 16 | transId), maxLen);

    // A count one frame does not hold builds nothing.
    const bool readFits = regCount >= 1 && regCount <= talvo::kMaxReadCount;
    std::vector<uint8_t> request(12, 0xA5);
    const int32_t built = BuildTALVOReadRegs(startReg, regCount, transId, unitId, request.data());
    FUZZ_CHECK(built == (readFits ? 12 : -9));
    if (readFits) {
        FUZZ_CHECK(talvo::FrameTransId(request.data()) == transId && request[6] == unitId);
        FUZZ_CHECK(talvo::GetBe16(request.data() + 8) == startReg &&
                   talvo::GetBe16(request.data() + 10) == regCount);
    } else {
        FUZZ_CHECK(std::count(request.begin(), request.end(), 0xA5) == 12);
    }
    const uint16_t count = regCount % (talvo::kMaxRegCount + 1);
    const bool writeFits = count >= 1 && count <= talvo::kMaxWriteCount;
    // Never empty, so that a count of 0 meets real values (an empty vector's are NULL).
    std::vector<uint16_t> values(std::max<std::size_t>(count, 1));
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<uint16_t>(transId + i);
    request.assign(2 * std::size_t{count} + 13, 0xA5);
    const int32_t length =
        BuildTALVOWriteRegs(startReg, count, transId, unitId, values.data(), request.data());
    if (writeFits) {
        FUZZ_CHECK(length == static_cast<int32_t>(request.size()));
        FUZZ_CHECK(talvo::GetBe16(request.data() + 4) == request.size() - 6);
        FUZZ_CHECK(request[12] == 2 * count);
    } else {
        FUZZ_CHECK(length == -9);
        FUZZ_CHECK(std::count(request.begin(), request.end(), 0xA5) ==
                   static_cast<std::ptrdiff_t>(request.size()));
    }
    return 0;
}
