// The chart's panel on a screen at twice the scale (1920 by 1080 device pixels shown as
// 960 by 540): laid out in the widget's pixels as at 96 dpi, drawn at the device's pixels.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <algorithm>
#include <vector>

#include "chart/qt/GraphWidget.h"
#include "tests/chart/qt/QtTestApp.h"
#include "tests/support/QtTestApp.h"

namespace chart {
namespace {

using test::kBand;
using test::kSecond;

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kWhite = 0xFFFFFFFF;

class GraphWidgetScaleTest : public testing::Test {
protected:
    static void SetUpTestSuite() { platform_test::ScaledQtTestApp<QApplication>(1920, 1080, "2"); }

    GraphWidgetScaleTest() {
        test::AddTwoTraces(Graph);
        Widget.resize(400, 300);
        Widget.show();
        QApplication::processEvents();
    }

    // The device pixels of the widget's pixel (x, y).
    std::vector<QRgb> Device(int x, int y) const {
        const QImage& image = Widget.OffscreenImage();
        return {image.pixel(2 * x, 2 * y), image.pixel(2 * x + 1, 2 * y), image.pixel(2 * x, 2 * y + 1),
                image.pixel(2 * x + 1, 2 * y + 1)};
    }

    TGraphWidget Widget;
    TGraph& Graph = Widget.Graph();
};

TEST_F(GraphWidgetScaleTest, TheImageHasTheScreensPixelsAndTheLayoutOfTheWidgetsPixels) {
    ASSERT_EQ(Widget.devicePixelRatioF(), 2.0);
    const QImage& image = Widget.OffscreenImage();
    EXPECT_EQ(image.devicePixelRatio(), 2.0);
    EXPECT_EQ(image.size(), QSize(800, 600));
    EXPECT_EQ(Graph.ScreenPixelsPerInchX, 96);
    EXPECT_EQ(Graph.PlotArea.Left, 16);

    // The ON segment: six rows of the widget's pixels up from the band's bottom, each
    // two rows of the device's.
    const int left = Graph.PlotArea.Left;
    const int bottom = Graph.PlotArea.Top + kBand;
    EXPECT_EQ(Device(left + 40, bottom - 1), std::vector<QRgb>(4, kRed));
    EXPECT_EQ(Device(left + 40, bottom - 6), std::vector<QRgb>(4, kRed));
    EXPECT_EQ(Device(left + 40, bottom - 7), std::vector<QRgb>(4, kWhite));
    EXPECT_EQ(Device(left + 2 * kSecond - 1, bottom - 6), std::vector<QRgb>(4, kRed));
    EXPECT_EQ(Device(left + 2 * kSecond, bottom - 6), std::vector<QRgb>(4, kWhite));
}

// Texts are drawn at the device's pixels: an enlarged image would show every pixel of the
// widget as a block of two by two.
TEST_F(GraphWidgetScaleTest, TextsAreDrawnAtTheDevicesPixelsNotEnlarged) {
    const int top = Graph.PlotArea.Top + 1;
    int ink = 0, finer = 0;
    for (int y = top; y < top + kBand - 8; ++y)
        for (int x = Graph.PlotArea.Left + 2; x < Graph.PlotArea.Left + 60; ++x) {
            const std::vector<QRgb> block = Device(x, y);
            if (block == std::vector<QRgb>(4, kWhite)) continue;
            ++ink;
            finer += std::count(block.begin(), block.end(), block[0]) != 4;
        }
    EXPECT_GT(ink, 5) << "the label \"1. A\"";
    EXPECT_GT(finer, 0);
}

// Painting copies the image to the screen at the same scale.
TEST_F(GraphWidgetScaleTest, PaintingCopiesTheImageAtTheScreensPixels) {
    const QImage screen = Widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage& image = Widget.OffscreenImage();
    ASSERT_EQ(screen.size(), image.size());
    for (int y = 2 * Graph.PlotArea.Top; y < 2 * Graph.PlotArea.Bottom; ++y)
        for (int x = 2 * Widget.frameWidth(); x < 2 * Graph.PlotArea.Right; ++x)
            ASSERT_EQ(screen.pixel(x, y), image.pixel(x, y)) << x << "," << y;
}

}  // namespace
}  // namespace chart
