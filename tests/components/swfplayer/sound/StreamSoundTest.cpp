// Stream sound in hand-made movies: blocks play on from frame to frame in step
// with the timeline, in every stream format, and stop or start again as the
// timeline stops, loops or jumps.

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

// An 11,025 Hz mono stream at 12 frames a second: each frame's block holds
// its share of the source, 918 or 919 samples, as authoring tools cut it.
struct PcmStream {
    static constexpr double kFps = 12;
    static constexpr double kPerFrame = 11025 / kFps;
    std::vector<std::int16_t> source;

    explicit PcmStream(std::size_t frames)
        : source(Tone(300, 0.5, 11025, std::size_t(frames * kPerFrame), 1)) {
        for (std::size_t i = 0; i < source.size(); i += 7)
            source[i] = static_cast<std::int16_t>(i % 2000); // make every block unlike the rest
    }
    Bytes block(std::size_t frame) const {
        auto begin = std::size_t(frame * kPerFrame);
        auto end = std::size_t((frame + 1) * kPerFrame);
        return tags::SoundStreamBlock(
            tags::PcmBytes(std::span<const std::int16_t>(source).subspan(begin, end - begin)));
    }
    Bytes head() const {
        return tags::SoundStreamHead({Codec::LittleEndian, Rate::k11, true, false}, 919);
    }
};

TEST(StreamSound, UncompressedStreamPlaysOnInStepWithTheFrames) {
    constexpr std::size_t kFrames = 24;
    PcmStream stream(kFrames);
    MovieWriter movie;
    movie.frameRate = PcmStream::kFps;
    movie.tag(stream.head());
    for (std::size_t k = 0; k < kFrames; ++k)
        movie.frame({stream.block(k)});
    auto player = LoadPlayer(movie.bytes());
    ASSERT_NE(player, nullptr);
    auto out = PlayFrames(*player, kFrames);
    ASSERT_EQ(out.size() / 2, 4 * stream.source.size());
    for (std::size_t i = 0; i < out.size() / 2; ++i)
        ASSERT_EQ(out[2 * i], stream.source[i / 4]) << "at " << i;
}

// The stream's blocks hold MP3 frames: two of 1,152 samples per movie frame
// at 19.140625 frames a second. A tone sounds in frames 5 to 20.
TEST(StreamSound, Mp3StreamStartsAndStopsWithItsFrames) {
    constexpr double kFps = 4900 / 256.0;
    constexpr std::size_t kPerFrame = 2304;
    constexpr std::size_t kFrames = 30;
    std::vector<std::int16_t> source(kFrames * kPerFrame, 0);
    auto tone = Tone(800, 0.5, 44100, 16 * kPerFrame, 1);
    std::copy(tone.begin(), tone.end(), source.begin() + 4 * kPerFrame);
    auto encoded = Encode("libmp3lame", source, 44100, 1);
    ASSERT_TRUE(encoded.has_value());
    auto delay = static_cast<std::int16_t>(encoded->delay);
    MovieWriter movie;
    movie.frameRate = kFps;
    movie.tag(tags::SoundStreamHead({Codec::Mp3, Rate::k44, true, false}, kPerFrame, delay));
    for (std::size_t k = 0; k < kFrames; ++k) {
        std::size_t last = k + 1 == kFrames ? encoded->packets.size() : 2 * k + 2;
        std::vector<Bytes> packets(encoded->packets.begin() + 2 * k,
                                   encoded->packets.begin() + last);
        movie.frame(
            {tags::SoundStreamBlock(tags::Mp3StreamData(kPerFrame, delay, Concatenate(packets)))});
    }
    auto player = LoadPlayer(movie.bytes());
    ASSERT_NE(player, nullptr);
    auto out = PlayFrames(*player, kFrames);
    // To within a twentieth of an MP3 frame, where the coder smears the edges.
    EXPECT_NEAR(double(*FirstAbove(out, 0, 4000)), double(FrameStart(kFps, 4)), 60);
    EXPECT_NEAR(double(*LastAbove(out, 0, 4000)), double(FrameStart(kFps, 20)), 60);
    Range middle{FrameStart(kFps, 6), FrameStart(kFps, 18)};
    EXPECT_NEAR(ToneFrequency(out, 0, middle), 800, 2);
    EXPECT_NEAR(ComponentAmplitude(out, 1, middle, 800) / 32767, 0.5, 0.05);
}

