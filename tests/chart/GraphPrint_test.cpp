// Printing the chart by pages on a recording print target, and the clipboard image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "chart/Graph.h"
#include "platform/FormatSettings.h"
#include "platform/PrintTarget.h"
#include "platform/Prompts.h"
#include "platform/Waiter.h"
#include "tests/chart/HeadlessHost.h"
#include "tests/support/PrintFailures.h"

namespace chart::test {
namespace {

using platform::TRecordingPrintTarget;

class GraphPrintTest : public testing::Test {
protected:
    GraphPrintTest() { Graph.SetAutoscale(false); }

    // Traces 1..n over from..to seconds.
    void Fill(int n, double to, double from = 0) {
        Graph.BeginUpdate();
        Graph.Clear();
        for (int row = 1; row <= n; ++row) {
            Graph.AddSample(Styled(from, platform::clRed, 0, 15), static_cast<uint16_t>(row));
            Graph.AddSample(Styled(to, platform::clRed, 0, 15), static_cast<uint16_t>(row));
            Graph.SetTraceName(static_cast<uint16_t>(row), "T" + std::to_string(row));
        }
        Graph.EndUpdate();
    }

    void Hide(int row) { Graph.TraceAttribs.WriteCell(std::vector<uint8_t>{0}, row, TGraph::kVisibleCell); }

    std::vector<std::pair<int, int>> Groups() {
        std::vector<std::pair<int, int>> out;
        for (int g = 1;; ++g) {
            int group = g, first = 0, last = 0;
            Graph.GetRowGroup(group, first, last);
            if (group != g) break;
            out.emplace_back(first, last);
        }
        return out;
    }

    static std::vector<std::string> Texts(const TRecordingCanvas& page) {
        std::vector<std::string> out;
        for (const TCall& c : CallsOf(page.Calls, TKind::TextOut)) out.push_back(c.Text);
        return out;
    }

