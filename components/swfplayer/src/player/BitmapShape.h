#pragma once

#include <memory>

namespace vidorama::swf {

class BitmapDef;
class ShapeDef;

// A bitmap placed on a display list by itself is drawn as a rectangle of its
// size in pixels, filled with the bitmap clipped and not smoothed, from the
// origin: the shape Flash itself makes of it.
std::shared_ptr<const ShapeDef> MakeBitmapShape(const BitmapDef& bitmap);

} // namespace vidorama::swf
