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

    const TSection* Find(std::string_view section) const;
    TSection& FindOrAdd(std::string_view section);
    std::vector<TSection> FSections;
    // Section name -> its position in FSections.
    std::unordered_map<std::string, size_t, TNameHash, TSameName> FIndex;
};

}  // namespace dcomp
