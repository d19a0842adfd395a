#include "dcomp/PwComp/ExtIniFileUnit.h"

#include <memory>

#include "dcomp/VersionListUnit.h"
#include "platform/Exception.h"

namespace dcomp {

namespace {

const char* const kHeader =
    "$Header: /Halvo/dcomp/PwComp/ExtIniFileUnit.cpp 1.7 2010/06/21 13:05:52 rbaran Exp $";

std::unique_ptr<platform::TFormatSettings> gSettings;

}  // namespace

const platform::TFormatSettings& ExtIniFileFormatSettings() {
    if (!gSettings) throw platform::Exception("ExtIniFileFormatSettings: the unit is not initialised");
    return *gSettings;
}

void InitExtIniFileUnit() {
    gSettings = std::make_unique<platform::TFormatSettings>(platform::DotFormatSettings());
    gSettings->DecimalSeparator = '.';
    AddToVersionList(kHeader);
}

void FinalizeExtIniFileUnit() {
    gSettings.reset();
}

}  // namespace dcomp
