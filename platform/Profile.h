#pragma once
// Initialisation-file access ("halvo.ini", ".set" files). Section and key names are
// case-insensitive, the first match wins, values are trimmed. Texts are UTF-8 to the
// caller; files are code page 1250 unless they start with the UTF-8 byte-order mark.
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// One profile file read and indexed once, for readers that ask for many keys (a ".set"
// file may hold thousands). The functions below answer exactly as it does.
class TProfileFile {
public:
    TProfileFile();  // an empty profile
    // Looked for as ProfilePath says; a missing or unreadable file reads as an empty one.
    explicit TProfileFile(std::string_view fileName);
    // The profile these bytes hold, as if read from a file.
    static TProfileFile FromBytes(std::string bytes);
    TProfileFile(TProfileFile&&) noexcept;
    TProfileFile& operator=(TProfileFile&&) noexcept;
    ~TProfileFile();

    bool Exists() const;  // the file was read
    // The value of the first matching key of the first matching section; null when missing.
    const std::string* Find(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    bool ReadSection(std::string_view section,
                     std::vector<std::pair<std::string, std::string>>& values) const;

    struct TData;

private:
    friend bool WritePrivateProfileString(std::string_view, std::string_view, std::string_view,
                                          std::string_view);
    std::unique_ptr<TData> FData;
};

// A file name without a directory is looked for in WindowsDirectory().
std::string ProfilePath(std::string_view fileName);

std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view def,
                                    std::string_view fileName);
// Leading decimal digits (optional sign) of the value; def when missing or no digits.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int def, std::string_view fileName);
// Replaces the first matching key or adds it (and the section); every other line stays.
// The file is replaced atomically. False when it cannot be written, errno saying why.
bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               std::string_view fileName);

// Every key of the first matching section as (key, value) in file order, values as
// GetPrivateProfileString gives them; false when the file has no such section.
bool ReadProfileSection(std::string_view section, std::string_view fileName,
                        std::vector<std::pair<std::string, std::string>>& values);

// $HALVO_WINDIR, else $XDG_CONFIG_HOME/halvo, else ~/.config/halvo. Not created here.
std::string WindowsDirectory();

}  // namespace platform
