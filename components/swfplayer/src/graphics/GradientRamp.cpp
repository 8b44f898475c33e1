#include "graphics/GradientRamp.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf {

namespace {

double ToLinear(double c) {
    c /= 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double FromLinear(double c) {
    c = c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055;
    return c * 255.0;
}

QRgb Premultiply(double r, double g, double b, double a) {
    auto q = [](double v) {
        return static_cast<int>(std::clamp(std::lround(v), 0l, 255l));
    };
    double f = a / 255.0;
    return qRgba(q(r * f), q(g * f), q(b * f), q(a));
}

QRgb Mix(const Rgba& x, const Rgba& y, double f, InterpolationMode mode) {
    auto lerp = [f](double p, double q) {
        return p + (q - p) * f;
    };
    double a = lerp(x.a, y.a);
    if (mode == InterpolationMode::LinearRgb)
        return Premultiply(FromLinear(lerp(ToLinear(x.r), ToLinear(y.r))),
                           FromLinear(lerp(ToLinear(x.g), ToLinear(y.g))),
                           FromLinear(lerp(ToLinear(x.b), ToLinear(y.b))), a);
    return Premultiply(lerp(x.r, y.r), lerp(x.g, y.g), lerp(x.b, y.b), a);
}

} // namespace

// Flash walks the stops as they are stored while it fills the ramp from ratio
// 0 to 255, moving on by one stop per entry once the entry passes the current
// stop's ratio, and passing over stops whose ratio goes back below the one
// before them. So stops that share a ratio each still show on an entry of
// their own, and a stop out of order is skipped; the corpus's Flash captures
// show exactly these entries.
GradientRamp BuildGradientRamp(const Gradient& gradient, const ColorTransform& colors) {
    GradientRamp ramp{};
    if (gradient.stops.empty())
        return ramp;
    std::vector<GradientStop> stops = gradient.stops;
    for (GradientStop& stop : stops)
        stop.color = colors.apply(stop.color);
    const InterpolationMode mode = gradient.interpolation;
    std::size_t k = 0;
    for (int i = 0; i < 256; ++i) {
        if (k < stops.size() && i > stops[k].ratio) {
            ++k;
            while (k < stops.size() && stops[k].ratio < stops[k - 1].ratio && i > stops[k].ratio)
                ++k;
        }
        if (k == 0 || k == stops.size()) {
            const Rgba& c = stops[k == 0 ? 0 : k - 1].color;
            ramp[i] = Mix(c, c, 0, mode);
            continue;
        }
        const GradientStop& a = stops[k - 1];
        const GradientStop& b = stops[k];
        double span = double(b.ratio) - a.ratio;
        double f = span > 0 ? std::clamp((i - a.ratio) / span, 0.0, 1.0) : 0.0;
        ramp[i] = Mix(a.color, b.color, f, mode);
    }
    return ramp;
}

double ApplySpread(double t, SpreadMode spread) {
    switch (spread) {
    case SpreadMode::Repeat:
        return t - std::floor(t);
    case SpreadMode::Reflect: {
        double period = t - 2.0 * std::floor(t / 2.0);
        return period > 1.0 ? 2.0 - period : period;
    }
    case SpreadMode::Pad:
        break;
    }
    return std::clamp(t, 0.0, 1.0);
}

} // namespace vidorama::swf
