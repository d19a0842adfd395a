// Printing a grid on the recording printer: 600 dpi, characters 50 by 100 pixels, the
// grid on a 96 dpi screen, so a screen pixel is 6.25 printer pixels (7.5 across).
#include "app/forms/GridPrn.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/forms/SettingsGrid.h"
#include "platform/PrintTarget.h"
#include "tests/support/PrintFailures.h"

namespace app::test {
namespace {

using platform::TRecordingCanvas;
using TKind = TRecordingCanvas::TKind;

std::vector<std::string> Texts(const TRecordingCanvas& page) {
    std::vector<std::string> texts;
    for (const auto& call : page.Calls)
        if (call.Kind == TKind::TextOut) texts.push_back(call.Text);
    return texts;
}

int Lines(const TRecordingCanvas& page) {
    int n = 0;
    for (const auto& call : page.Calls) n += call.Kind == TKind::Line;
    return n;
}

class GridPrnTest : public testing::Test {
protected:
    // A printable width of 180 mm less the margins: 150 mm = 3543 pixels at 600 dpi.
    GridPrnTest() {
        Printer.WidthMM = 180;
        Printer.HeightMM = 250;
    }
    platform::TRecordingPrintTarget Printer;
};

TEST_F(GridPrnTest, SizesMarginsAndTheCutOfANarrowGrid) {
    TGridModel grid(3, 2, 80, 16);
    grid.SetCell(0, 0, "Name");
    grid.SetCell(1, 1, "12,5");
    TGridPrint print(grid, Printer);
    EXPECT_EQ(print.ColumnWidth(0), 600);  // 80 px = 21,17 mm, 500 pixels, 1.2 times
    EXPECT_EQ(print.RowHeight(0), 100);
    EXPECT_EQ(print.ColumnWidth(3), 0);
    EXPECT_EQ(print.Margins(), (platform::TRect{354, 472, 3898, 5433}));
    EXPECT_EQ(print.ColumnRanges(), (std::vector<TGridRange>{{0, 2}}));
    EXPECT_EQ(print.RowRanges(), (std::vector<TGridRange>{{0, 1}}));

    PrintGrid(grid, Printer, "Settings - parset 1");
    ASSERT_EQ(Printer.Jobs.size(), 1u);
    const auto& job = Printer.Jobs[0];
    EXPECT_EQ(job.Title, "Settings - parset 1");
    EXPECT_TRUE(job.Ended);
    ASSERT_EQ(job.Pages.size(), 1u);
    const TRecordingCanvas& page = job.Pages[0];
    EXPECT_EQ(Texts(page), (std::vector<std::string>{"Settings - parset 1", "Name", "12,5", "str. 1"}));
    EXPECT_EQ(Lines(page), 4 * 6);
    // Title centred one line pair above the top; the label a line below the last row.
    EXPECT_EQ(page.Calls[0].X1, 354 + (3544 - 19 * 50) / 2);
    EXPECT_EQ(page.Calls[0].Y1, 472 - 200);
    EXPECT_EQ(page.Calls.back().Y1, 472 + 200 + 100);
    // Cell text two pen widths inside the frame: the pen is 0,25 mm = 6 pixels.
    EXPECT_EQ(page.Calls[1].Pen.Width, 6);
    EXPECT_EQ(page.Calls[5].Text, "Name");
    EXPECT_EQ(page.Calls[5].X1, 354 + 12);
    EXPECT_EQ(page.Calls[5].Y1, 472 + 12);
    EXPECT_EQ(page.Calls[5].Brush.Style, platform::TBrushStyle::Clear);
}

TEST_F(GridPrnTest, AGridTwoPagesWideIsLabelledByParts) {
    TGridModel grid(8, 2, 80, 16);  // 8 x 600 = 4800 > 3544
    PrintGrid(grid, Printer, "T");
    const auto& pages = Printer.Jobs.at(0).Pages;
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(Texts(pages[0]).back(), "str. 1 (cz.1)");
    EXPECT_EQ(Texts(pages[1]).back(), "str. 1 (cz.2)");
    EXPECT_EQ(Lines(pages[0]), 4 * 2 * 5);
    EXPECT_EQ(Lines(pages[1]), 4 * 2 * 3);
}

// A 720 dpi screen makes a screen pixel exactly one printed pixel across.
TEST_F(GridPrnTest, PagesComeFromTheWalkSoNoColumnIsLost) {
    TGridModel grid(3, 1, 2126, 16);  // each 0.6 of the 3544-pixel page
    grid.ScreenDpiX = 720;
    grid.SetCell(2, 0, "last");
    TGridPrint print(grid, Printer);
    EXPECT_EQ(print.ColumnWidth(0), 2126);
    // Their sum counts two pages; they need three.
    EXPECT_EQ(print.ColumnRanges(), (std::vector<TGridRange>{{0, 0}, {1, 1}, {2, 2}}));
    PrintGrid(grid, Printer, "T");
    const auto& pages = Printer.Jobs.at(0).Pages;
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(Texts(pages[2]), (std::vector<std::string>{"T", "last", "str. 1 (cz.3)"}));
}

TEST_F(GridPrnTest, ExactlyThePrintableWidthIsOnePage) {
    TGridModel grid(2, 1, 1772, 16);
    grid.ScreenDpiX = 720;
    ASSERT_EQ(TGridPrint(grid, Printer).Margins().Width(), 3544);
    EXPECT_EQ(TGridPrint(grid, Printer).ColumnRanges(), (std::vector<TGridRange>{{0, 1}}));
    grid.SetColWidth(1, 1773);
    EXPECT_EQ(TGridPrint(grid, Printer).ColumnRanges(), (std::vector<TGridRange>{{0, 0}, {1, 1}}));
}

TEST_F(GridPrnTest, ZeroWidthColumnsDrawNoFrameAndAnOverWideColumnPrintsAloneClipped) {
    TGridModel grid(3, 1, 80, 16);
    grid.SetColWidth(1, 0);
    grid.SetColWidth(2, 600);  // 5625 printer pixels, wider than the page
    grid.SetCell(1, 0, "hidden");
    grid.SetCell(2, 0, std::string(200, 'W'));
    TGridPrint print(grid, Printer);
    EXPECT_EQ(print.ColumnRanges(), (std::vector<TGridRange>{{0, 1}, {2, 2}}));
    PrintGrid(grid, Printer, "T");
    const auto& pages = Printer.Jobs.at(0).Pages;
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(Lines(pages[0]), 4);
    EXPECT_EQ(Texts(pages[0]), (std::vector<std::string>{"T", "str. 1 (cz.1)"}));
    // The frame ends at the page's right margin, the text within it.
    int right = 0;
    std::string text;
    for (const auto& call : pages[1].Calls) {
        if (call.Kind == TKind::Line) right = std::max({right, call.X1, call.X2});
        if (call.Kind == TKind::TextOut && call.Text.starts_with("W")) text = call.Text;
    }
    EXPECT_EQ(right, print.Margins().Right);
    EXPECT_EQ(text, std::string((3544 - 12) / 50, 'W'));
}

TEST_F(GridPrnTest, TextsAreClippedToTheirCell) {
    TGridModel grid(1, 1, 40, 16);  // 300 printer pixels: 288 for text = 5 characters
    grid.SetCell(0, 0, "Rated voltage");
    PrintGrid(grid, Printer, "T");
    EXPECT_EQ(Texts(Printer.Jobs.at(0).Pages.at(0)), (std::vector<std::string>{"T", "Rated", "str. 1"}));
}

TEST_F(GridPrnTest, NothingToPrintStartsNoJobAndAnAbortStopsAtTheNextPage) {
    TGridModel empty(3, 3, 0, 0);
    PrintGrid(empty, Printer, "T");
    EXPECT_TRUE(Printer.Jobs.empty());
    platform::TRecordingPrintTarget none;
    none.DpiX = none.DpiY = 0;
    PrintGrid(TGridModel(3, 3, 80, 16), none, "T");
    EXPECT_TRUE(none.Jobs.empty());

    TGridModel tall(2, 200, 80, 16);  // 200 rows of 100 pixels: 5 pages down
    Printer.AbortAfterPage = 2;
    PrintGrid(tall, Printer, "T");
    ASSERT_EQ(Printer.Jobs.size(), 1u);
    EXPECT_TRUE(Printer.Jobs[0].Aborted);
    EXPECT_EQ(Printer.Jobs[0].Pages.size(), 2u);
}

// A grid that cannot begin, or that the printer does not take at its end, is told with
// its title and the printer's reason, as the listing is; nothing of it goes out. One that
// a stopped queue holds is told where it waits.
TEST_F(GridPrnTest, AJobThatCannotBeginOrGoOutIsToldWithItsReason) {
    const TGridModel grid(30, 3, 80, 16);
    platform_test::ExpectPrintFailuresTold(Printer, "The settings grid \"Settings - parset 1\"",
                                           [&] { PrintGrid(grid, Printer, "Settings - parset 1"); });
    Printer.Present = false;
    EXPECT_EQ(platform_test::ThrownMessage([&] { PrintGrid(grid, Printer, "Settings - parset 1"); }),
              "The settings grid \"Settings - parset 1\" could not be printed: there is no default printer");
    Printer.Present = true;
    platform_test::ExpectHeldJobTold(Printer, "The settings grid \"Settings - parset 1\"",
                                     [&] { PrintGrid(grid, Printer, "Settings - parset 1"); });
}

}  // namespace
}  // namespace app::test
