#include "chart/Markers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace chart {

void TMarker::Paint(platform::ICanvas& canvas) const {
    canvas.Pen = {Color, platform::TPenStyle::Solid, 1, platform::TPenMode::Copy};
    canvas.Line(0, Height - 1, Width / 2, 0);
    canvas.Line(Width / 2, 0, Width, Height - 1);
    canvas.Line(Width, Height - 1, 0, Height - 1);
}

void TMarker::SetArea(const platform::TRect& area) {
    Area = area;
    Place();
}

void TMarker::SetRange(long double minimum, long double maximum) {
    RangeMin = minimum;
    RangeMax = maximum;
    Place();
}

void TMarker::Thaw() {
    Frozen = false;
    Place();
}

int TMarker::ClampedLeft(long double x) const {
    // Clamped before it becomes an int: a far value must not wrap to the other side.
    const long double most = static_cast<long double>(Area.Right) + Width / 2;
    const long double left = std::clamp(x - Width / 2, 0.0L, std::max(most, 0.0L));
    return static_cast<int>(left);
}

void TMarker::MoveTo(int left, int top) {
    Left = left;
    Top = top;
    if (OnMoved) OnMoved(*this);
}

void TMarker::Place() {
    if (Frozen) return;
    const int top = Area.Bottom + 1;
    const long double span = RangeMax - RangeMin;
    if (span == 0 || !std::isfinite(span) || !std::isfinite(Position)) {
        MoveTo(Left, top);
        return;
    }
    const long double x = std::nearbyint(
        (Position - RangeMin) / span * (static_cast<long double>(Area.Right) - Area.Left) + Area.Left);
    MoveTo(ClampedLeft(x), top);
}

bool TMarker::ValueAt(long double parentX, long double& value) const {
    const long double width = static_cast<long double>(Area.Right) - Area.Left;
    const long double span = RangeMax - RangeMin;
    if (width == 0 || span == 0 || !std::isfinite(span)) return false;
    value = span / width * (parentX - Area.Left) + RangeMin;
    return std::isfinite(value);
}

void TMarker::MouseDown() {
    if (Dragging) return;
    Dragging = true;
    if (OnCursorPress) OnCursorPress(*this);
    LastMouseX = LastMouseY = -32000;
}

void TMarker::MouseMove(int x, int y) {
    if (!Dragging) return;
    // The window's coordinates come as signed 16-bit numbers.
    x = static_cast<int16_t>(x);
    y = static_cast<int16_t>(y);
    if (x == LastMouseX) return;
    LastMouseX = x;
    LastMouseY = y;
    const long double parentX = static_cast<long double>(Left) + x;
    long double value = 0;
    if (ValueAt(parentX, value) && RangeMin <= value && value <= RangeMax) Position = value;
    MoveTo(ClampedLeft(parentX), Top);
    if (OnCursorMove) OnCursorMove(*this);
}

void TMarker::MouseUp() {
    Dragging = false;
    if (OnCursorRelease) OnCursorRelease(*this);
}

}  // namespace chart
