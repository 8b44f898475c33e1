#pragma once

#include <optional>
#include <string>

namespace vidorama::encoder {

// A picture size a video encoder refuses when it is opened, found before it
// is: which rule the size breaks, and the largest size of the same shape that
// keeps it.
struct CodecSizeBreach {
    std::string rule;
    int fittingWidth = 0;
    int fittingHeight = 0;
};

// Checks a size against what FFmpeg's encoder and muxer of those names
// accept: MPEG-1 at most 4095 pixels a side, MPEG-2 16383 and no side a
// multiple of 4096, MPEG-4 part 2 8191, x264 and VP9 16384, Motion JPEG
// 65500, GIF and AVI files 65535, RealVideo 1 fewer than 4096 macroblocks.
// Encoders and containers without a limit of their own pass.
std::optional<CodecSizeBreach> CheckCodecPictureSize(const std::string& encoderName,
                                                     const std::string& muxerName, int width,
                                                     int height);

} // namespace vidorama::encoder
