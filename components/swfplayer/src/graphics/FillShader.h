#pragma once

#include "graphics/GradientRamp.h"
#include "graphics/Styles.h"
#include "swf/Color.h"

#include <QImage>
#include <QTransform>
#include <memory>

namespace vidorama::swf {

class BitmapDef;

// Computes the premultiplied colour of a non-solid fill at target pixels.
class FillShader {
public:
    virtual ~FillShader() = default;
    // Colours of count pixels of row y starting at column x, sampled at the
    // pixel centres.
    virtual void shadeRow(int x, int y, int count, QRgb* out) const = 0;
};

// toDevice maps the shape's twips to target pixels. Returns null when the fill
// draws nothing (a missing bitmap, a fill matrix that collapses everything).
std::unique_ptr<FillShader> MakeGradientShader(const FillStyle& fill, const ColorTransform& colors,
                                               const QTransform& toDevice);
std::unique_ptr<FillShader> MakeBitmapShader(const FillStyle& fill, const ColorTransform& colors,
                                             const QTransform& toDevice, const BitmapDef* bitmap);

// Applies a colour transform to every pixel of a premultiplied image, on its
// straight colours, as Flash transforms bitmaps; fully transparent pixels stay
// transparent, since an alpha offset does not bring back what a bitmap leaves
// out.
QImage TransformColors(const QImage& image, const ColorTransform& colors);

} // namespace vidorama::swf
