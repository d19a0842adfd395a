#pragma once
// The main window's first size on the screen it opens on.

namespace app {

struct TFrameSize {
    int Width = 0;
    int Height = 0;
    bool operator==(const TFrameSize&) const = default;
};

// The designed size where the screen's available area holds it with the decorations the
// window system puts round the frame (title bar, borders); else, in each direction that
// does not fit, what the area leaves beside the decorations. Never below 1 by 1.
TFrameSize FirstFrameSize(TFrameSize designed, TFrameSize available, TFrameSize decorations);

}  // namespace app
