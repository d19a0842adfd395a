#include "app/device/MessageLog.h"

namespace app {

void AddLogLine(IMessageLog& log, const std::string& line) {
    if (log.Count() > MaxLogLines)
        while (log.Count() >= TrimmedLogLines) log.Delete(0);
    log.Add(line);
}

std::vector<std::string> HexDumpLines(std::span<const uint8_t> bytes) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        line += digits[bytes[i] >> 4];
        line += digits[bytes[i] & 0x0F];
        line += ' ';
        if ((i + 1) % 16 == 0 || i + 1 == bytes.size()) {
            lines.push_back(std::move(line));
            line.clear();
        }
    }
    return lines;
}

}  // namespace app
