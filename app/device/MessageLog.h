#pragma once
// The message log of a document: a list of text lines kept short, with the frame trace
// as hexadecimal lines. The document window's memo implements the interface.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace app {

class IMessageLog {
public:
    virtual ~IMessageLog() = default;
    virtual int Count() const = 0;
    virtual void Add(const std::string& line) = 0;
    // 0-based; the first line is 0, the last Count() - 1.
    virtual void Delete(int index) = 0;
    // Changes between the two are shown at once, when EndUpdate comes.
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;
    // A character typed into the log as if by the user (the write progress dot).
    virtual void TypeKey(char key) = 0;
};

// A log of more than kMaxLogLines loses its oldest lines until fewer than
// kTrimmedLogLines remain; then the line is added.
inline constexpr int kMaxLogLines = 2000;
inline constexpr int kTrimmedLogLines = 1000;
void AddLogLine(IMessageLog& log, const std::string& line);

// Each byte as two upper-case hexadecimal digits and a blank, 16 bytes a line.
std::vector<std::string> HexDumpLines(std::span<const uint8_t> bytes);

}  // namespace app
