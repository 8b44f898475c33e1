#pragma once

#include "core/Status.h"

#include <cstdint>
#include <span>

class QImage;

namespace vidorama::cli {

// Where a conversion's frames and sound go, in the order they are made. Each
// call answers the encoder's status, whose message is what the user is told
// when it fails; after a failure the conversion stops and the sink is
// abandoned.
class FrameSink {
public:
    virtual ~FrameSink() = default;

    // A frame of the output's size in Format_ARGB32_Premultiplied.
    virtual encoder::Status writeFrame(const QImage& frame) = 0;
    // The same picture as the frame before, once more.
    virtual encoder::Status repeatFrame() = 0;
    // Interleaved 16-bit stereo at 44,100 Hz: the sound since the last call.
    virtual encoder::Status writeSound(std::span<const std::int16_t> samples) = 0;
    // Completes the output.
    virtual encoder::Status finish() = 0;
    // Stops writing and removes what was written.
    virtual void abandon() = 0;
};

} // namespace vidorama::cli
