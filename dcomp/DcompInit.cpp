#include "dcomp/DcompInit.h"

#include <mutex>

#include "dcomp/FileSignatureUnit.h"
#include "dcomp/LangUnit.h"
#include "dcomp/OvBase.h"
#include "dcomp/OvbTypes.h"
#include "dcomp/PwComp/ExtIniFileUnit.h"
#include "dcomp/PwComp/MeasListUnit.h"
#include "dcomp/RBTools.h"
#include "dcomp/SettingsTools.h"
#include "dcomp/TimeFormats.h"
#include "dcomp/VersionListUnit.h"
#include "dcomp/XMeasBoxCpx.h"
#include "dcomp/XmlLight/ObjectXUnit.h"
#include "dcomp/XmlLight/ObjectYUnit.h"
#include "dcomp/XmlLight/PwStrUtils.h"
#include "dcomp/XmlLight/XmlLight2Unit.h"
#include "dcomp/recorder/ComTrade3Unit.h"
#include "dcomp/recorder/DataFileParsersUnit.h"
#include "dcomp/uDateTimeEx.h"
#include "dcomp/uFileAccess.h"
#include "dcomp/uMappedFile.h"
#include "dcomp/uWin32Tools.h"
#include "platform/UnitTable.h"

namespace dcomp {

namespace {

using platform::TUnitRow;

// The whole order of the library; units that come later take their place in it:
// VersionListUnit, uWin32Tools, uDateTimeEx, uFileAccess, uMappedFile, RBTools, PwStrUtils,
// XmlLight2Unit, ObjectXUnit, ObjectYUnit, value types, LangUnit, DataFileParsersUnit,
// ComTrade3Unit, ovbase, SettingsTools, ExtIniFileUnit, FileSignatureUnit, XMeasBoxCpx,
// MeasListUnit, time formats.
const TUnitRow kUnits[] = {
    {"VersionListUnit", InitVersionListUnit, FinalizeVersionListUnit},
    {"uWin32Tools", InitWin32Tools, nullptr},
    {"uDateTimeEx", InitDateTimeEx, nullptr},
    {"uFileAccess", InitFileAccess, nullptr},
    {"uMappedFile", InitMappedFile, nullptr},
    {"RBTools", InitRBTools, nullptr},
    {"PwStrUtils", InitPwStrUtils, nullptr},
    {"XmlLight2Unit", InitXmlLight2Unit, FinalizeXmlLight2Unit},
    {"ObjectXUnit", InitObjectXUnit, nullptr},
    {"ObjectYUnit", InitObjectYUnit, nullptr},
    {"value types", InitOvbTypes, FinalizeOvbTypes},
    {"LangUnit", InitLangUnit, FinalizeLangUnit},
    {"DataFileParsersUnit", InitDataFileParsersUnit, FinalizeDataFileParsersUnit},
    {"ComTrade3Unit", InitComTrade3Unit, FinalizeComTrade3Unit},
    {"ovbase", InitOvBase, FinalizeOvBase},
    {"SettingsTools", InitSettingsTools, FinalizeSettingsTools},
    {"ExtIniFileUnit", InitExtIniFileUnit, FinalizeExtIniFileUnit},
    {"FileSignatureUnit", InitFileSignatureUnit, FinalizeFileSignatureUnit},
    {"XMeasBoxCpx", InitXMeasBoxCpx, FinalizeXMeasBoxCpx},
    {"MeasListUnit", InitMeasListUnit, FinalizeMeasListUnit},
    {"time formats", InitTimeFormats, FinalizeTimeFormats},
};

std::mutex gLock;
int gCount = 0;

}  // namespace

void InitUnits() {
    std::lock_guard<std::mutex> lock(gLock);
    if (gCount == 0) platform::InitUnitRows(kUnits);
    ++gCount;
}

void FinalizeUnits() {
    std::lock_guard<std::mutex> lock(gLock);
    if (gCount == 0) return;
    if (--gCount == 0) platform::FinalizeUnitRows(kUnits);
}

}  // namespace dcomp
