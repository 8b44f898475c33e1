#pragma once

#include <cstdint>
#include <vector>

namespace vidorama::sample {

// The repository's own sample movie: four seconds at 24 frames a second on a
// 480 x 360 stage, with gradient-filled and outlined shapes moving, a bitmap
// bouncing, and a stream sound whose notes start on the frames where a
// light in the corner flashes.
struct SampleMovieFacts {
    static constexpr int kWidth = 480;
    static constexpr int kHeight = 360;
    static constexpr int kFramesPerSecond = 24;
    static constexpr int kFrames = 96;
    // A note starts, and the light goes on, every this many frames.
    static constexpr int kBeatFrames = 12;
    static constexpr int kSoundRate = 22050;
};

// The movie file, zlib-compressed as authoring tools write it.
std::vector<std::uint8_t> BuildSampleMovie();

} // namespace vidorama::sample
