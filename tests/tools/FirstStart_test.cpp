// The first start, as a newcomer meets it: scripts/run without a display says so before
// it installs or builds anything, and the simulator tells its usage when asked.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

namespace app::test {
namespace {

namespace fs = std::filesystem;
using platform_test::RunProgram;
using platform_test::TTempDir;

const std::string kRoot = std::string(HALVO_TEST_DATA) + "/../..";

struct TDisplayCase {
    std::vector<std::string> Environment;  // for env(1), after DISPLAY and WAYLAND_DISPLAY are unset
    bool Refused;
};

TEST(FirstStart, RunWithoutADisplaySaysSoBeforeItBuilds) {
    // scripts/run alone in a clone of its own: past the display check it would call the
    // missing scripts/install-deps and fail on that.
    TTempDir clone;
    fs::create_directories(clone.File("scripts"));
    fs::copy_file(kRoot + "/scripts/run", clone.File("scripts/run"));
    const TDisplayCase cases[] = {
        {{"-u", "QT_QPA_PLATFORM"}, true},
        {{"QT_QPA_PLATFORM=xcb"}, true},
        {{"QT_QPA_PLATFORM=wayland"}, true},
        {{"QT_QPA_PLATFORM=offscreen"}, false},
        {{"QT_QPA_PLATFORM=vnc:size=800x600"}, false},
        {{"-u", "QT_QPA_PLATFORM", "DISPLAY=:99"}, false},
        {{"-u", "QT_QPA_PLATFORM", "WAYLAND_DISPLAY=wayland-9"}, false},
    };
    for (const TDisplayCase& c : cases) {
        std::vector<std::string> args{"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY"};
        args.insert(args.end(), c.Environment.begin(), c.Environment.end());
        args.push_back(clone.File("scripts/run"));
        const platform_test::TProgramResult r = RunProgram(args);
        const std::string name = c.Environment.back();
        if (c.Refused) {
            EXPECT_EQ(r.ExitCode, 3) << name << ": " << r.Errors;
            EXPECT_NE(r.Errors.find("scripts/run: no display found"), std::string::npos)
                << name << ": " << r.Errors;
            EXPECT_NE(r.Errors.find("xvfb-run -a scripts/run"), std::string::npos)
                << name << ": " << r.Errors;
        } else {
            EXPECT_NE(r.ExitCode, 3) << name << ": " << r.Errors;
            EXPECT_NE(r.Errors.find("install-deps"), std::string::npos) << name << ": " << r.Errors;
        }
        EXPECT_FALSE(fs::exists(clone.File("build"))) << name;
    }
}

TEST(FirstStart, TheSimulatorTellsItsUsage) {
    for (const char* flag : {"--help", "-h"}) {
        const platform_test::TProgramResult r = RunProgram({std::string(HALVO_BIN_DIR) + "/vesk_sim", flag});
        EXPECT_EQ(r.ExitCode, 0) << flag << ": " << r.Errors;
        EXPECT_EQ(r.Output.rfind("usage: vesk_sim (--rtu DEVICE | --tcp [--port N] [--late]) --dump FILE", 0),
                  0u)
            << flag << ": " << r.Output;
        EXPECT_NE(r.Output.find("--port N "), std::string::npos) << r.Output;
        EXPECT_EQ(r.Errors, "") << flag;
    }
    // A word it does not know still fails, and points to the usage.
    const platform_test::TProgramResult r = RunProgram({std::string(HALVO_BIN_DIR) + "/vesk_sim", "--hlep"});
    EXPECT_EQ(r.ExitCode, 2);
    EXPECT_EQ(r.Errors, "vesk_sim: unknown argument --hlep (--help tells the usage)\n");
}

}  // namespace
}  // namespace app::test
