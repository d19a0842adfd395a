// The recording print target and the process-wide printer service.
#include "platform/PrintTarget.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(PrintTarget, WithoutOneInstalledThereIsNoPrinter) {
    EXPECT_FALSE(Printer().HasPrinter());
    EXPECT_FALSE(Printer().BeginJob("x"));
    EXPECT_EQ(Printer().Canvas(), nullptr);
    TRecordingPrintTarget target;
    {
        TPrinterScope scope(target);
        EXPECT_EQ(&Printer(), &target);
    }
    EXPECT_NE(&Printer(), &target);
}

TEST(PrintTarget, RecordsJobsAndPages) {
    TRecordingPrintTarget target;
    EXPECT_EQ(target.PageWidthPixels(), 4961);  // 210 mm at 600 dpi
    EXPECT_EQ(target.PageHeightPixels(), 7016);
    EXPECT_FALSE(target.Printing());
    EXPECT_EQ(target.PageNumber(), 0);
    ASSERT_TRUE(target.BeginJob("One"));
    EXPECT_FALSE(target.BeginJob("Two"));  // one job at a time
    EXPECT_EQ(target.Title(), "One");
    target.Canvas()->TextOut(1, 2, "page 1");
    target.NewPage();
    EXPECT_EQ(target.PageNumber(), 2);
    target.Canvas()->Pen.Width = 5;
    target.NewPage();
    // Each page starts with the canvas's defaults and the target's resolution.
    EXPECT_EQ(target.Canvas()->Pen.Width, 1);
    EXPECT_EQ(target.Canvas()->PixelsPerInchX(), 600);
    target.EndJob();
    EXPECT_FALSE(target.Printing());
    EXPECT_EQ(target.Canvas(), nullptr);
    ASSERT_EQ(target.Jobs.size(), 1u);
    EXPECT_TRUE(target.Jobs[0].Ended);
    EXPECT_EQ(target.Jobs[0].Pages.size(), 3u);
    EXPECT_EQ(target.Jobs[0].Pages[0].Calls.at(0).Text, "page 1");
    EXPECT_EQ(target.PageCount(), 3);
}

TEST(PrintTarget, AbortsWhenAsked) {
    struct Case {
        const char* What;
        int AbortAfter;
        bool AbortCall;
        size_t Pages;
    };
    const Case cases[] = {
        {"after page 2", 2, false, 2},
        {"by Abort", 0, true, 1},
        {"after a page never reached", 9, false, 3},
    };
    for (const Case& c : cases) {
        TRecordingPrintTarget target;
        target.AbortAfterPage = c.AbortAfter;
        ASSERT_TRUE(target.BeginJob("j"));
        if (c.AbortCall) target.Abort();
        target.NewPage();
        target.NewPage();
        const bool aborted = c.AbortCall || c.AbortAfter == 2;
        EXPECT_EQ(target.Aborted(), aborted) << c.What;
        EXPECT_EQ(target.Printing(), !aborted) << c.What;
        target.EndJob();
        EXPECT_EQ(target.Jobs[0].Pages.size(), c.Pages) << c.What;
        EXPECT_EQ(target.Jobs[0].Ended, !aborted) << c.What;
        ASSERT_EQ(target.BeginJob("next"), true) << c.What;
        EXPECT_FALSE(target.Aborted()) << c.What;
    }
}

TEST(PrintTarget, NoJobWithoutAPrinterOrOutput) {
    TRecordingPrintTarget target;
    target.Present = false;
    EXPECT_FALSE(target.BeginJob("x"));
    target.Present = true;
    target.CanBegin = false;
    EXPECT_FALSE(target.BeginJob("x"));
    EXPECT_TRUE(target.Jobs.empty());
}

}  // namespace
}  // namespace platform
