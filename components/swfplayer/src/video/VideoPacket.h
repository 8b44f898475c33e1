#pragma once

#include "video/VideoCodec.h"

#include <cstdint>
#include <optional>
#include <span>

namespace vidorama::swf {

// What the player reads from a VideoFrame's data before decoding it.
struct VideoPacket {
    // The bytes the codec's decoder is given.
    std::span<const std::uint8_t> payload;
    // Decodable without the frames before it.
    bool keyframe = false;
};

VideoPacket InspectVideoPacket(VideoCodec codec, std::span<const std::uint8_t> data);

// The fields of a Sorenson H.263 picture header that decide its post filter.
struct H263PictureHeader {
    bool intra = false;
    bool deblocking = false;
    int quantizer = 0;
};

std::optional<H263PictureHeader> ReadH263PictureHeader(std::span<const std::uint8_t> data);

} // namespace vidorama::swf
