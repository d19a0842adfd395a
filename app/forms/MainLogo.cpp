#include "app/forms/MainLogo.h"

#include <algorithm>

namespace app {

TLogoOrigin LogoOrigin(int frameHeight, int logoHeight) {
    return {10, frameHeight - 2 * logoHeight - 10};
}

void CompositeLogo(const TPixelRows& target, const TPixelRows& mask, const TPixelRows& picture,
                   TLogoOrigin origin) {
    const int x0 = std::max(0, -origin.X), y0 = std::max(0, -origin.Y);
    const int x1 = std::min(mask.Width, target.Width - origin.X);
    const int y1 = std::min(mask.Height, target.Height - origin.Y);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            uint32_t& p = target.At(origin.X + x, origin.Y + y);
            p &= mask.At(x, y);
            if (x < picture.Width && y < picture.Height) p |= picture.At(x, y);
        }
}

}  // namespace app
