#pragma once

#include "core/CodecOptions.h"
#include "core/OutputPlan.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vidorama::encoder {

// A codec whose picture size and rate are fixed by its format (DV).
struct FixedVideoFormat {
    int width;
    int height;
    AVRational frameRate;
};

// One entry of the AVI video codec list as the user sees it.
struct AviCodec {
    std::string name;
    std::string encoderName;
    AVPixelFormat pixelFormat = AV_PIX_FMT_YUV420P;
    std::uint32_t codecTag = 0;
    int sizeMultiple = 1; // width and height are rounded up to this
    CodecCapabilities capabilities;
    CodecOptions defaults;
    KeyFrameField keyFrameField = KeyFrameField::GopSize;
    int threadCount = 1;
    bool keepBottomUpRows = false;
    std::optional<FixedVideoFormat> fixedFormat;
};

// The AVI codecs that the installed FFmpeg can encode, in the order shown to
// the user. Entries whose encoder is missing are left out.
std::vector<AviCodec> availableAviCodecs();

} // namespace vidorama::encoder
