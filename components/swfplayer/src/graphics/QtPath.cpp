#include "graphics/QtPath.h"

#include <algorithm>

namespace vidorama::swf {

namespace {

// Walks a path's verbs with a point source that may blend two paths.
template <typename PointAt>
QPainterPath Build(const ShapePath& path, bool closeContours, PointAt pointAt) {
    QPainterPath out;
    std::size_t p = 0;
    for (ShapePath::Verb verb : path.verbs) {
        switch (verb) {
        case ShapePath::Verb::Move:
            out.moveTo(pointAt(p++));
            break;
        case ShapePath::Verb::Line:
            out.lineTo(pointAt(p++));
            break;
        case ShapePath::Verb::Quad: {
            QPointF control = pointAt(p++);
            out.quadTo(control, pointAt(p++));
            break;
        }
        case ShapePath::Verb::Close:
            if (closeContours)
                out.closeSubpath();
            break;
        }
    }
    return out;
}

} // namespace

QPainterPath ToQPainterPath(const ShapePath& path, bool closeContours) {
    return Build(path, closeContours,
                 [&](std::size_t i) { return QPointF(path.points[i].x, path.points[i].y); });
}

QPainterPath BlendPaths(const ShapePath& start, const ShapePath& end, double t,
                        bool closeContours) {
    if (end.points.size() != start.points.size())
        return ToQPainterPath(start, closeContours);
    return Build(start, closeContours, [&](std::size_t i) {
        const TwipPoint& a = start.points[i];
        const TwipPoint& b = end.points[i];
        return QPointF(a.x + (double(b.x) - a.x) * t, a.y + (double(b.y) - a.y) * t);
    });
}

} // namespace vidorama::swf
