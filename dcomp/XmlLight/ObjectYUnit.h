#pragma once
// A named object that records where a reading came from: device type and id, reading
// time and language, each written only when it was set.
#include <string>

#include "dcomp/XmlLight/ObjectXUnit.h"
#include "platform/Clock.h"

namespace dcomp {

// Keeps the XOBJECT tag and has no registry entry of its own.
class TYObject : public TXObject {
public:
    static constexpr const char* kClassName = "TYObject";
    using TXObject::TXObject;

    // NAME, then DEV_TYPE, DEV_ID, RD_TIME and LANGUAGE, each when its flag is set.
    void FieldsToAttributes() override;
    // An RD_TIME that does not parse gives the time 0, still flagged as set.
    void AttributeToField(const std::string& name, const std::string& value) override;

    platform::TDateTime RdTime() const { return FRdTime; }
    bool HasRdTime() const { return FHasRdTime; }
    void SetRdTime(platform::TDateTime value);
    const std::string& DevType() const { return FDevType; }
    bool HasDevType() const { return FHasDevType; }
    void SetDevType(const std::string& value);
    const std::string& DevId() const { return FDevId; }
    bool HasDevId() const { return FHasDevId; }
    const std::string& Language() const { return FLanguage; }
    bool HasLanguage() const { return FHasLanguage; }

private:
    platform::TDateTime FRdTime = 0;
    bool FHasRdTime = false;
    std::string FDevType;
    bool FHasDevType = false;
    std::string FDevId;
    bool FHasDevId = false;
    std::string FLanguage;
    bool FHasLanguage = false;
};

void InitObjectYUnit();

}  // namespace dcomp
