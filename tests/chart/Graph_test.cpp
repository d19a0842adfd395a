// The chart model and its drawing, on a control without a window: every call the
// drawing makes is recorded with the pen, brush and font it was made in.
#include "chart/Graph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "platform/Prompts.h"
#include "tests/chart/HeadlessHost.h"

namespace chart::test {
namespace {

using platform::clBlack;
using platform::clBlue;
using platform::clRed;
using platform::clWhite;
using platform::TBrushStyle;
using platform::TPen;
using platform::TPenMode;
using platform::TPenStyle;
using platform::TRect;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();

// The default host: plot (16, 18, 293, 98), 277 pixels wide and 80 high; at 96 dpi a
// division of 10 mm is 37.795 pixels, a band of 7 mm 26 pixels, 1 mm 4 pixels.
class GraphTest : public testing::Test {
protected:
    GraphTest() { Graph.SetAutoscale(false); }

    std::vector<TCall> Render() {
        Host.Canvas.Calls.clear();
        Graph.Redraw();
        return Host.Canvas.Calls;
    }

    // Samples at the given X values in one style; the last only ends the trace.
    void Trace(uint16_t row, std::vector<double> xs, uint8_t thickness = 3, platform::TColor color = clRed) {
        for (double x : xs) Graph.AddSample(Styled(x, color, 0, thickness), row);
    }

    std::vector<TCall> TickLines(const std::vector<TCall>& calls) {
        std::vector<TCall> out;
        for (const TCall& c : CallsOf(calls, TKind::Line))
            if (c.Y1 == 98 && c.Y2 > 98) out.push_back(c);
        return out;
    }

    std::vector<std::pair<std::string, int>> AxisLabels(const std::vector<TCall>& calls) {
        std::vector<std::pair<std::string, int>> out;
        for (const TCall& c : CallsOf(calls, TKind::TextOut))
            if (c.Y1 == 108 && c.Text != Graph.GetAxisUnit()) out.emplace_back(c.Text, c.X1);
        return out;
    }

