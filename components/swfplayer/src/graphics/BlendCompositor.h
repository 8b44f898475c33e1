#pragma once

#include "graphics/Effects.h"

#include <QImage>
#include <QRect>

namespace vidorama::swf {

// Flash's blend of one premultiplied ARGB pixel (the object's) onto another
// (what is beneath). A fully transparent source leaves the destination alone
// in every mode: only the object's own pixels take part.
QRgb BlendPixel(BlendMode mode, QRgb source, QRgb destination);

// Blends one area of a premultiplied ARGB32 layer onto a layer of the same
// size and kind beneath it.
void CompositeBlended(QImage& destination, const QImage& layer, QRect area, BlendMode mode);

} // namespace vidorama::swf
