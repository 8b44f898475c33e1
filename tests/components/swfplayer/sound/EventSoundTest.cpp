// Event sounds in hand-made movies: when they start and stop, to the sample,
// and what SOUNDINFO does to them (points, loops, envelope, stop, no-multiple),
// and how sounds add up.

#include "MovieSound.h"
#include "SignalAnalysis.h"
#include "SwfSoundWriter.h"

#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

using tags::Codec;
using tags::Format;
using tags::Rate;

constexpr double kFps = 20;
const Format kPcm44{Codec::LittleEndian, Rate::k44, true, false};

Bytes DefineTone(std::uint16_t id, double frequency, double amplitude, std::size_t frames) {
    return tags::DefineSound(id, kPcm44, std::uint32_t(frames),
                             tags::PcmBytes(Tone(frequency, amplitude, 44100, frames, 1)));
}

// A movie of `frames` frames; frameTags[i] go into frame i + 1.
std::vector<std::int16_t> Play(const std::vector<Bytes>& definitions,
                               const std::vector<std::vector<Bytes>>& frameTags, int frames) {
    MovieWriter movie;
    movie.frameRate = kFps;
    for (const Bytes& definition : definitions)
        movie.tag(definition);
    for (int i = 0; i < frames; ++i)
        movie.frame(i < int(frameTags.size()) ? frameTags[i] : std::vector<Bytes>{});
    auto player = LoadPlayer(movie.bytes());
    EXPECT_NE(player, nullptr);
    return player ? PlayFrames(*player, frames) : std::vector<std::int16_t>();
}

TEST(EventSound, StartsWithItsFrameAndPlaysToItsLastSample) {
    constexpr std::size_t kLength = 5000;
    auto out = Play({DefineTone(1, 1000, 0.5, kLength)}, {{}, {}, {tags::StartSound(1)}}, 10);
    std::size_t start = FrameStart(kFps, 2);
    auto tone = Tone(1000, 0.5, 44100, kLength, 1);
    for (std::size_t i = 0; i < kLength; ++i)
        ASSERT_EQ(out[2 * (start + i)], tone[i]) << "at " << i;
    EXPECT_EQ(Peak(out, 0, {0, start}), 0);
    EXPECT_EQ(Peak(out, 1, {start + kLength, out.size() / 2}), 0);
}

TEST(EventSound, PlaysBetweenItsInAndOutPoints) {
    auto tone = Tone(440, 0.5, 44100, 6000, 1);
    auto out = Play({tags::DefineSound(1, kPcm44, 6000, tags::PcmBytes(tone))},
                    {{tags::StartSound(1, tags::SoundInfo().in(1000).out(3000))}}, 4);
    for (std::size_t i = 0; i < 2000; ++i)
        ASSERT_EQ(out[2 * i], tone[1000 + i]) << "at " << i;
    EXPECT_EQ(Peak(out, 0, {2000, out.size() / 2}), 0);
}

// Three loops of a 0.1 s tone whose envelope fades in over the first loop
// and out over the last.
TEST(EventSound, LoopsUnderItsEnvelope) {
    constexpr std::size_t kLength = 4410;
    auto info = tags::SoundInfo().loops(3).envelope(
        {{0, 0, 0}, {kLength, 32768, 32768}, {2 * kLength, 32768, 32768}, {3 * kLength, 0, 16384}});
    auto out = Play({DefineTone(1, 1000, 0.8, kLength)}, {{tags::StartSound(1, info)}}, 10);
    // Whole loops, then silence.
    EXPECT_EQ(*LastAbove(out, 0, 0) / 100, (3 * kLength - 1) / 100);
    EXPECT_EQ(Peak(out, 0, {3 * kLength, out.size() / 2}), 0);
    double full = 0.8 * 32767;
    // Rising through the first loop: a quarter, then three quarters.
    EXPECT_NEAR(ComponentAmplitude(out, 0, {1000, 1205}, 1000), 0.25 * full, 0.03 * full);
    EXPECT_NEAR(ComponentAmplitude(out, 0, {3200, 3405}, 1000), 0.75 * full, 0.03 * full);
    // Full through the second loop, which repeats the sound exactly.
    EXPECT_NEAR(ComponentAmplitude(out, 0, {kLength, 2 * kLength}, 1000), full, 0.01 * full);
    auto tone = Tone(1000, 0.8, 44100, kLength, 1);
    for (std::size_t i = 0; i < kLength; ++i)
        ASSERT_EQ(out[2 * (kLength + i)], tone[i]) << "at " << i;
    // Falling through the third, the right side only to half.
    EXPECT_NEAR(ComponentAmplitude(out, 0, {2 * kLength + 3200, 2 * kLength + 3405}, 1000),
                0.25 * full, 0.03 * full);
    EXPECT_NEAR(ComponentAmplitude(out, 1, {2 * kLength + 3200, 2 * kLength + 3405}, 1000),
                0.625 * full, 0.03 * full);
}

