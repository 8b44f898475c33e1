#include "graphics/MorphBlend.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf {

namespace {

double Mix(double a, double b, double t) {
    return a + (b - a) * t;
}

std::uint8_t Mix8(std::uint8_t a, std::uint8_t b, double t) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(Mix(a, b, t)), 0l, 255l));
}

Rgba MixColor(const Rgba& a, const Rgba& b, double t) {
    return {Mix8(a.r, b.r, t), Mix8(a.g, b.g, t), Mix8(a.b, b.b, t), Mix8(a.a, b.a, t)};
}

Matrix MixMatrix(const Matrix& a, const Matrix& b, double t) {
    return {Mix(a.a, b.a, t), Mix(a.b, b.b, t),   Mix(a.c, b.c, t),
            Mix(a.d, b.d, t), Mix(a.tx, b.tx, t), Mix(a.ty, b.ty, t)};
}

} // namespace

FillStyle BlendFill(const FillStyle& start, const FillStyle& end, double t) {
    FillStyle out = start;
    out.color = MixColor(start.color, end.color, t);
    out.matrix = MixMatrix(start.matrix, end.matrix, t);
    out.gradient.focalPoint = Mix(start.gradient.focalPoint, end.gradient.focalPoint, t);
    std::size_t stops = std::min(start.gradient.stops.size(), end.gradient.stops.size());
    out.gradient.stops.resize(stops);
    for (std::size_t i = 0; i < stops; ++i) {
        const GradientStop& a = start.gradient.stops[i];
        const GradientStop& b = end.gradient.stops[i];
        out.gradient.stops[i] = {Mix8(a.ratio, b.ratio, t), MixColor(a.color, b.color, t)};
    }
    return out;
}

LineStyle BlendLine(const LineStyle& start, const LineStyle& end, double t) {
    LineStyle out = start;
    out.width = static_cast<std::uint16_t>(std::lround(Mix(start.width, end.width, t)));
    out.color = MixColor(start.color, end.color, t);
    if (start.hasFill)
        out.fill = BlendFill(start.fill, end.fill, t);
    return out;
}

} // namespace vidorama::swf