    THeadlessHost Host;
    TGraph Graph{&Host};
    TRecordingPrintTarget Target;
    platform::TPrinterScope PrinterScope{Target};
    platform::TRecordingPrompts Prompts;
    platform::TPromptsScope PromptsScope{Prompts};
    platform::TScriptedWaiter Waiter;
    platform::TWaiterScope WaiterScope{Waiter};
};

TEST_F(GraphPrintTest, PageRowsAndPages) {
    struct Case {
        const char* What;
        int Traces;
        double Seconds;
        std::vector<int> Hidden;
        int WidthMM, HeightMM;
        std::vector<std::pair<int, int>> Groups;
        int Across, Pages;
    };
    const Case cases[] = {
        {"30 traces", 30, 10, {}, 210, 297, {{1, 24}, {25, 30}}, 1, 2},
        {"25 traces: the last alone", 25, 10, {}, 210, 297, {{1, 24}, {25, 25}}, 1, 2},
        {"0..40 s: three across", 24, 40, {}, 210, 297, {{1, 24}}, 3, 3},
        {"0..40 s, 30 traces", 30, 40, {}, 210, 297, {{1, 24}, {25, 30}}, 3, 6},
        {"hidden traces take no room", 30, 10, {2, 3, 4, 5, 6, 7}, 210, 297, {{1, 30}}, 1, 1},
        {"hidden after a full row", 26, 10, {25, 26}, 210, 297, {{1, 26}}, 1, 1},
        {"all hidden", 2, 10, {1, 2}, 210, 297, {}, 1, 0},
        {"none", 0, 10, {}, 210, 297, {}, 0, 0},
        // Landscape: 267 mm wide but only 165 mm between the top and bottom margins.
        {"landscape", 24, 10, {}, 297, 210, {{1, 22}, {23, 24}}, 1, 2},
        {"too narrow", 3, 10, {}, 30, 297, {{1, 1}, {2, 2}, {3, 3}}, 0, 0},
    };
    for (const Case& c : cases) {
        Target.WidthMM = c.WidthMM;
        Target.HeightMM = c.HeightMM;
        Fill(c.Traces, c.Seconds);
        for (int row : c.Hidden) Hide(row);
        EXPECT_EQ(Graph.Pages(), c.Pages) << c.What;
        EXPECT_EQ(Graph.PageWidthMM, c.WidthMM) << c.What;
        EXPECT_EQ(Groups(), c.Groups) << c.What;
        EXPECT_EQ(Graph.PagesAcross(), c.Across) << c.What;
    }
    EXPECT_EQ(Graph.PageOrientation, platform::TPrinterOrientation::Portrait);
}

TEST_F(GraphPrintTest, SizesOnPaper) {
    Fill(3, 40);
    EXPECT_EQ(Graph.TotalWidthMM(), 400);
    EXPECT_EQ(Graph.UsableWidthMM(), 180);
    EXPECT_EQ(Graph.RowBudgetMM(), 180);
    EXPECT_EQ(Graph.TraceHeightSum(1, 3), 21);
    EXPECT_EQ(Graph.TraceHeightSum(3, 1), 0);
    int group = 9, first = 0, last = 0;
    Graph.GetRowGroup(group, first, last);
    EXPECT_EQ(std::vector({group, first, last}), std::vector({1, 1, 3}));
    group = 0;
    Graph.GetRowGroup(group, first, last);
    EXPECT_EQ(std::vector({group, first, last}), std::vector({0, 1, 0}));
}

TEST_F(GraphPrintTest, UnusableScalesGiveNoPages) {
    Fill(3, 40);
    Graph.TraceHeightMM = 300;  // each trace higher than a page: one a page row
    EXPECT_EQ(Graph.Pages(), 9);
    Graph.TraceHeightMM = 7;
    Graph.ValuePerDivision = 0;
    EXPECT_EQ(Graph.Pages(), 0);
    Graph.ValuePerDivision = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Graph.Pages(), 0);
    Graph.ValuePerDivision = 1e-300;  // pages across beyond 32 bits
    EXPECT_EQ(Graph.Pages(), std::numeric_limits<int32_t>::max());
    Graph.ValuePerDivision = 1;
    Graph.ScaleBandMM = std::numeric_limits<long double>::infinity();
    EXPECT_EQ(Graph.Pages(), 0);
}

TEST_F(GraphPrintTest, PagesOnAGivenPrinterFollowItsPageAndPagesTheProcesssOne) {
    Fill(24, 10);
    TRecordingPrintTarget landscape;
    landscape.WidthMM = 297;
    landscape.HeightMM = 210;
    EXPECT_EQ(Graph.GetPages(landscape), 2);  // 22 traces a page row
    EXPECT_EQ(Graph.PageWidthMM, 297);
    EXPECT_EQ(Graph.Pages(), 1);
    EXPECT_EQ(Graph.PageWidthMM, 210);
}

TEST_F(GraphPrintTest, WithoutAPrinterThePageModelStays) {
    Target.Present = false;
    Target.WidthMM = 100;
    Fill(3, 40);
    EXPECT_FALSE(Graph.HasPrinter());
    EXPECT_EQ(Graph.Pages(), 3);
    EXPECT_EQ(Graph.PageWidthMM, 210);
    // Nothing else can be printed either.
    EXPECT_FALSE(Graph.Print(1, 3, Target));
    ASSERT_EQ(Prompts.Log.size(), 1u);
    EXPECT_EQ(Prompts.Log[0].Text, "Brak domyślnej drukarki");
    EXPECT_EQ(Prompts.Log[0].Caption, "Błąd");
    EXPECT_TRUE(Target.Jobs.empty());
}

TEST_F(GraphPrintTest, PrintingCutsTheRangeAndWindowsThePages) {
    Fill(30, 40);
    Graph.PrintTitle = "Sequence 1";
    Graph.Print(2, 99, Target);  // 2 page rows x 3 across: pages 2..6
    ASSERT_EQ(Target.Jobs.size(), 1u);
    const auto& job = Target.Jobs[0];
    EXPECT_EQ(job.Title, "Sequence 1");
    EXPECT_TRUE(job.Ended);
    ASSERT_EQ(job.Pages.size(), 5u);
    EXPECT_EQ(Waiter.Waits, std::vector<uint32_t>(5, 0));
    struct Expect {
        int FirstLabel, LastLabel;  // axis numbers: a page shows 18 s, the last one past the data
        int FirstRow, LastRow, Bottom;
    };
    // 15 mm = 354 px, 195 mm = 4606; 25 mm = 591; rows of 24 traces end at 193 mm = 4559,
    // of 6 traces at 67 mm = 1583; the scale band adds 236.
    const Expect expected[] = {
        {18, 36, 1, 24, 4559 + 236},  {36, 54, 1, 24, 4559 + 236},  {0, 18, 25, 30, 1583 + 236},
        {18, 36, 25, 30, 1583 + 236}, {36, 54, 25, 30, 1583 + 236},
    };
    for (size_t k = 0; k < job.Pages.size(); ++k) {
        const TRecordingCanvas& page = job.Pages[k];
        const Expect& e = expected[k];
        const std::vector<TCall> lines = CallsOf(page.Calls, TKind::Line);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(std::vector({lines[0].X1, lines[0].Y1, lines[0].X2, lines[0].Y2}),
                  std::vector({354, 591, 354, e.Bottom}))
            << k;
        EXPECT_EQ(std::vector({lines[1].X1, lines[1].Y1, lines[1].X2, lines[1].Y2}),
                  std::vector({354, e.Bottom, 4606, e.Bottom}))
            << k;
        std::vector<int> numbers;
        std::vector<std::string> labels;
        for (const TCall& t : CallsOf(page.Calls, TKind::TextOut)) {
            if (!t.Text.empty() && std::all_of(t.Text.begin(), t.Text.end(),
                                               [](unsigned char ch) { return std::isdigit(ch) != 0; }))
                numbers.push_back(std::stoi(t.Text));
            if (t.Text.find(". T") != std::string::npos) labels.push_back(t.Text);
            if (t.Text == "Sequence 1") {
                EXPECT_EQ(std::pair(t.X1, t.Y1), std::pair(0, 100)) << k;
            }
        }
        ASSERT_FALSE(numbers.empty()) << k;
        EXPECT_EQ(numbers.front(), e.FirstLabel) << k;
        EXPECT_LE(numbers.back(), e.LastLabel) << k;
        EXPECT_GE(numbers.back(), e.LastLabel - 2) << k;
        ASSERT_EQ(labels.size(), static_cast<size_t>(e.LastRow - e.FirstRow + 1)) << k;
        EXPECT_EQ(labels.front(), std::to_string(e.FirstRow) + ". T" + std::to_string(e.FirstRow)) << k;
        const std::vector<std::string> texts = Texts(page);
        EXPECT_EQ(std::count(texts.begin(), texts.end(), "Sequence 1"), 1) << k;
    }
}

TEST_F(GraphPrintTest, PageRangesThatPrintNothing) {
    Fill(30, 40);  // 6 pages
    Graph.Print(7, 99, Target);
    Graph.Print(3, 2, Target);
    Graph.Print(-5, 0, Target);
    EXPECT_TRUE(Target.Jobs.empty());
    EXPECT_TRUE(Prompts.Log.empty());
}

// A job that cannot begin, or that the printer does not take at its end, is told with
// the printer's reason, and nothing of it goes out.
TEST_F(GraphPrintTest, AJobThatCannotBeginOrGoOutIsToldWithItsReason) {
    Fill(30, 40);
    platform_test::ExpectPrintFailuresTold(Target, "The chart", [&] { Graph.Print(1, 6, Target); });
    EXPECT_TRUE(Prompts.Log.empty());
    platform_test::ExpectHeldJobTold(Target, "The chart", [&] { Graph.Print(1, 6, Target); });
}

// A job cut short by an error is dropped, not sent on in part.
TEST_F(GraphPrintTest, AJobCutShortIsDropped) {
    Fill(30, 40);
    Waiter.OnWait = [](int, uint32_t) { throw platform::EInOutError("the canvas failed", 0); };
    EXPECT_EQ(platform_test::ThrownMessage([&] { Graph.Print(1, 6, Target); }), "the canvas failed");
    ASSERT_EQ(Target.Jobs.size(), 1u);
    EXPECT_FALSE(Target.Jobs[0].Ended);
    EXPECT_TRUE(Target.Jobs[0].Aborted);
}

TEST_F(GraphPrintTest, AnAbortedJobStopsAndIsNotEnded) {
    Fill(30, 40);
    Target.AbortAfterPage = 2;
    Graph.Print(1, 6, Target);
    ASSERT_EQ(Target.Jobs.size(), 1u);
    EXPECT_EQ(Target.Jobs[0].Pages.size(), 2u);
    EXPECT_TRUE(Target.Jobs[0].Aborted);
    EXPECT_FALSE(Target.Jobs[0].Ended);
    EXPECT_EQ(Waiter.Waits.size(), 2u);
}

TEST_F(GraphPrintTest, AJobAlreadyRunningIsContinuedAndLeftOpen) {
    Fill(3, 10);
    ASSERT_TRUE(Target.BeginJob("Listing"));
    Graph.PrintTitle = "Chart";
    Graph.Print(1, 1, Target);
    ASSERT_EQ(Target.Jobs.size(), 1u);
    EXPECT_EQ(Target.Jobs[0].Title, "Listing");
    EXPECT_FALSE(Target.Jobs[0].Ended);
    EXPECT_TRUE(Target.Printing());
    const auto texts = Texts(Target.Jobs[0].Pages[0]);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Chart"), texts.end());
}

// A page count beyond any paper: the page loop never overflows, and a print of more
// pages than a printer could sensibly take is refused before its job begins, in a box of
// its own that names the chart; the print may go on with its other parts.
TEST_F(GraphPrintTest, AbsurdPageCounts) {
    constexpr int kMax = std::numeric_limits<int32_t>::max();
    struct Case {
        const char* What;
        int First, Last;
        int Pages;  // to print; -1 refused
    };
    const Case cases[] = {
        {"the whole chart", 1, kMax, -1},
        {"one page too many", 1, TGraph::kMaxPrintPages + 1, -1},
        {"the last two pages", kMax - 1, kMax, 2},
        {"the very last page", kMax, kMax, 1},
        {"as many as allowed", 1, TGraph::kMaxPrintPages, TGraph::kMaxPrintPages},
    };
    const std::function<void()> scales[] = {[&] { Fill(1, 40), Graph.ValuePerDivision = 1e-12; },
                                            [&] { Fill(1, 1e300), Graph.ValuePerDivision = 1; }};
    // Long jobs are cut short by the user after a few pages.
    constexpr int kAbortAfter = 3;
    Target.AbortAfterPage = kAbortAfter;
    for (const auto& scale : scales)
        for (const Case& c : cases) {
            scale();
            ASSERT_EQ(Graph.Pages(), kMax) << c.What;
            EXPECT_EQ(Graph.TraceHeightSum(1, kMax), 7) << c.What;
            Target.Jobs.clear();
            Prompts.Log.clear();
            EXPECT_TRUE(Graph.Print(c.First, c.Last, Target)) << c.What;
            if (c.Pages < 0) {
                EXPECT_TRUE(Target.Jobs.empty()) << c.What;
                EXPECT_EQ(Prompts.Log.size(), 1u) << c.What;
                for (const auto& shown : Prompts.Log) {
                    EXPECT_EQ(shown.Text,
                              "The chart was not printed: it would print on more than 10000 pages.")
                        << c.What;
                    EXPECT_EQ(shown.Caption, "Print") << c.What;
                }
                continue;
            }
            EXPECT_TRUE(Prompts.Log.empty()) << c.What;
            ASSERT_EQ(Target.Jobs.size(), 1u) << c.What;
            EXPECT_EQ(Target.Jobs[0].Pages.size(), static_cast<size_t>(std::min(c.Pages, kAbortAfter)))
                << c.What;
            EXPECT_EQ(Target.Jobs[0].Ended, c.Pages <= kAbortAfter) << c.What;
        }
    // A titled chart is named, so that the refusals of several charts can be told apart.
    Prompts.Log.clear();
    Graph.PrintTitle = "one.halvo-Sequence 2-Route";
    EXPECT_TRUE(Graph.Print(1, kMax, Target));
    ASSERT_EQ(Prompts.Log.size(), 1u);
    EXPECT_EQ(
        Prompts.Log[0].Text,
        "The chart \"one.halvo-Sequence 2-Route\" was not printed: it would print on more than 10000 pages.");
}

class GraphCopyTest : public GraphPrintTest {
protected:
    GraphCopyTest() {
        Fill(3, 2);
        Graph.SetSelected(2, 1);
    }
};

TEST_F(GraphCopyTest, OneSevenMillimetreTrace) {
    Graph.CopyToClipboard();
    ASSERT_EQ(Host.Copies, 1);
    // 10 + 26 + 38 high; 10 + 2 s of 10 mm (75.6 px) wide.
    EXPECT_EQ(Host.ImageHeight, 74);
    EXPECT_EQ(Host.ImageWidth, 86);
    const auto& calls = Host.Image.Calls;
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].Kind, TKind::Rectangle);
    EXPECT_EQ(std::vector({calls[0].X1, calls[0].Y1, calls[0].X2, calls[0].Y2}), std::vector({0, 0, 86, 74}));
    EXPECT_EQ(calls[0].Pen, platform::TPen{});
    EXPECT_EQ(calls[0].Brush.Color, platform::clWhite);
    const auto texts = Texts(Host.Image);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "2. T2"), texts.end());
    EXPECT_EQ(std::find(texts.begin(), texts.end(), "1. T1"), texts.end());
    // The axis at the bottom of the one band.
    const auto lines = CallsOf(calls, TKind::Line);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(std::vector({lines[1].X1, lines[1].Y1, lines[1].X2, lines[1].Y2}),
              std::vector({10, 36, 86, 36}));
}