    THeadlessHost Host;
    TGraph Graph{&Host};
};

TEST(GraphCreation, TheConstructorValuesAreInForce) {
    TGraph g;
    EXPECT_TRUE(g.Autoscale());
    EXPECT_EQ(g.DataBackGround(), clWhite);
    EXPECT_EQ(g.DataTimeType(), TIntervalTimeType::Seconds);
    EXPECT_EQ(g.DataTimeInterval(), 1);
    EXPECT_EQ(g.ScaleX(), 100);
    EXPECT_EQ(g.DataMinRange(), 0.0);
    EXPECT_EQ(g.DataMaxRange(), 0.0);
    EXPECT_EQ(g.MinorGridStyle, TPenStyle::DashDot);
    EXPECT_EQ(g.MinorGridColor, clBlue);
    EXPECT_EQ(g.Font.Name, "Arial");
    EXPECT_EQ(g.Font.Size, 9);
    EXPECT_EQ(g.GetAxisUnit(), "[s]");
}

TEST_F(GraphTest, UpdateLayoutPlacesThePlotBetweenCursorsLabelsAndScrollBars) {
    struct Case {
        int W, H, Bevel, Dpi, ScrollW, ScrollH, Cursor, Label, CharH;
        TRect Plot;
    };
    for (const Case& c : {Case{325, 145, 1, 96, 16, 16, 10, 15, 15, {16, 18, 293, 98}},
                          Case{400, 300, 2, 120, 17, 18, 12, 20, 16, {20, 25, 363, 248}}}) {
        Host.W = c.W;
        Host.H = c.H;
        Host.Bevel = c.Bevel;
        Host.Dpi = c.Dpi;
        Host.ScrollBarWidth = c.ScrollW;
        Host.ScrollBarHeight = c.ScrollH;
        Host.Cursor = c.Cursor;
        Host.LabelHeight = c.Label;
        Host.Canvas.CharHeight = c.CharH;
        Graph.UpdateLayout();
        EXPECT_EQ(Graph.PlotArea, c.Plot) << c.W;
        EXPECT_EQ(Graph.ScreenTextHeight, c.CharH);
        EXPECT_EQ(Graph.ScreenPixelsPerInchX, c.Dpi);
        EXPECT_EQ(Graph.ScreenPixelsPerInchY, c.Dpi);
        EXPECT_EQ(Host.Begins, Host.Ends);
    }
}

TEST_F(GraphTest, TheRangeAlwaysHoldsZeroAndEverySample) {
    EXPECT_EQ(std::pair(Graph.DataMinRange(), Graph.DataMaxRange()), std::pair(0.0, 0.0));
    Trace(1, {-0.2, 5.0});
    EXPECT_EQ(std::pair(Graph.DataMinRange(), Graph.DataMaxRange()), std::pair(-0.2, 5.0));
    Graph.Clear();
    EXPECT_EQ(Graph.TraceSamples.UsedRowCount(), 0);
    EXPECT_EQ(std::pair(Graph.DataMinRange(), Graph.DataMaxRange()), std::pair(0.0, 0.0));
    Trace(2, {3.0});
    EXPECT_EQ(std::pair(Graph.DataMinRange(), Graph.DataMaxRange()), std::pair(0.0, 3.0));
    // A sample that is no number would poison every coordinate: it is refused.
    for (double x : {kNaN, kInf, -kInf}) Graph.AddSample(Styled(x, clRed, 0, 3), 2);
    EXPECT_EQ(Graph.TraceSamples.GetCellCount(2), 1);
    EXPECT_EQ(std::pair(Graph.DataMinRange(), Graph.DataMaxRange()), std::pair(0.0, 3.0));
}

TEST_F(GraphTest, SamplesAreStoredAsTwentyFourLittleEndianBytes) {
    TGraphSample s = Styled(1.5, 0x00123456, 2, 15);
    Graph.AddSample(s, 4);
    const auto cell = Graph.TraceSamples.GetCellData(4, 1);
    const std::vector<uint8_t> expected{0, 0, 0, 0, 0,    0,    0xF8, 0x3F, 0, 0,  0, 0,
                                        0, 0, 0, 0, 0x56, 0x34, 0x12, 0,    2, 15, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(cell.begin(), cell.end()), expected);
    const TGraphSample back = Graph.Sample(4, 1);
    EXPECT_EQ(back.X, 1.5);
    EXPECT_EQ(back.Color, 0x00123456u);
    EXPECT_EQ(back.PenStyle, 2);
    EXPECT_EQ(back.Thickness, 15);
}

TEST_F(GraphTest, TraceLabelsAndNames) {
    Graph.SetTraceName(3, "VA");
    EXPECT_EQ(Graph.GetTraceLabel(3), "3. VA");
    EXPECT_EQ(Graph.GetTraceLabel(12), "Wykres 12");
    Graph.SetTraceName(5, std::string("A\0B", 3));
    EXPECT_EQ(Graph.GetTraceLabel(5), "5. A");

    struct Case {
        std::string Name;
        std::string Kept;
    };
    std::string ascii(254, 'x');
    std::string polish;
    for (int i = 0; i < 300; ++i) polish += "ą";
    const std::string cut255 = polish.substr(0, 510);
    for (const Case& c : {Case{ascii + "ąb", ascii + "ą"}, Case{ascii + "xą", ascii + "x"},
                          Case{polish, cut255}, Case{std::string(255, 'y'), std::string(255, 'y')}}) {
        Graph.SetTraceName(7, c.Name);
        EXPECT_EQ(Graph.GetTraceLabel(7), "7. " + c.Kept);
        EXPECT_EQ(Graph.TraceAttribs.GetCellData(7, 1).size(), c.Kept.size() + 1);
    }
}

TEST_F(GraphTest, TheUnitTextFollowsTypeAndInterval) {
    platform::TRecordingPrompts prompts;
    platform::TPromptsScope scope(prompts);
    struct Case {
        TIntervalTimeType Type;
        uint16_t Interval;
        const char* Unit;
    };
    using T = TIntervalTimeType;
    for (const Case& c :
         {Case{T::None, 1, ""}, Case{T::mSeconds, 100, "[s]"}, Case{T::Seconds, 1, "[s]"},
          Case{T::Seconds, 2, "[s]"}, Case{T::Seconds, 3, "[min]"}, Case{T::Seconds, 60, "[min]"},
          Case{T::Minutes, 1, "[min]"}, Case{T::Minutes, 2, "[min]"}, Case{T::Minutes, 5, "[h]"},
          Case{T::Hours, 1, "[day]"}, Case{T::Hours, 24, "[day]"}}) {
        Graph.SetDataTimeType(c.Type);
        Graph.SetDataTimeInterval(c.Interval);
        EXPECT_EQ(Graph.GetAxisUnit(), c.Unit) << static_cast<int>(c.Type) << " " << c.Interval;
    }
}

TEST_F(GraphTest, OutOfRangeIntervalsAreClampedWithTheirMessages) {
    using T = TIntervalTimeType;
    using Msg = std::pair<std::string, std::string>;
    struct Case {
        T Type;
        uint16_t Value;
        uint16_t Stored;
        std::vector<Msg> Messages;
    };
    const std::vector<Case> cases{
        {T::Seconds, 100, 60, {{"Maximum value is 60 when Seconds selected.", "OverRange."}}},
        {T::Seconds, 60, 60, {}},
        {T::Minutes, 61, 60, {{"Maximum value is 60 when Minutes selected.", "OverRange."}}},
        {T::Hours, 25, 24, {{"Maximum value is 24 when Hours selected.", "OverRange."}}},
        {T::Hours, 24, 24, {}},
        {T::mSeconds, 1001, 1000, {{"Maximum value is 1000 when MSeconds selected.", "OverRange."}}},
        {T::mSeconds,
         99,
         99,
         {{"Minimum value of 100 when MSeconds selected is recommended for accuracy.", "Over Range."}}},
        {T::mSeconds, 100, 100, {}},
        {T::None, 5000, 5000, {}},
    };
    for (const Case& c : cases) {
        TGraph g(&Host);
        g.SetDataTimeType(c.Type);
        platform::TRecordingPrompts prompts;
        platform::TPromptsScope scope(prompts);
        const int shows = Host.Shows;
        g.SetDataTimeInterval(c.Value);
        EXPECT_EQ(g.DataTimeInterval(), c.Stored) << c.Value;
        std::vector<Msg> seen;
        for (const auto& s : prompts.Log) {
            EXPECT_EQ(s.Kind, "MessageBox");
            seen.emplace_back(s.Text, s.Caption);
        }
        EXPECT_EQ(seen, c.Messages) << c.Value;
        EXPECT_EQ(Host.Shows, shows + 1);
    }
    TGraph g(&Host);
    platform::TRecordingPrompts prompts;
    platform::TPromptsScope scope(prompts);
    g.SetDataTimeInterval(100);
    EXPECT_EQ(g.GetAxisUnit(), "[min]");
}

TEST_F(GraphTest, SwitchingTheTimeTypeFitsTheInterval) {
    using T = TIntervalTimeType;
    struct Case {
        T From;
        uint16_t Interval;
        T To;
        uint16_t Expected;
        bool Redrawn;
    };
    for (const Case& c :
         {Case{T::Seconds, 30, T::Hours, 1, true}, Case{T::Seconds, 20, T::Hours, 20, true},
          Case{T::Seconds, 30, T::Minutes, 30, true}, Case{T::Seconds, 50, T::mSeconds, 100, true},
          Case{T::mSeconds, 500, T::mSeconds, 500, false}, Case{T::mSeconds, 500, T::Seconds, 1, true},
          Case{T::mSeconds, 500, T::None, 500, false}}) {
        TGraph g(&Host);
        platform::TRecordingPrompts prompts;
        platform::TPromptsScope scope(prompts);
        g.SetDataTimeType(c.From);
        g.SetDataTimeInterval(c.Interval);
        const int shows = Host.Shows;
        g.SetDataTimeType(c.To);
        EXPECT_EQ(g.DataTimeType(), c.To);
        EXPECT_EQ(g.DataTimeInterval(), c.Expected) << c.Interval;
        EXPECT_EQ(Host.Shows > shows, c.Redrawn) << c.Interval;
        EXPECT_TRUE(prompts.Log.empty());
    }
}

TEST_F(GraphTest, RangeSettersKeepMinimumBelowMaximum) {
    Trace(1, {20});
    struct Case {
        bool Max;
        double Value;
        double Min, MaxAfter;
    };
    const std::vector<Case> cases{
        {true, 5, 0, 20},      // the minimum + 5: ignored
        {true, 9, 0, 20},      // not more than 9 above
        {true, 9.5, 0, 9.5},   //
        {false, 9.5, 0, 9.5},  // not below the maximum
        {false, -3, -3, 9.5},  //
        {true, kInf, -3, 9.5}, {true, kNaN, -3, 9.5}, {false, -kInf, -3, 9.5}, {false, kNaN, -3, 9.5},
    };
    for (const Case& c : cases) {
        const int shows = Host.Shows;
        const double before = c.Max ? Graph.DataMaxRange() : Graph.DataMinRange();
        if (c.Max)
            Graph.SetDataMaxRange(c.Value);
        else
            Graph.SetDataMinRange(c.Value);
        EXPECT_EQ(Graph.DataMinRange(), c.Min) << c.Value;
        EXPECT_EQ(Graph.DataMaxRange(), c.MaxAfter) << c.Value;
        const double after = c.Max ? Graph.DataMaxRange() : Graph.DataMinRange();
        EXPECT_EQ(Host.Shows > shows, after != before) << c.Value;
    }
}

TEST_F(GraphTest, OneScrollStepIsOneAuxiliaryStep) {
    struct Case {
        double Min, Max;
        double PerDivision;
        int32_t Subdivisions;
        int Large, Maximum;
    };
    const std::vector<Case> cases{
        {-0.2, 5.0, 1, 4, 5, 25},  // 5.2 divisions
        {0, 10, 1, 4, 5, 50},           {0, 10, 0.3, 0, 1, 33},
        {0, 2.5, 1, 4, 5, 10},  // 2.5 divisions round to 2
        {0, 3.5, 1, 4, 5, 20},  // 3.5 to 4
        {0, 1e300, 1, 4, 5, kInt32Max}, {0, 10, 0, 4, 5, 0},
        {0, 10, kNaN, 4, 5, 0},         {0, 10, 1, -1, 1, 0},
        {0, 10, 1, -7, 1, 0},           {0, 10, 1, kInt32Max, kInt32Max, kInt32Max},
    };
    for (const Case& c : cases) {
        TGraph g(&Host);
        g.SetAutoscale(false);
        g.AddSample(Styled(c.Min, clRed, 0, 3), 1);
        g.AddSample(Styled(c.Max, clRed, 0, 3), 1);
        g.ValuePerDivision = c.PerDivision;
        g.SubdivisionsPerDivision = c.Subdivisions;
        g.TimeScrollBar.Position = 1000;
        const int syncs = Host.ScrollSyncs;
        g.SetScaleX(100);
        EXPECT_EQ(g.TimeScrollBar.SmallChange, 1);
        EXPECT_EQ(g.TimeScrollBar.LargeChange, c.Large) << c.Max << " " << c.Subdivisions;
        EXPECT_EQ(g.TimeScrollBar.Max, c.Maximum) << c.Max << " " << c.PerDivision << " " << c.Subdivisions;
        EXPECT_EQ(g.TimeScrollBar.Position, std::min(1000, c.Maximum));
        EXPECT_GT(Host.ScrollSyncs, syncs);
        Render();  // nothing above may hang or overflow
    }
}

TEST_F(GraphTest, ScaleStaysAPositivePercent) {
    for (auto [asked, kept] : std::vector<std::pair<int64_t, int32_t>>{
             {0, 1}, {-5, 1}, {1, 1}, {250, 250}, {int64_t{1} << 40, kInt32Max}}) {
        Graph.SetScaleX(asked);
        EXPECT_EQ(Graph.ScaleX(), kept) << asked;
        Render();
    }
}

TEST_F(GraphTest, AutoscaleFitsTheRangeIntoThePlot) {
    struct Case {
        double Max;
        int Width;  // of the control
        int Expected;
    };
    // 277 pixels are 73.29 mm: 7.33 divisions at 100 %.
    for (const Case& c :
         {Case{0, 325, 100}, Case{10, 325, 73}, Case{7.329, 325, 100}, Case{1000, 325, 1},
          Case{10000, 325, 1}, Case{0.001, 325, 732896}, Case{1e-12, 325, kInt32Max}, Case{10, 40, 1}}) {
        TGraph g(&Host);
        g.SetAutoscale(false);
        Host.W = c.Width;
        g.UpdateLayout();
        if (c.Max != 0) g.AddSample(Styled(c.Max, clRed, 0, 3), 1);
        EXPECT_EQ(g.AutoscaleValue(), c.Expected) << c.Max << " " << c.Width;
    }
}

TEST_F(GraphTest, UpdatesRedrawOnceAtTheirEnd) {
    Graph.SetAutoscale(true);
    Graph.UpdateLayout();
    const int shows = Host.Shows;
    Graph.BeginUpdate();
    Trace(1, {-0.2, 5.0});
    Graph.Clear();
    Trace(1, {-0.2, 5.0});
    Graph.ShowImage();
    EXPECT_EQ(Host.Shows, shows);
    Graph.EndUpdate();
    EXPECT_EQ(Host.Shows, shows + 1);
    EXPECT_FALSE(Graph.Updating());
    EXPECT_EQ(Graph.ScaleX(), 141);  // 73.29 mm over 5.2 divisions
    EXPECT_EQ(Graph.TimeScrollBar.Max, 25);
}

TEST_F(GraphTest, ResizingTakesANewImageAndDrawsIt) {
    Graph.SetAutoscale(true);
    Trace(1, {0, 10});
    Host.W = 500;
    const int shows = Host.Shows;
    Graph.Resized();
    EXPECT_EQ(Host.Resizes, 1);
    EXPECT_EQ(Graph.PlotArea.Right, 468);
    EXPECT_EQ(Graph.ScaleX(), 120);  // 452 pixels = 119.6 mm over 10 divisions
    EXPECT_EQ(Host.Shows, shows + 1);
    EXPECT_FALSE(Host.Canvas.Calls.empty());
}

TEST_F(GraphTest, RedrawFramesThePlotAndRedrawsItsLeftEdge) {
    struct Case {
        platform::TColor Ground;
        platform::TColor Edge;
    };
    for (const Case& c : {Case{clWhite, clBlack}, Case{platform::clTeal, clWhite}, Case{clBlack, clWhite}}) {
        Graph.SetDataBackGround(c.Ground);
        const std::vector<TCall> calls = Render();
        ASSERT_GE(calls.size(), 4u);
        EXPECT_EQ(calls[0].Kind, TKind::FillRect);
        EXPECT_EQ((std::vector{calls[0].X1, calls[0].Y1, calls[0].X2, calls[0].Y2}),
                  (std::vector{0, 0, 325, 145}));
        EXPECT_EQ(calls[0].Brush.Color, Host.Panel);
        EXPECT_EQ(calls[1].Kind, TKind::Rectangle);
        EXPECT_EQ((std::vector{calls[1].X1, calls[1].Y1, calls[1].X2, calls[1].Y2}),
                  (std::vector{16, 18, 293, 98}));
        EXPECT_EQ(calls[1].Brush, (platform::TBrush{c.Ground, TBrushStyle::Solid}));
        EXPECT_EQ(calls[1].Pen, TPen{});
        const TCall& ground = calls[calls.size() - 2];
        const TCall& edge = calls.back();
        EXPECT_EQ((std::vector{ground.X1, ground.Y1, ground.X2, ground.Y2}), (std::vector{16, 18, 16, 98}));
        EXPECT_EQ(ground.Pen.Color, c.Ground);
        EXPECT_EQ((std::vector{edge.X1, edge.Y1, edge.X2, edge.Y2}), (std::vector{17, 18, 17, 98}));
        EXPECT_EQ(edge.Pen.Color, c.Edge);
        EXPECT_EQ(Host.Begins, Host.Ends);
    }
}

TEST_F(GraphTest, NothingIsDrawnWithoutAShownControlOrItsImage) {
    Trace(1, {0, 1});
    Host.Shown = false;
    const int shows = Host.Shows;
    EXPECT_TRUE(Render().empty());
    Host.Shown = true;
    Host.HasImage = false;
    EXPECT_TRUE(Render().empty());
    EXPECT_EQ(Host.Shows, shows);

    TGraph alone;  // no control at all
    alone.AddSample(Styled(1, clRed, 0, 3), 1);
    alone.Redraw();
    alone.EndUpdate();
    alone.Resized();
    EXPECT_EQ(alone.TraceSamples.GetCellCount(1), 1);
}

TEST_F(GraphTest, AxisTicksAndLabelsFollowTheScale) {
    struct Case {
        int Scale;
        std::vector<std::string> Labels;
        int Ticks;      // lines below the axis
        int LongTicks;  // of divisions
        int FirstLabelX;
    };
    const std::vector<Case> cases{
        {100, {"0", "1", "2", "3", "4", "5", "6"}, 37, 8, 13},
        // Labels keep (5 x 7) div 2 pixels between them and end left of the unit text.
        {20, {"0", "4", "8", "12", "17", "22", "27", "32"}, 0, 37, 13},
        // Auxiliary steps under a pixel are left out.
        {5, {}, 147, 147, 13},
        // Divisions under a pixel are taken every third: 3 x 0.378 pixels.
        {1, {}, 245, 245, 13},
    };
    for (const Case& c : cases) {
        Graph.SetScaleX(c.Scale);
        const std::vector<TCall> calls = Render();
        const std::vector<TCall> ticks = TickLines(calls);
        const auto labels = AxisLabels(calls);
        ASSERT_FALSE(labels.empty()) << c.Scale;
        EXPECT_EQ(labels[0], std::pair(std::string("0"), c.FirstLabelX)) << c.Scale;
        if (!c.Labels.empty()) {
            std::vector<std::string> texts;
            for (const auto& l : labels) texts.push_back(l.first);
            EXPECT_EQ(texts, c.Labels) << c.Scale;
        }
        if (c.Ticks) {
            EXPECT_EQ(static_cast<int>(ticks.size()), c.Ticks) << c.Scale;
        }
        int longTicks = 0;
        for (size_t i = 0; i < ticks.size(); ++i) {
            EXPECT_EQ(ticks[i].X1, ticks[i].X2);
            EXPECT_TRUE(ticks[i].Y2 == 98 + 8 || ticks[i].Y2 == 98 + 4) << ticks[i].Y2;
            longTicks += ticks[i].Y2 == 106;
            EXPECT_EQ(ticks[i].Pen, (TPen{clBlack, TPenStyle::Solid, 1, TPenMode::Copy}));
            if (i > 0) {
                EXPECT_GT(ticks[i].X1, ticks[i - 1].X1) << c.Scale;  // one step a pixel at most
            }
            EXPECT_LE(ticks[i].X1, 293);
        }
        EXPECT_EQ(longTicks, c.LongTicks) << c.Scale;
        if (c.Scale == 1) {
            for (const auto& l : labels) EXPECT_EQ(std::stoi(l.first) % 3, 0) << l.first;
        }
        // The unit text is centred on the plot's right edge.
        const auto texts = CallsOf(calls, TKind::TextOut);
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts[0].Text, "[s]");
        EXPECT_EQ(std::pair(texts[0].X1, texts[0].Y1), std::pair(283, 108));
        EXPECT_EQ(texts[0].Brush.Style, TBrushStyle::Clear);
    }
}

TEST_F(GraphTest, MinorTicksNeedRoomWhenAutoscaling) {
    struct Case {
        bool Autoscale;
        int Scale;
        bool Minor;
    };
    // A division of 18.9 pixels gives 19 div 3 = 6 < 7 pixels of "A"; 22.7 gives 7.
    for (const Case& c : {Case{false, 50, true}, Case{true, 50, false}, Case{true, 60, true}}) {
        Graph.SetAutoscale(c.Autoscale);
        Graph.SetScaleX(c.Scale);
        int minor = 0;
        for (const TCall& t : TickLines(Render())) minor += t.Y2 == 102;
        EXPECT_EQ(minor > 0, c.Minor) << c.Autoscale << " " << c.Scale;
    }
}

TEST_F(GraphTest, AxisLabelsKeepEveryDigit) {
    Trace(1, {12345, 12350});
    Graph.TimeScrollBar.Position = 12345 * 5;  // the view starts at 12345
    const auto labels = AxisLabels(Render());
    const std::vector<std::pair<std::string, int>> expected{
        {"12345", -1}, {"12347", 75}, {"12349", 150}, {"12351", 226}};
    EXPECT_EQ(labels, expected);
}

TEST_F(GraphTest, GridLinesTakeTheirPensAndTheMainWidth) {
    Graph.ShowMajorGrid = true;
    Graph.ShowMinorGrid = true;
    Graph.MajorGridColor = clRed;
    Graph.MinorGridColor = platform::clGreen;
    Graph.MajorGridWidth = 1.0L;  // 4 pixels
    Graph.MinorGridWidth = 0.5L;  // 2 pixels
    Trace(1, {0, 1});
    int major = 0, minor = 0;
    for (const TCall& c : CallsOf(Render(), TKind::Line)) {
        if (c.X1 != c.X2 || c.Y1 != 18 || c.Y2 != 98 || c.X1 <= 17) continue;
        if (c.Pen == TPen{clRed, TPenStyle::Solid, 4, TPenMode::Copy})
            ++major;
        else if (c.Pen == TPen{platform::clGreen, TPenStyle::DashDot, 4, TPenMode::Copy})
            ++minor;
        else
            ADD_FAILURE() << "grid line in colour " << c.Pen.Color << " width " << c.Pen.Width;
    }
    EXPECT_EQ(major, 7);   // 1..7
    EXPECT_EQ(minor, 29);  // four between every two
    // The axis in the main width, the separator in the auxiliary one.
    const std::vector<TCall> lines = CallsOf(Host.Canvas.Calls, TKind::Line);
    auto axis =
        std::find_if(lines.begin(), lines.end(), [](const TCall& c) { return c.Y1 == 98 && c.Y2 == 98; });
    ASSERT_NE(axis, lines.end());
    EXPECT_EQ(axis->Pen.Width, 4);
    EXPECT_EQ(std::make_pair(axis->X1, axis->X2), std::make_pair(16, 293));  // ends on the plot's width
    auto separator =
        std::find_if(lines.begin(), lines.end(), [](const TCall& c) { return c.Y1 == 44 && c.Y2 == 44; });
    ASSERT_NE(separator, lines.end());
    EXPECT_EQ(separator->Pen, (TPen{clBlack, TPenStyle::Solid, 2, TPenMode::Copy}));
}

TEST_F(GraphTest, NoLineLeavesThePlotSideways) {
    Graph.ShowMajorGrid = Graph.ShowMinorGrid = true;
    Trace(1, {-3, 2, 500});
    for (int scale : {1, 7, 33, 100, 1000, 100000}) {
        Graph.SetScaleX(scale);
        for (int position : {0, 3, 17}) {
            Graph.TimeScrollBar.Position = position;
            for (const TCall& c : Render()) {
                if (c.Kind != TKind::Line && c.Kind != TKind::HorizontalLines) continue;
                if (c.X1 == 16 && c.X2 == 16) continue;  // the left edge itself
                EXPECT_GE(std::min(c.X1, c.X2), 16) << scale;
                EXPECT_LE(std::max(c.X1, c.X2), 293) << scale;
            }
        }
    }
    // A control too small for a plot draws no axis line at all.
    Host.W = 40;
    Graph.UpdateLayout();
    for (const TCall& c : CallsOf(Render(), TKind::Line)) EXPECT_EQ(c.X1, c.X2) << c.X1;
}

TEST_F(GraphTest, ATraceIsLabelSeparatorAndSegments) {
    Graph.SetTraceName(1, "VA");
    Graph.AddSample(Styled(0, clRed, 0, 15), 1);
    Graph.AddSample(Styled(2, clBlack, 2, 3), 1);
    Graph.AddSample(Styled(3, clBlue, 0, 3), 1);
    const std::vector<TCall> calls = Render();

    const auto texts = CallsOf(calls, TKind::TextOut);
    auto label = std::find_if(texts.begin(), texts.end(), [](const TCall& c) { return c.Text == "1. VA"; });
    ASSERT_NE(label, texts.end());
    EXPECT_EQ(std::pair(label->X1, label->Y1), std::pair(30, 23));  // 2 x 7 in, 15 div 3 down
    EXPECT_EQ(label->Brush, (platform::TBrush{clWhite, TBrushStyle::Solid}));
    EXPECT_EQ(label->Font.Color, clBlack);

    const auto segments = CallsOf(calls, TKind::HorizontalLines);
    ASSERT_EQ(segments.size(), 2u);  // the last sample only ends the one before
    // Thickness 15: 1.5 mm = 5.67 pixels, 6 lines growing up from the band's bottom (44).
    EXPECT_EQ((std::vector{segments[0].X1, segments[0].X2, segments[0].Y1, segments[0].Count}),
              (std::vector{16, 92, 38, 6}));
    EXPECT_EQ(segments[0].Pen, (TPen{clRed, TPenStyle::Solid, 1, TPenMode::Copy}));
    EXPECT_EQ((std::vector{segments[1].X1, segments[1].X2, segments[1].Y1, segments[1].Count}),
              (std::vector{92, 129, 43, 1}));
    EXPECT_EQ(segments[1].Pen, (TPen{clBlack, TPenStyle::Dot, 1, TPenMode::Copy}));
    EXPECT_EQ(Graph.TraceBand(1), (TRect{16, 18, 293, 44}));
}

TEST_F(GraphTest, EdgeTraces) {
    struct Case {
        const char* Name;
        std::vector<TGraphSample> Samples;
        int Segments;
        std::vector<int> FirstSegment;  // x1, x2, top, count
    };
    const std::vector<Case> cases{
        {"one sample", {Styled(1, clRed, 0, 15)}, 0, {}},
        // A thickness beyond the band draws the band full, no more.
        {"thick", {Styled(0, clRed, 0, 255), Styled(1, clRed, 0, 3)}, 1, {16, 54, 18, 26}},
        {"thickness 0", {Styled(0, clRed, 0, 0), Styled(1, clRed, 0, 3)}, 0, {}},
        {"far", {Styled(-1e300, clRed, 0, 3), Styled(1e300, clRed, 0, 3)}, 1, {16, 293, 43, 1}},
        {"same x",
         {Styled(1, clRed, 0, 3), Styled(1, clRed, 0, 3), Styled(2, clRed, 0, 3)},
         2,
         {54, 54, 43, 1}},
    };
    for (const Case& c : cases) {
        TGraph g(&Host);
        g.SetAutoscale(false);
        for (const TGraphSample& s : c.Samples) g.AddSample(s, 1);
        g.UpdateLayout();
        // Seen from 0 whatever the range.
        Host.Canvas.Calls.clear();
        g.DrawChart(&Host.Canvas, TDrawTarget::Screen, g.PlotArea, 0, 7.329, 1, 1);
        const auto texts = CallsOf(Host.Canvas.Calls, TKind::TextOut);
        EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const TCall& t) {
            return t.Text == "Wykres 1";
        })) << c.Name;
        const auto lines = CallsOf(Host.Canvas.Calls, TKind::Line);
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const TCall& l) {
            return l.Y1 == 44 && l.Y2 == 44;
        })) << c.Name;
        const auto segments = CallsOf(Host.Canvas.Calls, TKind::HorizontalLines);
        EXPECT_EQ(static_cast<int>(segments.size()), c.Segments) << c.Name;
        if (!c.FirstSegment.empty() && !segments.empty()) {
            EXPECT_EQ((std::vector{segments[0].X1, segments[0].X2, segments[0].Y1, segments[0].Count}),
                      c.FirstSegment)
                << c.Name;
        }
    }
}

