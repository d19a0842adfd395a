#include "app/forms/FrameSize.h"

#include <algorithm>

namespace app {

namespace {

bool Contains(const platform::TRect& outer, const platform::TRect& inner) {
    return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
           inner.Bottom <= outer.Bottom;
}

// The start of a span of length within [low, high), as near to at as the span allows.
int32_t PlaceSpan(int32_t at, int32_t length, int32_t low, int32_t high) {
    return std::max(low, std::min(at, high - length));
}

}  // namespace

TFrameSize FirstFrameSize(TFrameSize designed, TFrameSize available, TFrameSize decorations) {
    return {std::clamp(available.Width - decorations.Width, 1, std::max(designed.Width, 1)),
            std::clamp(available.Height - decorations.Height, 1, std::max(designed.Height, 1))};
}

platform::TRect KeepInside(const platform::TRect& window, const platform::TRect& before,
                           const platform::TRect& after) {
    if (after.IsEmpty() || !Contains(before, window) || Contains(after, window)) return window;
    const int32_t width = std::min(window.Width(), after.Width());
    const int32_t height = std::min(window.Height(), after.Height());
    const int32_t left = PlaceSpan(window.Left, width, after.Left, after.Right);
    const int32_t top = PlaceSpan(window.Top, height, after.Top, after.Bottom);
    return {left, top, left + width, top + height};
}

}  // namespace app
