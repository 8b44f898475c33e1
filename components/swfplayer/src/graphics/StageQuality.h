#pragma once

#include <cstdint>

namespace vidorama::swf {

// Flash's rendering quality setting. Low draws shapes with hard, aliased
// edges; the others anti-alias them. Bitmap fills keep the smoothing their
// style asks for at every quality: captures made at low quality show
// smoothed bitmaps.
enum class StageQuality : std::uint8_t { Low, Medium, High, Best };

inline bool AntialiasesShapes(StageQuality quality) {
    return quality != StageQuality::Low;
}

} // namespace vidorama::swf
