#pragma once
// The main window's first size on the screen it opens on, and its documents' places when
// its document area changes.
#include "platform/Canvas.h"

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

// A document window's place when the document area goes from before to after: one that
// lay wholly inside before is brought back inside, moved up and left as far as it has to
// and cut to the area where it is larger; one the user left partly outside stays.
platform::TRect KeepInside(const platform::TRect& window, const platform::TRect& before,
                           const platform::TRect& after);

}  // namespace app
