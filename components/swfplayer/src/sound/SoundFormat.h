#pragma once

#include "vidorama/swf/FrameRate.h"

#include <cstdint>

namespace vidorama::swf {

// Every sound leaves the engine as interleaved 16-bit stereo at this rate.
inline constexpr int kOutputRate = static_cast<int>(kSoundRate);
inline constexpr int kOutputChannels = kSoundChannels;

// The codes SWF stores in the format nibble of DefineSound and SoundStreamHead.
enum class SoundCodec : std::uint8_t {
    UncompressedNative = 0,
    Adpcm = 1,
    Mp3 = 2,
    UncompressedLittleEndian = 3,
    Nellymoser16k = 4,
    Nellymoser8k = 5,
    Nellymoser = 6,
    Speex = 11,
};

// How a sound is stored: codec, rate code and sample layout, as one format
// byte describes them.
struct SoundFormat {
    SoundCodec codec = SoundCodec::UncompressedNative;
    // 0..3 for 5.5, 11, 22 and 44 kHz.
    std::uint8_t rateCode = 3;
    bool sixteenBit = true;
    bool stereo = false;

    // Reads the format byte: codec (4 bits), rate (2), size (1), type (1).
    static SoundFormat FromByte(std::uint8_t byte);

    // The rate the data is coded at. Some codecs fix their own rate whatever
    // the rate code says; 5.5 kHz is really 44,100 / 8 and is reported as 5512.
    int sampleRate() const;
    // The same in samples a second, exact for 5.5 kHz.
    double samplesPerSecond() const;
    // The most samples at the sound's own rate that make outputFrames frames
    // at 44.1 kHz. MP3 data may be coded at any MPEG rate whatever the rate
    // code says, so the highest, 48 kHz, is assumed for it.
    std::uint64_t samplesFor(std::uint64_t outputFrames) const;
    // Nellymoser and Speex are mono by definition.
    int channels() const;
    bool known() const;

    bool operator==(const SoundFormat&) const = default;
};

} // namespace vidorama::swf
