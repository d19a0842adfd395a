#pragma once
// Small file and path helpers shared by every subsystem (paths use "/").
#include <string>
#include <string_view>

namespace platform {

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// The whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes);
// Writes a temporary beside the target and renames it over, so the old file survives a
// failed write. False on any failure (the temporary is removed).
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
