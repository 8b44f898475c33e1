#include "swf/PictureLimit.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf {

namespace {

int ScaledSide(int side, double scale) {
    const int scaled = static_cast<int>(std::floor(side * scale / kPictureBlock)) * kPictureBlock;
    return std::max(scaled, std::min(side, kPictureBlock));
}

} // namespace

PictureSize FitPictureLimit(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (FitsPictureLimit(width, height))
        return {width, height};
    double scale = std::sqrt(static_cast<double>(Limits::kMaxPicturePixels) /
                             (static_cast<double>(width) * height));
    // A very long, thin stage keeps its short side, and the long one gives.
    PictureSize fitted{ScaledSide(width, scale), ScaledSide(height, scale)};
    while (!FitsPictureLimit(fitted.width, fitted.height)) {
        scale *= 0.99;
        if (fitted.width >= fitted.height)
            fitted.width = ScaledSide(width, scale);
        else
            fitted.height = ScaledSide(height, scale);
    }
    return fitted;
}

} // namespace vidorama::swf
