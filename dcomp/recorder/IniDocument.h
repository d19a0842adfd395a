#pragma once
// An INI document in memory: sections and keys in the order of their first writing,
// names matched ignoring letter case, written with CR LF and an empty line after each
// section.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace dcomp {

class TIniDocument {
public:
    struct TEntry {
        std::string Key;
        std::string Value;
    };
    struct TSection {
        std::string Name;
        std::vector<TEntry> Entries;
    };

    void Clear() {
        FSections.clear();
        FIndex.clear();
        FKeys.clear();
    }
    bool Empty() const { return FSections.empty(); }
    // Adds to what the document holds: "[name]" opens a section, "key=value" lines belong
    // to the open one (key and value trimmed), ";" lines and lines before any section are
    // skipped. A later value of a key replaces the earlier one.
    void LoadFromText(std::string_view text);
    std::string SaveToText() const;

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    std::vector<std::string> Sections() const;
    std::vector<std::string> Keys(std::string_view section) const;
    void EraseSection(std::string_view section);

    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    // Decimal; the default for an absent key or another text.
    int64_t ReadInteger(std::string_view section, std::string_view key, int64_t def) const;
    // "0" is false, any other integer true; the default otherwise.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    // '.' decimal separator.
    double ReadFloat(std::string_view section, std::string_view key, double def) const;

    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int64_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);  // "1" / "0"
    // At most 15 significant digits, no trailing zeros, '.'.
    void WriteFloat(std::string_view section, std::string_view key, double value);

    const std::vector<TSection>& SectionList() const { return FSections; }

private:
    // Names equal ignoring letter case hash alike, so a name is found without a walk over
    // the sections or a folded copy per comparison.
    struct TNameHash {
        using is_transparent = void;
        size_t operator()(std::string_view name) const;
    };
    struct TSameName {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };

    // Name -> position: of a section in FSections, of a key in its section's entries.
    using TNameIndex = std::unordered_map<std::string, size_t, TNameHash, TSameName>;

    const TSection* Find(std::string_view section) const;
    const TEntry* FindEntry(std::string_view section, std::string_view key) const;
    size_t FindOrAdd(std::string_view section);
    // Replaces the value of the key where the section has it, else appends the key.
    void Put(size_t section, std::string_view key, std::string_view value);
    std::vector<TSection> FSections;
    TNameIndex FIndex;
    // The keys of FSections[i], so a file of many keys loads without a walk per key.
    std::vector<TNameIndex> FKeys;
};

}  // namespace dcomp
