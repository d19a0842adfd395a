#pragma once
// Text lines in a byte buffer (a document's note), and writing a buffer to a file.
//
// Buffer layout: each non-empty line is its characters and one NUL; an empty line is
// CR LF; a NUL where a line would begin ends the text. The bytes are code page 1250;
// the lines are UTF-8.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace app {

// Adds the buffer's lines to list. The last byte of the buffer never counts as text;
// the buffer itself is not changed.
void BufferToStrings(std::vector<std::string>& list, const uint8_t* buffer, std::size_t size);

// Writes the lines into the buffer. Never writes past size: once the buffer is full no
// further line is started, a line that does not fit is cut, and its NUL stays inside.
void StringsToBuffer(const std::vector<std::string>& list, uint8_t* buffer, std::size_t size);

// Writes count bytes as the file's whole content; the old file stays until the new one
// is complete. On any failure shows "Error Not saved." with the file and the system's
// reason on a line of their own, and returns false.
bool SaveBufferToFile(const std::string& name, const uint8_t* buffer, std::size_t count);

}  // namespace app
