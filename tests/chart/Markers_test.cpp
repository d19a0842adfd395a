// A cursor on its own: where it stands for a value, and a drag with its hooks.
#include "chart/Markers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace chart {
namespace {

// The plot 200 pixels wide from x 100 shows 0..10: 20 pixels a unit.
TMarker Cursor(long double position) {
    TMarker m;
    m.Area = {100, 20, 300, 80};
    m.RangeMin = 0;
    m.RangeMax = 10;
    m.Position = position;
    m.Left = 42;
    return m;
}

TEST(Marker, PlaceStandsForThePosition) {
    struct Case {
        const char* What;
        long double Position, Min, Max;
        platform::TRect Area;
        bool Frozen;
        int Left, Top;
    };
    const platform::TRect area{100, 20, 300, 80};
    const Case cases[] = {
        {"inside", 5, 0, 10, area, false, 195, 81},
        {"at the minimum", 0, 0, 10, area, false, 95, 81},
        {"left of the range", -5, 0, 10, area, false, 0, 81},
        {"right of the range", 20, 0, 10, area, false, 305, 81},
        {"far right, no wrap", 1e30L, 0, 10, area, false, 305, 81},
        {"far left, no wrap", -1e30L, 0, 10, area, false, 0, 81},
        {"min = max keeps the place", 5, 3, 3, area, false, 42, 81},
        {"zero-width area", 5, 0, 10, {100, 20, 100, 80}, false, 95, 81},
        {"frozen", 5, 0, 10, area, true, 42, 0},
    };
    for (const Case& c : cases) {
        TMarker m = Cursor(c.Position);
        int moves = 0;
        m.OnMoved = [&](TMarker&) { ++moves; };
        m.Frozen = c.Frozen;
        m.Area = c.Area;
        m.RangeMin = c.Min;
        m.RangeMax = c.Max;
        m.Place();
        EXPECT_EQ(m.Left, c.Left) << c.What;
        EXPECT_EQ(m.Top, c.Top) << c.What;
        EXPECT_EQ(moves, c.Frozen ? 0 : 1) << c.What;
        EXPECT_EQ(m.Position, c.Position) << c.What;
    }
}

TEST(Marker, ThawPlacesAndSettersPlaceUnlessFrozen) {
    TMarker m = Cursor(5);
    m.Freeze();
    m.SetArea({0, 0, 100, 50});
    m.SetRange(0, 5);
    EXPECT_EQ(m.Left, 42);
    m.Thaw();
    EXPECT_EQ(m.Left, 95);
    EXPECT_EQ(m.Top, 51);
}

TEST(Marker, ADragMovesWithTheMouseAndStopsAtTheEdge) {
    TMarker m = Cursor(0);
    m.Place();
    ASSERT_EQ(m.Left, 95);
    std::vector<std::string> hooks;
    m.OnCursorPress = [&](TMarker&) { hooks.push_back("press"); };
    m.OnCursorMove = [&](TMarker& c) {
        hooks.push_back("move " + std::to_string(c.Left) + " " +
                        std::to_string(static_cast<double>(c.Position)));
    };
    m.OnCursorRelease = [&](TMarker&) { hooks.push_back("release"); };

    m.MouseMove(20, 5);  // not dragging
    m.MouseDown();
    EXPECT_EQ(m.LastMouseX, -32000);
    m.MouseDown();        // already dragging
    m.MouseMove(55, 5);   // parent x 150: value 2.5
    m.MouseMove(55, 9);   // the same x as before: nothing
    m.MouseMove(205, 5);  // parent x 350, past the plot: the value stays
    m.MouseUp();
    m.MouseMove(0, 5);
    EXPECT_FALSE(m.Dragging);
    const std::vector<std::string> expected{"press", "move 145 2.500000", "move 305 2.500000", "release"};
    EXPECT_EQ(hooks, expected);
    EXPECT_EQ(m.Position, 2.5L);
}

TEST(Marker, NoValueWithoutAWidthOrARange) {
    for (const platform::TRect area :
         {platform::TRect{100, 20, 100, 80}, platform::TRect{100, 20, 300, 80}}) {
        TMarker m = Cursor(4);
        m.Area = area;
        if (area.Width() != 0) m.RangeMax = 0;  // min = max
        m.MouseDown();
        m.MouseMove(70, 0);
        EXPECT_EQ(m.Position, 4);
        long double v = 0;
        EXPECT_FALSE(m.ValueAt(150, v));
    }
}

TEST(Marker, MouseCoordinatesAreSigned16Bit) {
    TMarker m = Cursor(0);
    m.Place();
    m.MouseDown();
    m.MouseMove(0x10000 + 55, 0);  // the window reports 55
    EXPECT_EQ(m.Position, 2.5L);
}

TEST(Marker, PaintsATriangleOutline) {
    TMarker m;
    platform::TRecordingCanvas canvas;
    m.Paint(canvas);
    ASSERT_EQ(canvas.Calls.size(), 3u);
    const int expected[3][4] = {{0, 9, 5, 0}, {5, 0, 10, 9}, {10, 9, 0, 9}};
    for (size_t i = 0; i < 3; ++i) {
        const auto& c = canvas.Calls[i];
        EXPECT_EQ((std::vector<int>{c.X1, c.Y1, c.X2, c.Y2}),
                  (std::vector<int>{expected[i][0], expected[i][1], expected[i][2], expected[i][3]}));
        EXPECT_EQ(c.Pen.Color, platform::clGreen);
        EXPECT_EQ(c.Pen.Width, 1);
    }
}

}  // namespace
}  // namespace chart
