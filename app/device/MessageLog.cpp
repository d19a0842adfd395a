#include "app/device/MessageLog.h"

#include <algorithm>

#include "platform/Strings.h"

namespace app {

void AddLogLine(IMessageLog& log, const std::string& line) {
    if (log.Count() > kMaxLogLines)
        while (log.Count() >= kTrimmedLogLines) log.Delete(0);
    log.Add(line);
}

std::vector<std::string> HexDumpLines(std::span<const uint8_t> bytes) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < bytes.size(); at += 16)
        lines.push_back(platform::HexLine(bytes.subspan(at, std::min<std::size_t>(16, bytes.size() - at))));
    return lines;
}

}  // namespace app
