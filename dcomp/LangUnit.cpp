#include "dcomp/LangUnit.h"

#include <filesystem>
#include <memory>
#include <system_error>

#include "platform/Exception.h"

namespace dcomp {

namespace {

struct TCharsetName {
    uint8_t Charset;
    const char* Ident;
};
// In writing order: the first identifier of a number is the one written.
const TCharsetName kCharsets[] = {
    {0, "ANSI_CHARSET"},          {1, "DEFAULT_CHARSET"},    {2, "SYMBOL_CHARSET"},
    {77, "MAC_CHARSET"},          {128, "SHIFTJIS_CHARSET"}, {129, "HANGEUL_CHARSET"},
    {129, "HANGUL_CHARSET"},      {130, "JOHAB_CHARSET"},    {134, "GB2312_CHARSET"},
    {136, "CHINESEBIG5_CHARSET"}, {161, "GREEK_CHARSET"},    {162, "TURKISH_CHARSET"},
    {163, "VIETNAMESE_CHARSET"},  {177, "HEBREW_CHARSET"},   {178, "ARABIC_CHARSET"},
    {186, "BALTIC_CHARSET"},      {204, "RUSSIAN_CHARSET"},  {222, "THAI_CHARSET"},
    {238, "EASTEUROPE_CHARSET"},  {255, "OEM_CHARSET"},
};

std::unique_ptr<TXLangCfg> gDictionary;
std::unique_ptr<TLanguageList> gLanguageList;

std::string ProgramPath() {
    std::error_code ec;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : path.string();
}

}  // namespace

void TXLangItem::FieldsToAttributes() {
    TXObject::FieldsToAttributes();
    SetAttribute("TEXT", FText);
    SetAttribute("ORGTXT", FOrgText);
}

void TXLangItem::AttributeToField(const std::string& name, const std::string& value) {
    TXObject::AttributeToField(name, value);
    if (name == "ORGTXT") {
        FOrgText = value;
    } else if (name == "TEXT") {
        FText = value;
    }
}

TXLangItem* TXLangGroup::AddItem(const std::string& key, const std::string& text) {
    auto* item = static_cast<TXLangItem*>(AddChildOfClass(XmlClass<TXLangItem>()));
    item->SetName(key);
    item->SetText(text);
    item->SetOrgText(text);
    return item;
}

TXLangItem* TXLangGroup::FindItem(std::string_view key) const {
    return FindChildOfClass<TXLangItem>(key);
}

std::string TXLangGroup::Translate(std::string_view key) const {
    if (const TXLangItem* item = FindItem(key)) return item->Text();
    return "!!Not found in dictionary:" + DisplayName() + "\\" + std::string(key);
}

bool TXLangGroup::TryGetLanguage(std::string& language) const {
    const auto* cfg = dynamic_cast<const TXLangCfg*>(Owner());
    if (!cfg) return false;
    language = cfg->Language();
    return true;
}

std::string TXLangGroup::GetLanguage() const {
    std::string language;
    return TryGetLanguage(language) ? language : std::string();
}

void TXLangCfg::FieldsToAttributes() {
    TXObject::FieldsToAttributes();
    SetAttribute("LANGUAGE", FLanguage);
    SetAttribute("DEFAULT_CHARSET", CharsetToIdent(FCharset));
}

void TXLangCfg::AttributeToField(const std::string& name, const std::string& value) {
    TXObject::AttributeToField(name, value);
    if (UpperFold(name) == "LANGUAGE") {
        FLanguage = value;
    } else if (name == "DEFAULT_CHARSET") {
        FCharset = IdentToCharset(value);
    }
}

TXLangGroup* TXLangCfg::AddGroup(const std::string& name) {
    auto* group = static_cast<TXLangGroup*>(AddChildOfClass(XmlClass<TXLangGroup>()));
    group->SetName(name);
    return group;
}

std::string CharsetToIdent(uint8_t charset) {
    for (const TCharsetName& c : kCharsets)
        if (c.Charset == charset) return c.Ident;
    return "DEFAULT_CHARSET";
}

uint8_t IdentToCharset(std::string_view ident) {
    for (const TCharsetName& c : kCharsets)
        if (ident == c.Ident) return c.Charset;
    return 1;
}

TXLangCfg& Dictionary() {
    if (!gDictionary) throw platform::Exception("Dictionary: the language unit is not initialised");
    return *gDictionary;
}

TLanguageList& LanguageList() {
    if (!gLanguageList) throw platform::Exception("LanguageList: the language unit is not initialised");
    return *gLanguageList;
}

TXLangGroup* AddLangGroup(const std::string& groupName, std::span<const TLangText> texts) {
    TXLangGroup* group = Dictionary().AddGroup(groupName);
    for (const TLangText& t : texts) group->AddItem(t.Key, t.Text);
    return group;
}

void InitLangUnit() {
    RegisterXmlClass<TXLangItem>(0);
    RegisterXmlClass<TXLangGroup>(0);
    RegisterXmlClass<TXLangCfg>(0);
    gDictionary = CreateXmlNode<TXLangCfg>(nullptr, "", {});
    gLanguageList = std::make_unique<TLanguageList>(ProgramPath());
}

void FinalizeLangUnit() {
    gDictionary.reset();
    gLanguageList.reset();
}

}  // namespace dcomp
