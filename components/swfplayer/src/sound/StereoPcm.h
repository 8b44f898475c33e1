#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vidorama::swf {

// Decoded sound as the mixer takes it: 16-bit samples at 44.1 kHz, left and
// right interleaved.
using StereoPcm = std::vector<std::int16_t>;

inline std::size_t FrameCount(const StereoPcm& pcm) {
    return pcm.size() / 2;
}

} // namespace vidorama::swf
