#pragma once

#include <cmath>
#include <cstdint>
#include <numeric>

namespace vidorama::swf {

// The engine's sound, as every output is fed with it: interleaved 16-bit
// stereo at this rate.
inline constexpr std::int64_t kSoundRate = 44100;
inline constexpr int kSoundChannels = 2;

// A frame rate as an exact fraction, so that a movie's 8.8 fixed point rate
// or an output's 30000/1001 stays what it is, and frame times and sound
// counts are whole numbers that never drift however long the movie runs.
struct FrameRate {
    std::int64_t num = 0;
    std::int64_t den = 1;

    static constexpr FrameRate Reduced(std::int64_t num, std::int64_t den) {
        const std::int64_t common = std::gcd(num, den);
        return common > 0 ? FrameRate{num / common, den / common} : FrameRate{0, 1};
    }
    // A movie header keeps its rate in 8.8 fixed point, so the rate it
    // declares is an exact fraction over 256; 0 when it declares none.
    static FrameRate OfMovieHeader(double framesPerSecond) {
        const double raw = std::isfinite(framesPerSecond) ? std::round(framesPerSecond * 256) : 0;
        return raw > 0 && raw < 65536 ? Reduced(static_cast<std::int64_t>(raw), 256)
                                      : FrameRate{0, 1};
    }

    double value() const { return static_cast<double>(num) / static_cast<double>(den); }
    bool operator==(const FrameRate&) const = default;

    // Where frame k's sound starts, in sample frames from the first frame's:
    // floor(k x 44100 / rate). The whole periods are taken apart from the
    // remainder so that the products stay small for any frame count.
    constexpr std::int64_t samplesBefore(std::int64_t frame) const {
        if (num <= 0)
            return 0;
        const std::int64_t periods = frame / num;
        const std::int64_t rest = frame % num;
        return periods * kSoundRate * den + rest * kSoundRate * den / num;
    }
    // The sample frames that belong to frame k.
    constexpr std::int64_t samplesOf(std::int64_t frame) const {
        return samplesBefore(frame + 1) - samplesBefore(frame);
    }
};

} // namespace vidorama::swf
