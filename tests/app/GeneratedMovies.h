#pragma once

#include "SwfStreamBlocks.h"
#include "SwfWriter.h"
#include "TempDir.h"

#include <QString>
#include <cmath>

namespace vidorama::test {

// A movie of the given size whose red square moves across a white stage.
inline QString WriteMovie(const QString& path, int width, int height, int frames) {
    MovieWriter movie;
    movie.frameRect = {0, width * 20, 0, height * 20};
    movie.frameRate = 12;
    movie.tag(tags::SetBackgroundColor({255, 255, 255, 255}));
    movie.tag(tags::DefineRectShape(1, {0, 400, 0, 400}, {220, 30, 30, 255}));
    for (int f = 0; f < frames; ++f) {
        swf::Matrix at = swf::Matrix::translate(f * 100.0, 300);
        movie.frame({f == 0 ? tags::Place(1).character(1).matrix(at).tag()
                            : tags::Place(1).move().matrix(at).tag()});
    }
    WriteWholeFile(path.toStdString(), movie.bytes());
    return path;
}

// Two seconds at 12 frames a second: black and silent for the first second,
// then white with a 1 kHz tone from frame 12 on, the tone carried by the
// stream sound of the frames it belongs to.
inline QString WriteFlashAndToneMovie(const QString& path) {
    constexpr int kRate = 44100;
    std::vector<std::int16_t> samples(2 * kRate, 0);
    for (int i = kRate; i < 2 * kRate; ++i)
        samples[i] = static_cast<std::int16_t>(12000 * std::sin(2 * M_PI * 1000.0 * i / kRate));
    std::vector<Bytes> blocks = tags::PcmStreamBlocks(samples, kRate, 12.0, 1);
    MovieWriter movie;
    movie.frameRect = {0, 6400, 0, 4800};
    movie.frameRate = 12;
    movie.tag(tags::SetBackgroundColor({0, 0, 0, 255}));
    movie.tag(tags::SoundStreamHead({}, 3675));
    movie.tag(tags::DefineRectShape(1, {0, 6400, 0, 4800}, {255, 255, 255, 255}));
    for (int f = 0; f < 24; ++f) {
        std::vector<Bytes> frameTags{blocks[static_cast<std::size_t>(f)]};
        if (f == 12)
            frameTags.push_back(tags::Place(1).character(1).tag());
        movie.frame(frameTags);
    }
    WriteWholeFile(path.toStdString(), movie.bytes());
    return path;
}

} // namespace vidorama::test
