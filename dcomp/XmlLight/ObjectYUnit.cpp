#include "dcomp/XmlLight/ObjectYUnit.h"

#include "dcomp/XmlLight/PwStrUtils.h"

namespace dcomp {

void TYObject::FieldsToAttributes() {
    TXObject::FieldsToAttributes();
    if (FHasDevType) SetAttribute("DEV_TYPE", FDevType);
    if (FHasDevId) SetAttribute("DEV_ID", FDevId);
    if (FHasRdTime) SetAttribute("RD_TIME", DateTimeToText(FRdTime));
    if (FHasLanguage) SetAttribute("LANGUAGE", FLanguage);
}

void TYObject::AttributeToField(const std::string& name, const std::string& value) {
    TXObject::AttributeToField(name, value);
    if (name == "DEV_TYPE") {
        SetDevType(value);
    } else if (name == "DEV_ID") {
        FDevId = value;
        FHasDevId = true;
    } else if (name == "RD_TIME") {
        SetRdTime(TextToDateTime(value));
    } else if (name == "LANGUAGE") {
        FLanguage = value;
        FHasLanguage = true;
    }
}

void TYObject::SetRdTime(platform::TDateTime value) {
    FRdTime = value;
    FHasRdTime = true;
}

void TYObject::SetDevType(const std::string& value) {
    FDevType = value;
    FHasDevType = true;
}

void InitObjectYUnit() {}

}  // namespace dcomp
