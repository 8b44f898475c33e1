#pragma once

#include "graphics/Renderer.h"

#include <optional>

namespace vidorama::swf {
class BitmapDef;
class MorphShapeDef;
class ShapeDef;
} // namespace vidorama::swf

namespace vidorama::cli {

// The target pixels one draw call may change: its paths' control points
// mapped by its matrix, widened by its strokes and by a margin for
// anti-aliasing and pixel hinting. Empty when it draws nothing; none when
// the matrix takes it out of reach of any bound.
std::optional<swf::PixelBox> ShapeArea(const swf::ShapeDef& shape, const swf::Matrix& matrix);
// A morph at any ratio lies between its start and end points.
std::optional<swf::PixelBox> MorphArea(const swf::MorphShapeDef& morph, const swf::Matrix& matrix);
std::optional<swf::PixelBox> BitmapArea(const swf::BitmapDef& bitmap, const swf::Matrix& matrix);

} // namespace vidorama::cli
