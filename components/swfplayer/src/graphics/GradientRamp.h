#pragma once

#include "graphics/Styles.h"
#include "swf/Color.h"

#include <QColor>
#include <array>

namespace vidorama::swf {

// A gradient's 256 colours along its ratio axis, premultiplied, with the
// colour transform applied to the stops first as Flash does.
using GradientRamp = std::array<QRgb, 256>;

GradientRamp BuildGradientRamp(const Gradient& gradient, const ColorTransform& colors);

// Maps a position along the gradient (0 at ratio 0, 1 at ratio 255) into 0..1
// by the spread mode: pad clamps, repeat wraps, reflect mirrors every other
// period.
double ApplySpread(double t, SpreadMode spread);

} // namespace vidorama::swf