TEST_F(GraphTest, BandsAreStoredForTheirRowsAndResetWhenOutOfView) {
    for (uint16_t row = 1; row <= 5; ++row) Trace(row, {0, 1});
    Render();
    EXPECT_EQ(Graph.TraceBand(1), (TRect{16, 18, 293, 44}));
    EXPECT_EQ(Graph.TraceBand(3), (TRect{16, 70, 293, 96}));
    EXPECT_EQ(Graph.TraceBand(4), (TRect{16, 96, 293, 98}));  // cut at the plot's bottom, not drawn
    EXPECT_EQ(Graph.TraceBand(5), (TRect{-1, -1, -1, -1}));
    EXPECT_EQ(CallsOf(Host.Canvas.Calls, TKind::HorizontalLines).size(), 3u);
    EXPECT_EQ(Graph.TraceScrollBar.Max, 5);

    Graph.TraceScrollBar.Position = 1;  // rows from 2 on
    Render();
    EXPECT_EQ(Graph.TraceBand(1), (TRect{-1, -1, -1, -1}));
    EXPECT_EQ(Graph.TraceBand(2), (TRect{16, 18, 293, 44}));
    EXPECT_EQ(Graph.TraceAttribs.GetCellData(1, TGraph::kBandCell).size(), 16u);
}

