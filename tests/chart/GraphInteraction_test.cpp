// The chart's interactive side on a control without a window: cursors and their
// readings, trace selection with the mouse, scrolling.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "chart/Graph.h"
#include "platform/FormatSettings.h"
#include "tests/chart/HeadlessHost.h"

namespace chart::test {
namespace {

// A panel 300 pixels high: the plot (16, 18, 293, 253) shows nine bands of 26 pixels.
class GraphInteractionTest : public testing::Test {
protected:
    GraphInteractionTest() {
        Host.H = 300;
        Graph.SetAutoscale(false);
        Graph.BeginUpdate();
        for (uint16_t row = 1; row <= 6; ++row) {
            Graph.AddSample(Styled(0, platform::clRed, 0, 3), row);
            Graph.AddSample(Styled(10, platform::clRed, 0, 3), row);
        }
        Graph.EndUpdate();
    }

    static int BandY(int row) { return 18 + (row - 1) * 26 + 10; }

    std::set<int> Selected() {
        std::set<int> rows;
        for (int row = 1; row <= 6; ++row)
            if (Graph.IsSelected(row)) rows.insert(row);
        return rows;
    }

    THeadlessHost Host;
    TGraph Graph{&Host};
};

TEST_F(GraphInteractionTest, HitTestsFindTheBandUnderThePoint) {
    EXPECT_EQ(Graph.PlotArea, (platform::TRect{16, 18, 293, 253}));
    EXPECT_EQ(Graph.TraceAtPoint(100, BandY(1)), 1);
    EXPECT_EQ(Graph.TraceAtPoint(100, 18 + 26), 2);  // a band's bottom edge is the next one's
    EXPECT_EQ(Graph.TraceAtPoint(100, BandY(6)), 6);
    EXPECT_EQ(Graph.TraceAtPoint(100, 230), 0);     // below the last band
    EXPECT_EQ(Graph.TraceAtPoint(5, BandY(2)), 0);  // left of the plot
    EXPECT_EQ(Graph.TraceAtPoint(293, BandY(2)), 0);
}

TEST_F(GraphInteractionTest, MouseSelection) {
    struct Step {
        const char* What;
        char Action;  // d down, m move
        int Row;      // 0: empty plot space below the bands
        unsigned Shift;
        std::set<int> Expected;
    };
    const Step steps[] = {
        {"plain click on 3", 'd', 3, 0, {3}},
        {"shift click on 6", 'd', 6, ssShift, {3, 4, 5, 6}},
        {"ctrl click on 4", 'd', 4, ssCtrl, {3, 5, 6}},
        {"ctrl click outside", 'd', 0, ssCtrl, {3, 5, 6}},
        {"ctrl+shift click on 1 from 3", 'd', 1, ssShift | ssCtrl, {1, 2, 3, 5, 6}},
        {"plain click on 2", 'd', 2, 0, {2}},
        {"drag to 4", 'm', 4, 0, {2, 3, 4}},
        {"drag on to 5", 'm', 5, 0, {2, 3, 4, 5}},
        {"drag back to 3", 'm', 3, 0, {2, 3}},
        {"drag outside the bands", 'm', 0, 0, {2, 3}},
        {"plain click on 3 again", 'd', 3, 0, {3}},
        // A click outside the bands is no end of a range: rows 1..3 stay as they are.
        {"shift click outside", 'd', 0, ssShift, {3}},
        {"plain click outside clears", 'd', 0, 0, {}},
        {"shift click on 5 without an anchor", 'd', 5, ssShift, {5}},
    };
    const int begins = Host.Begins;
    for (const Step& s : steps) {
        const int shows = Host.Shows;
        const int y = s.Row == 0 ? 240 : BandY(s.Row);
        if (s.Action == 'd')
            Graph.MouseDown(100, y, s.Shift);
        else
            Graph.MouseMove(100, y);
        EXPECT_EQ(Selected(), s.Expected) << s.What;
        EXPECT_EQ(Graph.SelectedCount(), static_cast<int>(s.Expected.size())) << s.What;
        if (s.Action == 'd' || s.Row != 0) {
            EXPECT_GT(Host.Shows, shows) << s.What;
        }
    }
    // Selecting draws nothing anew: the image is shown again with its marks.
    EXPECT_EQ(Host.Begins, begins);
    EXPECT_GT(Host.Focused, 0);
}

TEST_F(GraphInteractionTest, SelectAllAndUnselectAll) {
    Graph.SelectAll();
    EXPECT_EQ(Graph.SelectedCount(), 6);
    Graph.SetSelected(7, 1);  // no such trace
    Graph.SetSelected(0, 1);
    EXPECT_EQ(Graph.SelectedCount(), 6);
    Graph.UnselectAll();
    EXPECT_EQ(Graph.SelectedCount(), 0);
    Graph.Clear();
    const int shows = Host.Shows;
    Graph.SelectAll();  // nothing without traces
    EXPECT_EQ(Host.Shows, shows);
}

TEST_F(GraphInteractionTest, CursorReadings) {
    EXPECT_EQ(Graph.CursorOneCaption, "x1= ");
    EXPECT_EQ(Graph.CursorTwoCaption, "x2= ");
    EXPECT_EQ(Graph.SpanLabel, "dt");
    struct Case {
        long double One, Two;
        const char *OneText, *TwoText, *Span;
    };
    const Case cases[] = {
        {1.0L, 2.5L, "", "2,500", "dt=1,500"},
        {0, 12345.6789L, "", "12345,680", "dt=12345,680"},
        {0, 1.2344L, "", "1,234", "dt=1,234"},
        {3, -0.5L, "", "-0,500", "dt=-3,500"},
        {0, 123456789.0L, "", "1,234568E8", "dt=1,234568E8"},
    };
    for (const Case& c : cases) {
        Graph.CursorOne.Position = c.One;
        Graph.CursorTwo.Position = c.Two;
        Graph.CursorOneValue.clear();
        const int labels = Host.LabelChanges;
        Graph.CursorMoved(Graph.CursorTwo);
        EXPECT_EQ(Graph.CursorOneValue, c.OneText);
        EXPECT_EQ(Graph.CursorTwoValue, c.TwoText);
        EXPECT_EQ(Graph.SpanLabel, c.Span);
        EXPECT_EQ(Host.LabelChanges, labels + 1);
    }
    Graph.CursorMoved(Graph.CursorOne);
    EXPECT_EQ(Graph.CursorOneValue, "0,000");
}

TEST_F(GraphInteractionTest, ADraggedCursorShowsItsValue) {
    // 10 mm a second at 96 dpi: x 16 is 0 s, x 16 + 37.8 is 1 s.
    TMarker& two = Graph.CursorTwo;
    EXPECT_EQ(two.Area, Graph.PlotArea);
    EXPECT_EQ(two.Top, 254);
    two.MouseDown();
    const int placements = Host.CursorPlacements;
    ASSERT_EQ(two.Left, 11);
    two.MouseMove(92 - 11, 3);  // parent x 92: 76/277 of 7.329 s
    EXPECT_EQ(Host.CursorPlacements, placements + 1);
    EXPECT_EQ(two.Left, 87);
    EXPECT_EQ(Graph.CursorTwoValue, "2,011");
    EXPECT_EQ(Graph.SpanLabel, "dt=2,011");
    two.MouseUp();
}

TEST_F(GraphInteractionTest, PlacingKeepsTheValuesAndClampsTheCursor) {
    Graph.CursorOne.Position = 3;
    Graph.CursorTwo.Position = 100;  // beyond the view
    Graph.PlaceCursors();
    EXPECT_EQ(Graph.CursorOne.Left, 16 + 113 - 5);  // 3 s = 113.4 pixels
    EXPECT_EQ(Graph.CursorTwo.Left, 293 + 5);
    EXPECT_EQ(Graph.CursorTwo.Position, 100);
    EXPECT_FALSE(Graph.CursorOne.Frozen);
}

TEST_F(GraphInteractionTest, AnEndedScrollRedrawsAndPlacesTheCursors) {
    Graph.TimeScrollBar.Position = 10;  // two seconds
    const int begins = Host.Begins, placements = Host.CursorPlacements;
    Graph.ScrollEnded();
    EXPECT_EQ(Host.Begins, begins + 1);
    EXPECT_EQ(Host.CursorPlacements, placements + 1);
    EXPECT_DOUBLE_EQ(static_cast<double>(Graph.CursorOne.RangeMin), 2.0);
}

}  // namespace
}  // namespace chart::test
