#pragma once

#include <QColor>
#include <algorithm>
#include <cmath>

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

// Moves from one premultiplied pixel towards another by t / 255.
inline QRgb Interpolate(QRgb from, QRgb to, unsigned t) {
    if (t == 0)
        return from;
    if (t == 255)
        return to;
    return ScalePixel(to, t) + ScalePixel(from, 255 - t);
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

// A premultiplied pixel with channels as fractions 0..1, for arithmetic that
// needs more than 8 bits between steps.
struct PixelF {
    float r = 0, g = 0, b = 0, a = 0;
    PixelF operator*(float f) const { return {r * f, g * f, b * f, a * f}; }
    PixelF operator+(const PixelF& o) const { return {r + o.r, g + o.g, b + o.b, a + o.a}; }
};

inline PixelF ToPixelF(QRgb p) {
    return {qRed(p) / 255.0f, qGreen(p) / 255.0f, qBlue(p) / 255.0f, qAlpha(p) / 255.0f};
}

// Rounds back to 8 bits; no colour ends above the alpha, so the pixel stays
// valid premultiplied.
inline QRgb FromPixelF(PixelF p) {
    auto byte = [](float v) {
        return static_cast<int>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255));
    };
    int a = byte(p.a);
    return qRgba(std::min(byte(p.r), a), std::min(byte(p.g), a), std::min(byte(p.b), a), a);
}

// A straight colour with an extra opacity, premultiplied.
inline PixelF Premultiplied(QRgb straight, float opacity) {
    float a = qAlpha(straight) / 255.0f * opacity;
    return {qRed(straight) / 255.0f * a, qGreen(straight) / 255.0f * a,
            qBlue(straight) / 255.0f * a, a};
}

} // namespace vidorama::swf
