// The job of one printed part on the recording printer, and the print command that tells
// the parts a stopped queue holds in one box.
#include "platform/PrintJob.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Exception.h"
#include "platform/Prompts.h"
#include "tests/support/PrintFailures.h"

namespace platform {
namespace {

constexpr const char* kStopped = "the queue Q, which is stopped (out of toner)";

class PrintJobTest : public testing::Test {
protected:
    // One part: a page with a line, then the job's end.
    void PrintPart(const std::string& title) {
        TPrintJob job(Printer, "The part", title);
        Printer.Canvas()->TextOut(0, 0, title);
        job.End();
    }

    TRecordingPrintTarget Printer;
    TRecordingPrompts Prompts;
    TPromptsScope PromptsScope{Prompts};
};

TEST_F(PrintJobTest, APartIsOneJobThatEndsWithNothingToTell) {
    PrintPart("One");
    ASSERT_EQ(Printer.Jobs.size(), 1u);
    EXPECT_EQ(Printer.Jobs[0].Title, "One");
    EXPECT_TRUE(Printer.Jobs[0].Ended);
    EXPECT_FALSE(Printer.Jobs[0].Held);
    EXPECT_TRUE(Prompts.Log.empty());
}

TEST_F(PrintJobTest, APartOnARunningJobGoesOnItAndLeavesItOpen) {
    ASSERT_TRUE(Printer.BeginJob("Running"));
    PrintPart("Part");
    ASSERT_EQ(Printer.Jobs.size(), 1u);
    EXPECT_EQ(Printer.Jobs[0].Title, "Running");
    EXPECT_TRUE(Printer.Printing());
    EXPECT_EQ(Printer.Jobs[0].Pages[0].Calls.back().Text, "Part");
}

// A part cut short by an error, or by the user, never goes out in part, and is not told
// as a failure of the printer.
TEST_F(PrintJobTest, APartCutShortIsDropped) {
    EXPECT_EQ(platform_test::ThrownMessage([&] {
                  TPrintJob job(Printer, "The part", "Cut");
                  throw EInOutError("the canvas failed", 0);
              }),
              "the canvas failed");
    Printer.AbortAfterPage = 1;
    EXPECT_EQ(platform_test::ThrownMessage([&] {
                  TPrintJob job(Printer, "The part", "Aborted");
                  Printer.NewPage();
                  job.End();
              }),
              "");
    ASSERT_EQ(Printer.Jobs.size(), 2u);
    for (const auto& job : Printer.Jobs) {
        EXPECT_TRUE(job.Aborted) << job.Title;
        EXPECT_FALSE(job.Ended) << job.Title;
    }
    EXPECT_FALSE(Printer.Printing());
}

TEST_F(PrintJobTest, AJobThatCannotBeginOrGoOutIsToldWithWhatAndWhy) {
    platform_test::ExpectPrintFailuresTold(Printer, "The part", [&] { PrintPart("Failed"); });
    EXPECT_TRUE(Prompts.Log.empty());
}

TEST_F(PrintJobTest, OutsideAPrintCommandEachHeldPartIsToldAtOnce) {
    platform_test::ExpectHeldJobTold(Printer, "The part", [&] { PrintPart("Held"); });
}

// However many parts a stopped queue holds, the command tells them in one box as it
// finishes; a part that printed is not counted.
TEST_F(PrintJobTest, APrintCommandTellsItsHeldPartsInOneBox) {
    struct TRow {
        const char* What;
        std::vector<bool> Held;  // per part
        const char* Text;        // of the one box; nullptr for none
    };
    const TRow rows[] = {
        {"none held", {false, false}, nullptr},
        {"one held",
         {false, true},
         "The part was sent to the queue Q, which is stopped (out of toner): it prints when the queue is "
         "started again"},
        {"three held",
         {true, false, true, true},
         "3 print jobs were sent to the queue Q, which is stopped (out of toner): they print when the queue "
         "is started again"},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.What);
        Prompts.Log.clear();
        {
            TPrintCommand command;
            for (const bool held : row.Held) {
                Printer.HeldIn = held ? kStopped : "";
                PrintPart("Part");
            }
            EXPECT_TRUE(Prompts.Log.empty());
            EXPECT_EQ(command.HeldText(), row.Text ? row.Text : "");
            command.Finish();
        }
        if (!row.Text) {
            EXPECT_TRUE(Prompts.Log.empty());
            continue;
        }
        ASSERT_EQ(Prompts.Log.size(), 1u);
        EXPECT_EQ(Prompts.Log[0].Text, row.Text);
        EXPECT_EQ(Prompts.Log[0].Type, TMsgDlgType::Information);
    }
    // Once the command is over, a held part is told on its own again.
    Prompts.Log.clear();
    Printer.HeldIn = kStopped;
    PrintPart("After");
    EXPECT_EQ(Prompts.Log.size(), 1u);
}

}  // namespace
}  // namespace platform
