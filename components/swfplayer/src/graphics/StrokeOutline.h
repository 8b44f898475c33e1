#pragma once

#include "graphics/Styles.h"

#include <QPainterPath>
#include <QTransform>

namespace vidorama::swf {

// The area a stroke covers, ready to be filled: the outline and the transform
// that maps it to target pixels.
struct StrokeArea {
    QPainterPath outline;
    QTransform toDevice;
    // At most one target pixel wide before the one-pixel minimum.
    bool thin = false;
};

// Strokes scale with the shape unless the style's no-scale flags keep their
// width fixed in one or both directions, and are never thinner than one target
// pixel, so that hairlines stay visible at any size.
StrokeArea OutlineStroke(const QPainterPath& path, const LineStyle& style,
                         const QTransform& toDevice);

} // namespace vidorama::swf
