#pragma once

#include "graphics/Effects.h"

#include <cstdint>

namespace vidorama::swf {

// One box of Flash's blur along one axis. A box `size` pixels wide covers the
// pixel itself and `inner` whole pixels on each side at full weight, and the
// next pixel on each side at edgeWeight / 255, so that the weights add up to
// the size. Sizes of one pixel or less leave the image alone.
struct BoxKernel {
    int inner = 0;
    int edgeWeight = 0;

    static BoxKernel forSize(double size);
    bool identity() const { return inner == 0 && edgeWeight == 0; }
    // Pixels the box reaches on each side.
    int reach() const { return inner + (edgeWeight > 0 ? 1 : 0); }
};

// Pixels a blur of target-pixel sizes reaches on each side, all passes
// together, horizontally and vertically.
struct BlurReach {
    int x = 0, y = 0;
};
BlurReach ReachOf(const BlurFilter& blur);

// Blurs an image of `channels` interleaved 8-bit channels in place: each pass
// a horizontal box, then a vertical one. Pixels beyond the image count as
// zero, so the image must have room for the blur's reach around its content.
void BoxBlur(std::uint8_t* pixels, int width, int height, int strideBytes, int channels,
             const BlurFilter& blur);

} // namespace vidorama::swf
