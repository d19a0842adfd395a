#pragma once
// Small file and path helpers shared by every subsystem (paths use "/").
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/ErrnoText.h"

namespace platform {

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// The whole file; false when it cannot be opened or read. Only regular files are read:
// a FIFO, a device or a directory is refused at once, as a file that cannot be read
// (bytes then stay as they were). On failure reason, when given, says why: the system's
// text ("Permission denied") or "not a regular file".
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* reason = nullptr);
// The same for at most limit bytes from the file's start.
bool ReadFileHead(const std::string& path, std::size_t limit, std::string& bytes,
                  std::string* reason = nullptr);
// Writes a temporary beside the target and renames it over, so the old file survives a
// failed write. A symbolic link is written through: the file at the end of its chain
// takes the bytes and the links stay; a link that leads nowhere or into a loop fails
// (errno ENOENT or ELOOP). A file the user may not write is not replaced (EACCES): one
// without any write permission bit is refused to root too, as a read-only file. A new
// file gets the mode the umask leaves of 0666; a replaced one keeps its mode, and its
// owner and group where the process may set them. False on any failure, with errno
// saying why (the temporary is removed).
bool WriteFileAtomic(const std::string& path, std::string_view bytes);

// Backslashes to "/", repeated "/" collapsed, "./" parts dropped.
std::string NormalisePath(std::string_view path);
std::string JoinPath(std::string_view dir, std::string_view name);
std::string ExtractFileDir(std::string_view path);  // without the trailing "/"
std::string ExtractFileName(std::string_view path);
std::string ChangeFileExt(std::string_view path, std::string_view ext);  // ext with its "."
// The directory of the running executable.
std::string ProgramDirectory();

}  // namespace platform
