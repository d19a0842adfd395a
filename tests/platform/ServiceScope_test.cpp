#include "platform/ServiceScope.h"

#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/DateTime.h"
#include "platform/FormatSettings.h"

namespace {

struct TNumber {
    int Value = 0;
};
struct TDefaultNumber {
    static TNumber& Get() {
        static TNumber number{7};
        return number;
    }
};
using TNumberService = platform::TProcessService<TNumber, TDefaultNumber>;

TEST(ProcessService, ScopesNestAndRestoreTheDefault) {
    TNumber a{1}, b{2};
    EXPECT_EQ(TNumberService::Current().Value, 7);
    {
        TNumberService::TScope outer(a);
        EXPECT_EQ(TNumberService::Current().Value, 1);
        {
            TNumberService::TScope inner(b);
            EXPECT_EQ(TNumberService::Current().Value, 2);
        }
        EXPECT_EQ(TNumberService::Current().Value, 1);
    }
    EXPECT_EQ(TNumberService::Current().Value, 7);
}

#ifndef NDEBUG
TEST(ProcessServiceDeathTest, AScopeEndingBeforeAnInnerOneAsserts) {
    auto outOfOrder = [] {
        TNumber a{1}, b{2};
        auto* outer = new TNumberService::TScope(a);
        TNumberService::TScope inner(b);
        delete outer;
    };
    EXPECT_DEATH(outOfOrder(), "reverse order");
}
#endif

TEST(ProcessService, TheClockAndTheFormatSettingsAreServices) {
    platform::TFixedClock clock(45000.75);
    {
        platform::TClockScope scope(clock);
        EXPECT_EQ(platform::Now(), 45000.75);
        clock.Value = 45001.0;
        EXPECT_EQ(platform::Now(), 45001.0);
    }
    EXPECT_GT(platform::Now(), 45000.0);

    platform::TFormatSettings dot = platform::DotFormatSettings();
    {
        platform::TAppFormatSettingsScope scope(dot);
        EXPECT_EQ(platform::AppFormatSettings().DecimalSeparator, '.');
    }
    EXPECT_EQ(platform::AppFormatSettings().DecimalSeparator, ',');
}

}  // namespace
