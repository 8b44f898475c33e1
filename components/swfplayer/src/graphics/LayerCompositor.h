#pragma once

#include <QImage>
#include <QRect>

namespace vidorama::swf {

// Blends the masked content of one area onto the layer beneath: content is a
// premultiplied ARGB32 layer, mask an Alpha8 coverage layer of the same size,
// and the destination either kind (a mask drawn inside another mask's shapes
// lands on an Alpha8 layer).
void CompositeMasked(QImage& destination, const QImage& content, const QImage& mask, QRect area);

} // namespace vidorama::swf
