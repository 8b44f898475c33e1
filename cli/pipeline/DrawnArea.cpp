#include "pipeline/DrawnArea.h"

#include "graphics/BitmapDef.h"
#include "graphics/MorphShapeDef.h"
#include "graphics/ShapeDef.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vidorama::cli {

namespace {

// Anti-aliasing reaches a pixel beyond a path's box, the renderer's boxes add
// one more, and pixel hinting may move a stroke by half a pixel.
constexpr double kMarginPixels = 3;
// Boxes beyond this many pixels from the picture are cut there, before they
// become integers.
constexpr double kFarPixels = 1e7;

// The box of a call's points in its own units (twips), and its widest stroke.
class Extent {
public:
    void add(const swf::ShapePath& path) {
        for (const swf::TwipPoint& p : path.points)
            add(p.x, p.y);
    }
    void add(double x, double y) {
        m_xMin = std::min(m_xMin, x);
        m_xMax = std::max(m_xMax, x);
        m_yMin = std::min(m_yMin, y);
        m_yMax = std::max(m_yMax, y);
    }
    void addStroke(const swf::LineStyle& style) {
        m_strokeTwips = std::max(m_strokeTwips, double(style.width));
        // A miter reaches out by its limit in stroke widths; other joins and
        // caps by less than two.
        const double reach = style.join == swf::JoinStyle::Miter ? style.miterLimit : 0;
        m_strokeReach = std::max({m_strokeReach, reach, 2.0});
    }

    std::optional<swf::PixelBox> toPixels(const swf::Matrix& m) const {
        if (m_xMin > m_xMax)
            return swf::PixelBox{};
        Extent mapped;
        for (double x : {m_xMin, m_xMax}) {
            for (double y : {m_yMin, m_yMax}) {
                double px = 0, py = 0;
                m.map(x, y, px, py);
                mapped.add(px, py);
            }
        }
        const double margin = kMarginPixels + strokePixels(m) * m_strokeReach;
        if (!std::isfinite(mapped.m_xMin + mapped.m_xMax + mapped.m_yMin + mapped.m_yMax + margin))
            return std::nullopt;
        auto pixel = [](double v) {
            return static_cast<int>(std::clamp(v, -kFarPixels, kFarPixels));
        };
        const int left = pixel(std::floor(mapped.m_xMin - margin));
        const int top = pixel(std::floor(mapped.m_yMin - margin));
        const int right = pixel(std::ceil(mapped.m_xMax + margin));
        const int bottom = pixel(std::ceil(mapped.m_yMax + margin));
        return swf::PixelBox{left, top, right - left, bottom - top};
    }

private:
    // The widest a stroke is drawn: scaled with the shape or fixed, never
    // under a pixel, and rounded up by pixel hinting.
    double strokePixels(const swf::Matrix& m) const {
        if (m_strokeTwips <= 0)
            return 0;
        const double scale = std::max(std::hypot(m.a, m.b), std::hypot(m.c, m.d));
        return std::max({1.0, m_strokeTwips * scale, m_strokeTwips / swf::kTwipsPerPixel}) + 1;
    }

    double m_xMin = std::numeric_limits<double>::infinity(), m_yMin = m_xMin;
    double m_xMax = -m_xMin, m_yMax = -m_xMin;
    double m_strokeTwips = 0;
    double m_strokeReach = 0;
};

} // namespace

std::optional<swf::PixelBox> ShapeArea(const swf::ShapeDef& shape, const swf::Matrix& matrix) {
    Extent extent;
    for (const swf::ShapeLayer& layer : shape.layers()) {
        for (const swf::StyledPath& fill : layer.fills)
            extent.add(fill.path);
        for (const swf::StyledPath& stroke : layer.strokes) {
            extent.add(stroke.path);
            if (stroke.style < shape.lineStyles().size())
                extent.addStroke(shape.lineStyles()[stroke.style]);
        }
    }
    return extent.toPixels(matrix);
}

std::optional<swf::PixelBox> MorphArea(const swf::MorphShapeDef& morph, const swf::Matrix& matrix) {
    const swf::MorphShapeDef::Data& d = morph.data();
    Extent extent;
    for (const auto* paths : {&d.fills, &d.strokes}) {
        for (const swf::MorphShapeDef::MorphPath& path : *paths) {
            extent.add(path.start);
            extent.add(path.end);
        }
    }
    for (const swf::MorphShapeDef::MorphPath& stroke : d.strokes) {
        for (const auto* lines : {&d.startLines, &d.endLines})
            if (stroke.style < lines->size())
                extent.addStroke((*lines)[stroke.style]);
    }
    return extent.toPixels(matrix);
}

std::optional<swf::PixelBox> BitmapArea(const swf::BitmapDef& bitmap, const swf::Matrix& matrix) {
    Extent extent;
    extent.add(0, 0);
    extent.add(bitmap.width(), bitmap.height());
    return extent.toPixels(matrix);
}

} // namespace vidorama::cli