TEST_F(GraphTest, HiddenAndEmptyTracesTakeNoBand) {
    struct Case {
        const char* Name;
        std::vector<uint8_t> Visible;  // cell 4; none when empty and not written
        bool Written;
        bool Shown;
    };
    // Writing the selection or the band leaves an empty cell 4: it must not hide.
    for (const Case& c :
         {Case{"missing", {}, false, true}, Case{"empty", {}, true, true}, Case{"zero", {0}, true, false},
          Case{"one", {1}, true, true}, Case{"two bytes", {0, 0}, true, true}}) {
        TGraph g(&Host);
        g.SetAutoscale(false);
        g.AddSample(Styled(0, clRed, 0, 3), 1);
        g.AddSample(Styled(1, clRed, 0, 3), 1);
        g.SetTraceName(2, "empty");  // a name without samples
        g.AddSample(Styled(0, clRed, 0, 3), 3);
        g.AddSample(Styled(1, clRed, 0, 3), 3);
        if (c.Written) {
            g.TraceAttribs.WriteCell(std::vector<uint8_t>{0}, 1, TGraph::kSelectedCell);
            g.TraceAttribs.WriteCell(c.Visible, 1, TGraph::kVisibleCell);
        }
        EXPECT_EQ(g.TraceVisible(1), c.Shown) << c.Name;
        g.Redraw();
        EXPECT_EQ(g.TraceBand(2), (TRect{-1, -1, -1, -1})) << c.Name;
        EXPECT_EQ(g.TraceBand(3).Top, c.Shown ? 44 : 18) << c.Name;
        EXPECT_EQ(g.TraceBand(1).IsEmpty(), !c.Shown) << c.Name;
    }
}

