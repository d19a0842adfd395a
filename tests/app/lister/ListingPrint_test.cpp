// A sequence's listing on the recording printer: 600 dpi, lines 100 pixels high.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Exception.h"
#include "platform/PrintTarget.h"
#include "tests/app/lister/ListerFixtures.h"
#include "tests/support/PrintFailures.h"

namespace app::test {
namespace {

using platform::TRecordingCanvas;

class ListingPrintTest : public TListerTest {
protected:
    ListingPrintTest() {
        Dir.Write("Vesk3.set", "[GLOBAL]\nImplementsSysLogick=1\n");
        // Two sequences; the newer one (2) holds four events.
        Load(2, Join({Ev(0x05, 4), Ev(0x24, 400), Ev(0xD0, 4), Ev(0x05, 2), Clock(22, 10, 14, 3, 6),
                      Ev(0x05, 9), Clock(1, 9, 13, 3, 6)}));
        Lister.Refresh(nullptr);
        Lister.PrintTitle = "reading-Sequence 2-Listing";
    }

    // The expected page content: the list line, then the listing as the window shows it.
    std::vector<TLine> Expected(int sequence) {
        std::vector<TLine> lines{{ListBox.Line(sequence - 1), TListingStyle::Plain}};
        const std::vector<TLine> listing = Listing(sequence);
        lines.insert(lines.end(), listing.begin(), listing.end());
        return lines;
    }

    static std::vector<TLine> Printed(const platform::TRecordingPrintTarget::TJob& job) {
        std::vector<TLine> lines;
        for (const TRecordingCanvas& page : job.Pages)
            for (const auto& call : page.Calls)
                if (call.Kind == TRecordingCanvas::TKind::TextOut)
                    lines.push_back({call.Text, call.Font.Bold ? TListingStyle::Bold : TListingStyle::Plain});
        return lines;
    }

    platform::TRecordingPrintTarget Printer;
    // The process's printer is another one, which nothing reaches.
    platform::TRecordingPrintTarget ProcessPrinter;
    platform::TPrinterScope Scope{ProcessPrinter};
    void TearDown() override { EXPECT_TRUE(ProcessPrinter.Jobs.empty()); }
};

TEST_F(ListingPrintTest, OneTitledJobOfTheListLineAndTheListingInTheirStyles) {
    const std::vector<TLine> expected = Expected(2);
    ASSERT_GE(expected.size(), 5u);
    Lister.SelectSequence(1);
    Lister.PrintListing(2, Printer);
    EXPECT_EQ(Lister.SelectedSequence(), 2);
    ASSERT_EQ(Printer.Jobs.size(), 1u);
    const auto& job = Printer.Jobs[0];
    EXPECT_EQ(job.Title, "reading-Sequence 2-Listing");
    EXPECT_TRUE(job.Ended);
    EXPECT_EQ(Render(Printed(job)), Render(expected));
    ASSERT_EQ(job.Pages.size(), 1u);
    // From the printable area's top left, a line under the other, fixed pitch.
    int y = 0;
    for (const auto& call : job.Pages[0].Calls) {
        EXPECT_EQ(call.X1, 0);
        EXPECT_EQ(call.Y1, y);
        EXPECT_EQ(call.Font.Name, "Courier New");
        y += 100;
    }
}

TEST_F(ListingPrintTest, ALineThatDoesNotFitStartsANewPage) {
    Printer.HeightMM = 13;  // 307 pixels: three lines a page
    const std::vector<TLine> expected = Expected(2);
    Lister.PrintListing(2, Printer);
    const auto& job = Printer.Jobs.at(0);
    EXPECT_EQ(Render(Printed(job)), Render(expected));
    ASSERT_EQ(job.Pages.size(), (expected.size() + 2) / 3);
    for (const TRecordingCanvas& page : job.Pages) {
        ASSERT_LE(page.Calls.size(), 3u);
        for (std::size_t i = 0; i < page.Calls.size(); ++i)
            EXPECT_EQ(page.Calls[i].Y1, 100 * static_cast<int>(i));
    }
}

TEST_F(ListingPrintTest, AnAbortedJobPrintsNoFurtherLines) {
    Printer.HeightMM = 13;
    Printer.AbortAfterPage = 1;
    Lister.PrintListing(2, Printer);
    const auto& job = Printer.Jobs.at(0);
    EXPECT_TRUE(job.Aborted);
    EXPECT_EQ(job.Pages.size(), 1u);
    EXPECT_EQ(Printed(job).size(), 3u);
    // The sink stays silent after the job.
    Lister.PrintListingLine("late", TListingStyle::Plain);
    EXPECT_EQ(Printed(job).size(), 3u);
}

TEST_F(ListingPrintTest, NoPrinterIsAnInputOutputError) {
    Printer.Present = false;
    EXPECT_THROW(Lister.PrintListing(2, Printer), platform::EInOutError);
    EXPECT_TRUE(Printer.Jobs.empty());
}

// The printer's reason is told, whether the job cannot begin or is not taken at its end;
// nothing of it goes out.
TEST_F(ListingPrintTest, AJobThatCannotBeginOrGoOutIsToldWithItsReason) {
    platform_test::ExpectPrintFailuresTold(Printer, "The listing", [&] { Lister.PrintListing(2, Printer); });
}

// A stopped queue takes the job and holds it: that is told, not an error.
TEST_F(ListingPrintTest, AJobAStoppedQueueHoldsIsToldWhereItWaits) {
    platform_test::ExpectHeldJobTold(Printer, "The listing", [&] { Lister.PrintListing(2, Printer); });
}

}  // namespace
}  // namespace app::test
