// The canvas over QPainter, probed pixel by pixel on a 96-dpi image: colours in the
// system's byte order, lines without their end point, text by the top of its box,
// merging raster operations.
#include "platform/qt/QtCanvas.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <set>
#include <string>
#include <utility>

#include "tests/support/QtTestApp.h"

namespace platform {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;

class QtCanvasTest : public testing::Test {
protected:
    QtCanvasTest() : Image(60, 40, QImage::Format_RGB32) {
        platform_test::QtTestApp<QGuiApplication>();
        Image.setDotsPerMeterX(3780);  // 96 dpi
        Image.setDotsPerMeterY(3780);
        Image.fill(Qt::white);
    }

    // Draws with a fresh painter, as the chart does between begin and end.
    template <typename F>
    void Draw(F&& f) {
        QPainter painter(&Image);
        TQtCanvas canvas(painter);
        f(canvas);
    }

    std::set<std::pair<int, int>> Inked() const {
        std::set<std::pair<int, int>> out;
        for (int y = 0; y < Image.height(); ++y)
            for (int x = 0; x < Image.width(); ++x)
                if (Image.pixel(x, y) != kWhite) out.emplace(x, y);
        return out;
    }

    QImage Image;
};

std::set<std::pair<int, int>> RowRun(int x1, int x2, int y) {
    std::set<std::pair<int, int>> out;
    for (int x = x1; x <= x2; ++x) out.emplace(x, y);
    return out;
}

std::set<std::pair<int, int>> Column(int x, int y1, int y2) {
    std::set<std::pair<int, int>> out;
    for (int y = y1; y <= y2; ++y) out.emplace(x, y);
    return out;
}

TEST_F(QtCanvasTest, LinesStopBeforeTheirEndPoint) {
    struct Case {
        int X1, Y1, X2, Y2;
        std::set<std::pair<int, int>> Pixels;
    };
    for (const Case& c : {Case{5, 5, 15, 5, RowRun(5, 14, 5)}, Case{15, 5, 5, 5, RowRun(6, 15, 5)},
                          Case{5, 5, 5, 15, Column(5, 5, 14)}, Case{5, 15, 5, 5, Column(5, 6, 15)},
                          Case{5, 5, 6, 5, RowRun(5, 5, 5)}, Case{5, 5, 5, 5, {}}}) {
        Image.fill(Qt::white);
        Draw([&](ICanvas& canvas) { canvas.Line(c.X1, c.Y1, c.X2, c.Y2); });
        EXPECT_EQ(Inked(), c.Pixels) << c.X1 << "," << c.Y1 << " -> " << c.X2 << "," << c.Y2;
    }
}

TEST_F(QtCanvasTest, ManyVerticalLinesKeepTheirPatternAndTheirOrder) {
    Draw([](ICanvas& canvas) {
        canvas.Pen = {clBlue, TPenStyle::DashDot, 1, TPenMode::Copy};
        for (int x = 2; x < 40; x += 2) canvas.Line(x, 0, x, 30);
        canvas.Pen = {clRed, TPenStyle::Solid, 1, TPenMode::Copy};
        canvas.Line(10, 5, 10, 12);  // over a held line: drawn after it
        canvas.Brush = {clGreen, TBrushStyle::Solid};
        canvas.FillRect({0, 20, 60, 25});  // over the lines
        canvas.Pen = {clBlack, TPenStyle::Solid, 1, TPenMode::Copy};
        canvas.Line(4, 22, 4, 40);  // over the fill
    });
    // Dash-dot from the top: 4 on, 2 off, 1 on, 2 off.
    const std::string expected = "####..#..####..#..####..#..###";
    std::string column;
    for (int y = 0; y < 30; ++y) {
        if (y >= 20 && y < 25) continue;
        column += Image.pixel(6, y) == 0xFF0000FF ? '#' : Image.pixel(6, y) == kWhite ? '.' : '?';
    }
    EXPECT_EQ(column, expected.substr(0, 20) + expected.substr(25));
    EXPECT_EQ(Image.pixel(6, 30), kWhite);  // the end point
    for (int y = 5; y < 12; ++y) EXPECT_EQ(Image.pixel(10, y), 0xFFFF0000) << y;
    EXPECT_EQ(Image.pixel(10, 12), 0xFF0000FF);
    EXPECT_EQ(Image.pixel(6, 21), 0xFF008000);
    for (int y = 22; y < 40; ++y) EXPECT_EQ(Image.pixel(4, y), 0xFF000000) << y;
    EXPECT_EQ(Image.pixel(3, 5), kWhite);
}

TEST_F(QtCanvasTest, ColoursKeepRedInTheLowByte) {
    struct Case {
        TColor Color;
        QRgb Pixel;
    };
    for (const Case& c : {Case{clRed, 0xFFFF0000}, Case{clBlue, 0xFF0000FF}, Case{clGreen, 0xFF008000},
                          Case{0x00123456, 0xFF563412}}) {
        Draw([&](ICanvas& canvas) {
            canvas.Pen.Color = c.Color;
            canvas.Line(0, 0, 10, 0);
            canvas.Brush.Color = c.Color;
            canvas.FillRect({0, 2, 3, 4});
        });
        EXPECT_EQ(Image.pixel(3, 0), c.Pixel) << c.Color;
        EXPECT_EQ(Image.pixel(1, 3), c.Pixel) << c.Color;
        EXPECT_EQ(FromQColor(ToQColor(c.Color)), c.Color);
    }
}

TEST_F(QtCanvasTest, HorizontalLinesFillTheirRowsInThePensStyle) {
    Draw([](ICanvas& canvas) {
        canvas.Pen = {clRed, TPenStyle::Solid, 3, TPenMode::Copy};  // the width does not thicken rows
        canvas.HorizontalLines(10, 30, 4, 6);
        canvas.Pen = {clBlack, TPenStyle::Dot, 1, TPenMode::Copy};
        canvas.HorizontalLines(10, 30, 20, 2);
        canvas.Pen = {clBlack, TPenStyle::Clear, 1, TPenMode::Copy};
        canvas.HorizontalLines(10, 30, 30, 2);
    });
    std::set<std::pair<int, int>> red;
    for (int y = 4; y < 10; ++y)
        for (int x = 10; x < 30; ++x) red.emplace(x, y);
    std::set<std::pair<int, int>> inkedRed, inkedDots;
    for (auto p : Inked()) (Image.pixel(p.first, p.second) == 0xFFFF0000 ? inkedRed : inkedDots).insert(p);
    EXPECT_EQ(inkedRed, red);
    // Dots alternate with gaps on both rows and stay within 10..29.
    for (int y : {20, 21}) {
        int dots = 0;
        for (int x = 0; x < 60; ++x) {
            const bool on = inkedDots.count({x, y}) > 0;
            if (on) {
                EXPECT_TRUE(x >= 10 && x < 30) << x;
            }
            dots += on;
        }
        EXPECT_GT(dots, 3);
        EXPECT_LT(dots, 18);
    }
    for (auto [x, y] : inkedDots) EXPECT_TRUE(y == 20 || y == 21) << y;
}

TEST_F(QtCanvasTest, RectanglesOutlineInThePenAndFillWithTheBrush) {
    Draw([](ICanvas& canvas) {
        canvas.Pen = {clBlack, TPenStyle::Solid, 0, TPenMode::Copy};  // width 0 draws 1
        canvas.Brush = {clRed, TBrushStyle::Solid};
        canvas.Rectangle({2, 3, 12, 9});
        canvas.Brush.Style = TBrushStyle::Clear;
        canvas.Rectangle({20, 3, 30, 9});
        canvas.Brush = {clGreen, TBrushStyle::Solid};
        canvas.FillRect({40, 3, 45, 9});
    });
    EXPECT_EQ(Image.pixel(2, 3), 0xFF000000);
    EXPECT_EQ(Image.pixel(11, 8), 0xFF000000);
    EXPECT_EQ(Image.pixel(12, 8), kWhite);  // right and bottom lie outside
    EXPECT_EQ(Image.pixel(11, 9), kWhite);
    EXPECT_EQ(Image.pixel(3, 4), 0xFFFF0000);
    EXPECT_EQ(Image.pixel(10, 7), 0xFFFF0000);
    EXPECT_EQ(Image.pixel(20, 3), 0xFF000000);
    EXPECT_EQ(Image.pixel(25, 6), kWhite);
    EXPECT_EQ(Image.pixel(44, 8), 0xFF008000);
    EXPECT_EQ(Image.pixel(45, 8), kWhite);
    EXPECT_EQ(Image.pixel(44, 9), kWhite);
}

TEST_F(QtCanvasTest, MergePenNotOrsTheInverseOfPenAndBrush) {
    // Ground: white left, black right, red below.
    Draw([](ICanvas& canvas) {
        canvas.Brush = {clBlack, TBrushStyle::Solid};
        canvas.FillRect({30, 0, 60, 20});
        canvas.Brush = {clRed, TBrushStyle::Solid};
        canvas.FillRect({0, 20, 60, 40});
    });
    const TColor face = RGBColor(0xD4, 0xD0, 0xC8), highlight = RGBColor(0x0A, 0x24, 0x6A);
    Draw([&](ICanvas& canvas) {
        canvas.Pen = {face, TPenStyle::Solid, 1, TPenMode::MergePenNot};
        canvas.Brush = {highlight, TBrushStyle::Solid};
        canvas.Rectangle({10, 10, 50, 30});
    });
    EXPECT_EQ(Image.pixel(20, 15), kWhite);
    EXPECT_EQ(Image.pixel(40, 15), qRgb(0xF5, 0xDB, 0x95));  // NOT highlight
    EXPECT_EQ(Image.pixel(20, 25), qRgb(0xFF, 0xDB, 0x95));  // red OR NOT highlight
    EXPECT_EQ(Image.pixel(40, 10), qRgb(0x2B, 0x2F, 0x37));  // the outline: NOT button face
    EXPECT_EQ(Image.pixel(20, 10), kWhite);
    EXPECT_EQ(Image.pixel(40, 9), 0xFF000000);  // outside untouched
}

TEST_F(QtCanvasTest, TextStandsInItsBoxBelowTheGivenTop) {
    int width = 0, height = 0;
    Draw([&](ICanvas& canvas) {
        canvas.Font = {"Arial", 9, clBlack, false};
        width = canvas.TextWidth("1. A");
        height = canvas.TextHeight("1. A");
        EXPECT_EQ(canvas.PixelsPerInchX(), 96);
        EXPECT_EQ(canvas.PixelsPerInchY(), 96);
        canvas.Brush = {clYellow, TBrushStyle::Solid};
        canvas.TextOut(10, 10, "1. A");
        canvas.Brush.Style = TBrushStyle::Clear;
        canvas.TextOut(10, 26, "1. A");
    });
    ASSERT_GT(width, 10);
    ASSERT_GE(height, 12);
    ASSERT_LE(height, 16);
    int inkTop = 99, inkBottom = -1;
    for (auto [x, y] : Inked()) {
        const QRgb p = Image.pixel(x, y);
        if (y < 26) {
            EXPECT_TRUE(x >= 10 && x < 10 + width && y >= 10 && y < 10 + height) << x << "," << y;
            if (p != 0xFFFFFF00) {
                inkTop = std::min(inkTop, y);
                inkBottom = std::max(inkBottom, y);
            }
        } else {
            EXPECT_NE(p, 0xFFFFFF00);  // no box without a brush
            EXPECT_LT(y, 26 + height);
        }
    }
    // The box is the brush's, whole; the glyphs sit in it from about the cap height down.
    EXPECT_EQ(Image.pixel(10, 10), 0xFFFFFF00);
    EXPECT_EQ(Image.pixel(10 + width - 1, 10 + height - 1), 0xFFFFFF00);
    EXPECT_GE(inkTop, 10);
    EXPECT_LE(inkTop, 14);
    EXPECT_LT(inkBottom, 10 + height);
}

}  // namespace
}  // namespace platform