TEST_F(GraphTest, ATraceStartingRightOfTheViewKeepsItsBand) {
    Trace(1, {0, 5});
    Trace(2, {2, 4});
    Trace(3, {0, 5});
    const std::vector<TCall> calls = Render();
    EXPECT_EQ(Graph.TraceBand(2), (TRect{16, 44, 293, 70}));
    EXPECT_EQ(Graph.TraceBand(3), (TRect{16, 70, 293, 96}));
    const auto texts = CallsOf(calls, TKind::TextOut);
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const TCall& t) { return t.Text == "Wykres 2"; }));
    const auto segments = CallsOf(calls, TKind::HorizontalLines);
    ASSERT_EQ(segments.size(), 3u);
    EXPECT_EQ((std::vector{segments[1].X1, segments[1].X2, segments[1].Y1}), (std::vector{92, 167, 69}));
}

TEST_F(GraphTest, BrokenAxisSettingsDrawNoStepsOrSegments) {
    struct Case {
        const char* Name;
        double PerDivision;
        uint16_t Length;
        int32_t Subdivisions;
    };
    for (const Case& c :
         {Case{"zero per division", 0, 10, 4}, Case{"negative per division", -1, 10, 4},
          Case{"NaN per division", kNaN, 10, 4}, Case{"infinite per division", kInf, 10, 4},
          Case{"zero length", 1, 0, 4}, Case{"no steps", 1, 10, -1}, Case{"negative steps", 1, 10, -5}}) {
        TGraph g(&Host);
        g.SetAutoscale(false);
        g.AddSample(Styled(0, clRed, 0, 3), 1);
        g.AddSample(Styled(5, clRed, 0, 3), 1);
        g.ValuePerDivision = c.PerDivision;
        g.DivisionLengthMM = c.Length;
        g.SubdivisionsPerDivision = c.Subdivisions;
        g.SetScaleX(100);
        Host.Canvas.Calls.clear();
        g.Redraw();
        const auto& calls = Host.Canvas.Calls;
        EXPECT_TRUE(TickLines(calls).empty()) << c.Name;
        EXPECT_TRUE(CallsOf(calls, TKind::HorizontalLines).empty()) << c.Name;
        const auto texts = CallsOf(calls, TKind::TextOut);
        EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const TCall& t) {
            return t.Text == "Wykres 1";
        })) << c.Name;
    }
    // Many subdivisions only leave the auxiliary steps out.
    Graph.SubdivisionsPerDivision = kInt32Max;
    Trace(1, {0, 5});
    int ticks = 0;
    for (const TCall& t : TickLines(Render())) ticks += t.Y2 == 106;
    EXPECT_EQ(ticks, 8);
}

