#pragma once

#include "core/Status.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace vidorama::encoder {

// Blurs a picture by shrinking it by 2^level and stretching it back. A
// smoothed key frame needs far fewer bits, which is how a frame that a
// container cannot carry is made to fit.
class FrameSmoother {
public:
    // destination gets source's format and size and new buffers.
    static Status smooth(const AVFrame& source, int level, AVFrame& destination);
};

} // namespace vidorama::encoder
