#pragma once

#include "SwfWriter.h"
#include "TempDir.h"

#include <QImage>
#include <cstdint>
#include <string>

namespace vidorama::test {

// A tiny stage (32 x 24 pixels) whose frame k (from 0) is filled with the
// colour (k, 255 - k, 128), so that any picture of it says which movie frame
// it shows. Up to 256 frames.
inline MovieWriter NumberedFramesMovie(int frames, double fps) {
    MovieWriter movie;
    movie.frameRect = {0, 640, 0, 480};
    movie.frameRate = fps;
    for (int k = 0; k < frames; ++k) {
        const auto id = static_cast<std::uint16_t>(k + 1);
        movie.tag(tags::DefineRectShape(
            id, {0, 640, 0, 480},
            {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(255 - k), 128, 255}));
        movie.frame({k == 0 ? tags::PlaceAt(1, id) : tags::Place(1).move().character(id).tag()});
    }
    return movie;
}

// The movie frame a picture of NumberedFramesMovie shows, from its centre.
inline int FrameNumberOf(const QImage& image) {
    return qRed(image.pixel(image.width() / 2, image.height() / 2));
}

inline std::string WriteMovie(const std::string& path, const MovieWriter& movie) {
    WriteWholeFile(path, movie.bytes());
    return path;
}

} // namespace vidorama::test
