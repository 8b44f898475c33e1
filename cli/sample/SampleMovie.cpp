#include "SampleMovie.h"

#include "SampleShapes.h"
#include "swf/SwfCompression.h"
#include "swf/SwfStreamBlocks.h"

#include <cmath>
#include <numbers>

namespace vidorama::sample {

namespace {

using Facts = SampleMovieFacts;
using test::tags::Place;

constexpr std::int32_t kTwips = 20;
constexpr std::int32_t kStageW = Facts::kWidth * kTwips;
constexpr std::int32_t kStageH = Facts::kHeight * kTwips;

enum Id : std::uint16_t { kGround = 1, kSun, kSquare, kLight, kBitmap };
enum Depth : std::uint16_t { kGroundDepth = 1, kSunDepth, kBitmapDepth, kSquareDepth, kLightDepth };

constexpr int kBitmapSide = 32;
// A note lasts half a beat and rises through a major arpeggio.
constexpr double kNoteHz[] = {261.63, 329.63, 392.00, 523.25};
constexpr double kNoteLevel = 9000;

Bytes Ground() {
    const swf::Rect box{0, kStageW, kStageH * 2 / 3, kStageH};
    return ShapeWriter(kGround, box,
                       {LinearGradientFill(GradientBox(box, true),
                                           {{0, {60, 160, 70, 255}}, {255, {10, 50, 20, 255}}})})
        .rect(box, 1)
        .tag();
}

Bytes Sun() {
    const std::int32_t r = 50 * kTwips;
    const swf::Rect box{-r, r, -r, r};
    return ShapeWriter(kSun, box,
                       {RadialGradientFill(GradientBox(box, false), {{0, {255, 250, 200, 255}},
                                                                     {150, {255, 190, 40, 255}},
                                                                     {255, {240, 90, 20, 0}}})})
        .circle(0, 0, r, 1)
        .tag();
}

Bytes Square() {
    const std::int32_t half = 40 * kTwips;
    const swf::Rect box{-half - 60, half + 60, -half - 60, half + 60};
    return ShapeWriter(kSquare, box, {SolidFill({200, 60, 160, 255})},
                       {{4 * kTwips, {255, 255, 255, 255}}})
        .rect({-half, half, -half, half}, 1, 1)
        .tag();
}

Bytes Light() {
    const std::int32_t r = 14 * kTwips;
    return ShapeWriter(kLight, {-r, r, -r, r}, {SolidFill({255, 255, 255, 255})})
        .circle(0, 0, r, 1)
        .tag();
}

// A checkerboard with a diagonal stripe, so that scaling and placement show.
Bytes Bitmap() {
    std::vector<swf::Rgba> pixels;
    for (int y = 0; y < kBitmapSide; ++y)
        for (int x = 0; x < kBitmapSide; ++x) {
            const bool stripe = std::abs(x - y) < 3;
            const bool dark = ((x / 8) + (y / 8)) % 2 == 0;
            pixels.push_back(stripe ? swf::Rgba{250, 220, 40, 255}
                             : dark ? swf::Rgba{30, 90, 200, 255}
                                    : swf::Rgba{230, 240, 255, 255});
        }
    return test::tags::DefineBitsLossless2(kBitmap, kBitmapSide, kBitmapSide, pixels);
}

// The whole sound track: a note at the start of every beat, silence between.
std::vector<std::int16_t> SoundTrack() {
    const int beatSamples = Facts::kSoundRate * Facts::kBeatFrames / Facts::kFramesPerSecond;
    const int total = Facts::kSoundRate * Facts::kFrames / Facts::kFramesPerSecond;
    std::vector<std::int16_t> samples(static_cast<std::size_t>(total));
    for (int i = 0; i < total; ++i) {
        const int beat = i / beatSamples;
        const int t = i % beatSamples;
        if (t >= beatSamples / 2)
            continue;
        const double seconds = static_cast<double>(t) / Facts::kSoundRate;
        const double fade = 1.0 - static_cast<double>(t) / (beatSamples / 2);
        const double hz = kNoteHz[beat % std::size(kNoteHz)];
        samples[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(
            kNoteLevel * fade * std::sin(2 * std::numbers::pi * hz * seconds));
    }
    return samples;
}

swf::Matrix Rotated(double radians, double x, double y) {
    const double c = std::cos(radians), s = std::sin(radians);
    return {c, s, -s, c, x, y};
}

// Where everything is on frame k.
std::vector<Bytes> FrameTags(int k, const Bytes& soundBlock) {
    const double t = static_cast<double>(k) / Facts::kFrames;
    const double sunX = kStageW * (0.1 + 0.8 * t);
    const double sunY = kStageH * (0.45 - 0.3 * std::sin(std::numbers::pi * t));
    const double bounce = std::abs(std::sin(2 * std::numbers::pi * t * 2));
    const double bitmapX = kStageW * 0.12;
    const double bitmapY = kStageH * 0.82 - bounce * kStageH * 0.3;
    std::vector<Bytes> tags;
    auto place = [&](std::uint16_t depth, std::uint16_t id, const swf::Matrix& m) {
        tags.push_back(k == 0 ? Place(depth).character(id).matrix(m).tag()
                              : Place(depth).move().matrix(m).tag());
    };
    if (k == 0)
        tags.push_back(test::tags::PlaceAt(kGroundDepth, kGround));
    place(kSunDepth, kSun, swf::Matrix::translate(sunX, sunY));
    place(kBitmapDepth, kBitmap, {3, 0, 0, 3, bitmapX, bitmapY});
    place(kSquareDepth, kSquare, Rotated(t * 2 * std::numbers::pi, kStageW * 0.62, kStageH * 0.5));
    if (k % Facts::kBeatFrames == 0)
        tags.push_back(Place(kLightDepth)
                           .character(kLight)
                           .matrix(swf::Matrix::translate(kStageW - 30 * kTwips, 30 * kTwips))
                           .tag());
    else if (k % Facts::kBeatFrames == Facts::kBeatFrames / 2)
        tags.push_back(test::tags::RemoveObject2(kLightDepth));
    tags.push_back(soundBlock);
    return tags;
}

} // namespace

std::vector<std::uint8_t> BuildSampleMovie() {
    test::MovieWriter movie;
    movie.version = 8;
    movie.frameRect = {0, kStageW, 0, kStageH};
    movie.frameRate = Facts::kFramesPerSecond;
    movie.tag(test::tags::SetBackgroundColor({25, 35, 75, 255}));
    for (const Bytes& definition : {Ground(), Sun(), Square(), Light(), Bitmap()})
        movie.tag(definition);
    const std::uint16_t blockSamples = Facts::kSoundRate / Facts::kFramesPerSecond;
    movie.tag(test::tags::SoundStreamHead({test::tags::Codec::LittleEndian, test::tags::Rate::k22},
                                          blockSamples));
    const auto blocks =
        test::tags::PcmStreamBlocks(SoundTrack(), Facts::kSoundRate, Facts::kFramesPerSecond, 1);
    for (int k = 0; k < Facts::kFrames; ++k)
        movie.frame(FrameTags(k, blocks[static_cast<std::size_t>(k)]));
    return test::CompressZlib(movie.bytes());
}

} // namespace vidorama::sample
