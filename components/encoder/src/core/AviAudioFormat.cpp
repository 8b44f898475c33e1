#include "core/AviAudioFormat.h"

namespace vidorama::encoder {

namespace {

constexpr int kMinSampleRate = 8000;
constexpr int kMaxSampleRate = 48000;
constexpr int kMinMp3Kbps = 8;
constexpr int kMaxMp3Kbps = 320;

} // namespace

Status validateAviAudio(const AviAudioFormat& format) {
    if (format.sampleRate < kMinSampleRate || format.sampleRate > kMaxSampleRate)
        return Status::failure(ErrorKind::InvalidArgument,
                               "The sound sample rate is outside 8,000 to 48,000 Hz.");
    if (format.channels != 1 && format.channels != 2)
        return Status::failure(ErrorKind::InvalidArgument, "The sound must be mono or stereo.");
    if (format.codec == AviAudioCodec::Pcm && format.bits != 8 && format.bits != 16)
        return Status::failure(ErrorKind::InvalidArgument, "PCM sound must have 8 or 16 bits.");
    if (format.codec == AviAudioCodec::Mp3 &&
        (format.kbps < kMinMp3Kbps || format.kbps > kMaxMp3Kbps))
        return Status::failure(ErrorKind::InvalidArgument,
                               "The MP3 bit rate is outside 8 to 320 kbit/s.");
    return Status::success();
}

AudioStreamPlan aviAudioStream(const AviAudioFormat& format) {
    AudioStreamPlan plan{"pcm_s16le", format.sampleRate, format.channels, 0};
    switch (format.codec) {
    case AviAudioCodec::Pcm:
        plan.encoderName = format.bits == 8 ? "pcm_u8" : "pcm_s16le";
        break;
    case AviAudioCodec::Alaw:
        plan.encoderName = "pcm_alaw";
        break;
    case AviAudioCodec::Ulaw:
        plan.encoderName = "pcm_mulaw";
        break;
    case AviAudioCodec::Mp3:
        plan.encoderName = "libmp3lame";
        plan.bitRate = std::int64_t{format.kbps} * 1000;
        break;
    case AviAudioCodec::Adpcm:
        plan.encoderName = "adpcm_ms";
        break;
    case AviAudioCodec::Gsm:
        plan.encoderName = "libgsm_ms";
        plan.sampleRate = kGsmSampleRate;
        plan.channels = 1;
        break;
    }
    return plan;
}

} // namespace vidorama::encoder
