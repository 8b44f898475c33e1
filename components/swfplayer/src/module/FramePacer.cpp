#include "module/FramePacer.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf {

namespace {
constexpr double kMinFps = 0.01;
constexpr double kMaxFps = 1000;
} // namespace

FramePacer::FramePacer(double framesPerSecond)
    : m_fps(
          std::clamp(std::isfinite(framesPerSecond) ? framesPerSecond : kMinFps, kMinFps, kMaxFps)),
      m_start(Clock::now()) {}

std::chrono::milliseconds FramePacer::tickInterval() const {
    // Asking twice per frame keeps each frame within half an interval of
    // its due time.
    auto ms = static_cast<long long>(500.0 / m_fps);
    return std::chrono::milliseconds(std::clamp<long long>(ms, 1, 1000));
}

void FramePacer::restart(Clock::time_point now) {
    m_start = now;
    m_framesCounted = 0;
}

int FramePacer::framesDue(Clock::time_point now) {
    double seconds = std::chrono::duration<double>(now - m_start).count();
    auto total = static_cast<long long>(std::floor(seconds * m_fps));
    long long due = total - m_framesCounted;
    if (due <= 0)
        return 0;
    if (due > kMaxCatchUpFrames) {
        // Too far behind: give up the lost frames and count from here.
        m_framesCounted = total;
        return kMaxCatchUpFrames;
    }
    m_framesCounted = total;
    return static_cast<int>(due);
}

} // namespace vidorama::swf
