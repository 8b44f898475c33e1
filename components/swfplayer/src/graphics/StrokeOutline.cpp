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

QPainterPath Outline(const QPainterPath& path, const LineStyle& style, double width) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(ToQt(style.startCap));
    stroker.setJoinStyle(ToQt(style.join));
    stroker.setMiterLimit(style.miterLimit);
    return stroker.createStroke(path);
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
