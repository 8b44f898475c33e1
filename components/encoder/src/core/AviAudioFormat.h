#pragma once

#include "core/OutputPlan.h"
#include "core/Status.h"

namespace vidorama::encoder {

enum class AviAudioCodec { Pcm, Alaw, Mp3, Ulaw, Adpcm, Gsm };

// The sound format of an AVI output as the SetAviAudio* operations give it.
struct AviAudioFormat {
    AviAudioCodec codec = AviAudioCodec::Pcm;
    int sampleRate = 44100;
    int channels = 2;
    int bits = 16;
    int kbps = 128;
};

// GSM 06.10 is defined for 8 kHz mono only, so that is what it gets whatever
// rate was asked for; the resampler brings the sound down to it.
inline constexpr int kGsmSampleRate = 8000;

Status validateAviAudio(const AviAudioFormat& format);
AudioStreamPlan aviAudioStream(const AviAudioFormat& format);

} // namespace vidorama::encoder
