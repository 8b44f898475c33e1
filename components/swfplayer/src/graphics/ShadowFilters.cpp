#include "graphics/ShadowFilters.h"

#include "graphics/BoxBlur.h"
#include "graphics/GradientRamp.h"
#include "graphics/PixelOps.h"
#include "swf/Limits.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vidorama::swf {

namespace {

// The alpha of an area of the layer, blurred: the silhouette every one of
// these filters starts from.
class Silhouette {
public:
    Silhouette(const QImage& layer, QRect area, const BlurFilter& blur)
        : m_area(area), m_alpha(static_cast<std::size_t>(area.width()) * area.height()) {
        for (int y = 0; y < area.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(layer.constScanLine(area.top() + y));
            for (int x = 0; x < area.width(); ++x)
                m_alpha[index(x, y)] = static_cast<std::uint8_t>(qAlpha(line[area.left() + x]));
        }
        BoxBlur(m_alpha.data(), area.width(), area.height(), area.width(), 1, blur);
    }

    // The blurred alpha at a layer position as a fraction; nothing outside.
    float at(int x, int y) const {
        if (!m_area.contains(x, y))
            return 0;
        return m_alpha[index(x - m_area.left(), y - m_area.top())] / 255.0f;
    }

private:
    std::size_t index(int x, int y) const {
        return static_cast<std::size_t>(y) * m_area.width() + x;
    }

    QRect m_area;
    std::vector<std::uint8_t> m_alpha;
};

float Clamp01(float v) {
    return std::clamp(v, 0.0f, 1.0f);
}

// Visits every pixel of the area with its position, replacing it by what the
// function returns for it.
template <typename PerPixel> void ForEachPixel(QImage& layer, QRect area, PerPixel perPixel) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x)
            line[x] = FromPixelF(perPixel(x, y, ToPixelF(line[x])));
    }
}

// A glow of premultiplied colour `glow` joins the object: an outer glow goes
// beneath it and shows where the object does not cover, an inner one lies on
// the object and fades it.
PixelF JoinGlow(PixelF glow, PixelF object, bool inner, bool knockout, bool hideObject) {
    if (inner) {
        if (knockout || hideObject)
            return glow * object.a;
        return glow * object.a + object * (1 - glow.a);
    }
    if (knockout)
        return glow * (1 - object.a);
    if (hideObject)
        return glow;
    return glow * (1 - object.a) + object;
}

// A bevel's light and shade join the object on its edges' inner side, outer
// side or both (on top).
PixelF JoinBevel(PixelF light, PixelF object, bool inner, bool onTop, bool knockout) {
    if (onTop)
        return knockout ? light : object * (1 - light.a) + light;
    if (inner)
        return knockout ? light * object.a : light * object.a + object * (1 - light.a);
    return knockout ? light * (1 - object.a) : object + light * (1 - object.a);
}

// How strongly a glow shows at a pixel, from the blurred silhouette there.
float GlowAmount(float blurred, bool inner, double strength) {
    auto s = static_cast<float>(strength);
    return Clamp01(inner ? (1 - blurred) * s : blurred * s);
}

GradientRamp FilterRamp(const GradientFilter& filter) {
    Gradient gradient;
    gradient.stops = filter.stops;
    if (gradient.stops.empty())
        gradient.stops.push_back({0, Rgba{0, 0, 0, 0}});
    return BuildGradientRamp(gradient, ColorTransform{});
}

QRgb RampAt(const GradientRamp& ramp, float position) {
    return ramp[static_cast<std::size_t>(std::lround(Clamp01(position) * 255))];
}

QRgb StraightColor(Rgba c) {
    return qRgba(c.r, c.g, c.b, c.a);
}

} // namespace

QPoint FilterOffset(double angle, double distance) {
    auto limit = static_cast<double>(Limits::kMaxFilterDistancePixels);
    auto component = [limit](double v) {
        return static_cast<int>(std::lround(std::isfinite(v) ? std::clamp(v, -limit, limit) : 0.0));
    };
    return QPoint(component(std::cos(angle) * distance), component(std::sin(angle) * distance));
}

// The shadow is the silhouette moved by the offset: each pixel takes the
// blurred alpha from where the offset came from.
void ApplyShadow(QImage& layer, QRect area, const ShadowFilter& filter) {
    Silhouette silhouette(layer, area, filter.blur);
    QPoint offset = FilterOffset(filter.angle, filter.distance);
    QRgb color = StraightColor(filter.color);
    ForEachPixel(layer, area, [&](int x, int y, PixelF object) {
        float amount = GlowAmount(silhouette.at(x - offset.x(), y - offset.y()), filter.inner,
                                  filter.strength);
        return JoinGlow(Premultiplied(color, amount), object, filter.inner, filter.knockout,
                        filter.hideObject);
    });
}

// Light falls from the angle: where the silhouette ahead of a pixel (towards
// the light) is denser than behind it, the pixel is lit, and shaded the other
// way round.
void ApplyBevel(QImage& layer, QRect area, const BevelFilter& filter) {
    Silhouette silhouette(layer, area, filter.blur);
    QPoint offset = FilterOffset(filter.angle, filter.distance);
    QRgb highlight = StraightColor(filter.highlight), shadow = StraightColor(filter.shadow);
    auto strength = static_cast<float>(filter.strength);
    ForEachPixel(layer, area, [&](int x, int y, PixelF object) {
        float toward = silhouette.at(x + offset.x(), y + offset.y());
        float away = silhouette.at(x - offset.x(), y - offset.y());
        PixelF light = Premultiplied(highlight, Clamp01((toward - away) * strength)) +
                       Premultiplied(shadow, Clamp01((away - toward) * strength));
        return JoinBevel(light, object, filter.inner, filter.onTop, filter.knockout);
    });
}

// A gradient glow looks its colour up by the glow's strength; a gradient
// bevel by the light, from the highlight at the gradient's start through its
// middle (no light) to the shadow at its end.
void ApplyGradientFilter(QImage& layer, QRect area, const GradientFilter& filter) {
    Silhouette silhouette(layer, area, filter.blur);
    QPoint offset = FilterOffset(filter.angle, filter.distance);
    GradientRamp ramp = FilterRamp(filter);
    auto strength = static_cast<float>(filter.strength);
    bool bevel = filter.kind == GradientFilter::Kind::Bevel;
    ForEachPixel(layer, area, [&](int x, int y, PixelF object) {
        if (!bevel) {
            float amount = GlowAmount(silhouette.at(x - offset.x(), y - offset.y()), filter.inner,
                                      filter.strength);
            return JoinGlow(ToPixelF(RampAt(ramp, amount)), object, filter.inner, filter.knockout,
                            filter.hideObject);
        }
        float toward = silhouette.at(x + offset.x(), y + offset.y());
        float away = silhouette.at(x - offset.x(), y - offset.y());
        PixelF light = ToPixelF(RampAt(ramp, 0.5f + (away - toward) * strength / 2));
        return JoinBevel(light, object, filter.inner, filter.onTop, filter.knockout);
    });
}

} // namespace vidorama::swf
