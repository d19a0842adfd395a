#include "app/device/HalvoFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Prompts.h"

namespace app {

void BufferToStrings(std::vector<std::string>& list, const uint8_t* buffer, std::size_t size) {
    if (size == 0 || buffer == nullptr) return;
    std::string text(reinterpret_cast<const char*>(buffer), size);
    text[size - 1] = '\0';
    // The forced NUL is walked too, so a line that fills the buffer is not lost.
    std::string line;
    for (std::size_t pos = 0; pos < size; ++pos) {
        const char c = text[pos];
        if (c == '\0') {
            if (line.empty()) break;
            list.push_back(platform::Cp1250ToUtf8(line));
            line.clear();
        } else if (c == '\r' || c == '\n') {
            list.push_back(platform::Cp1250ToUtf8(line));
            line.clear();
            ++pos;
        } else {
            line += c;
        }
    }
}

void StringsToBuffer(const std::vector<std::string>& list, uint8_t* buffer, std::size_t size) {
    if (size == 0 || buffer == nullptr) return;
    if (list.empty()) {
        buffer[0] = 0;
        return;
    }
    std::size_t pos = 0;
    for (const std::string& utf8 : list) {
        if (pos + 1 >= size) break;  // only the terminator still fits
        if (utf8.empty()) {
            buffer[pos++] = '\r';
            buffer[pos++] = '\n';
            continue;
        }
        const std::string bytes = platform::Utf8ToCp1250(utf8);
        const std::size_t n = std::min(bytes.size(), size - 1 - pos);
        std::memcpy(buffer + pos, bytes.data(), n);
        pos += n;
        buffer[pos++] = 0;
    }
    if (pos < size) buffer[pos] = 0;
}

bool SaveBufferToFile(const std::string& name, const uint8_t* buffer, std::size_t count) {
    const std::string_view bytes(reinterpret_cast<const char*>(buffer), buffer ? count : 0);
    if (platform::WriteFileAtomic(name, bytes)) return true;
    const std::string reason = platform::ErrnoText(errno);
    platform::Prompts().MessageDlg("Error Not saved.\n" + name + ": " + reason, platform::TMsgDlgType::Error,
                                   platform::mbOK);
    return false;
}

}  // namespace app