TEST_F(GraphTest, SelectedBandsAreMarkedOnTheScreenLastRowFirst) {
    for (uint16_t row = 1; row <= 4; ++row) Trace(row, {0, 1});
    const std::vector<uint8_t> on{1}, off{0};
    Graph.TraceAttribs.WriteCell(on, 1, TGraph::kSelectedCell);
    Graph.TraceAttribs.WriteCell(off, 2, TGraph::kSelectedCell);
    Graph.TraceAttribs.WriteCell(on, 3, TGraph::kSelectedCell);
    Graph.TraceAttribs.WriteCell(on, 5, TGraph::kSelectedCell);  // no band
    Render();
    TRecordingCanvas screen;
    Graph.Paint(screen);
    ASSERT_EQ(screen.Calls.size(), 2u);
    EXPECT_EQ((std::vector{screen.Calls[0].Y1, screen.Calls[0].Y2}), (std::vector{70, 96}));
    EXPECT_EQ((std::vector{screen.Calls[1].Y1, screen.Calls[1].Y2}), (std::vector{18, 44}));
    for (const TCall& c : screen.Calls) {
        EXPECT_EQ(c.Kind, TKind::Rectangle);
        EXPECT_EQ(c.Pen, (TPen{Host.Panel, TPenStyle::Solid, 1, TPenMode::MergePenNot}));
        EXPECT_EQ(c.Brush, (platform::TBrush{Host.Highlight, TBrushStyle::Solid}));
    }
}

