#include "core/FrameRate.h"

extern "C" {
#include <libavutil/mathematics.h>
}

#include <array>
#include <cmath>

namespace vidorama::encoder {

namespace {

constexpr int kMaxTimeBaseDenominator = 65535;
constexpr double kSameClockTolerance = 0.005;

constexpr std::array<AVRational, 8> kMpegFrameRates{{
    {24000, 1001},
    {24, 1},
    {25, 1},
    {30000, 1001},
    {30, 1},
    {50, 1},
    {60000, 1001},
    {60, 1},
}};

} // namespace

AVRational frameRateFromDouble(double framesPerSecond) {
    if (!std::isfinite(framesPerSecond) || framesPerSecond <= 0.0)
        return AVRational{0, 1};
    return av_d2q(framesPerSecond, kMaxTimeBaseDenominator);
}

std::span<const AVRational> mpegFrameRates() {
    return kMpegFrameRates;
}

AVRational nearestFrameRate(AVRational wanted, std::span<const AVRational> legal) {
    const double target = av_q2d(wanted);
    AVRational best = legal.front();
    for (AVRational candidate : legal) {
        if (std::fabs(av_q2d(candidate) - target) < std::fabs(av_q2d(best) - target))
            best = candidate;
    }
    return best;
}

bool isSameClock(AVRational a, AVRational b) {
    const double x = av_q2d(a);
    const double y = av_q2d(b);
    return x > 0.0 && y > 0.0 && std::fabs(x - y) <= kSameClockTolerance * y;
}

FrameRepeater::FrameRepeater(AVRational sourceRate, AVRational streamRate)
    : m_sourceRate(sourceRate), m_streamRate(streamRate),
      m_identity(isSameClock(sourceRate, streamRate)) {}

int FrameRepeater::nextCount() {
    if (m_identity)
        return 1;
    // Stream frames that start before the end of caller frame n:
    // the k with k / streamRate < n / sourceRate, rounded up.
    ++m_sourceFrames;
    const std::int64_t total =
        av_rescale_rnd(m_sourceFrames, std::int64_t{m_streamRate.num} * m_sourceRate.den,
                       std::int64_t{m_streamRate.den} * m_sourceRate.num, AV_ROUND_UP);
    const std::int64_t count = total - m_streamFrames;
    m_streamFrames = total;
    return static_cast<int>(count);
}

} // namespace vidorama::encoder
