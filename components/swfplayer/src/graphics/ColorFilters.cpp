#include "graphics/ColorFilters.h"

#include "graphics/PixelOps.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace vidorama::swf {

namespace {

// Straight colour in channel units 0..255, as both filters compute.
using Straight = std::array<float, 4>; // r, g, b, a

Straight ToStraight(QRgb p) {
    int a = qAlpha(p);
    if (a == 0)
        return {0, 0, 0, 0};
    float unmultiply = 255.0f / a;
    return {qRed(p) * unmultiply, qGreen(p) * unmultiply, qBlue(p) * unmultiply,
            static_cast<float>(a)};
}

QRgb FromStraight(const Straight& c) {
    float a = std::clamp(c[3], 0.0f, 255.0f) / 255.0f;
    return FromPixelF({std::clamp(c[0], 0.0f, 255.0f) / 255.0f * a,
                       std::clamp(c[1], 0.0f, 255.0f) / 255.0f * a,
                       std::clamp(c[2], 0.0f, 255.0f) / 255.0f * a, a});
}

Straight ToStraight(Rgba c) {
    return {static_cast<float>(c.r), static_cast<float>(c.g), static_cast<float>(c.b),
            static_cast<float>(c.a)};
}

} // namespace

void ApplyColorMatrix(QImage& layer, QRect area, const ColorMatrixFilter& filter) {
    const float* m = filter.matrix;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            Straight in = ToStraight(line[x]), out{};
            for (int row = 0; row < 4; ++row) {
                const float* r = m + row * 5;
                out[row] = r[0] * in[0] + r[1] * in[1] + r[2] * in[2] + r[3] * in[3] + r[4];
            }
            line[x] = FromStraight(out);
        }
    }
}

void ApplyConvolution(QImage& layer, QRect area, const ConvolutionFilter& filter) {
    if (filter.columns == 0 || filter.rows == 0 || area.isEmpty() ||
        filter.weights.size() != static_cast<std::size_t>(filter.columns) * filter.rows)
        return;
    // The source is read from a copy: every output pixel needs the original
    // pixels around it.
    int w = area.width(), h = area.height();
    std::vector<Straight> source(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(layer.constScanLine(area.top() + y));
        for (int x = 0; x < w; ++x)
            source[static_cast<std::size_t>(y) * w + x] = ToStraight(line[area.left() + x]);
    }
    const Straight outside = ToStraight(filter.defaultColor);
    auto sample = [&](int x, int y) -> const Straight& {
        if (filter.clamp) {
            x = std::clamp(x, 0, w - 1);
            y = std::clamp(y, 0, h - 1);
        } else if (x < 0 || y < 0 || x >= w || y >= h) {
            return outside;
        }
        return source[static_cast<std::size_t>(y) * w + x];
    };
    float divisor = filter.divisor != 0 ? filter.divisor : 1;
    int left = filter.columns / 2, top = filter.rows / 2;
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(layer.scanLine(area.top() + y));
        for (int x = 0; x < w; ++x) {
            Straight sum{};
            for (int j = 0; j < filter.rows; ++j) {
                for (int i = 0; i < filter.columns; ++i) {
                    float weight = filter.weights[static_cast<std::size_t>(j) * filter.columns + i];
                    const Straight& s = sample(x + i - left, y + j - top);
                    for (int c = 0; c < 4; ++c)
                        sum[c] += weight * s[c];
                }
            }
            for (float& c : sum)
                c = c / divisor + filter.bias;
            if (filter.preserveAlpha)
                sum[3] = sample(x, y)[3];
            line[area.left() + x] = FromStraight(sum);
        }
    }
}

void ApplyColorTransform(QImage& layer, QRect area, const ColorTransform& colors) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qAlpha(line[x]) == 0)
                continue;
            Straight c = ToStraight(line[x]);
            Rgba straight{static_cast<std::uint8_t>(std::lround(std::min(c[0], 255.0f))),
                          static_cast<std::uint8_t>(std::lround(std::min(c[1], 255.0f))),
                          static_cast<std::uint8_t>(std::lround(std::min(c[2], 255.0f))),
                          static_cast<std::uint8_t>(c[3])};
            line[x] = FromStraight(ToStraight(colors.apply(straight)));
        }
    }
}

} // namespace vidorama::swf
