#include "dcomp/XmlLight/ObjectXUnit.h"

#include "dcomp/VersionListUnit.h"
#include "platform/Exception.h"

namespace dcomp {

namespace {

const char* const kHeader =
    "$Header: /Halvo/dcomp/XmlLight/ObjectXUnit.cpp 1.21 2011/03/15 10:27:44 rbaran Exp $";

// A byte that starts no valid UTF-8 sequence stands for itself as a character that
// equals no real one, and is copied as it was.
constexpr char32_t kStrayByte = 0x110000;

struct TChar {
    char32_t Value;
    size_t Length;
};

TChar NextChar(std::string_view text, size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) return {lead, 1};
    size_t extra = 0;
    char32_t value = 0, min = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, value = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, value = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, value = lead & 0x07, min = 0x10000;
    } else {
        return {kStrayByte + lead, 1};
    }
    if (text.size() - pos <= extra) return {kStrayByte + lead, 1};
    for (size_t k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(text[pos + k]);
        if ((next & 0xC0) != 0x80) return {kStrayByte + lead, 1};
        value = (value << 6) | (next & 0x3F);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return {kStrayByte + lead, 1};
    return {value, extra + 1};
}

std::u32string Chars(std::string_view text) {
    std::u32string out;
    for (size_t pos = 0; pos < text.size();) {
        const TChar c = NextChar(text, pos);
        out += c.Value;
        pos += c.Length;
    }
    return out;
}

bool IsKept(std::u32string_view kept, char32_t c) {
    return kept.find(c) != std::u32string_view::npos;
}

// The one state machine of both filters: without markAll only the sections of `code` and
// those for all languages are copied; with it every section is, each mark turned into its
// control character.
std::string FilterSections(bool markAll, std::string_view code, std::u32string_view kept,
                           std::string_view text) {
    const std::u32string letters = Chars(code);
    std::string out;
    out.reserve(text.size() + 1);
    int pending = 0;  // "&" and letters read of a section mark
    bool keep = true;
    char32_t first = 0;
    bool marked = false;
    for (size_t pos = 0; pos < text.size();) {
        const TChar c = NextChar(text, pos);
        const std::string_view bytes = text.substr(pos, c.Length);
        pos += c.Length;
        if (IsKept(kept, c.Value)) {
            out += bytes;
            keep = true;
            pending = 0;
        } else if (c.Value == U'&') {
            if (pending == 1) {
                out += '&';
                pending = 0;
            } else {
                ++pending;
            }
        } else if (pending == 0) {
            if (keep || markAll) out += bytes;
        } else if (pending == 1) {
            if (c.Value == U'!') {
                keep = true;
                if (markAll) out += '\x07';
                pending = 0;
            } else {
                first = c.Value;
                keep = !letters.empty() && c.Value == letters[0];
                pending = 2;
            }
        } else if (pending == 2) {
            if (markAll && c.Value == U'_') {
                if (first == U'E' || first == U'P') marked = true;
                out += first == U'E' ? '\x02' : first == U'P' ? '\x01' : '\x07';
            }
            keep = keep && letters.size() >= 2 && c.Value == letters[1];
            pending = 0;
        }
    }
    if (marked) out += '\x07';
    return out;
}

}  // namespace

uint16_t NameHash(std::string_view text) {
    uint16_t hash = 0;
    for (char c : text) hash = static_cast<uint16_t>(hash + static_cast<unsigned char>(c));
    return hash;
}

void TXObject::FieldsToAttributes() {
    TLhXMLNode::FieldsToAttributes();
    if (FHasName) {
        SetAttribute("NAME", FName);
    } else if (const TAttribItem* item = FindAttribute("NAME"); item && item->Name() == "NAME") {
        // Only NAME itself carries the name: a "name" or "Name" never set it and stays.
        DeleteAttribute("NAME");
    }
}

void TXObject::AttributeToField(const std::string& name, const std::string& value) {
    TLhXMLNode::AttributeToField(name, value);
    if (name == "NAME") SetName(value);
}

void TXObject::SaveToFile(const std::string& fileName, const std::string& subPath) {
    NormalizeTags();
    TLhXMLNode::SaveToFile(fileName, subPath);
}

std::string TXObject::DisplayName() const {
    return FHasName ? FName : TagIdent();
}

std::string TXObject::LanguageAttribute() const {
    return GetAttribute("LANGUAGE");
}

void TXObject::SetName(const std::string& name) {
    FName = name;
    FHasName = !name.empty();
    FHash = NameHash(UpperFold(name));
}

bool TXObject::CheckOwners() {
    bool result = true;
    for (int i = 0; i < ChildCount(); ++i) {
        TXObject* child = GetObject(i);
        if (child->Owner() != this) {
            Report("Niepoprawna wartość pola OWNER \\n");
            result = false;
        }
        if (result) result = child->CheckOwners();
    }
    return result;
}

void TXObject::SetLanguage(const std::string& code) {
    for (int i = 0; i < ChildCount(); ++i) GetObject(i)->SetLanguage(code);
}

TXObject* TXObject::GetObject(int index) const {
    if (index < 0 || index >= ChildCount())
        throw platform::Exception("List index out of bounds (" + std::to_string(index) + ")");
    TLhXMLNode* child = GetChild(index);
    auto* object = dynamic_cast<TXObject*>(child);
    if (!object) throw platform::Exception("To nie jest TXOBject :" + child->NodeName());
    return object;
}

TXObject* TXObject::FindChild(std::string_view tag, std::string_view name) const {
    const std::string foldedTag = UpperFold(tag);
    const std::string foldedName = UpperFold(name);
    const uint16_t hash = NameHash(foldedName);
    for (int i = 0; i < ChildCount(); ++i) {
        auto* object = dynamic_cast<TXObject*>(GetChild(i));
        if (!object || object->FHash != hash) continue;
        if (UpperFold(object->FName) != foldedName) continue;
        if (UpperFold(object->TagIdent()) == foldedTag) return object;
    }
    return nullptr;
}

TXObject* TXObject::FindChildOfClass(const TRegClassItem& nodeClass, std::string_view name) const {
    return FindChild(nodeClass.TagIdent, name);
}

void TXObject::NormalizeTags() {
    SetNodeName(TagIdent());
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* object = dynamic_cast<TXObject*>(GetChild(i))) object->NormalizeTags();
}

std::string TXObject::FilterLanguage(std::string_view code, std::u32string_view kept, std::string_view text) {
    return code == kAllLanguages ? MarkAllLanguages(kept, text) : SelectLanguage(code, kept, text);
}

std::string TXObject::SelectLanguage(std::string_view code, std::u32string_view kept, std::string_view text) {
    return FilterSections(false, code, kept, text);
}

std::string TXObject::MarkAllLanguages(std::u32string_view kept, std::string_view text) {
    return FilterSections(true, {}, kept, text);
}

void InitObjectXUnit() {
    AddToVersionList(kHeader);
    RegisterXmlClass<TXObject>(0);
}

}  // namespace dcomp
