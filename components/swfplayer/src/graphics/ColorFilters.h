#pragma once

#include "graphics/Effects.h"

#include <QImage>
#include <QRect>

namespace vidorama::swf {

// The per-pixel filters, run over `area` of a premultiplied ARGB32 layer.
void ApplyColorMatrix(QImage& layer, QRect area, const ColorMatrixFilter& filter);
// The convolution reads the pixels around each one; those beyond `area` are
// the edge pixels when the filter clamps, else its default colour.
void ApplyConvolution(QImage& layer, QRect area, const ConvolutionFilter& filter);

// A colour transform over a layer's pixels, as over a bitmap's: on straight
// colours, leaving fully transparent pixels alone.
void ApplyColorTransform(QImage& layer, QRect area, const ColorTransform& colors);

} // namespace vidorama::swf
