#pragma once

#include <cstddef>
#include <cstdint>

namespace vidorama::swf {

// Where each frame's sound starts in the 44.1 kHz output: frame k (0-based)
// starts at sample frame floor(k * 44100 / fps), so a frame's share is the
// difference of two such values and fractions carry over from frame to frame.
// Frame rates come from 8.8 fixed point, so the division is done exactly.
class FrameSamples {
public:
    explicit FrameSamples(double framesPerSecond);

    std::uint64_t startOf(std::uint64_t frame) const;
    // Sample frames of frame k.
    std::size_t countOf(std::uint64_t frame) const {
        return static_cast<std::size_t>(startOf(frame + 1) - startOf(frame));
    }

private:
    // The frame rate in 1/256 frames a second, or 0 when it is not a whole
    // number of those.
    std::uint64_t m_rate256 = 0;
    double m_framesPerSecond;
};

} // namespace vidorama::swf