TEST_F(GraphCopyTest, NothingToCopy) {
    struct Case {
        const char* What;
        std::function<void()> Setup;
    };
    const Case cases[] = {
        {"nothing selected", [&] { Graph.UnselectAll(); }},
        {"cursors at one value",
         [&] {
             Graph.CopyWholeRange = false;
             Graph.CursorOne.Position = Graph.CursorTwo.Position = 1;
         }},
        {"only a hidden trace selected", [&] { Hide(2); }},
    };
    for (const Case& c : cases) {
        Fill(3, 2);
        Graph.CopyWholeRange = true;
        Graph.SetSelected(2, 1);
        c.Setup();
        Graph.CopyToClipboard();
        EXPECT_EQ(Host.Copies, 0) << c.What;
    }
}

TEST_F(GraphCopyTest, BetweenTheCursorsTheirValuesAsTheyAre) {
    Graph.CopyWholeRange = false;
    Graph.ValuePerDivision = 2;
    Graph.CursorOne.Position = 1.5;
    Graph.CursorTwo.Position = 0.5;
    Graph.CopyToClipboard();
    ASSERT_EQ(Host.Copies, 1);
    // One second at 2 s a division is 5 mm: 19 pixels.
    EXPECT_EQ(Host.ImageWidth, 10 + 19);
}

TEST_F(GraphCopyTest, HeightsAtTheVerticalResolutionAndSidesCapped) {
    Graph.ScreenPixelsPerInchY = 192;
    Graph.CopyToClipboard();
    EXPECT_EQ(Host.ImageHeight, 10 + 53 + 76);
    Fill(3, 1e6);
    Graph.SelectAll();
    Graph.TraceHeightMM = 60000;
    Graph.CopyToClipboard();
    EXPECT_EQ(Host.ImageWidth, 32767);
    EXPECT_EQ(Host.ImageHeight, 32767);
}

}  // namespace
}  // namespace chart::test
