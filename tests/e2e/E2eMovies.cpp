// Writes the movies the end-to-end suite opens in the real program:
//   beats.swf   10 s at 12 fps, 320 x 240: black and silent, then white with a
//               1 kHz tone, switching every 2 s, the tone carried by the
//               stream sound of the frames it belongs to. Each switch marks the
//               same instant in picture and sound, so a capture shows its A/V
//               offset and its drift.
//   broken.swf  a movie's signature and header with its body cut away.
// Usage: e2e_movies OUTPUT_FOLDER

#include "SwfStreamBlocks.h"
#include "SwfWriter.h"
#include "TempDir.h"

#include <cmath>
#include <cstdio>
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
    WriteWholeFile(folder + "/broken.swf", BrokenMovie());
    return 0;
}
