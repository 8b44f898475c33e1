#include "sound/SoundFormat.h"

#include <cmath>

namespace vidorama::swf {

namespace {
constexpr int kRates[4] = {5512, 11025, 22050, 44100};
constexpr int kNellymoser16kRate = 16000;
constexpr int kNellymoser8kRate = 8000;
constexpr int kSpeexRate = 16000;
constexpr double kHighestMp3Rate = 48000;
} // namespace

SoundFormat SoundFormat::FromByte(std::uint8_t byte) {
    SoundFormat format;
    format.codec = static_cast<SoundCodec>(byte >> 4);
    format.rateCode = static_cast<std::uint8_t>((byte >> 2) & 3);
    format.sixteenBit = (byte & 2) != 0;
    format.stereo = (byte & 1) != 0;
    return format;
}

int SoundFormat::sampleRate() const {
    switch (codec) {
    case SoundCodec::Nellymoser16k:
    case SoundCodec::Speex:
        return codec == SoundCodec::Speex ? kSpeexRate : kNellymoser16kRate;
    case SoundCodec::Nellymoser8k:
        return kNellymoser8kRate;
    default:
        return kRates[rateCode & 3];
    }
}

double SoundFormat::samplesPerSecond() const {
    return sampleRate() == kRates[0] ? kOutputRate / 8.0 : sampleRate();
}

std::uint64_t SoundFormat::samplesFor(std::uint64_t outputFrames) const {
    double rate = codec == SoundCodec::Mp3 ? kHighestMp3Rate : samplesPerSecond();
    return static_cast<std::uint64_t>(std::ceil(double(outputFrames) * rate / kOutputRate));
}

int SoundFormat::channels() const {
    switch (codec) {
    case SoundCodec::Nellymoser16k:
    case SoundCodec::Nellymoser8k:
    case SoundCodec::Nellymoser:
    case SoundCodec::Speex:
        return 1;
    default:
        return stereo ? 2 : 1;
    }
}

bool SoundFormat::known() const {
    switch (codec) {
    case SoundCodec::UncompressedNative:
    case SoundCodec::Adpcm:
    case SoundCodec::Mp3:
    case SoundCodec::UncompressedLittleEndian:
    case SoundCodec::Nellymoser16k:
    case SoundCodec::Nellymoser8k:
    case SoundCodec::Nellymoser:
    case SoundCodec::Speex:
        return true;
    }
    return false;
}

} // namespace vidorama::swf
