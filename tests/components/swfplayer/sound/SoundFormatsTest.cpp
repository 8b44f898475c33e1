// Every SWF sound format decodes to 44.1 kHz stereo: uncompressed data at
// each rate exactly (each sample held, as Flash plays it), the coded formats
// as tones of the right pitch, level and length.

#include "AudioEncoding.h"
#include "MovieSound.h"
#include "SignalAnalysis.h"
#include "SwfSoundWriter.h"

#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

using tags::Codec;
using tags::Format;
using tags::Rate;

constexpr double kFps = 10;

// A one-frame-per-tenth movie that starts the sound in its first frame; the
// sound of `frames` frames comes back.
std::vector<std::int16_t> PlaySound(Format format, std::uint32_t sampleCount, const Bytes& data,
                                    int frames) {
    MovieWriter movie;
    movie.frameRate = kFps;
    movie.tag(tags::DefineSound(1, format, sampleCount, data));
    movie.frame({tags::StartSound(1)});
    for (int i = 1; i < frames; ++i)
        movie.frame();
    auto player = LoadPlayer(movie.bytes());
    EXPECT_NE(player, nullptr);
    return player ? PlayFrames(*player, frames) : std::vector<std::int16_t>();
}

// A ramp covering the whole 16-bit range, so that every sample is distinct.
std::vector<std::int16_t> Ramp(std::size_t count, int channels) {
    std::vector<std::int16_t> samples(count * channels);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(int(i * 7919 % 65536) - 32768);
    return samples;
}

TEST(SoundFormats, UncompressedSoundsHoldEachSampleAtEveryRate) {
    struct Case {
        Rate rate;
        std::size_t repeat;
    };
    for (Case c : {Case{Rate::k5, 8}, Case{Rate::k11, 4}, Case{Rate::k22, 2}, Case{Rate::k44, 1}}) {
        for (bool stereo : {false, true}) {
            for (Codec codec : {Codec::LittleEndian, Codec::Native}) {
                SCOPED_TRACE(testing::Message() << "repeat " << c.repeat << " stereo " << stereo);
                int channels = stereo ? 2 : 1;
                std::vector<std::int16_t> in = Ramp(1000, channels);
                auto out = PlaySound({codec, c.rate, true, stereo}, 1000, tags::PcmBytes(in), 10);
                std::size_t mismatches = 0;
                for (std::size_t i = 0; i < out.size() / 2; ++i) {
                    std::size_t source = i / c.repeat;
                    for (int ch = 0; ch < 2; ++ch) {
                        std::int16_t want =
                            source < 1000 ? in[source * channels + (stereo ? ch : 0)] : 0;
                        mismatches += out[2 * i + ch] != want;
                    }
                }
                EXPECT_EQ(mismatches, 0u);
            }
        }
    }
}

TEST(SoundFormats, EightBitSoundsAreUnsigned) {
    Bytes data = {0, 64, 128, 192, 255};
    auto out = PlaySound({Codec::LittleEndian, Rate::k44, false, false}, 5, data, 1);
    std::vector<std::int16_t> want = {-32768, -16384, 0, 16384, 32512};
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(out[2 * i], want[i]);
        EXPECT_EQ(out[2 * i + 1], want[i]);
    }
    EXPECT_EQ(out[2 * 5], 0);
}

struct CodedCase {
    const char* encoder;
    Format format;
    int rate;
    double levelTolerance;
};

