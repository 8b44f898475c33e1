#pragma once

#include "graphics/Effects.h"

#include <QImage>
#include <QPoint>
#include <QRect>

namespace vidorama::swf {

// The shadow-like filters, each run over `area` of a premultiplied ARGB32
// layer that is transparent outside it and big enough for the filter's reach.
void ApplyShadow(QImage& layer, QRect area, const ShadowFilter& filter);
void ApplyBevel(QImage& layer, QRect area, const BevelFilter& filter);
void ApplyGradientFilter(QImage& layer, QRect area, const GradientFilter& filter);

// The filter's offset in whole target pixels: `distance` along `angle`.
QPoint FilterOffset(double angle, double distance);

} // namespace vidorama::swf
