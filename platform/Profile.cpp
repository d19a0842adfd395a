#include "platform/Profile.h"

#include <fcntl.h>
#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <unordered_map>

#include "platform/Cp1250.h"
#include "platform/Files.h"
#include "platform/Strings.h"

namespace platform {

namespace {

enum class TLineKind : uint8_t { Other, Section, Key };

// One line of the file as its bytes lie.
struct TLine {
    size_t Begin = 0, Length = 0;  // content, then its line ending
    uint8_t EndingLength = 0;
    TLineKind Kind = TLineKind::Other;
};

// Folds as SameText does, so the index finds what a walk through the lines would.
struct TNoCaseHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const noexcept {
        size_t h = 14695981039346656037ull;
        for (char c : s) {
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        }
        return h;
    }
};

struct TNoCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return SameText(a, b); }
};

template <typename T>
using TNoCaseMap = std::unordered_map<std::string, T, TNoCaseHash, TNoCaseEqual>;

struct TKey {
    std::string Name;   // UTF-8, trimmed
    std::string Value;  // UTF-8, trimmed and unquoted
    size_t Line = 0;
};

// The first section of one name: later sections of the same name are never read.
struct TSectionIndex {
    size_t Header = 0, End = 0;  // header line, one past its last line
    std::vector<TKey> Keys;      // in file order, repeated names too
    TNoCaseMap<size_t> First;    // name -> its first entry in Keys
};

}  // namespace

struct TProfileFile::TData {
    std::string Bytes;
    bool Exists = false;
    bool Utf8 = false;
    std::vector<TLine> Lines;
    TNoCaseMap<TSectionIndex> Sections;

    std::string Decode(std::string_view raw) const { return Utf8 ? CleanUtf8(raw) : Cp1250ToUtf8(raw); }
    std::string Encode(std::string_view text) const { return Utf8 ? std::string(text) : Utf8ToCp1250(text); }
    std::string_view Content(const TLine& l) const {
        return std::string_view(Bytes).substr(l.Begin, l.Length);
    }
    std::string_view Ending(const TLine& l) const {
        return std::string_view(Bytes).substr(l.Begin + l.Length, l.EndingLength);
    }
    const TSectionIndex* FindSection(std::string_view section) const {
        const auto it = Sections.find(section);
        return it == Sections.end() ? nullptr : &it->second;
    }
    const TKey* FindKey(std::string_view section, std::string_view key) const {
        const TSectionIndex* s = FindSection(section);
        if (!s) return nullptr;
        const auto it = s->First.find(key);
        return it == s->First.end() ? nullptr : &s->Keys[it->second];
    }
};

namespace {

using TData = TProfileFile::TData;

// Blanks as Trim takes them: control characters, the space and DEL.
size_t FirstNonBlank(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) <= 0x20 || s[i] == 0x7F)) ++i;
    return i;
}

