#include "dcomp/DcompInit.h"

#include <cstddef>
#include <mutex>

#include "dcomp/FileSignatureUnit.h"
#include "dcomp/LangUnit.h"
#include "dcomp/OvBase.h"
#include "dcomp/PwComp/ExtIniFileUnit.h"
#include "dcomp/PwComp/MeasListUnit.h"
#include "dcomp/RBTools.h"
#include "dcomp/TimeFormats.h"
#include "dcomp/VersionListUnit.h"
#include "dcomp/XMeasBoxCpx.h"
#include "dcomp/XmlLight/ObjectXUnit.h"
#include "dcomp/XmlLight/ObjectYUnit.h"
#include "dcomp/XmlLight/PwStrUtils.h"
#include "dcomp/XmlLight/XmlLight2Unit.h"
#include "dcomp/uDateTimeEx.h"
#include "dcomp/uFileAccess.h"
#include "dcomp/uMappedFile.h"
#include "dcomp/uWin32Tools.h"

namespace dcomp {

namespace {

struct TUnitRow {
    const char* Unit;
    void (*Init)();
    void (*Fini)();
};

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
    {"LangUnit", InitLangUnit, FinalizeLangUnit},
    {"ovbase", InitOvBase, FinalizeOvBase},
    {"ExtIniFileUnit", InitExtIniFileUnit, FinalizeExtIniFileUnit},
    {"FileSignatureUnit", InitFileSignatureUnit, FinalizeFileSignatureUnit},
    {"XMeasBoxCpx", InitXMeasBoxCpx, FinalizeXMeasBoxCpx},
    {"MeasListUnit", InitMeasListUnit, FinalizeMeasListUnit},
    {"time formats", InitTimeFormats, FinalizeTimeFormats},
};
constexpr size_t kUnitCount = sizeof kUnits / sizeof kUnits[0];

std::mutex gLock;
int gCount = 0;

void FinalizeFirst(size_t count) {
    while (count > 0) {
        --count;
        if (kUnits[count].Fini) kUnits[count].Fini();
    }
}

}  // namespace

void InitUnits() {
    std::lock_guard<std::mutex> lock(gLock);
    if (gCount == 0) {
        size_t done = 0;
        try {
            for (; done < kUnitCount; ++done) kUnits[done].Init();
        } catch (...) {
            // The failing unit cleans up after itself; the ones before it are undone here.
            FinalizeFirst(done);
            throw;
        }
    }
    ++gCount;
}

void FinalizeUnits() {
    std::lock_guard<std::mutex> lock(gLock);
    if (gCount == 0) return;
    if (--gCount == 0) FinalizeFirst(kUnitCount);
}

}  // namespace dcomp
