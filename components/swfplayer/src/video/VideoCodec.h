#pragma once

#include <cstdint>

namespace vidorama::swf {

// The codec ids of DefineVideoStream.
enum class VideoCodec : std::uint8_t {
    // What the authoring tool writes for a video object that a script feeds
    // from a stream: no frames of its own, and nothing wrong with the movie.
    None = 0,
    SorensonH263 = 2,
    ScreenVideo = 3,
    Vp6 = 4,
    Vp6Alpha = 5,
    ScreenVideo2 = 6,
};

// How a stream asks for its pictures to be deblocked (DefineVideoStream's
// three deblocking bits). Levels 2 to 4 are VP6's own stronger filters.
enum class VideoDeblocking : std::uint8_t {
    FromPacket = 0,
    Off = 1,
    Level1 = 2,
    Level2 = 3,
    Level3 = 4,
    Level4 = 5,
};

} // namespace vidorama::swf