std::string Unquote(std::string value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

void Parse(TData& f) {
    f.Utf8 = HasUtf8Bom(f.Bytes);
    const std::string_view b = f.Bytes;
    TSectionIndex* current = nullptr;  // the section being read, when it is the first of its name
    size_t pos = f.Utf8 ? 3 : 0;       // the mark belongs to no line's text
    // Sized once: regrowing the line table cost more than the rest of the parse.
    f.Lines.reserve(static_cast<size_t>(std::count(b.begin(), b.end(), '\n')) + 1);
    while (pos < b.size()) {
        TLine l;
        l.Begin = pos;
        size_t end = pos;
        while (end < b.size() && b[end] != '\n' && b[end] != '\r') ++end;
        l.Length = end - pos;
        if (end < b.size())
            l.EndingLength = (b[end] == '\r' && end + 1 < b.size() && b[end + 1] == '\n') ? 2 : 1;
        pos = end + l.EndingLength;

        const size_t index = f.Lines.size();
        const std::string_view raw = b.substr(l.Begin, l.Length);
        // Decoding keeps ASCII bytes and makes no ASCII of the others, so blank lines,
        // comments and lines without "=" are known from the raw bytes: a file of
        // comments costs one pass and no text.
        const size_t first = FirstNonBlank(raw);
        if (first == raw.size() || raw[first] == ';' ||
            (raw[first] != '[' && raw.find('=') == std::string_view::npos)) {
            f.Lines.push_back(l);
            continue;
        }
        const std::string text = Trim(f.Decode(raw));
        if (!text.empty() && text[0] == '[') {
            l.Kind = TLineKind::Section;
            if (current) current->End = index;
            const size_t close = text.find(']');
            std::string name =
                Trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            const auto [it, first] = f.Sections.try_emplace(std::move(name));
            current = first ? &it->second : nullptr;
            if (current) current->Header = index;
        } else if (!text.empty() && text[0] != ';') {
            const size_t eq = text.find('=');
            if (eq != std::string::npos && eq > 0) {
                l.Kind = TLineKind::Key;
                if (current) {
                    TKey key{Trim(text.substr(0, eq)), Unquote(Trim(text.substr(eq + 1))), index};
                    current->First.try_emplace(key.Name, current->Keys.size());
                    current->Keys.push_back(std::move(key));
                }
            }
        }
        f.Lines.push_back(l);
    }
    if (current) current->End = f.Lines.size();
}

// Leading decimal or "0x" hexadecimal digits (optional sign) of text; def when there are none.
int ProfileInt(std::string_view text, int def) {
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

// The ending a line inserted after line i takes: that line's own, or for a last line
// without one, the nearest ending above it; LF when the file has none. Taking the
// file's first ending instead could put a lone CR before an empty LF line, and the
// reader would join the two into one CR LF.
std::string EndingAfter(const TData& f, size_t i) {
    for (size_t j = i + 1; j-- > 0;)
        if (f.Lines[j].EndingLength > 0) return std::string(f.Ending(f.Lines[j]));
    return "\n";
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

TProfileFile::TProfileFile() : FData(std::make_unique<TData>()) {}

TProfileFile::TProfileFile(std::string_view fileName) : TProfileFile() {
    FData->Exists = ReadWholeFile(ProfilePath(fileName), FData->Bytes);
    if (FData->Exists) {
        Parse(*FData);
    } else {
        FData->Bytes.clear();
    }
}

TProfileFile TProfileFile::FromBytes(std::string bytes) {
    TProfileFile f;
    f.FData->Bytes = std::move(bytes);
    f.FData->Exists = true;
    Parse(*f.FData);
    return f;
}

TProfileFile::TProfileFile(TProfileFile&&) noexcept = default;
TProfileFile& TProfileFile::operator=(TProfileFile&&) noexcept = default;
TProfileFile::~TProfileFile() = default;

bool TProfileFile::Exists() const {
    return FData->Exists;
}

const std::string* TProfileFile::Find(std::string_view section, std::string_view key) const {
    const TKey* k = FData->FindKey(section, key);
    return k ? &k->Value : nullptr;
}

std::string TProfileFile::ReadString(std::string_view section, std::string_view key,
                                     std::string_view def) const {
    const std::string* value = Find(section, key);
    return value ? *value : std::string(def);
}

int TProfileFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
    const std::string* value = Find(section, key);
    return value ? ProfileInt(*value, def) : def;
}

bool TProfileFile::ReadSection(std::string_view section,
                               std::vector<std::pair<std::string, std::string>>& values) const {
    const TSectionIndex* s = FData->FindSection(section);
    if (!s) return false;
    values.clear();
    for (const TKey& k : s->Keys) values.emplace_back(k.Name, k.Value);
    return true;
}

std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view def,
                                    std::string_view fileName) {
    return TProfileFile(fileName).ReadString(section, key, def);
}

int GetPrivateProfileInt(std::string_view section, std::string_view key, int def, std::string_view fileName) {
    return TProfileFile(fileName).ReadInteger(section, key, def);
}

bool ReadProfileSection(std::string_view section, std::string_view fileName,
                        std::vector<std::pair<std::string, std::string>>& values) {
    return TProfileFile(fileName).ReadSection(section, values);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               std::string_view fileName) {
    // Names and values that would break the line structure are refused, not written.
    const std::string name = Trim(key), sectionName = Trim(section);
    if (name.empty() || name.find('=') != std::string::npos || name[0] == '[' || name[0] == ';' ||
        HasLineBreak(key) || sectionName.empty() || sectionName.find(']') != std::string::npos ||
        HasLineBreak(section) || HasLineBreak(value)) {
        errno = EINVAL;
        return false;
    }

    const std::string path = ProfilePath(fileName);
    const TProfileFile file(path);
    if (!file.Exists() && FileExists(path)) {
        // There but unreadable: writing it would lose every other line.
        errno = ::faccessat(AT_FDCWD, path.c_str(), R_OK, AT_EACCESS) != 0 ? errno : EINVAL;
        return false;
    }
    const TData& f = *file.FData;

    std::string out;
    const TSectionIndex* s = f.FindSection(sectionName);
    if (const TKey* k = f.FindKey(sectionName, name)) {
        const TLine& line = f.Lines[k->Line];
        out = f.Bytes.substr(0, line.Begin) + f.Encode(k->Name + "=" + std::string(value)) +
              f.Bytes.substr(line.Begin + line.Length);
    } else if (s) {
        // After the section's last non-blank line, so blank lines before the next section stay.
        size_t last = s->Header;
        for (size_t i = s->Header + 1; i < s->End; ++i)
            if (!Trim(f.Content(f.Lines[i])).empty()) last = i;
        const TLine& after = f.Lines[last];
        const std::string ending = EndingAfter(f, last);
        const size_t cut = after.Begin + after.Length + after.EndingLength;
        out = f.Bytes.substr(0, cut) + (after.EndingLength == 0 ? ending : "") +
              f.Encode(name + "=" + std::string(value)) + ending + f.Bytes.substr(cut);
    } else {
        // A new or empty file gets the CR LF of the system's own files.
        const std::string ending = f.Lines.empty() ? "\r\n" : EndingAfter(f, f.Lines.size() - 1);
        out = f.Bytes;
        if (!f.Lines.empty() && f.Lines.back().EndingLength == 0) out += ending;
        out +=
            f.Encode("[" + sectionName + "]") + ending + f.Encode(name + "=" + std::string(value)) + ending;
    }

    const std::string dir = ExtractFileDir(path);
    if (!dir.empty() && !DirectoryExists(dir)) {
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        if (ec) {
            errno = ec.value();
            return false;
        }
    }
    return WriteFileAtomic(path, out);
}

}  // namespace platform
