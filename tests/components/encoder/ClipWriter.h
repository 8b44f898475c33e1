#pragma once

#include "vidorama/encoder/IVideoEncoder.h"

#include <cstdint>

namespace vidorama::encoder::test {

// One short clip as the program's encode pass would write it: frames of a
// moving pattern and blocks of a 440 Hz tone (2,048 stereo samples, the
// program's 8,192-byte blocks), interleaved by asking the encoder which
// stream is behind. Frame 4 repeats frame 3, as a skipped capture slot does.
struct ClipShape {
    int width = 64;
    int height = 48;
    double frameRate = 10.0;
    int frames = 12;
    int audioBlocks = -1; // -1: as many whole blocks as fit in the video's time
    bool noise = false;   // random pixels, the worst case for a codec
};

struct ClipResult {
    HRESULT status = S_OK; // the first failure, if any
    int framesWritten = 0;
    std::int64_t sampleFramesWritten = 0; // per channel, at 44,100 Hz
    bool positionsGrew = true;
};

inline constexpr int kBlockSampleFrames = 2048;
inline constexpr int kInputSampleRate = 44100;

ClipResult writeClip(IVideoEncoder& encoder, const ClipShape& clip);

} // namespace vidorama::encoder::test
