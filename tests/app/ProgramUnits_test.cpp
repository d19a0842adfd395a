// The program's unit table starts the in-house library and finalises it at the end.
#include "app/ProgramUnits.h"

#include <gtest/gtest.h>

#include "dcomp/VersionListUnit.h"

namespace app {
namespace {

TEST(ProgramUnits, TheInHouseLibraryRunsBetweenStartAndEnd) {
    ASSERT_TRUE(dcomp::VersionList().empty());
    {
        platform::TUnitsRun units(ProgramUnits());
        ASSERT_TRUE(units.Started()) << units.Error();
        EXPECT_EQ(units.Error(), "");
        ASSERT_FALSE(dcomp::VersionList().empty());
        EXPECT_EQ(dcomp::VersionList().front().find("VersionListUnit") != std::string::npos, true);
    }
    EXPECT_TRUE(dcomp::VersionList().empty());
}

}  // namespace
}  // namespace app
