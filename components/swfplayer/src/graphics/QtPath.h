#pragma once

#include "graphics/ShapePath.h"

#include <QPainterPath>

namespace vidorama::swf {

// A shape path as a QPainterPath in twips. Close verbs are kept only when
// closeContours is set (strokes of styles without the no-close flag).
QPainterPath ToQPainterPath(const ShapePath& path, bool closeContours = true);

// The path between a morph's start and end shapes at t (0..1); both must
// share their verbs, as the morph parser makes them.
QPainterPath BlendPaths(const ShapePath& start, const ShapePath& end, double t,
                        bool closeContours = true);

} // namespace vidorama::swf
