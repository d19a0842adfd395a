// The chart's panel drawn through the QPainter canvas at 96 dpi, probed in its offscreen
// image and in what painting puts on the screen.
#include "chart/qt/GraphWidget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScrollBar>
#include <algorithm>
#include <vector>

#include "tests/chart/HeadlessHost.h"
#include "tests/chart/qt/QtTestApp.h"

namespace chart {
namespace {

QApplication& App() {
    return chart::test::TestApp();
}

using test::kBand;
using test::kSecond;
using test::Styled;

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kRed = 0xFFFF0000;

class GraphWidgetTest : public testing::Test {
protected:
    GraphWidgetTest() {
        test::AddTwoTraces(Graph);
        Widget.show();
        App().processEvents();
    }

    QRgb At(int x, int y) const { return Widget.OffscreenImage().pixel(x, y); }
    int Left() const { return Graph.PlotArea.Left; }
    int Top() const { return Graph.PlotArea.Top; }
    int BandBottom(int row) const { return Top() + row * kBand; }

    QApplication& Application = App();  // before any widget
    TGraphWidget Widget;
    TGraph& Graph = Widget.Graph();
};

TEST_F(GraphWidgetTest, ThePanelAsCreated) {
    TGraphWidget fresh;
    EXPECT_EQ(fresh.geometry(), QRect(0, 200, 325, 145));
    EXPECT_EQ(fresh.frameShape(), QFrame::Panel);
    EXPECT_EQ(fresh.frameShadow(), QFrame::Raised);
    EXPECT_EQ(fresh.frameWidth(), 1);
    EXPECT_EQ(fresh.font().family(), "Arial");
    EXPECT_EQ(fresh.font().pointSize(), 9);
    for (const char* name :
         {"CursorOneValue", "CursorTwoValue", "SpanLabel", "CursorOneCaption", "CursorTwoCaption"})
        EXPECT_NE(fresh.findChild<QLabel*>(name), nullptr) << name;
    for (const char* name : {"CursorOne", "CursorTwo"}) {
        const QWidget* cursor = fresh.findChild<QWidget*>(name);
        ASSERT_NE(cursor, nullptr) << name;
        EXPECT_EQ(cursor->size(), QSize(10, 10));
    }
    EXPECT_EQ(fresh.findChild<QScrollBar*>("TraceScrollBar")->orientation(), Qt::Vertical);
    EXPECT_EQ(fresh.findChild<QScrollBar*>("TimeScrollBar")->orientation(), Qt::Horizontal);
}

TEST_F(GraphWidgetTest, TheImageIsTheControlsSizeAtTheScreensResolution) {
    const QImage& image = Widget.OffscreenImage();
    EXPECT_EQ(image.size(), Widget.size());
    EXPECT_EQ(image.logicalDpiX(), 96);
    EXPECT_EQ(Graph.ScreenPixelsPerInchX, 96);
    // The plot lies inside the bevel, left of and above the scroll bars.
    EXPECT_EQ(Left(), 16);
    EXPECT_LT(Graph.PlotArea.Right, Widget.TraceScrollBar()->x());
    EXPECT_EQ(Widget.TraceScrollBar()->geometry().right(), Widget.width() - 2);
    EXPECT_EQ(Widget.TimeScrollBar()->geometry().bottom(), Widget.height() - 2);
    EXPECT_LT(Graph.PlotArea.Bottom, Widget.TimeScrollBar()->y());
    Widget.resize(400, 300);
    App().processEvents();
    EXPECT_EQ(Widget.OffscreenImage().size(), QSize(400, 300));
    EXPECT_EQ(Graph.PlotArea.Right, 400 - 1 - Widget.TraceScrollBar()->width() - 15);
}

TEST_F(GraphWidgetTest, OnAndOffSegmentsGrowUpFromTheBandsBottom) {
    const int b = BandBottom(1);
    struct Probe {
        int X, Y;
        QRgb Pixel;
    };
    for (const Probe& p :
         {Probe{Left() + 40, b - 1, kRed}, Probe{Left() + 40, b - 6, kRed}, Probe{Left() + 40, b - 7, kWhite},
          Probe{Left() + 2, b - 3, kRed}, Probe{Left() + 2 * kSecond + 10, b - 1, kBlack},
          Probe{Left() + 2 * kSecond + 10, b - 2, kWhite}, Probe{Left() + 2 * kSecond, b - 6, kWhite},
          Probe{Left() + 2 * kSecond - 1, b - 6, kRed},
          // Ended by the last sample.
          Probe{Left() + 151 + 3, b - 1, kWhite},
          // The separator below the band.
          Probe{Left() + 200, b, kBlack}})
        EXPECT_EQ(At(p.X, p.Y), p.Pixel) << p.X - Left() << "," << b - p.Y;
}

TEST_F(GraphWidgetTest, ADottedSegmentThenTheNextStyle) {
    const int b = BandBottom(2);
    int dots = 0, gaps = 0;
    for (int x = Left() + 2; x < Left() + 2 * kSecond; ++x) {
        const QRgb p = At(x, b - 1);
        EXPECT_TRUE(p == kBlack || p == kWhite) << x;
        (p == kBlack ? dots : gaps) += 1;
        EXPECT_EQ(At(x, b - 2), kWhite) << x;  // one row: 0.3 mm is one pixel
    }
    EXPECT_GT(dots, 10);
    EXPECT_GT(gaps, 10);
    // The ON segment begins on the pixel of its X and fills six rows from there on.
    for (int y = b - 6; y < b; ++y) {
        EXPECT_EQ(At(Left() + 2 * kSecond, y), kRed) << y;
        if (y < b - 1) {
            EXPECT_EQ(At(Left() + 2 * kSecond - 1, y), kWhite) << y;
        }
    }
}

TEST_F(GraphWidgetTest, LabelsStandInTheirBoxAtTheBandsTopLeft) {
    const QImage& image = Widget.OffscreenImage();
    const QFontMetrics metrics(QFont("Arial", 9), &image);
    const int charW = metrics.horizontalAdvance("A");
    const int boxLeft = Left() + 2 * charW;
    const int boxTop = Top() + metrics.height() / 3;
    const int boxW = metrics.horizontalAdvance("1. A");
    int inkTop = 999, ink = 0;
    for (int y = Top() + 1; y < BandBottom(1) - 7; ++y)
        for (int x = Left() + 2; x < Graph.PlotArea.Right - 1; ++x) {
            if (At(x, y) == kWhite) continue;
            EXPECT_TRUE(x >= boxLeft && x < boxLeft + boxW && y >= boxTop && y < boxTop + metrics.height())
                << x << "," << y;
            inkTop = std::min(inkTop, y);
            ++ink;
        }
    EXPECT_GT(ink, 10);
    EXPECT_LE(inkTop - boxTop, metrics.ascent() - metrics.capHeight() + 1);
}

TEST_F(GraphWidgetTest, FrameAndLeftEdge) {
    const QRect plot(Left(), Top(), Graph.PlotArea.Right - Left(), Graph.PlotArea.Bottom - Top());
    EXPECT_EQ(At(plot.left() + 100, plot.top()), kBlack);
    EXPECT_EQ(At(plot.right(), plot.top() + 60), kBlack);
    EXPECT_EQ(At(plot.left() + 100, plot.bottom()), kBlack);
    EXPECT_EQ(At(plot.left() + 100, plot.bottom() + 1), kBlack);  // the axis
    EXPECT_EQ(At(plot.left(), plot.top() + 60), kWhite);          // the edge in the ground
    EXPECT_EQ(At(plot.left() + 1, plot.top() + 60), kBlack);
    EXPECT_EQ(At(plot.left() - 1, plot.top() + 60), platform::ToQColor(Widget.PanelColor()).rgb());

    Graph.SetDataBackGround(platform::clTeal);
    EXPECT_EQ(At(plot.left(), plot.top() + 60), qRgb(0x00, 0x80, 0x80));
    EXPECT_EQ(At(plot.left() + 1, plot.top() + 60), kWhite);
    EXPECT_EQ(At(plot.left() + 100, plot.top() + 10), qRgb(0x00, 0x80, 0x80));
}

TEST_F(GraphWidgetTest, ASelectedBandIsMergedOnTheScreenOnly) {
    Graph.TraceAttribs.WriteCell(std::vector<uint8_t>{1}, 1, TGraph::kSelectedCell);
    const QImage before = Widget.OffscreenImage().copy();
    const QImage screen = Widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(Widget.OffscreenImage(), before);
    const QColor face = platform::ToQColor(Widget.PanelColor());
    const QColor highlight = platform::ToQColor(Widget.HighlightColor());
    const int b = BandBottom(1);
    // Inside the band: ground OR NOT highlight; its outline: ground OR NOT button face.
    EXPECT_EQ(screen.pixel(Left() + 40, b - 3), qRgb(255, 255 - highlight.green(), 255 - highlight.blue()));
    EXPECT_EQ(screen.pixel(Left() + 40, b - 1), qRgb(255, 255 - face.green(), 255 - face.blue()));
    EXPECT_EQ(screen.pixel(Left() + 2 * kSecond + 10, b - 1),
              qRgb(255 - face.red(), 255 - face.green(), 255 - face.blue()));
    EXPECT_EQ(screen.pixel(Left() + 100, Top()),
              qRgb(255 - face.red(), 255 - face.green(), 255 - face.blue()));
    EXPECT_EQ(screen.pixel(Left() + 100, Top() + 10), kWhite);
    // The second band is as drawn.
    EXPECT_EQ(screen.pixel(Left() + 2 * kSecond + 5, BandBottom(2) - 1), kRed);
}

TEST_F(GraphWidgetTest, PaintingCopiesTheImageAndRendersNothing) {
    // A trace added while the chart is updating shows only when the chart draws.
    const QImage drawn = Widget.OffscreenImage().copy();
    Graph.BeginUpdate();
    Graph.AddSample(Styled(0, platform::clRed, 0, 15), 3);
    Graph.AddSample(Styled(1, platform::clRed, 0, 15), 3);
    Widget.repaint();
    const QImage screen = Widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(Widget.OffscreenImage(), drawn);
    for (int y = Top(); y <= Graph.PlotArea.Bottom; ++y)
        for (int x = Widget.frameWidth(); x < Graph.PlotArea.Right; ++x)
            ASSERT_EQ(screen.pixel(x, y), drawn.pixel(x, y)) << x << "," << y;
    Graph.EndUpdate();
    EXPECT_EQ(Widget.OffscreenImage().pixel(Left() + 10, BandBottom(3) - 1), kRed);
}

TEST_F(GraphWidgetTest, AHiddenPanelDrawsNothing) {
    Widget.hide();
    const QImage before = Widget.OffscreenImage().copy();
    Graph.AddSample(Styled(1, platform::clRed, 0, 15), 5);
    EXPECT_EQ(Widget.OffscreenImage(), before);
    Widget.show();
    App().processEvents();
    EXPECT_NE(Widget.OffscreenImage(), before);
}

TEST_F(GraphWidgetTest, ScrollBarsFollowTheChart) {
    EXPECT_EQ(Widget.TraceScrollBar()->maximum(), 2);
    EXPECT_EQ(Widget.TimeScrollBar()->maximum(), 20);  // 4 divisions of 5 steps
    EXPECT_EQ(Widget.TimeScrollBar()->pageStep(), 5);
    Widget.TimeScrollBar()->setValue(3);
    EXPECT_EQ(Graph.TimeScrollBar.Position, 3);
}

}  // namespace
}  // namespace chart
