#include "dcomp/recorder/IniDocument.h"

#include "dcomp/XmlLight/XmlLight2Unit.h"
#include "platform/FormatSettings.h"
#include "platform/Strings.h"

namespace dcomp {

namespace {

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Equal after UpperFold. Folding keeps bytes below 0x80 below it and maps only ASCII
// letters among them, so only a first difference between two bytes above 0x7F (a Polish
// letter in two cases) needs the folded copies.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    size_t i = 0;
    while (i < a.size() && AsciiUpper(a[i]) == AsciiUpper(b[i])) ++i;
    if (i == a.size()) return true;
    return (a[i] & 0x80) != 0 && (b[i] & 0x80) != 0 && UpperFold(a) == UpperFold(b);
}

}  // namespace

size_t TIniDocument::TNameHash::operator()(std::string_view name) const {
    // FNV-1a over the upper-cased bytes; every byte above 0x7F counts alike, as a Polish
    // letter's case is in those.
    uint64_t hash = 14695981039346656037u;
    for (const char c : name) {
        hash ^= (c & 0x80) != 0 ? 0x80u : static_cast<unsigned char>(AsciiUpper(c));
        hash *= 1099511628211u;
    }
    return static_cast<size_t>(hash);
}

bool TIniDocument::TSameName::operator()(std::string_view a, std::string_view b) const {
    return SameName(a, b);
}

const TIniDocument::TSection* TIniDocument::Find(std::string_view section) const {
    const auto it = FIndex.find(section);
    return it == FIndex.end() ? nullptr : &FSections[it->second];
}

const TIniDocument::TEntry* TIniDocument::FindEntry(std::string_view section, std::string_view key) const {
    const auto it = FIndex.find(section);
    if (it == FIndex.end()) return nullptr;
    const TNameIndex& keys = FKeys[it->second];
    const auto entry = keys.find(key);
    return entry == keys.end() ? nullptr : &FSections[it->second].Entries[entry->second];
}

size_t TIniDocument::FindOrAdd(std::string_view section) {
    if (const auto it = FIndex.find(section); it != FIndex.end()) return it->second;
    FIndex.emplace(std::string(section), FSections.size());
    FSections.push_back(TSection{std::string(section), {}});
    FKeys.emplace_back();
    return FSections.size() - 1;
}

void TIniDocument::Put(size_t section, std::string_view key, std::string_view value) {
    std::vector<TEntry>& entries = FSections[section].Entries;
    TNameIndex& keys = FKeys[section];
    if (const auto it = keys.find(key); it != keys.end()) {
        entries[it->second].Value = std::string(value);
        return;
    }
    keys.emplace(std::string(key), entries.size());
    entries.push_back(TEntry{std::string(key), std::string(value)});
}

void TIniDocument::LoadFromText(std::string_view text) {
    size_t current = 0;
    bool open = false;
    for (const std::string& raw : platform::SplitLines(text)) {
        const std::string line = platform::Trim(raw);
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            const size_t close = line.find(']');
            current = FindOrAdd(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            open = true;
            continue;
        }
        const size_t eq = line.find('=');
        if (!open || eq == std::string::npos) continue;
        Put(current, platform::Trim(std::string_view(line).substr(0, eq)),
            platform::Trim(std::string_view(line).substr(eq + 1)));
    }
}

std::string TIniDocument::SaveToText() const {
    std::string out;
    for (const TSection& s : FSections) {
        out += '[' + s.Name + "]\r\n";
        for (const TEntry& e : s.Entries) out += e.Key + '=' + e.Value + "\r\n";
        out += "\r\n";
    }
    return out;
}

bool TIniDocument::SectionExists(std::string_view section) const {
    return Find(section) != nullptr;
}

bool TIniDocument::ValueExists(std::string_view section, std::string_view key) const {
    return FindEntry(section, key) != nullptr;
}

std::vector<std::string> TIniDocument::Sections() const {
    std::vector<std::string> names;
    for (const TSection& s : FSections) names.push_back(s.Name);
    return names;
}

std::vector<std::string> TIniDocument::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    if (const TSection* s = Find(section))
        for (const TEntry& e : s->Entries) keys.push_back(e.Key);
    return keys;
}

void TIniDocument::EraseSection(std::string_view section) {
    const auto it = FIndex.find(section);
    if (it == FIndex.end()) return;
    FSections.erase(FSections.begin() + static_cast<std::ptrdiff_t>(it->second));
    FKeys.erase(FKeys.begin() + static_cast<std::ptrdiff_t>(it->second));
    FIndex.clear();
    for (size_t i = 0; i < FSections.size(); ++i) FIndex.emplace(FSections[i].Name, i);
}

std::string TIniDocument::ReadString(std::string_view section, std::string_view key,
                                     std::string_view def) const {
    const TEntry* entry = FindEntry(section, key);
    return entry ? entry->Value : std::string(def);
}

int64_t TIniDocument::ReadInteger(std::string_view section, std::string_view key, int64_t def) const {
    const std::string text = ReadString(section, key, "");
    int64_t value = 0;
    return !text.empty() && platform::TryStrToInt(text, value) ? value : def;
}

bool TIniDocument::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double TIniDocument::ReadFloat(std::string_view section, std::string_view key, double def) const {
    const std::string text = ReadString(section, key, "");
    double value = 0;
    return !text.empty() && platform::TryStrToFloat(text, value, platform::DotFormatSettings()) ? value : def;
}

void TIniDocument::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    Put(FindOrAdd(section), key, value);
}

void TIniDocument::WriteInteger(std::string_view section, std::string_view key, int64_t value) {
    WriteString(section, key, platform::IntToStr(value));
}

void TIniDocument::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void TIniDocument::WriteFloat(std::string_view section, std::string_view key, double value) {
    WriteString(section, key, platform::FloatToStrGeneral(value, 15, 0, platform::DotFormatSettings()));
}

}  // namespace dcomp
