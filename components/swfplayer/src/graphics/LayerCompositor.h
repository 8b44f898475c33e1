#pragma once

#include <QImage>
#include <QRect>

namespace vidorama::swf {

// What a mask's content layer holds: the objects drawn alone on a clear layer,
// or drawn over the layer beneath.
enum class MaskedContent { DrawnAlone, OverBackdrop };

// Brings the masked content of one area onto the layer beneath: content is a
// premultiplied ARGB32 layer, mask an Alpha8 coverage layer of the same size,
// and the destination either kind (a mask drawn inside another mask's shapes
// lands on an Alpha8 layer, always with content drawn alone). Content drawn
// alone is blended over the destination; content over a backdrop replaces it
// as far as the mask covers.
void CompositeMasked(QImage& destination, const QImage& content, const QImage& mask, QRect area,
                     MaskedContent kind);

// Adds the alpha of one area of a premultiplied ARGB32 picture to an Alpha8
// mask of the same size, as an opaque layer over what the mask holds: an
// alpha mask covers as much as its picture is opaque.
void AddAlphaToMask(QImage& mask, const QImage& picture, QRect area);

// Puts one area of `beneath` under the same area of `layer`, both
// premultiplied ARGB32 images of the same size.
void UnderlayArea(QImage& layer, const QImage& beneath, QRect area);

} // namespace vidorama::swf
