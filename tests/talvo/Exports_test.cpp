// What the built library exports, and how a program binds it.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

namespace {

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
