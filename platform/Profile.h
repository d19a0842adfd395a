#pragma once
// Initialisation-file access ("halvo.ini", ".set" files). Section and key names are
// case-insensitive, the first match wins, values are trimmed. Texts are UTF-8 to the
// caller; files are code page 1250 unless they start with the UTF-8 byte-order mark.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// A file name without a directory is looked for in WindowsDirectory().
std::string ProfilePath(std::string_view fileName);

std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view def,
                                    std::string_view fileName);
// Leading decimal digits (optional sign) of the value; def when missing or no digits.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int def, std::string_view fileName);
// Replaces the first matching key or adds it (and the section); every other line stays.
// The file is replaced atomically. False when it cannot be written.
bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               std::string_view fileName);

// Every key of the first matching section as (key, value) in file order, values as
// GetPrivateProfileString gives them; false when the file has no such section.
bool ReadProfileSection(std::string_view section, std::string_view fileName,
                        std::vector<std::pair<std::string, std::string>>& values);

// $HALVO_WINDIR, else $XDG_CONFIG_HOME/halvo, else ~/.config/halvo. Not created here.
std::string WindowsDirectory();

}  // namespace platform
