// Writes the movies the end-to-end suite opens in the real program:
//   beats.swf   10 s at 12 fps, 320 x 240: black and silent, then white with a
//               1 kHz tone, switching every 2 s, the tone carried by the
//               stream sound of the frames it belongs to. Each switch marks the
//               same instant in picture and sound, so a capture shows its A/V
//               offset and its drift.
//   noise.swf   10 s at 12 fps, 320 x 240: a picture of random pixels that
//               moves at every frame, which no encoder can make small or
//               quick, so that a conversion lasts long enough to cancel.
//   broken.swf  a movie's signature and header with its body cut away.
// Usage: e2e_movies OUTPUT_FOLDER

#include "SwfStreamBlocks.h"
#include "TempDir.h"
#include "swf/SwfCompression.h"

#include <cmath>
#include <cstdio>
#include <random>
#include <string>

namespace vidorama::test {
namespace {

constexpr int kSampleRate = 44100;
constexpr int kFrameRate = 12;
constexpr int kSeconds = 10;
constexpr int kSwitchSeconds = 2;

bool LoudAt(int second) {
    return (second / kSwitchSeconds) % 2 == 1;
}

Bytes BeatsMovie() {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(kSeconds * kSampleRate), 0);
    for (std::size_t i = 0; i < samples.size(); ++i)
        if (LoudAt(static_cast<int>(i / kSampleRate)))
            samples[i] = static_cast<std::int16_t>(
                12000 * std::sin(2 * M_PI * 1000.0 * static_cast<double>(i) / kSampleRate));
    std::vector<Bytes> blocks = tags::PcmStreamBlocks(samples, kSampleRate, kFrameRate, 1);
    MovieWriter movie;
    movie.frameRect = {0, 320 * 20, 0, 240 * 20};
    movie.frameRate = kFrameRate;
    movie.tag(tags::SetBackgroundColor({0, 0, 0, 255}));
    movie.tag(tags::SoundStreamHead({}, kSampleRate / kFrameRate));
    movie.tag(tags::DefineRectShape(1, {0, 320 * 20, 0, 240 * 20}, {255, 255, 255, 255}));
    for (int f = 0; f < kSeconds * kFrameRate; ++f) {
        std::vector<Bytes> frameTags{blocks[static_cast<std::size_t>(f)]};
        bool loud = LoudAt(f / kFrameRate);
        bool wasLoud = f > 0 && LoudAt((f - 1) / kFrameRate);
        if (loud && !wasLoud)
            frameTags.push_back(tags::PlaceAt(1, 1));
        else if (!loud && wasLoud)
            frameTags.push_back(tags::RemoveObject2(1));
        movie.frame(frameTags);
    }
    return movie.bytes();
}

// A DefineShape3 of a rectangle (twips) filled with a bitmap, one stage
// pixel to a bitmap pixel, not smoothed.
Bytes BitmapRectShape(std::uint16_t id, const swf::Rect& r, std::uint16_t bitmap) {
    SwfBitWriter w;
    w.u16(id).rect(r);
    w.u8(1).u8(0x43).u16(bitmap).matrix(swf::Matrix::scale(20, 20));
    w.u8(0); // no line styles
    tags::RectShapeRecords(w, r);
    return tags::Tag(32, w.take());
}

Bytes NoiseMovie() {
    constexpr std::uint16_t kWidth = 320, kHeight = 240;
    std::mt19937 random(7);
    std::vector<swf::Rgba> pixels(std::size_t{kWidth} * kHeight);
    for (swf::Rgba& p : pixels) {
        const auto bits = random();
        p = {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
             static_cast<std::uint8_t>(bits >> 16), 255};
    }
    const swf::Rect stage{0, kWidth * 20, 0, kHeight * 20};
    MovieWriter movie;
    movie.frameRect = stage;
    movie.frameRate = kFrameRate;
    movie.tag(tags::SetBackgroundColor({0, 0, 0, 255}));
    movie.tag(tags::DefineBitsLossless2(1, kWidth, kHeight, pixels));
    movie.tag(BitmapRectShape(2, stage, 1));
    for (int f = 0; f < kSeconds * kFrameRate; ++f) {
        // Steps of an odd number of pixels, so that no frame repeats another.
        const swf::Matrix at =
            swf::Matrix::translate(-20.0 * ((f * 7) % 40), -20.0 * ((f * 3) % 40));
        movie.frame({f == 0 ? tags::PlaceAt(1, 2, at) : tags::Place(1).move().matrix(at).tag()});
    }
    return movie.bytes();
}

Bytes BrokenMovie() {
    Bytes whole = BeatsMovie();
    whole.resize(40);
    return whole;
}

} // namespace
} // namespace vidorama::test

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: e2e_movies OUTPUT_FOLDER\n");
        return 2;
    }
    using namespace vidorama::test;
    const std::string folder = argv[1];
    WriteWholeFile(folder + "/beats.swf", BeatsMovie());
    WriteWholeFile(folder + "/noise.swf", NoiseMovie());
    WriteWholeFile(folder + "/broken.swf", BrokenMovie());
    return 0;
}
