#pragma once

#include <QImage>
#include <cstdint>

namespace vidorama::swf {

// A 4:2:0 picture as decoders leave it: full-size luma (and alpha), chroma
// planes of half the width and height rounded up.
struct YuvPlanes {
    int width = 0;
    int height = 0;
    const std::uint8_t* y = nullptr;
    int yStride = 0;
    const std::uint8_t* u = nullptr;
    const std::uint8_t* v = nullptr;
    int chromaStride = 0;
    // Only VP6 with alpha has this plane.
    const std::uint8_t* alpha = nullptr;
    int alphaStride = 0;
};

// Converts as Flash Player does: studio-range BT.601 in 12.4 fixed point,
// each chroma sample used as it is for the 2 x 2 pixels it covers. An alpha plane
// is taken as the alpha of colours that are already premultiplied, and each
// colour is held at or under its alpha.
QImage YuvToArgb(const YuvPlanes& planes);

} // namespace vidorama::swf
