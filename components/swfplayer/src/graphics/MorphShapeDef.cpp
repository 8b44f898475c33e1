#include "graphics/MorphShapeDef.h"

#include <cmath>

namespace vidorama::swf {

Rect MorphShapeDef::bounds(std::uint16_t ratio) const {
    double t = ratio / 65535.0;
    auto mix = [t](std::int32_t a, std::int32_t b) {
        return static_cast<std::int32_t>(std::lround(a + (double(b) - a) * t));
    };
    const Rect& s = m_data.startBounds;
    const Rect& e = m_data.endBounds;
    return {mix(s.xMin, e.xMin), mix(s.xMax, e.xMax), mix(s.yMin, e.yMin), mix(s.yMax, e.yMax)};
}

} // namespace vidorama::swf