TEST(EventSound, StopEndsEveryCopyAtItsFrame) {
    auto out = Play({DefineTone(1, 1000, 0.3, 44100)},
                    {{tags::StartSound(1)},
                     {tags::StartSound(1)},
                     {},
                     {tags::StartSound(1, tags::SoundInfo().stop())}},
                    8);
    std::size_t stop = FrameStart(kFps, 3);
    EXPECT_GT(Peak(out, 0, {stop - 100, stop}), 0.3 * 32767);
    EXPECT_EQ(Peak(out, 0, {stop, out.size() / 2}), 0);
}

TEST(EventSound, NoMultipleLeavesAPlayingSoundAlone) {
    auto once = Play({DefineTone(1, 1000, 0.3, 44100)}, {{tags::StartSound(1)}}, 6);
    auto twice =
        Play({DefineTone(1, 1000, 0.3, 44100)},
             {{tags::StartSound(1)}, {tags::StartSound(1, tags::SoundInfo().noMultiple())}}, 6);
    EXPECT_EQ(once, twice);
}

TEST(EventSound, TwoSoundsAddUp) {
    auto a = Tone(440, 0.4, 44100, 8820, 1);
    auto b = Tone(1000, 0.3, 44100, 8820, 1);
    auto out = Play({tags::DefineSound(1, kPcm44, 8820, tags::PcmBytes(a)),
                     tags::DefineSound(2, kPcm44, 8820, tags::PcmBytes(b))},
                    {{tags::StartSound(1), tags::StartSound(2)}}, 5);
    for (std::size_t i = 0; i < 8820; ++i)
        ASSERT_EQ(out[2 * i], a[i] + b[i]) << "at " << i;
    EXPECT_NEAR(ComponentAmplitude(out, 0, {0, 8820}, 440) / 32767, 0.4, 0.01);
    EXPECT_NEAR(ComponentAmplitude(out, 1, {0, 8820}, 1000) / 32767, 0.3, 0.01);
}

// Loud sounds flatten at full scale; they do not wrap round to the other side.
TEST(EventSound, LoudMixesClipAtFullScale) {
    std::vector<std::int16_t> high(4410, 30000);
    std::vector<std::int16_t> low(4410, -30000);
    auto out = Play({tags::DefineSound(1, kPcm44, 4410, tags::PcmBytes(high)),
                     tags::DefineSound(2, kPcm44, 4410, tags::PcmBytes(low))},
                    {{tags::StartSound(1), tags::StartSound(1)}, {tags::StartSound(2)}}, 3);
    EXPECT_EQ(out[0], 32767);
    std::size_t second = FrameStart(kFps, 1);
    EXPECT_EQ(out[2 * second], 30000);
    std::vector<std::int16_t> lows(4410, -30000);
    auto both = Play({tags::DefineSound(2, kPcm44, 4410, tags::PcmBytes(lows))},
                     {{tags::StartSound(2), tags::StartSound(2)}}, 1);
    EXPECT_EQ(both[0], -32768);
}

TEST(EventSound, StartSound2FindsItsSoundByClassName) {
    auto out = Play({DefineTone(5, 1000, 0.5, 4410), tags::SymbolClass({{5, "Beep"}})},
                    {{tags::StartSound2("Beep"), tags::StartSound2("Missing")}}, 2);
    EXPECT_NEAR(ComponentAmplitude(out, 0, {0, 4410}, 1000) / 32767, 0.5, 0.01);
}

// Stopping the movie or jumping in it leaves event sounds playing, as in
// Flash; stopAllSounds() ends them.
TEST(EventSound, PlaysOnThroughStopsAndJumpsUntilStopAllSounds) {
    MovieWriter movie;
    movie.frameRate = kFps;
    movie.tag(DefineTone(1, 1000, 0.5, 44100));
    movie.frame({tags::StartSound(1)});
    movie.frame();
    movie.frame({tags::DoAction({tags::actions::StopSounds()})});
    auto player = LoadPlayer(movie.bytes());
    ASSERT_NE(player, nullptr);
    std::vector<std::int16_t> part(2 * 2205);
    player->stop();
    player->gotoFrame(2, false);
    player->mixAudio(part);
    EXPECT_GT(Peak(part, 0, {0, 2205}), 0.4 * 32767);
    player->gotoFrame(3, false);
    player->mixAudio(part);
    EXPECT_EQ(Peak(part, 0, {0, 2205}), 0);
    EXPECT_FALSE(player->soundPlaying());
}

} // namespace
} // namespace vidorama::test
