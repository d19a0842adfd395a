#include "app/link/Timeutil.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/Waiter.h"

using namespace app;

TEST(WaitMs, WaitsThroughTheCurrentWaiter) {
    platform::TScriptedWaiter waiter;
    platform::TWaiterScope scope(waiter);
    WaitMs(25);
    WaitMs(0);
    WaitMs(-5);
    EXPECT_THAT(waiter.Waits, testing::ElementsAre(25u, 0u, 0u));
}

TEST(DateTimeToSeconds, TimeOfDayWithMilliseconds) {
    struct Case {
        const char* name;
        double value;
        double seconds;
    };
    const double msPerDay = 86400000.0;
    const std::vector<Case> cases = {
        {"zero", 0.0, 0.0},
        {"negative", -1.25, 0.0},
        {"NaN", std::numeric_limits<double>::quiet_NaN(), 0.0},
        {"infinite", std::numeric_limits<double>::infinity(), 0.0},
        {"noon of the epoch", 0.5, 43200.0},
        {"date part ignored", 45000.75, 64800.0},
        {"milliseconds", 45000 + 45296789 / msPerDay, 45296.789},
        {"last millisecond of a day", 1 + 86399999 / msPerDay, 86399.999},
        // Rounded to the millisecond first: this is already the next midnight.
        {"rounds into the next day", 1 + 86399999.6 / msPerDay, 0.0},
        {"rounds to the nearer millisecond", 1 + 3600000.4 / msPerDay, 3600.0},
    };
    for (const auto& c : cases) EXPECT_NEAR(DateTimeToSeconds(c.value), c.seconds, 1e-9) << c.name;
}
