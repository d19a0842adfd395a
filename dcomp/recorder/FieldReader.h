#pragma once
// Fields of a recorder file's bytes, read by offset in either byte order. A field that
// does not lie wholly inside the bytes reads as 0 (or empty) and marks the reader short,
// so a header can be taken field by field and judged once at the end.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace dcomp {

enum class TByteOrder { Little, Big };

class TFieldReader {
public:
    TFieldReader(std::span<const uint8_t> bytes, TByteOrder order) : FBytes(bytes), FOrder(order) {}

    std::size_t Size() const { return FBytes.size(); }
    TByteOrder Order() const { return FOrder; }
    // True when [offset, offset + size) lies inside the bytes.
    bool Has(std::size_t offset, std::size_t size) const {
        return offset <= FBytes.size() && size <= FBytes.size() - offset;
    }
    // True once a read fell outside the bytes.
    bool Short() const { return FShort; }

    uint8_t U8(std::size_t offset);
    uint16_t U16(std::size_t offset);
    int16_t I16(std::size_t offset) { return static_cast<int16_t>(U16(offset)); }
    uint32_t U32(std::size_t offset);
    int32_t I32(std::size_t offset) { return static_cast<int32_t>(U32(offset)); }
    float F32(std::size_t offset);
    double F64(std::size_t offset);
    // A fixed text field of code page 1250: up to its first NUL or the field's end.
    std::string Text(std::size_t offset, std::size_t size);
    // A length byte followed by up to maxLength characters; a length above the field is
    // cut to it.
    std::string ShortString(std::size_t offset, std::size_t maxLength);
    // The raw bytes of a field; empty (and short) when outside.
    std::span<const uint8_t> Bytes(std::size_t offset, std::size_t size);

private:
    const uint8_t* At(std::size_t offset, std::size_t size);

    std::span<const uint8_t> FBytes;
    TByteOrder FOrder;
    bool FShort = false;
};

}  // namespace dcomp