TEST_F(GraphTest, AnImageOfSelectedTracesStoresNoBands) {
    Host.Shown = false;  // no screen image either
    for (uint16_t row = 1; row <= 3; ++row) Trace(row, {0, 1});
    Graph.TraceAttribs.WriteCell(std::vector<uint8_t>{1}, 2, TGraph::kSelectedCell);
    TRecordingCanvas image;
    Graph.DrawChart(&image, TDrawTarget::Image, {0, 0, 300, 100}, 0, 5, 1, 3);
    const auto texts = CallsOf(image.Calls, TKind::TextOut);
    std::vector<std::string> names;
    for (const TCall& t : texts)
        if (t.Text.starts_with("Wykres")) names.push_back(t.Text);
    EXPECT_EQ(names, std::vector<std::string>{"Wykres 2"});
    EXPECT_EQ(Graph.TraceBand(2), (TRect{-1, -1, -1, -1}));
    EXPECT_TRUE(Graph.TraceAttribs.GetCellData(2, TGraph::kBandCell).empty());
}

TEST_F(GraphTest, APrinterPageUsesThePageModelAndTheTitle) {
    Host.Shown = false;
    Trace(1, {0, 1});
    Trace(2, {0, 1});
    Graph.PrintTitle = "Legend";
    TRecordingCanvas page;
    page.DpiX = page.DpiY = 600;
    int asked = 0;
    Graph.DrawChart(&page, TDrawTarget::Printer, {40, 0, 0, 0}, 0, 5, 1, 2, [&] { return ++asked > 3; });
    // 15 mm = 354, 195 mm = 4606, 25 mm = 591; 39 mm = 921 plus 10 mm = 236.
    const std::vector<TCall> lines = CallsOf(page.Calls, TKind::Line);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ((std::vector{lines[0].X1, lines[0].Y1, lines[0].X2, lines[0].Y2}),
              (std::vector{354, 591, 354, 1157}));
    EXPECT_EQ(lines[1].X2, 4606);
    EXPECT_EQ(asked, 4);  // the job was aborted after the fourth step
    const auto texts = CallsOf(page.Calls, TKind::TextOut);
    auto title = std::find_if(texts.begin(), texts.end(), [](const TCall& t) { return t.Text == "Legend"; });
    ASSERT_NE(title, texts.end());
    EXPECT_EQ(std::pair(title->X1, title->Y1), std::pair(40, 100));
    for (const TCall& t : texts)
        if (t.Text.starts_with("Wykres")) {
            EXPECT_EQ(t.Brush.Style, TBrushStyle::Clear);
        }
    EXPECT_TRUE(Graph.TraceAttribs.GetCellData(1, TGraph::kBandCell).empty());
}

TEST_F(GraphTest, ValueAtPixelCountsScaleAndScroll) {
    Trace(1, {-2, 30});
    Graph.UpdateLayout();
    EXPECT_DOUBLE_EQ(Graph.ValueAtPixel(16), -2.0);
    Graph.SetScaleX(50);
    EXPECT_NEAR(Graph.ValueAtPixel(16 + 96), -2.0 + 25.4 / 10 / 50 * 100, 1e-12);
    Graph.TimeScrollBar.Position = 7;  // seven steps of 0.2
    EXPECT_NEAR(Graph.ValueAtPixel(16), -2.0 + 1.4, 1e-12);
}

}  // namespace
}  // namespace chart::test
