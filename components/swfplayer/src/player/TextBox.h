#pragma once

#include "graphics/ShapeDef.h"
#include "swf/Color.h"
#include "swf/Geometry.h"

#include <optional>
#include <utility>
#include <vector>

namespace vidorama::swf {

// A text field's background and border as a shape, with the matrix that
// draws it. Flash draws the border as one-pixel lines on whole pixels, from
// the bounds' top-left pixel to their bottom-right one (which it leaves
// out), whatever the field's scale; a rotated or skewed field gets a hairline
// around its transformed bounds instead.
struct TextBox {
    ShapeDef::Data shape;
    Matrix matrix;
};

// matrix maps the field's twips to target pixels.
TextBox MakeTextBox(const Rect& bounds, const Matrix& matrix, std::optional<Rgba> background,
                    std::optional<Rgba> border);

// Filled rectangles in their colours, as the lines under text are drawn.
ShapeDef::Data MakeRectsShape(const std::vector<std::pair<Rect, Rgba>>& rects);

// The area a text field shows its text in: the whole pixels inside the
// bounds' edges, where the right and bottom border lines are left out.
TextBox MakeTextClip(const Rect& bounds, const Matrix& matrix);

} // namespace vidorama::swf
