#include "player/BitmapShape.h"

#include "graphics/BitmapDef.h"
#include "graphics/ShapeDef.h"

namespace vidorama::swf {

std::shared_ptr<const ShapeDef> MakeBitmapShape(const BitmapDef& bitmap) {
    auto right = static_cast<std::int32_t>(bitmap.width() * kTwipsPerPixel);
    auto bottom = static_cast<std::int32_t>(bitmap.height() * kTwipsPerPixel);
    ShapeDef::Data data;
    data.bounds = {0, right, 0, bottom};
    data.edgeBounds = data.bounds;
    FillStyle fill;
    fill.type = FillType::Bitmap;
    fill.matrix = Matrix::scale(kTwipsPerPixel, kTwipsPerPixel);
    fill.bitmapId = bitmap.id();
    fill.bitmapRepeats = false;
    fill.bitmapSmoothed = false;
    data.fillStyles.push_back(fill);
    StyledPath rectangle;
    rectangle.path.moveTo({0, 0});
    rectangle.path.lineTo({right, 0});
    rectangle.path.lineTo({right, bottom});
    rectangle.path.lineTo({0, bottom});
    rectangle.path.lineTo({0, 0});
    data.layers.push_back({{rectangle}, {}});
    return std::make_shared<const ShapeDef>(bitmap.id(), std::move(data));
}

} // namespace vidorama::swf
