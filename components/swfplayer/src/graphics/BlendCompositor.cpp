#include "graphics/BlendCompositor.h"

#include "graphics/PixelOps.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf {

namespace {

// The separable modes compare straight colours; their result is weighted by
// the share of the pixel that both cover, and each side keeps the share that
// only it covers.
float Separable(BlendMode mode, float s, float d) {
    switch (mode) {
    case BlendMode::Multiply:
        return s * d;
    case BlendMode::Lighten:
        return std::max(s, d);
    case BlendMode::Darken:
        return std::min(s, d);
    case BlendMode::Difference:
        return std::abs(s - d);
    case BlendMode::Overlay:
        return d <= 0.5f ? 2 * s * d : 1 - 2 * (1 - s) * (1 - d);
    case BlendMode::HardLight:
        return s <= 0.5f ? 2 * s * d : 1 - 2 * (1 - s) * (1 - d);
    default:
        return s;
    }
}

QRgb BlendSeparable(BlendMode mode, PixelF s, PixelF d) {
    float both = s.a * d.a;
    auto channel = [&](float sc, float dc) {
        float straightS = sc / s.a;
        float straightD = d.a > 0 ? dc / d.a : 0;
        return sc * (1 - d.a) + dc * (1 - s.a) + both * Separable(mode, straightS, straightD);
    };
    return FromPixelF(
        {channel(s.r, d.r), channel(s.g, d.g), channel(s.b, d.b), s.a + d.a * (1 - s.a)});
}

} // namespace

QRgb BlendPixel(BlendMode mode, QRgb source, QRgb destination) {
    if (qAlpha(source) == 0)
        return destination;
    switch (mode) {
    case BlendMode::Normal:
    case BlendMode::Layer:
        return SourceOver(source, destination);
    case BlendMode::Add: {
        // Colours add as stored; alpha combines as for Normal.
        QRgb sum = AddSaturated(source, destination);
        return (sum & 0x00FFFFFF) | (SourceOver(source, destination) & 0xFF000000);
    }
    default:
        break;
    }
    PixelF s = ToPixelF(source), d = ToPixelF(destination);
    float over = s.a + d.a * (1 - s.a);
    switch (mode) {
    case BlendMode::Subtract:
        return FromPixelF({d.r - s.r, d.g - s.g, d.b - s.b, over});
    case BlendMode::Screen:
        return FromPixelF(
            {s.r + d.r - s.r * d.r, s.g + d.g - s.g * d.g, s.b + d.b - s.b * d.b, over});
    case BlendMode::Invert: {
        // The object's colour plays no part: it acts as white, inverting what
        // is beneath where both cover and showing white where only it does.
        auto invert = [&](float dc) {
            return s.a + dc - 2 * s.a * dc;
        };
        return FromPixelF({invert(d.r), invert(d.g), invert(d.b), over});
    }
    case BlendMode::Alpha:
        return FromPixelF({d.r * s.a, d.g * s.a, d.b * s.a, d.a * s.a});
    case BlendMode::Erase:
        return FromPixelF({d.r * (1 - s.a), d.g * (1 - s.a), d.b * (1 - s.a), d.a * (1 - s.a)});
    default:
        return BlendSeparable(mode, s, d);
    }
}

void CompositeBlended(QImage& destination, const QImage& layer, QRect area, BlendMode mode) {
    area &= destination.rect() & layer.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(destination.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x)
            dst[x] = BlendPixel(mode, src[x], dst[x]);
    }
}

} // namespace vidorama::swf
