#pragma once
// A growable byte stream in memory, the unit in which file sets move between files and
// the format handlers; names and streams travel as two parallel lists.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dcomp {

class TMemoryStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string bytes) : FBytes(std::move(bytes)) {}

    int64_t Size() const { return static_cast<int64_t>(FBytes.size()); }
    int64_t Position() const { return FPosition; }
    // Any position from 0; past the end reads nothing and a write fills the gap with 0.
    void Seek(int64_t position);
    // Up to count bytes from the position; the number read.
    std::size_t Read(void* buffer, std::size_t count);
    // Exactly count bytes, or platform::Exception "Stream read error" (position unchanged).
    void ReadBuffer(void* buffer, std::size_t count);
    // At the position, growing the stream as needed.
    void Write(const void* buffer, std::size_t count);
    void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
    void Clear();
    void SetSize(int64_t size);

    const std::string& Bytes() const { return FBytes; }
    const uint8_t* Memory() const { return reinterpret_cast<const uint8_t*>(FBytes.data()); }
    // Replaces the whole content; position 0.
    void Assign(std::string bytes);

private:
    std::string FBytes;
    int64_t FPosition = 0;
};

using TNameList = std::vector<std::string>;
using TStreamList = std::vector<std::unique_ptr<TMemoryStream>>;

}  // namespace dcomp
