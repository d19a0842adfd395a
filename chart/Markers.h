#pragma once
// A draggable cursor below the chart's plot: a small window whose horizontal place
// stands for a value of the range that the plot's width shows. The window itself (a
// widget, or a test's stand-in) follows Left and Top and feeds the mouse in.
#include <functional>

#include "platform/Canvas.h"

namespace chart {

class TMarker {
public:
    using THook = std::function<void(TMarker&)>;
    static constexpr int kSize = 10;  // pixels, square

    // The triangle outline in the drawing colour.
    void Paint(platform::ICanvas& canvas) const;
    // The plot rectangle (the parent's client pixels) whose width maps the range.
    void SetArea(const platform::TRect& area);
    void SetRange(long double minimum, long double maximum);
    // While frozen, Place does nothing; Thaw places.
    void Freeze() { Frozen = true; }
    void Thaw();
    // Moves the window to the position's point below the area.
    void Place();
    // The value at the parent's pixel x; false when the area has no width or the range
    // no length (no pixel then stands for a value of its own).
    bool ValueAt(long double parentX, long double& value) const;

    // The mouse on the cursor window, in its client pixels.
    void MouseDown();
    void MouseMove(int x, int y);
    void MouseUp();
    void DoubleClick() {}

    platform::TColor Color = platform::clGreen;
    bool Dragging = false;
    THook OnCursorMove;  // after each drag step
    bool Frozen = false;
    THook OnCursorPress;    // a drag starts
    THook OnCursorRelease;  // the button is released
    platform::TRect Area;
    long double RangeMin = 0, RangeMax = 0, Position = 0;
    int LastMouseX = -32000, LastMouseY = -32000;
    // The window in the parent's client pixels.
    int Left = 0, Top = 0, Width = kSize, Height = kSize;
    // The window was moved to Left, Top.
    THook OnMoved;

private:
    // The window's left for a point x: half its width to the left, kept to 0 .. area
    // right + half its width.
    int ClampedLeft(long double x) const;
    void MoveTo(int left, int top);
};

}  // namespace chart
