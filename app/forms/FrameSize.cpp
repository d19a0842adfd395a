#include "app/forms/FrameSize.h"

#include <algorithm>

namespace app {

TFrameSize FirstFrameSize(TFrameSize designed, TFrameSize available, TFrameSize decorations) {
    return {std::clamp(available.Width - decorations.Width, 1, std::max(designed.Width, 1)),
            std::clamp(available.Height - decorations.Height, 1, std::max(designed.Height, 1))};
}

}  // namespace app
