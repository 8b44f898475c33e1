#pragma once

#include "swf/Limits.h"

#include <cstdint>

namespace vidorama::swf {

struct PictureSize {
    int width = 0;
    int height = 0;
    bool operator==(const PictureSize&) const = default;
};

// Whether a picture of this size may be made at all.
constexpr bool FitsPictureLimit(int width, int height) {
    return width > 0 && height > 0 &&
           static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) <=
               Limits::kMaxPicturePixels;
}

// A size within the picture limit, of the same shape: the size itself when
// it fits, or else the stage scaled down. Scaled sides are whole blocks of
// kPictureBlock pixels, so that an encoder that rounds sizes up to its
// blocks does not take the picture over the limit again.
inline constexpr int kPictureBlock = 32;
PictureSize FitPictureLimit(int width, int height);

} // namespace vidorama::swf
