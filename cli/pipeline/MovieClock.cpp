#include "pipeline/MovieClock.h"

extern "C" {
#include <libavutil/mathematics.h>
}

#include <cmath>

namespace vidorama::cli {

std::int64_t MovieClock::movieFrameAt(std::int64_t outputFrame) const {
    return av_rescale_rnd(outputFrame, m_movie.num * m_output.den, m_movie.den * m_output.num,
                          AV_ROUND_DOWN);
}

std::int64_t MovieClock::movieFramesBefore(std::int64_t outputFrame) const {
    return av_rescale_rnd(outputFrame, m_movie.num * m_output.den, m_movie.den * m_output.num,
                          AV_ROUND_UP);
}

std::int64_t MovieClock::outputFramesFor(std::int64_t movieFrames) const {
    return av_rescale_rnd(movieFrames, m_output.num * m_movie.den, m_output.den * m_movie.num,
                          AV_ROUND_UP);
}

std::int64_t MovieClock::outputFramesIn(double seconds) const {
    return std::llround(seconds * m_output.value());
}

std::int64_t MovieClock::movieFrameAtTime(double seconds) const {
    // A hair of tolerance keeps "1s" at 30 fps on frame 30 rather than 29
    // when the decimal does not convert exactly.
    return static_cast<std::int64_t>(std::floor(seconds * m_movie.value() + 1e-9));
}

std::int64_t MovieClock::movieFrameSamples(std::int64_t movieFrame) const {
    return m_movie.samplesOf(movieFrame);
}

std::int64_t MovieClock::outputSamplesBefore(std::int64_t outputFrames) const {
    return m_output.samplesBefore(outputFrames);
}

} // namespace vidorama::cli
