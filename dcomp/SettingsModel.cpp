#include "dcomp/SettingsModel.h"

#include "platform/FormatSettings.h"

namespace dcomp {

namespace {

std::string Filter(const std::string& code, const std::string& text) {
    return TXObject::FilterLanguage(code, U"", text);
}

// A FLOAT text from a file in the process's notation; a text that is no number is 0.
std::string LoadedFloatText(const std::string& text) {
    return platform::FloatToStrGeneral(TextToFloatDotDef(text, 0), 15, 0, platform::AppFormatSettings());
}

}  // namespace

void TSttObject::FieldsToAttributes() {
    TYObject::FieldsToAttributes();
    WriteOrDeleteAttribute("DESCR", FDescr.empty(), FDescr);
    WriteOrDeleteAttribute("SHORTDESCR", FShortDescr.empty(), FShortDescr);
    WriteOrDeleteAttribute("SOURCE", FSource.empty(), FSource);
}

void TSttObject::AttributeToField(const std::string& name, const std::string& value) {
    TYObject::AttributeToField(name, value);
    if (name == "DESCR") {
        FDescr = value;
    } else if (name == "SHORTDESCR") {
        FShortDescr = value;
    } else if (name == "SOURCE") {
        FSource = value;
    }
}

void TSttObject::SetLanguage(const std::string& code) {
    TYObject::SetLanguage(code);
    FDescr = Filter(code, FDescr);
    FShortDescr = Filter(code, FShortDescr);
}

void SetChanged(TSttObject& object, bool flag) {
    object.FChanged = flag;
    // Every group up to the root, so that a change deep in the tree shows at the top.
    for (TLhXMLNode* owner = object.Owner(); owner; owner = owner->Owner()) {
        auto* group = dynamic_cast<TSettGroup*>(owner);
        if (!group) continue;
        bool any = false;
        for (int i = 0; i < group->ChildCount() && !any; ++i)
            if (auto* child = dynamic_cast<TSttObject*>(group->GetChild(i))) any = child->FChanged;
        group->FChanged = any;
    }
}

TSettItem::TSettItem(TLhXMLNode* owner, const std::string& nodeName, TOnMessage onMessage)
    : TSttObject(owner, nodeName, std::move(onMessage)), FTool(std::make_unique<TBaseXCfgTool>(this)) {
    SetChanged(*this, false);
}

TSettItem::~TSettItem() = default;

void TSettItem::FieldsToAttributes() {
    TSttObject::FieldsToAttributes();
    SetAttribute("TYPE", TypeNameOfCode(FTypeCode));
    if (FValueSet) SetAttribute("VALUE", FTool->GetStoreValue());
    if (FDefValueSet) SetAttribute("DEFVALUE", FTool->GetStoreDefValue());
}

void TSettItem::AttributeToField(const std::string& name, const std::string& value) {
    TSttObject::AttributeToField(name, value);
    if (name == "TYPE") {
        SetType(TypeCodeOfName(value));
    } else if (name == "VALUE") {
        SetValue(value);
    }
}

void TSettItem::AfterLoad() {
    TSttObject::AfterLoad();
    const bool isFloat = FTypeCode == static_cast<uint8_t>(TSettType::Float);
    if (const TAttribItem* value = FindAttribute("VALUE")) {
        const std::string text = value->Value();
        SetValue(isFloat && !text.empty() ? LoadedFloatText(text) : text);
        FLoadedValue = FValue;
    }
    if (const TAttribItem* def = FindAttribute("DEFVALUE")) {
        const std::string text = def->Value();
        SetDefValue(isFloat && !text.empty() ? LoadedFloatText(text) : text);
    }
    // As loaded is as it was.
    SetChanged(*this, false);
}

void TSettItem::SetLanguage(const std::string& code) {
    TSttObject::SetLanguage(code);
    FTool->ApplyLanguage(code);
    if (const std::string d = GetChildDescr(); !d.empty()) SetChildDescr(Filter(code, d));
    if (const std::string d = GetChildShortDescr(); !d.empty()) SetChildShortDescr(Filter(code, d));
    if (!FDefValue.empty()) SetDefValue(Filter(code, FDefValue));
}

void TSettItem::SetType(uint8_t code) {
    FTypeCode = code;
    switch (static_cast<TSettType>(code)) {
        case TSettType::Bool:
            FTool = std::make_unique<TBoolXCfgTool>(this);
            break;
        case TSettType::Int:
            FTool = std::make_unique<TIntXCfgTool>(this);
            break;
        case TSettType::Float:
            FTool = std::make_unique<TFloatXCfgTool>(this);
            break;
        case TSettType::Str:
            FTool = std::make_unique<TStrXCfgTool>(this);
            break;
        case TSettType::Select:
            FTool = std::make_unique<TSelectXCfgTool>(this);
            break;
        case TSettType::Ip:
            FTool = std::make_unique<TIpXCfgTool>(this);
            break;
        case TSettType::ComNr:
            FTool = std::make_unique<TCommNrXCfgTool>(this);
            break;
        case TSettType::DateTime:
            FTool = std::make_unique<TDateTimeXCfgTool>(this);
            break;
        case TSettType::FileName:
            FTool = std::make_unique<TFileNameXCfgTool>(this);
            break;
        default:
            FTool = std::make_unique<TBaseXCfgTool>(this);
            break;
    }
}

void TSettItem::SetValue(const std::string& text) {
    FValue = text;
    FValueSet = true;
    SetChanged(*this, text != FLoadedValue);
}

void TSettItem::SetDefValue(const std::string& text) {
    FDefValue = text;
    FDefValueSet = true;
}

bool TSettItem::SetValueChecked(const std::string& text, std::string& error) {
    std::string copy = text;
    const bool ok = FTool->Check(copy, error);
    if (ok) SetValue(copy);
    return ok;
}

void TSettItem::SetChildDescr(const std::string& text) {
    WriteOrDeleteAttribute("CHILD_DESCR", text.empty(), text);
}

void TSettItem::SetChildShortDescr(const std::string& text) {
    WriteOrDeleteAttribute("CHILD_SHORTDESCR", text.empty(), text);
}

bool TSettGroup::Compare(TLhXMLNode* older, const TOnMessage& onLine) {
    auto* other = dynamic_cast<TSettGroup*>(older);
    if (!other) {
        if (onLine) onLine(SettingsToolsText("TXT019"));
        return false;
    }
    std::vector<TSettCompareLine> lines;
    const bool same = CompareWith(other, &lines);
    if (onLine)
        for (const TSettCompareLine& line : lines) onLine(line.Text + "\\n");
    return same;
}

bool TSettGroup::CompareWith(TSettGroup* other, std::vector<TSettCompareLine>* lines) {
    if (!other) {
        if (lines) lines->push_back({Path() + ";MISS", this});
        return false;
    }
    bool same = true;
    if (!HasChildren() && other->HasChildren()) same = false;
    for (int i = 0; i < ChildCount(); ++i) {
        TLhXMLNode* child = GetChild(i);
        if (auto* group = dynamic_cast<TSettGroup*>(child)) {
            if (!group->CompareWith(other->FindGroup(group->DisplayName()), lines)) same = false;
        } else if (auto* item = dynamic_cast<TSettItem*>(child)) {
            const TSettItem* counterpart = other->FindItem(item->DisplayName());
            if (!counterpart) {
                same = false;
                if (lines) lines->push_back({item->Path() + ";MISS", item});
            } else if (item->GetValueOrDefault() != counterpart->GetValueOrDefault()) {
                same = false;
                if (lines)
                    lines->push_back(
                        {FillPercentS("%s : [%s]<->[%s]", {item->Path(), item->GetValueOrDefault(),
                                                           counterpart->GetValueOrDefault()}),
                         item});
            }
        }
    }
    for (int i = 0; i < other->ChildCount(); ++i) {
        TLhXMLNode* child = other->GetChild(i);
        bool surplus = false;
        if (auto* group = dynamic_cast<TSettGroup*>(child)) {
            surplus = !FindGroup(group->DisplayName());
        } else if (auto* item = dynamic_cast<TSettItem*>(child)) {
            surplus = !FindItem(item->DisplayName());
        }
        if (surplus) {
            same = false;
            if (lines) lines->push_back({child->Path() + ";MORE", nullptr});
        }
    }
    return same;
}

}  // namespace dcomp
