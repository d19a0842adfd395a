#include "dcomp/recorder/FieldReader.h"

#include <bit>
#include <string_view>

#include "platform/Bytes.h"
#include "platform/Cp1250.h"

namespace dcomp {

const uint8_t* TFieldReader::At(std::size_t offset, std::size_t size) {
    if (!Has(offset, size)) {
        FShort = true;
        return nullptr;
    }
    return FBytes.data() + offset;
}

uint8_t TFieldReader::U8(std::size_t offset) {
    const uint8_t* p = At(offset, 1);
    return p ? *p : 0;
}

uint16_t TFieldReader::U16(std::size_t offset) {
    const uint8_t* p = At(offset, 2);
    if (!p) return 0;
    return FOrder == TByteOrder::Big ? platform::GetBe16(p) : platform::GetLe16(p);
}

uint32_t TFieldReader::U32(std::size_t offset) {
    const uint8_t* p = At(offset, 4);
    if (!p) return 0;
    return FOrder == TByteOrder::Big ? platform::GetBe<uint32_t>(p) : platform::GetLe<uint32_t>(p);
}

float TFieldReader::F32(std::size_t offset) {
    return std::bit_cast<float>(U32(offset));
}

double TFieldReader::F64(std::size_t offset) {
    const uint8_t* p = At(offset, 8);
    if (!p) return 0.0;
    return std::bit_cast<double>(FOrder == TByteOrder::Big ? platform::GetBe<uint64_t>(p)
                                                           : platform::GetLe<uint64_t>(p));
}

std::string TFieldReader::Text(std::size_t offset, std::size_t size) {
    const uint8_t* p = At(offset, size);
    if (!p) return {};
    std::size_t n = 0;
    while (n < size && p[n] != 0) ++n;
    return platform::Cp1250ToUtf8(std::string_view(reinterpret_cast<const char*>(p), n));
}

std::string TFieldReader::ShortString(std::size_t offset, std::size_t maxLength) {
    const uint8_t* p = At(offset, maxLength + 1);
    if (!p) return {};
    std::size_t n = p[0] < maxLength ? p[0] : maxLength;
    return platform::Cp1250ToUtf8(std::string_view(reinterpret_cast<const char*>(p + 1), n));
}

std::span<const uint8_t> TFieldReader::Bytes(std::size_t offset, std::size_t size) {
    const uint8_t* p = At(offset, size);
    if (!p) return {};
    return {p, size};
}

}  // namespace dcomp
