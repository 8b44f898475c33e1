#pragma once

#include <cstdint>
#include <span>
#include <string>

class QImage;

namespace vidorama::cli {

// Where a conversion's frames and sound go, in the order they are made. Each
// call answers an error message, or an empty string when all is well; after
// an error the conversion stops and the sink is abandoned.
class FrameSink {
public:
    virtual ~FrameSink() = default;

    // A frame of the output's size in Format_ARGB32_Premultiplied.
    virtual std::string writeFrame(const QImage& frame) = 0;
    // The same picture as the frame before, once more.
    virtual std::string repeatFrame() = 0;
    // Interleaved 16-bit stereo at 44,100 Hz: the sound since the last call.
    virtual std::string writeSound(std::span<const std::int16_t> samples) = 0;
    // Completes the output.
    virtual std::string finish() = 0;
    // Stops writing and removes what was written.
    virtual void abandon() = 0;
};

} // namespace vidorama::cli
