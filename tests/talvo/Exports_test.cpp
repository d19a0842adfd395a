// What the built library exports, and how a program binds it.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "talvo.h"

namespace {

// No exception crosses the C interface: a C++ caller sees every call noexcept, and the
// definitions must say the same to compile.
static_assert(noexcept(TALVOAdd(0, nullptr, 0)));
static_assert(noexcept(TALVOClose(0)));
static_assert(noexcept(TALVOReinit(0)));
static_assert(noexcept(TALVOCloseAll()));
static_assert(noexcept(TALVOReadRegs(0, 0, 0, 0, 0, nullptr, false)));
static_assert(noexcept(TALVOWriteRegs(0, 0, 0, 0, 0, nullptr)));
static_assert(noexcept(TALVOPresetReg(0, 0, 0, 0, 0)));
static_assert(noexcept(TALVOSendAndWait(0, 0, nullptr, nullptr, 0, 0, nullptr)));
static_assert(noexcept(UniversalTALVOSendAndWait(nullptr, 0, 0, nullptr, nullptr, 0, 0, nullptr)));
static_assert(noexcept(UniversalTALVOReadRegs(nullptr, 0, 0, 0, 0, 0, nullptr, false)));
static_assert(noexcept(UniversalTALVOWriteRegs(nullptr, 0, 0, 0, 0, 0, nullptr)));
static_assert(noexcept(UniversalTALVOLastError(nullptr, 0)));
static_assert(noexcept(BuildTALVOReadRegs(0, 0, 0, 0, nullptr)));
static_assert(noexcept(BuildTALVOWriteRegs(0, 0, 0, 0, nullptr, nullptr)));
static_assert(noexcept(CheckTALVOReadRegs(0, 0, 0, 0, 0, nullptr)));
static_assert(noexcept(CheckTALVOWriteRegs(0, 0, 0, 0, 0, nullptr)));
static_assert(noexcept(GetTALVOReadRegs(0, nullptr, nullptr, false)));
static_assert(noexcept(TALVOGetErrorDescription(0, nullptr, 0)));
static_assert(noexcept(WriteLog(nullptr, nullptr)));

std::string Shell(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << command;
    return out;
}

TEST(TalvoExports, LibraryExportsExactlyTheCNames) {
    std::istringstream lines(Shell("nm -D --defined-only " HALVO_BIN_DIR "/libtalvo.so"));
    std::set<std::string> names;
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        std::string address, type, name;
        fields >> address >> type >> name;
        if (!name.empty()) names.insert(name);
    }
    const std::set<std::string> expected{
        "TALVOAdd",
        "TALVOClose",
        "TALVOReinit",
        "TALVOCloseAll",
        "TALVOReadRegs",
        "TALVOWriteRegs",
        "TALVOPresetReg",
        "TALVOSendAndWait",
        "UniversalTALVOSendAndWait",
        "UniversalTALVOReadRegs",
        "UniversalTALVOWriteRegs",
        "UniversalTALVOLastError",
        "BuildTALVOReadRegs",
        "BuildTALVOWriteRegs",
        "CheckTALVOReadRegs",
        "CheckTALVOWriteRegs",
        "GetTALVOReadRegs",
        "TALVOGetErrorDescription",
        "WriteLog",
    };
    EXPECT_EQ(names, expected);
}

TEST(TalvoExports, AProgramBindsTheLibraryAtLoadTime) {
    const std::string dynamic = Shell("readelf -d " HALVO_BIN_DIR "/talvo_c_client");
    EXPECT_NE(dynamic.find("[libtalvo.so]"), std::string::npos) << dynamic;
    EXPECT_NE(dynamic.find("BIND_NOW"), std::string::npos) << dynamic;
}

}  // namespace
