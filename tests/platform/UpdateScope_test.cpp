// The scope helpers undo their work however the scope ends.
#include "platform/UpdateScope.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace platform {
namespace {

TEST(ScopeExitTest, RunsOnceWhenTheScopeEndsOrAThrowLeavesIt) {
    int runs = 0;
    {
        const TScopeExit end([&runs] { ++runs; });
        EXPECT_EQ(runs, 0);
    }
    EXPECT_EQ(runs, 1);
    EXPECT_THROW(
        {
            const TScopeExit end([&runs] { ++runs; });
            throw std::runtime_error("x");
        },
        std::runtime_error);
    EXPECT_EQ(runs, 2);
}

}  // namespace
}  // namespace platform
