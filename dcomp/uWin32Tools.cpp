#include "dcomp/uWin32Tools.h"

#include <string.h>

#include <cerrno>

#include "dcomp/VersionListUnit.h"
#include "platform/Strings.h"

namespace dcomp {

namespace {

const char* const kHeader = "$Header: /Halvo/dcomp/uWin32Tools.cpp 1.7 2010/02/19 13:40:02 rbaran Exp $";

int gWinVersion = 0;

}  // namespace

std::string SysErrorText(int code) {
    const char* text = ::strerrordesc_np(code);
    if (text == nullptr) return "";
    return std::string(text) + " [SysErr: " + std::to_string(code) + "]";
}

std::string LastSysErrorText() {
    return SysErrorText(errno);
}

int WindowsVersionClass(TWinPlatform platform, int major, int minor, std::string_view servicePack) {
    if (platform == TWinPlatform::Windows9x) {
        switch (minor) {
            case 0:
                return 1;
            case 10:
                return platform::Trim(servicePack) == "A" ? 3 : 2;
            case 90:
                return 4;
            default:
                return 0;
        }
    }
    if (platform == TWinPlatform::NT) {
        if (major == 4) return 5;
        if (major == 5 && minor >= 0 && minor <= 2) return 6 + minor;
        if (major == 6 && minor >= 0 && minor <= 1) return 9 + minor;
    }
    return 0;
}

int WinVersion() {
    return gWinVersion;
}

void InitWin32Tools() {
    // There is no Windows version to read: the class of an unknown system.
    gWinVersion = 0;
    AddToVersionList(kHeader);
}

}  // namespace dcomp
