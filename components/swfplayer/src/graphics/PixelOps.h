#pragma once

#include <QColor>

namespace vidorama::swf {

// Multiplies every channel of a premultiplied pixel by a / 255, rounded.
inline QRgb ScalePixel(QRgb p, unsigned a) {
    auto mul = [a](unsigned c) {
        unsigned t = c * a + 128;
        return (t + (t >> 8)) >> 8;
    };
    return (mul(p >> 24) << 24) | (mul((p >> 16) & 0xFF) << 16) | (mul((p >> 8) & 0xFF) << 8) |
           mul(p & 0xFF);
}

// Blends a premultiplied pixel over another. Valid premultiplied inputs keep
// every channel within 0..255.
inline QRgb SourceOver(QRgb src, QRgb dst) {
    return src + ScalePixel(dst, 255 - (src >> 24));
}

// Adds two premultiplied pixels channel by channel, saturating at 255.
inline QRgb AddSaturated(QRgb a, QRgb b) {
    QRgb out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        unsigned sum = ((a >> shift) & 0xFF) + ((b >> shift) & 0xFF);
        out |= static_cast<QRgb>(sum > 255 ? 255 : sum) << shift;
    }
    return out;
}

} // namespace vidorama::swf
