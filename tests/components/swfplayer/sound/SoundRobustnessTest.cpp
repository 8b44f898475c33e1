// Broken and hostile sound data plays as silence or as much as is sound, in
// bounded time and memory, and never crashes.

#include "MovieSound.h"
#include "SignalAnalysis.h"
#include "SwfSoundWriter.h"
#include "swf/Limits.h"

#include <chrono>
#include <gtest/gtest.h>
#include <random>

namespace vidorama::test {
namespace {

using tags::Codec;
using tags::Format;
using tags::Rate;

std::vector<std::int16_t> PlayTags(const std::vector<Bytes>& definitions,
                                   const std::vector<Bytes>& firstFrame, int frames) {
    MovieWriter movie;
    movie.frameRate = 10;
    for (const Bytes& definition : definitions)
        movie.tag(definition);
    movie.frame(firstFrame);
    for (int i = 1; i < frames; ++i)
        movie.frame();
    auto player = LoadPlayer(movie.bytes());
    EXPECT_NE(player, nullptr);
    return player ? PlayFrames(*player, frames) : std::vector<std::int16_t>();
}

Bytes Noise(std::size_t bytes, unsigned seed) {
    std::mt19937 random(seed);
    Bytes data(bytes);
    for (auto& b : data)
        b = static_cast<std::uint8_t>(random());
    return data;
}

TEST(SoundRobustness, GarbageInEveryFormatDecodesWithoutHarm) {
    for (Codec codec :
         {Codec::Native, Codec::Adpcm, Codec::Mp3, Codec::LittleEndian, Codec::Nellymoser16k,
          Codec::Nellymoser8k, Codec::Nellymoser, Codec::Speex, static_cast<Codec>(9)}) {
        for (unsigned seed = 1; seed <= 3; ++seed) {
            SCOPED_TRACE(testing::Message() << "codec " << int(codec) << " seed " << seed);
            Format format{codec, Rate::k22, true, true};
            auto out = PlayTags({tags::DefineSound(1, format, 0xffffffffu, Noise(20000, seed))},
                                {tags::StartSound(1)}, 3);
            EXPECT_EQ(out.size(), 2u * 44100 * 3 / 10);
        }
    }
}

// A megabyte of zeros is a run of the shortest Speex frames, each worth a
// fiftieth of a second: decoding stops at the longest sound kept.
TEST(SoundRobustness, LongSoundsAreCutAtTheLimitInBoundedTime) {
    auto start = std::chrono::steady_clock::now();
    auto out = PlayTags(
        {tags::DefineSound(1, {Codec::Speex, Rate::k5, true, false}, 0, Bytes(1 << 20, 0))},
        {tags::StartSound(1)}, 2);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(out.size(), 2u * 44100 * 2 / 10);
}

TEST(SoundRobustness, StartsOfWhatIsNoSoundAreIgnored) {
    auto out = PlayTags({tags::DefineRectShape(2, {0, 100, 0, 100}, {0, 0, 0, 255}),
                         tags::DefineSound(3, {}, 10, {1, 2, 3})},
                        {tags::StartSound(2), tags::StartSound(9), tags::StartSound2(""),
                         tags::Tag(15, {3}), tags::Tag(14, {4, 0}, true)},
                        2);
    EXPECT_EQ(Peak(out, 0, {0, out.size() / 2}), 0);
}

TEST(SoundRobustness, VoicesBeyondTheLimitAreIgnored) {
    std::vector<Bytes> starts(swf::Limits::kMaxVoices + 8, tags::StartSound(1));
    Bytes one = tags::PcmBytes(std::vector<std::int16_t>(4410, 100));
    auto out =
        PlayTags({tags::DefineSound(1, {Codec::LittleEndian, Rate::k44, true, false}, 4410, one)},
                 starts, 1);
    EXPECT_EQ(out[0], 100 * std::int16_t(swf::Limits::kMaxVoices));
}

// Points out of order, levels over full scale and an out point before the
// in point still give defined sound.
TEST(SoundRobustness, OddSoundInfoIsHeldToSense) {
    Bytes one = tags::PcmBytes(std::vector<std::int16_t>(4410, 1000));
    auto info = tags::SoundInfo().in(3000).out(1000).envelope({{4000, 65535, 65535}, {0, 0, 0}});
    auto out =
        PlayTags({tags::DefineSound(1, {Codec::LittleEndian, Rate::k44, true, false}, 4410, one)},
                 {tags::StartSound(1, info)}, 1);
    EXPECT_EQ(Peak(out, 0, {0, out.size() / 2}), 0);
    auto enveloped = PlayTags(
        {tags::DefineSound(1, {Codec::LittleEndian, Rate::k44, true, false}, 4410, one)},
        {tags::StartSound(1, tags::SoundInfo().envelope({{4000, 65535, 65535}, {0, 0, 0}}))}, 1);
    EXPECT_EQ(enveloped[2 * 2000], 500);
    EXPECT_EQ(enveloped[2 * 4400], 1000);
}

TEST(SoundRobustness, BrokenStreamBlocksPlayAsSilence) {
    MovieWriter movie;
    movie.frameRate = 10;
    movie.tag(tags::SoundStreamHead({Codec::Mp3, Rate::k44, true, true}, 4410, -5));
    movie.frame({tags::SoundStreamBlock({1})});
    movie.frame({tags::SoundStreamBlock(Noise(5000, 7))});
    movie.frame({tags::SoundStreamBlock(tags::Mp3StreamData(4410, 30000, Noise(3000, 8)))});
    movie.tag(tags::SoundStreamHead({Codec::Adpcm, Rate::k5, false, true}, 0));
    movie.frame({tags::SoundStreamBlock(Noise(1 << 20, 9))});
    movie.frame({tags::SoundStreamBlock({})});
    auto player = LoadPlayer(movie.bytes());
    ASSERT_NE(player, nullptr);
    auto out = PlayFrames(*player, 8);
    EXPECT_EQ(out.size(), 2u * 44100 * 8 / 10);
}

} // namespace
} // namespace vidorama::test
