#pragma once

#include "swf/Geometry.h"

#include <optional>
#include <utility>

namespace vidorama::swf {

class DisplayObject;

// The bounding box of an object's drawing (its character, its script
// drawing and its children) in twips after the given transform.
Rect BoundsOf(const DisplayObject& object, const Matrix& matrix);

// The top left corner of that box, unrounded; nothing when the object
// draws nothing.
std::optional<std::pair<double, double>> TopLeftOf(const DisplayObject& object,
                                                   const Matrix& matrix);

// The width and height of that box, unrounded; nothing when the object
// draws nothing.
std::optional<std::pair<double, double>> SizeOf(const DisplayObject& object, const Matrix& matrix);

// The box in the parent's space, as _width and _height measure it.
Rect BoundsInParent(const DisplayObject& object);

} // namespace vidorama::swf
