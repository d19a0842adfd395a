#include "dcomp/recorder/MemoryStream.h"

#include <algorithm>
#include <cstring>

#include "platform/Exception.h"

namespace dcomp {

void TMemoryStream::Seek(int64_t position) {
    FPosition = std::max<int64_t>(position, 0);
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    if (FPosition >= Size() || count == 0) return 0;
    const std::size_t n = std::min(count, static_cast<std::size_t>(Size() - FPosition));
    std::memcpy(buffer, FBytes.data() + FPosition, n);
    FPosition += static_cast<int64_t>(n);
    return n;
}

void TMemoryStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count == 0) return;
    if (FPosition >= Size() || count > static_cast<std::size_t>(Size() - FPosition))
        throw platform::Exception("Stream read error");
    Read(buffer, count);
}

void TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return;
    const auto end = static_cast<std::size_t>(FPosition) + count;
    if (end > FBytes.size()) FBytes.resize(end, '\0');
    std::memcpy(FBytes.data() + FPosition, buffer, count);
    FPosition = static_cast<int64_t>(end);
}

void TMemoryStream::Clear() {
    FBytes.clear();
    FPosition = 0;
}

void TMemoryStream::SetSize(int64_t size) {
    FBytes.resize(static_cast<std::size_t>(std::max<int64_t>(size, 0)), '\0');
    FPosition = std::min(FPosition, Size());
}

void TMemoryStream::Assign(std::string bytes) {
    FBytes = std::move(bytes);
    FPosition = 0;
}

}  // namespace dcomp
