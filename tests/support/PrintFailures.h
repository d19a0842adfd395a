#pragma once
// The two ways a print job fails on the recording printer, for the tests of everything
// that prints: it cannot begin, or the printer does not take it at its end; and the job
// that gets out but waits in a stopped queue.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/PrintTarget.h"
#include "platform/Prompts.h"
#include "tests/support/Thrown.h"

namespace platform_test {

// print, run once for each way, must raise what + " could not be printed: " and the
// printer's reason, and leave no job ended or open.
inline void ExpectPrintFailuresTold(platform::TRecordingPrintTarget& printer, const std::string& what,
                                    const std::function<void()>& print) {
    struct TRow {
        const char* Way;
        bool CanBegin, CanEnd;
        size_t Jobs;
    };
    const TRow rows[] = {{"cannot begin", false, true, 0}, {"refused at its end", true, false, 1}};
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.Way);
        printer.Jobs.clear();
        printer.CanBegin = row.CanBegin;
        printer.CanEnd = row.CanEnd;
        EXPECT_EQ(ThrownMessage(print), what + " could not be printed: " + printer.FailReason);
        EXPECT_FALSE(printer.Printing());
        ASSERT_EQ(printer.Jobs.size(), row.Jobs);
        for (const auto& job : printer.Jobs) EXPECT_FALSE(job.Ended);
    }
    printer.CanBegin = printer.CanEnd = true;
}

// print, on a printer whose queue holds the job, must end it and tell in one Information
// box that what waits there.
inline void ExpectHeldJobTold(platform::TRecordingPrintTarget& printer, const std::string& what,
                              const std::function<void()>& print) {
    platform::TRecordingPrompts prompts;
    const platform::TPromptsScope scope(prompts);
    printer.Jobs.clear();
    printer.HeldIn = "the queue Q, which is stopped (Paused)";
    EXPECT_EQ(ThrownMessage(print), "");
    printer.HeldIn.clear();
    ASSERT_EQ(printer.Jobs.size(), 1u);
    EXPECT_TRUE(printer.Jobs[0].Ended);
    EXPECT_TRUE(printer.Jobs[0].Held);
    ASSERT_EQ(prompts.Log.size(), 1u);
    EXPECT_EQ(
        prompts.Log[0].Text,
        what +
            " was sent to the queue Q, which is stopped (Paused): it prints when the queue is started again");
    EXPECT_EQ(prompts.Log[0].Type, platform::TMsgDlgType::Information);
}

}  // namespace platform_test
