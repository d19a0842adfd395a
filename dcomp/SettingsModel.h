#pragma once
// Settings as a tree of XML-persistent objects: groups of named items, each item with a
// type, a value and a default, checked through the tool of its type, and a changed flag
// that every group above it sums up. Two trees compare into a report of differing,
// missing and surplus items.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dcomp/SettingsTools.h"
#include "dcomp/XmlLight/ObjectYUnit.h"

namespace dcomp {

class TSttObject : public TYObject {
public:
    using TYObject::TYObject;

    // DESCR, SHORTDESCR and SOURCE after the inherited ones, each only when not empty.
    void FieldsToAttributes() override;
    void AttributeToField(const std::string& name, const std::string& value) override;
    // The children first, then the own descriptions.
    void SetLanguage(const std::string& code) override;

    bool Changed() const { return FChanged; }
    const std::string& Descr() const { return FDescr; }
    void SetDescr(const std::string& text) { FDescr = text; }
    const std::string& ShortDescr() const { return FShortDescr; }
    void SetShortDescr(const std::string& text) { FShortDescr = text; }
    const std::string& Source() const { return FSource; }
    void SetSource(const std::string& text) { FSource = text; }

private:
    friend void SetChanged(TSttObject& object, bool flag);
    bool FChanged = false;
    std::string FDescr;
    std::string FShortDescr;
    std::string FSource;
};

// Sets the flag, then every group above takes whether any of its direct children is
// changed.
void SetChanged(TSttObject& object, bool flag);

class TSettItem : public TSttObject {
public:
    static constexpr const char* kTagIdent = "ITEM";
    static constexpr const char* kClassName = "TSettItem";

    TSettItem(TLhXMLNode* owner, const std::string& nodeName, TOnMessage onMessage);
    ~TSettItem() override;

    std::string TagIdent() const override { return kTagIdent; }
    // Then TYPE, VALUE when set and DEFVALUE when set, as the tool stores them.
    void FieldsToAttributes() override;
    // TYPE chooses the tool, VALUE sets the value.
    void AttributeToField(const std::string& name, const std::string& value) override;
    // VALUE and DEFVALUE taken (a FLOAT's in the process's notation); the item is then
    // unchanged.
    void AfterLoad() override;
    void SetLanguage(const std::string& code) override;

    uint8_t TypeCode() const { return FTypeCode; }
    // A new tool for the code.
    void SetType(uint8_t code);
    TBaseXCfgTool& Tool() const { return *FTool; }

    const std::string& Value() const { return FValue; }
    bool ValueSet() const { return FValueSet; }
    // Changed when it differs from the loaded value.
    void SetValue(const std::string& text);
    const std::string& DefValue() const { return FDefValue; }
    bool DefValueSet() const { return FDefValueSet; }
    void SetDefValue(const std::string& text);
    const std::string& LoadedValue() const { return FLoadedValue; }
    std::string GetValueOrDefault() const { return FValueSet ? FValue : FDefValue; }
    // The tool's check on a copy; stored only when it passes.
    bool SetValueChecked(const std::string& text, std::string& error);

    std::string GetChildDescr() const { return ReadAttribute("CHILD_DESCR", ""); }
    // An empty text removes the attribute.
    void SetChildDescr(const std::string& text);
    std::string GetChildShortDescr() const { return ReadAttribute("CHILD_SHORTDESCR", ""); }
    void SetChildShortDescr(const std::string& text);

private:
    uint8_t FTypeCode = 0;
    std::unique_ptr<TBaseXCfgTool> FTool;
    std::string FValue;
    std::string FDefValue;
    bool FValueSet = false;
    bool FDefValueSet = false;
    std::string FLoadedValue;
};

// One line of a comparison, with the object it is about (none for surplus ones).
struct TSettCompareLine {
    std::string Text;
    TSttObject* Object = nullptr;
};

class TSettGroup : public TSttObject {
public:
    static constexpr const char* kTagIdent = "GROUP";
    static constexpr const char* kClassName = "TSettGroup";
    using TSttObject::TSttObject;

    std::string TagIdent() const override { return kTagIdent; }
    // Against another settings group: each comparison line with "\n" appended goes to
    // onLine; any other node gives the TXT019 line and false.
    bool Compare(TLhXMLNode* older, const TOnMessage& onLine) override;

    TSettGroup* FindGroup(const std::string& name) const { return FindChildOfClass<TSettGroup>(name); }
    TSettItem* FindItem(const std::string& name) const { return FindChildOfClass<TSettItem>(name); }
    // True when the trees hold the same items with the same values; the differences as
    // lines when `lines` is given.
    bool CompareWith(TSettGroup* other, std::vector<TSettCompareLine>* lines);

    // Set when an item below had neither value nor default when asked for one.
    bool MissingData() const { return FMissingData; }
    void SetMissingData(bool flag) { FMissingData = flag; }

private:
    bool FMissingData = false;
};

}  // namespace dcomp
