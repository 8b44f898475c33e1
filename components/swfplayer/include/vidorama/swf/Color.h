#pragma once

#include <cstdint>

namespace vidorama::swf {

// A straight (not premultiplied) colour.
struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Rgba&) const = default;
};

// Flash's colour transform: each channel is multiplied, then offset, then
// clamped to 0..255. Multipliers are factors (stored as 8.8, 256 = 1.0),
// offsets are in channel units. Transforms compose down the display tree.
struct ColorTransform {
    float rMul = 1, gMul = 1, bMul = 1, aMul = 1;
    float rAdd = 0, gAdd = 0, bAdd = 0, aAdd = 0;

    bool isIdentity() const {
        return rMul == 1 && gMul == 1 && bMul == 1 && aMul == 1 && rAdd == 0 && gAdd == 0 &&
               bAdd == 0 && aAdd == 0;
    }
    // this * inner: the result applies inner first, then this.
    ColorTransform operator*(const ColorTransform& inner) const;
    Rgba apply(Rgba color) const;
    bool operator==(const ColorTransform&) const = default;
};

} // namespace vidorama::swf
