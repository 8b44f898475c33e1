#include "graphics/StrokeOutline.h"

#include "swf/Geometry.h"

#include <QPainterPathStroker>
#include <cmath>

namespace vidorama::swf {

namespace {

Qt::PenCapStyle ToQt(CapStyle cap) {
    switch (cap) {
    case CapStyle::None:
        return Qt::FlatCap;
    case CapStyle::Square:
        return Qt::SquareCap;
    case CapStyle::Round:
        break;
    }
    return Qt::RoundCap;
}

Qt::PenJoinStyle ToQt(JoinStyle join) {
    switch (join) {
    case JoinStyle::Bevel:
        return Qt::BevelJoin;
    case JoinStyle::Miter:
        // Flash cuts a miter off at the limit rather than falling back to a
        // bevel, as Qt's plain miter join does.
        return Qt::MiterJoin;
    case JoinStyle::Round:
        break;
    }
    return Qt::RoundJoin;
}

QPointF Unit(QPointF v) {
    double length = std::hypot(v.x(), v.y());
    return length > 0 ? v / length : QPointF();
}

// LINESTYLE2 gives each end of a line its own cap, which the stroker cannot:
// the line is outlined with flat ends, and each open end gets its cap from
// stroking a sliver of the line that ends there, facing the same way. The
// stroker winds all its outlines alike, so the pieces add up under the
// nonzero rule without cutting holes where they overlap.
QPainterPath WithOwnCaps(const QPainterPath& body, const QPainterPath& path, const LineStyle& style,
                         double width) {
    constexpr double kSliver = 0.01;
    QPainterPath round, square;
    auto addEnd = [&](QPointF end, QPointF from, CapStyle cap) {
        QPointF outward = Unit(end - from);
        QPainterPath& ends = cap == CapStyle::Round ? round : square;
        if (cap != CapStyle::None && !outward.isNull()) {
            ends.moveTo(end - outward * kSliver);
            ends.lineTo(end);
        }
    };
    const int count = path.elementCount();
    for (int first = 0; first < count;) {
        int last = first + 1;
        while (last < count && !path.elementAt(last).isMoveTo())
            ++last;
        const QPointF start = path.elementAt(first);
        const QPointF end = path.elementAt(last - 1);
        if (last - first > 1 && start != end) {
            int next = first + 1;
            while (next < last - 1 && QPointF(path.elementAt(next)) == start)
                ++next;
            int previous = last - 2;
            while (previous > first && QPointF(path.elementAt(previous)) == end)
                --previous;
            addEnd(start, path.elementAt(next), style.startCap);
            addEnd(end, path.elementAt(previous), style.endCap);
        }
        first = last;
    }
    QPainterPath out = body;
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    out.addPath(stroker.createStroke(round));
    stroker.setCapStyle(Qt::SquareCap);
    out.addPath(stroker.createStroke(square));
    out.setFillRule(Qt::WindingFill);
    return out;
}

QPainterPath Outline(const QPainterPath& path, const LineStyle& style, double width) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setJoinStyle(ToQt(style.join));
    stroker.setMiterLimit(style.miterLimit);
    if (style.startCap == style.endCap) {
        stroker.setCapStyle(ToQt(style.startCap));
        return stroker.createStroke(path);
    }
    stroker.setCapStyle(Qt::FlatCap);
    return WithOwnCaps(stroker.createStroke(path), path, style, width);
}

// Pixel hinting puts a stroke on whole pixels: its width is rounded to whole
// pixels, and its points to pixel centres for odd widths or to pixel corners
// for even ones, so that straight lines come out sharp.
QPainterPath HintToPixels(const QPainterPath& devicePath, double width) {
    bool odd = std::fmod(width, 2.0) >= 1.0;
    auto snap = [odd](double v) {
        return odd ? std::floor(v) + 0.5 : std::round(v);
    };
    QPainterPath out = devicePath;
    for (int i = 0; i < out.elementCount(); ++i) {
        QPainterPath::Element e = out.elementAt(i);
        out.setElementPositionAt(i, snap(e.x), snap(e.y));
    }
    return out;
}

} // namespace

StrokeArea OutlineStroke(const QPainterPath& path, const LineStyle& style,
                         const QTransform& toDevice) {
    // Flash measures how the object scales a stroke by where it takes the
    // diagonal (1, 1), seen from the object's own turned x axis: the part
    // along that axis is the horizontal scale, the part across it the
    // vertical one. Turning alone leaves strokes as they are and stretches
    // along the axes give their own factors, but a skew one way thickens
    // strokes where the mirror skew thins them, as Flash's captures show.
    const double a = toDevice.m11(), b = toDevice.m12(), c = toDevice.m21(), d = toDevice.m22();
    const double turnedX = std::hypot(a, b);
    double scaleX = turnedX;
    double scaleY = std::hypot(c, d);
    if (turnedX > 0) {
        scaleX = std::abs(turnedX * turnedX + a * c + b * d) / turnedX;
        scaleY = std::abs(a * d - b * c) / turnedX;
    }
    double width = style.width;
    double deviceWidth;
    if (style.noHScale && style.noVScale)
        deviceWidth = width / kTwipsPerPixel;
    else if (style.noHScale)
        deviceWidth = width * scaleY;
    else if (style.noVScale)
        deviceWidth = width * scaleX;
    else
        deviceWidth = width * (scaleX + scaleY) / 2;
    if (style.pixelHinting) {
        double whole = std::max(1.0, std::round(deviceWidth));
        return {Outline(HintToPixels(toDevice.map(path), whole), style, whole), QTransform()};
    }
    // Flash strokes keep one width all around even when the shape is
    // stretched more one way than the other, so they are outlined in target
    // pixels rather than stretched with the shape.
    return {Outline(toDevice.map(path), style, std::max(1.0, deviceWidth)), QTransform(),
            deviceWidth <= 1};
}

} // namespace vidorama::swf
