#pragma once

#include "core/AviAudioFormat.h"
#include "core/OutputPlan.h"

#include <optional>

namespace vidorama::encoder {

struct VideoFormat {
    int width = 320;
    int height = 240;
    double frameRate = 10.0;
};

struct MpegVideoSettings {
    int version = 1;
    int kbps = 1150;
    VideoFormat format;
};

struct MpegAudioSettings {
    int kbps = 128;
    int sampleRate = 44100;
    int channels = 2;
};

// What the configuration operations have set so far. Each output kind reads
// its own part when an output is opened; the last call before OpenOutput wins.
struct EncoderSettings {
    VideoFormat video;                   // the caller's frames
    std::optional<VideoFormat> aviVideo; // the AVI picture, when it was given apart
    AviAudioFormat aviAudio;
    std::optional<MpegVideoSettings> mpegVideo;
    MpegAudioSettings mpegAudio;
    AudioInputFormat audioInput;
};

} // namespace vidorama::encoder