// A 0.6 s tone at 700 Hz and half scale through the encoder and back. (FFmpeg's
// Nellymoser encoder loses much of a 1 kHz tone at 8 and 16 kHz.)
void ExpectCodedTone(const CodedCase& c) {
    SCOPED_TRACE(c.encoder);
    constexpr double kFrequency = 700;
    constexpr double kAmplitude = 0.5;
    std::size_t count = static_cast<std::size_t>(c.rate * 6 / 10);
    auto encoded = Encode(c.encoder, Tone(kFrequency, kAmplitude, c.rate, count, 1), c.rate, 1);
    ASSERT_TRUE(encoded.has_value()) << "FFmpeg lacks the encoder";
    Bytes data;
    if (c.format.codec == Codec::Adpcm) {
        data = JoinAdpcmPackets(encoded->packets, 1);
    } else if (c.format.codec == Codec::Mp3) {
        data = SwfBitWriter().i16(static_cast<std::int16_t>(encoded->delay)).take();
        Bytes frames = Concatenate(encoded->packets);
        data.insert(data.end(), frames.begin(), frames.end());
    } else {
        data = Concatenate(encoded->packets);
    }
    auto out = PlaySound(c.format, static_cast<std::uint32_t>(count), data, 10);
    std::size_t expectedFrames = count * 44100 / c.rate;
    // Coded sounds end where their sample count says (codecs without a count
    // in the data end with their last whole frame, so they may run a little
    // longer).
    auto last = LastAbove(out, 0, 300);
    ASSERT_TRUE(last.has_value());
    EXPECT_NEAR(double(*last), double(expectedFrames), 44100 * 0.03);
    Range middle{expectedFrames / 4, expectedFrames * 3 / 4};
    EXPECT_NEAR(ToneFrequency(out, 0, middle), kFrequency, 5);
    EXPECT_NEAR(ToneFrequency(out, 1, middle), kFrequency, 5);
    EXPECT_NEAR(ComponentAmplitude(out, 0, middle, kFrequency) / 32767, kAmplitude,
                kAmplitude * c.levelTolerance);
}

TEST(SoundFormats, CodedSoundsDecodeToTheirTone) {
    for (const CodedCase& c : {
             CodedCase{"adpcm_swf", {Codec::Adpcm, Rate::k22, true, false}, 22050, 0.05},
             CodedCase{"adpcm_swf", {Codec::Adpcm, Rate::k11, true, false}, 11025, 0.05},
             CodedCase{"libmp3lame", {Codec::Mp3, Rate::k44, true, false}, 44100, 0.1},
             CodedCase{"libmp3lame", {Codec::Mp3, Rate::k22, true, false}, 22050, 0.1},
             CodedCase{"libmp3lame", {Codec::Mp3, Rate::k11, true, false}, 11025, 0.1},
             CodedCase{"nellymoser", {Codec::Nellymoser16k, Rate::k5, true, false}, 16000, 0.15},
             CodedCase{"nellymoser", {Codec::Nellymoser8k, Rate::k5, true, false}, 8000, 0.15},
             CodedCase{"nellymoser", {Codec::Nellymoser, Rate::k22, true, false}, 22050, 0.15},
             CodedCase{"libspeex", {Codec::Speex, Rate::k5, true, false}, 16000, 0.3},
         })
        ExpectCodedTone(c);
}

// An MP3 sound's seek value drops the coder's delay, so the tone starts with
// the sound, and its sample count ends it on the sample.
TEST(SoundFormats, Mp3SoundsStartAndEndOnTheirSamples) {
    constexpr std::size_t kSilence = 4410;
    constexpr std::size_t kToneFrames = 8820;
    std::vector<std::int16_t> in(kSilence, 0);
    auto tone = Tone(1000, 0.5, 44100, kToneFrames, 1);
    in.insert(in.end(), tone.begin(), tone.end());
    auto encoded = Encode("libmp3lame", in, 44100, 1);
    ASSERT_TRUE(encoded.has_value());
    Bytes data = SwfBitWriter().i16(static_cast<std::int16_t>(encoded->delay)).take();
    Bytes frames = Concatenate(encoded->packets);
    data.insert(data.end(), frames.begin(), frames.end());
    auto out = PlaySound({Codec::Mp3, Rate::k44, true, false}, std::uint32_t(in.size()), data, 5);
    auto first = FirstAbove(out, 0, 3000);
    ASSERT_TRUE(first.has_value());
    EXPECT_NEAR(double(*first), double(kSilence), 30);
    EXPECT_EQ(*LastAbove(out, 0, 0), in.size() - 1);
}

} // namespace
} // namespace vidorama::test
