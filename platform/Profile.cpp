#include "platform/Profile.h"

#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Strings.h"

namespace platform {

namespace {

enum class TLineKind { Other, Section, Key };

// One line of the file as its bytes lie, with what it means.
struct TLine {
    size_t Begin = 0, Length = 0, EndingLength = 0;  // content, then its line ending
    TLineKind Kind = TLineKind::Other;
    std::string Name;   // section or key name, UTF-8, trimmed
    std::string Value;  // key value, UTF-8, trimmed and unquoted
};

struct TProfileFile {
    std::string Bytes;
    bool Utf8 = false;
    std::vector<TLine> Lines;

    std::string Decode(std::string_view raw) const { return Utf8 ? std::string(raw) : Cp1250ToUtf8(raw); }
    std::string Encode(std::string_view text) const { return Utf8 ? std::string(text) : Utf8ToCp1250(text); }
    std::string_view Content(const TLine& l) const {
        return std::string_view(Bytes).substr(l.Begin, l.Length);
    }
    // Index of the first line of the first section called `section`, or Lines.size().
    size_t FindSection(std::string_view section) const {
        for (size_t i = 0; i < Lines.size(); ++i)
            if (Lines[i].Kind == TLineKind::Section && SameText(Lines[i].Name, section)) return i;
        return Lines.size();
    }
    // One past the last line of the section whose header is at `header`.
    size_t SectionEnd(size_t header) const {
        size_t i = header + 1;
        while (i < Lines.size() && Lines[i].Kind != TLineKind::Section) ++i;
        return i;
    }
};

std::string Unquote(std::string value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

void ParseLines(TProfileFile& f) {
    f.Utf8 = HasUtf8Bom(f.Bytes);
    const std::string_view b = f.Bytes;
    size_t pos = f.Utf8 ? 3 : 0;  // the mark belongs to no line's text
    while (pos < b.size()) {
        TLine l;
        l.Begin = pos;
        size_t end = pos;
        while (end < b.size() && b[end] != '\n' && b[end] != '\r') ++end;
        l.Length = end - pos;
        if (end < b.size())
            l.EndingLength = (b[end] == '\r' && end + 1 < b.size() && b[end + 1] == '\n') ? 2 : 1;
        pos = end + l.EndingLength;

        const std::string text = Trim(f.Decode(b.substr(l.Begin, l.Length)));
        if (!text.empty() && text[0] == '[') {
            const size_t close = text.find(']');
            l.Kind = TLineKind::Section;
            l.Name = Trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
        } else if (!text.empty() && text[0] != ';') {
            const size_t eq = text.find('=');
            if (eq != std::string::npos && eq > 0) {
                l.Kind = TLineKind::Key;
                l.Name = Trim(text.substr(0, eq));
                l.Value = Unquote(Trim(text.substr(eq + 1)));
            }
        }
        f.Lines.push_back(std::move(l));
    }
}

// A missing file reads as an empty one.
bool LoadProfile(std::string_view fileName, TProfileFile& f) {
    if (!ReadWholeFile(ProfilePath(fileName), f.Bytes)) {
        f.Bytes.clear();
        return false;
    }
    ParseLines(f);
    return true;
}

const TLine* FindKey(const TProfileFile& f, std::string_view section, std::string_view key) {
    const size_t header = f.FindSection(section);
    if (header == f.Lines.size()) return nullptr;
    for (size_t i = header + 1; i < f.SectionEnd(header); ++i)
        if (f.Lines[i].Kind == TLineKind::Key && SameText(f.Lines[i].Name, key)) return &f.Lines[i];
    return nullptr;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

std::string EnvDir(const char* name) {
    const char* v = ::getenv(name);
    return v ? std::string(v) : std::string();
}

}  // namespace

std::string WindowsDirectory() {
    std::string dir = EnvDir("HALVO_WINDIR");
    if (!dir.empty()) return dir;
    dir = EnvDir("XDG_CONFIG_HOME");
    if (!dir.empty() && dir[0] == '/') return JoinPath(dir, "halvo");
    std::string home = EnvDir("HOME");
    if (home.empty()) {
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) home = pw->pw_dir;
    }
    return JoinPath(home.empty() ? "." : home, ".config/halvo");
}

std::string ProfilePath(std::string_view fileName) {
    if (fileName.find('/') != std::string_view::npos) return std::string(fileName);
    return JoinPath(WindowsDirectory(), fileName);
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view def,
                                    std::string_view fileName) {
    TProfileFile f;
    LoadProfile(fileName, f);
    const TLine* line = FindKey(f, section, key);
    return line ? line->Value : std::string(def);
}

int GetPrivateProfileInt(std::string_view section, std::string_view key, int def, std::string_view fileName) {
    const std::string text = GetPrivateProfileString(section, key, "", fileName);
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (text.compare(i, 2, "0x") == 0 || text.compare(i, 2, "0X") == 0) {
        base = 16;
        i += 2;
    }
    long long magnitude = 0;
    size_t digits = 0;
    for (; i < text.size(); ++i, ++digits) {
        const char c = text[i];
        int d;
        if (c >= '0' && c <= '9') {
            d = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            d = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            d = c - 'A' + 10;
        } else {
            break;
        }
        magnitude = magnitude * base + d;
        // Hexadecimal up to 0xFFFFFFFF stands for the 32-bit pattern.
        if (magnitude > 0xFFFFFFFFLL) return def;
    }
    if (digits == 0) return def;
    long long v = negative ? -magnitude : magnitude;
    if (base == 16 && !negative && v > 0x7FFFFFFFLL) v -= 0x100000000LL;
    if (v > 0x7FFFFFFFLL || v < -0x80000000LL) return def;
    return static_cast<int>(v);
}

bool ReadProfileSection(std::string_view section, std::string_view fileName,
                        std::vector<std::pair<std::string, std::string>>& values) {
    TProfileFile f;
    LoadProfile(fileName, f);
    const size_t header = f.FindSection(section);
    if (header == f.Lines.size()) return false;
    values.clear();
    for (size_t i = header + 1; i < f.SectionEnd(header); ++i)
        if (f.Lines[i].Kind == TLineKind::Key) values.emplace_back(f.Lines[i].Name, f.Lines[i].Value);
    return true;
}

bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               std::string_view fileName) {
    // Names and values that would break the line structure are refused, not written.
    const std::string name = Trim(key), sectionName = Trim(section);
    if (name.empty() || name.find('=') != std::string::npos || name[0] == '[' || name[0] == ';' ||
        HasLineBreak(key) || sectionName.empty() || sectionName.find(']') != std::string::npos ||
        HasLineBreak(section) || HasLineBreak(value))
        return false;

    const std::string path = ProfilePath(fileName);
    TProfileFile f;
    if (!LoadProfile(fileName, f) && FileExists(path)) return false;  // there but unreadable

    std::string ending = "\r\n";
    for (const TLine& l : f.Lines) {
        if (l.EndingLength > 0) {
            ending = f.Bytes.substr(l.Begin + l.Length, l.EndingLength);
            break;
        }
    }

    std::string out;
    const size_t header = f.FindSection(sectionName);
    if (const TLine* line = FindKey(f, sectionName, name)) {
        out = f.Bytes.substr(0, line->Begin) + f.Encode(line->Name + "=" + std::string(value)) +
              f.Bytes.substr(line->Begin + line->Length);
    } else if (header != f.Lines.size()) {
        // After the section's last non-blank line, so blank lines before the next section stay.
        size_t last = header;
        for (size_t i = header + 1; i < f.SectionEnd(header); ++i)
            if (!Trim(f.Content(f.Lines[i])).empty()) last = i;
        const TLine& after = f.Lines[last];
        const size_t cut = after.Begin + after.Length + after.EndingLength;
        out = f.Bytes.substr(0, cut) + (after.EndingLength == 0 ? ending : "") +
              f.Encode(name + "=" + std::string(value)) + ending + f.Bytes.substr(cut);
    } else {
        out = f.Bytes;
        if (!f.Lines.empty() && f.Lines.back().EndingLength == 0 && f.Lines.back().Length > 0) out += ending;
        out +=
            f.Encode("[" + sectionName + "]") + ending + f.Encode(name + "=" + std::string(value)) + ending;
    }

    const std::string dir = ExtractFileDir(path);
    if (!dir.empty() && !DirectoryExists(dir)) {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        if (ec) return false;
    }
    return WriteFileAtomic(path, out);
}

}  // namespace platform
