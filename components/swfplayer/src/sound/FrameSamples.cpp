#include "sound/FrameSamples.h"

#include "sound/SoundFormat.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf {

namespace {
// A movie may declare a rate of 0; it is played at the slowest rate a player
// keeps, as the real-time player does.
constexpr double kMinFramesPerSecond = 0.01;
} // namespace

FrameSamples::FrameSamples(double framesPerSecond)
    : m_framesPerSecond(std::isfinite(framesPerSecond)
                            ? std::max(framesPerSecond, kMinFramesPerSecond)
                            : kMinFramesPerSecond) {
    double scaled = m_framesPerSecond * 256;
    if (scaled == std::floor(scaled) && scaled < 1e12)
        m_rate256 = static_cast<std::uint64_t>(scaled);
}

std::uint64_t FrameSamples::startOf(std::uint64_t frame) const {
    if (m_rate256 > 0 && frame < (std::uint64_t(1) << 40))
        return frame * kOutputRate * 256 / m_rate256;
    return static_cast<std::uint64_t>(std::floor(double(frame) * kOutputRate / m_framesPerSecond));
}

} // namespace vidorama::swf
