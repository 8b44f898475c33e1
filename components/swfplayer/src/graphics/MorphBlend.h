#pragma once

#include "graphics/Styles.h"

namespace vidorama::swf {

// Styles of a morph shape at t (0..1): colours, widths, matrices, focal
// points and every gradient stop blend linearly; everything else comes from
// the start style.
FillStyle BlendFill(const FillStyle& start, const FillStyle& end, double t);
LineStyle BlendLine(const LineStyle& start, const LineStyle& end, double t);

} // namespace vidorama::swf
