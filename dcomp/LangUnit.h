#pragma once
// The translation dictionary: one process-wide tree LANG_CFG > LANG_GROUP > LANG_ITEM in
// which every unit keeps its texts, registered with their default (Polish) wording at the
// unit's initialisation and fetched by key.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "dcomp/XmlLight/ObjectXUnit.h"

namespace dcomp {

// One text: its key is the object's name.
class TXLangItem : public TXObject {
public:
    static constexpr const char* kTagIdent = "LANG_ITEM";
    static constexpr const char* kClassName = "TXLangItem";
    using TXObject::TXObject;

    std::string TagIdent() const override { return kTagIdent; }
    // NAME, TEXT and ORGTXT, the last two also when empty.
    void FieldsToAttributes() override;
    void AttributeToField(const std::string& name, const std::string& value) override;

    // The text in use.
    const std::string& Text() const { return FText; }
    void SetText(const std::string& text) { FText = text; }
    // The default text as registered.
    const std::string& OrgText() const { return FOrgText; }
    void SetOrgText(const std::string& text) { FOrgText = text; }

private:
    std::string FText;
    std::string FOrgText;
};

// The texts of one unit; its name is the unit's group name.
class TXLangGroup : public TXObject {
public:
    static constexpr const char* kTagIdent = "LANG_GROUP";
    static constexpr const char* kClassName = "TXLangGroup";
    using TXObject::TXObject;

    std::string TagIdent() const override { return kTagIdent; }

    // Always a new item, also for a key the group holds already (lookups find the first).
    TXLangItem* AddItem(const std::string& key, const std::string& text);
    // Keys compare folded.
    TXLangItem* FindItem(std::string_view key) const;
    // The item's text, or "!!Not found in dictionary:" + group + "\" + key, so that a gap
    // shows where the text would be.
    std::string Translate(std::string_view key) const;
    // The language of the dictionary the group is in; false when its owner is none.
    bool TryGetLanguage(std::string& language) const;
    std::string GetLanguage() const;
};

// The dictionary's root: the language in use and its Windows character set.
class TXLangCfg : public TXObject {
public:
    static constexpr const char* kTagIdent = "LANG_CFG";
    static constexpr const char* kClassName = "TXLangCfg";
    using TXObject::TXObject;

    std::string TagIdent() const override { return kTagIdent; }
    // NAME when named, LANGUAGE, and DEFAULT_CHARSET as the character set's identifier.
    void FieldsToAttributes() override;
    void AttributeToField(const std::string& name, const std::string& value) override;

    // Always a new group, also for a name the dictionary holds already.
    TXLangGroup* AddGroup(const std::string& name);

    const std::string& Language() const { return FLanguage; }
    void SetLanguageCode(const std::string& language) { FLanguage = language; }
    uint8_t Charset() const { return FCharset; }
    void SetCharset(uint8_t charset) { FCharset = charset; }

private:
    std::string FLanguage;
    uint8_t FCharset = 0;
};

// The Windows identifier of a character-set number ("ANSI_CHARSET" for 0); a number
// without one gives "DEFAULT_CHARSET".
std::string CharsetToIdent(uint8_t charset);
// The number of an identifier, compared exactly (HANGUL_CHARSET too); 1 for any other text.
uint8_t IdentToCharset(std::string_view ident);

// Kept beside the dictionary; nothing reads it.
class TLanguageList {
public:
    explicit TLanguageList(std::string programPath) : FProgramPath(std::move(programPath)) {}
    int CurrentIndex() const { return FCurrentIndex; }
    const std::string& CurrentText() const { return FCurrentText; }
    const std::string& ProgramPath() const { return FProgramPath; }

private:
    int FCurrentIndex = 0;
    std::string FCurrentText;
    std::string FProgramPath;
};

// Between the unit's initialisation and finalisation; platform::Exception outside them.
TXLangCfg& Dictionary();
TLanguageList& LanguageList();

struct TLangText {
    const char* Key;
    const char* Text;
};
// A unit's registration: its group added to the dictionary with the texts in table order.
TXLangGroup* AddLangGroup(const std::string& groupName, std::span<const TLangText> texts);

void InitLangUnit();
void FinalizeLangUnit();

}  // namespace dcomp
