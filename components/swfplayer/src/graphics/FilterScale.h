#pragma once

#include "graphics/Effects.h"

namespace vidorama::swf {

// A filter with its blur sizes and offset turned from stage pixels into
// target pixels, for a view that stretches the stage by scaleX x scaleY.
Filter ScaleFilter(const Filter& filter, double scaleX, double scaleY);

} // namespace vidorama::swf
