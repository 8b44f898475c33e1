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

// The cap beyond an open end at p, facing outward (a unit vector): half a
// disc or half a square of the stroke's width; nothing for a flat end.
QPainterPath Cap(QPointF p, QPointF outward, double half, CapStyle cap) {
    QPainterPath out;
    if (cap == CapStyle::None || outward.isNull())
        return out;
    const QPointF side(-outward.y() * half, outward.x() * half);
    const QPointF ahead = outward * half;
    out.moveTo(p + side);
    if (cap == CapStyle::Square) {
        out.lineTo(p + side + ahead);
        out.lineTo(p - side + ahead);
        out.lineTo(p - side);
    } else {
        // Two quarter circles as cubic curves.
        constexpr double kQuarterArc = 0.5522847498;
        out.cubicTo(p + side + ahead * kQuarterArc, p + ahead + side * kQuarterArc, p + ahead);
        out.cubicTo(p + ahead - side * kQuarterArc, p - side + ahead * kQuarterArc, p - side);
    }
    out.closeSubpath();
    return out;
}

// LINESTYLE2 gives each end of a line its own cap, which the stroker cannot:
// the line is outlined with flat ends and the caps of its open contours are
// joined on, the start's looking back along the first segment and the end's
// ahead along the last.
QPainterPath WithOwnCaps(const QPainterPath& body, const QPainterPath& path, const LineStyle& style,
                         double width) {
    QPainterPath caps;
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
            caps.addPath(Cap(start, Unit(start - path.elementAt(next)), width / 2, style.startCap));
            caps.addPath(Cap(end, Unit(end - path.elementAt(previous)), width / 2, style.endCap));
        }
        first = last;
    }
    return caps.isEmpty() ? body : body.united(caps);
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
    double scaleX = std::hypot(toDevice.m11(), toDevice.m12());
    double scaleY = std::hypot(toDevice.m21(), toDevice.m22());
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
    return {Outline(toDevice.map(path), style, std::max(1.0, deviceWidth)), QTransform()};
}

} // namespace vidorama::swf