// Stereo ADPCM blocks of one 4,096-sample packet each at 2756/256 frames a
// second (4,096.4 samples a frame): the stream keeps its tone and its pace
// over 60 frames, falling behind only by the 0.4 samples a frame its blocks
// lack.
TEST(StreamSound, AdpcmStreamKeepsItsToneAndItsPace) {
    constexpr double kFps = 2756 / 256.0;
    constexpr std::size_t kFrames = 60;
    auto source = Tone(1000, 0.5, 44100, 4096 * kFrames, 2);
    auto encoded = Encode("adpcm_swf", source, 44100, 2);
    ASSERT_TRUE(encoded.has_value());
    ASSERT_GE(encoded->packets.size(), kFrames);
    MovieWriter movie;
    movie.frameRate = kFps;
    movie.tag(tags::SoundStreamHead({Codec::Adpcm, Rate::k44, true, true}, 4096));
    for (std::size_t k = 0; k < kFrames; ++k)
        movie.frame({tags::SoundStreamBlock(encoded->packets[k])});
    movie.frame();
    auto player = LoadPlayer(movie.bytes());
    ASSERT_NE(player, nullptr);
    auto out = PlayFrames(*player, kFrames + 1);
    Range middle{FrameStart(kFps, 5), FrameStart(kFps, 55)};
    EXPECT_NEAR(ToneFrequency(out, 0, middle), 1000, 1);
    EXPECT_NEAR(ComponentAmplitude(out, 1, middle, 1000) / 32767, 0.5, 0.02);
    EXPECT_NEAR(double(*LastAbove(out, 0, 1000)), double(4096 * kFrames), 30);
}

std::unique_ptr<swf::Player> PcmStreamMovie(const PcmStream& stream, std::size_t frames,
                                            const std::vector<std::vector<Bytes>>& extra = {}) {
    MovieWriter movie;
    movie.frameRate = PcmStream::kFps;
    movie.tag(stream.head());
    for (std::size_t k = 0; k < frames; ++k) {
        std::vector<Bytes> frameTags{stream.block(k)};
        if (k < extra.size())
            frameTags.insert(frameTags.end(), extra[k].begin(), extra[k].end());
        movie.frame(frameTags);
    }
    return LoadPlayer(movie.bytes());
}

// A stop() in frame 4 lets frame 4's block play out and silences the rest.
TEST(StreamSound, StopsWithItsTimelineAfterTheFrameItStoppedOn) {
    PcmStream stream(8);
    auto player =
        PcmStreamMovie(stream, 8, {{}, {}, {}, {tags::DoAction({tags::actions::Stop()})}});
    ASSERT_NE(player, nullptr);
    auto out = PlayFrames(*player, 8);
    std::size_t end = 4 * std::size_t(4 * PcmStream::kPerFrame);
    EXPECT_NE(out[2 * (end - 1)], 0);
    EXPECT_EQ(Peak(out, 0, {end, out.size() / 2}), 0);
    EXPECT_FALSE(player->soundPlaying());
}

// Going round to the first frame starts the stream again from its first
// block, and so does a jump to any frame, from that frame's block.
TEST(StreamSound, StartsAgainWhenTheTimelineLoopsOrJumps) {
    PcmStream stream(6);
    auto player = PcmStreamMovie(stream, 6);
    ASSERT_NE(player, nullptr);
    auto out = PlayFrames(*player, 12);
    std::size_t round = FrameStart(PcmStream::kFps, 6);
    for (std::size_t i = 0; i < 2 * 3000; ++i)
        ASSERT_EQ(out[2 * round + i], out[i]) << "at " << i;

    player->gotoFrame(4, true);
    std::vector<std::int16_t> jumped(2 * 3000);
    player->mixAudio(jumped);
    std::size_t block4 = std::size_t(3 * PcmStream::kPerFrame);
    for (std::size_t i = 0; i < 3000; ++i)
        ASSERT_EQ(jumped[2 * i], stream.source[block4 + i / 4]) << "at " << i;
}

// A sprite's stream ends as the sprite leaves the stage, at once.
TEST(StreamSound, EndsWhenItsClipIsRemoved) {
    PcmStream stream(10);
    std::vector<std::vector<Bytes>> frames;
    for (std::size_t k = 0; k < 10; ++k)
        frames.push_back({stream.block(k)});
    MovieWriter movie;
    movie.frameRate = PcmStream::kFps;
    frames.front().insert(frames.front().begin(), stream.head());
    movie.tag(tags::DefineSprite(7, frames));
    movie.frame({tags::PlaceAt(1, 7)});
    movie.frame();
    movie.frame();
    movie.frame({tags::RemoveObject2(1)});
    movie.frame();
    auto player = LoadPlayer(movie.bytes());
    ASSERT_NE(player, nullptr);
    auto out = PlayFrames(*player, 5);
    std::size_t removed = FrameStart(PcmStream::kFps, 3);
    EXPECT_GT(Peak(out, 0, {removed - 500, removed}), 1000);
    EXPECT_EQ(Peak(out, 0, {removed, out.size() / 2}), 0);
}

TEST(StreamSound, BlocksWithoutAHeadAreIgnored) {
    PcmStream stream(3);
    MovieWriter movie;
    movie.frameRate = PcmStream::kFps;
    movie.frame({stream.block(0)});
    movie.frame({stream.head(), stream.block(1)});
    auto player = LoadPlayer(movie.bytes());
    ASSERT_NE(player, nullptr);
    auto out = PlayFrames(*player, 2);
    std::size_t second = FrameStart(PcmStream::kFps, 1);
    EXPECT_EQ(Peak(out, 0, {0, second}), 0);
    EXPECT_EQ(out[2 * second], stream.source[std::size_t(PcmStream::kPerFrame)]);
}

} // namespace
} // namespace vidorama::test
