#include "dcomp/uDateTimeEx.h"

#include "dcomp/VersionListUnit.h"
#include "dcomp/uWin32Tools.h"

namespace dcomp {

namespace {

const char* const kHeader = "$Header: /Halvo/dcomp/uDateTimeEx.cpp 1.4 2009/12/01 10:05:33 rbaran Exp $";

int gTimerResolution = 0;

}  // namespace

int TimerResolution() {
    return WinVersion() < 9 ? 19 : 1000;
}

int InitialTimerResolution() {
    return gTimerResolution;
}

void InitDateTimeEx() {
    AddToVersionList(kHeader);
    gTimerResolution = TimerResolution();
}

}  // namespace dcomp
