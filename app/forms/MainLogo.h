#pragma once
// The logo on the empty client area: a mask combined with the background by AND, then
// the picture by OR, near the bottom-left corner. Works on 32-bit pixel rows, so the
// window paints straight into its image.
#include <cstdint>

namespace app {

struct TPixelRows {
    uint32_t* Pixels = nullptr;
    int Width = 0;
    int Height = 0;
    int Stride = 0;  // pixels from one row to the next
    uint32_t& At(int x, int y) const { return Pixels[static_cast<long>(y) * Stride + x]; }
};

struct TLogoOrigin {
    int X = 0;
    int Y = 0;
    bool operator==(const TLogoOrigin&) const = default;
};

// x 10, y the frame's height less twice the logo's height less 10.
TLogoOrigin LogoOrigin(int frameHeight, int logoHeight);

// target := (target AND mask) OR picture over the mask's width and height at origin;
// what falls outside the target, or outside the picture, is left out.
void CompositeLogo(const TPixelRows& target, const TPixelRows& mask, const TPixelRows& picture,
                   TLogoOrigin origin);

}  // namespace app
