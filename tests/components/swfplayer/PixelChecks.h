// Drawing a hand-made movie's first frame and checking its pixels, shared by
// the display tree and text tests.

#pragma once

#include "SwfWriter.h"
#include "movie/Movie.h"
#include "player/FrameImage.h"
#include "player/Player.h"

#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

namespace vidorama::test {

// The movie's first frame drawn at width x height pixels over black.
inline QImage Render(const MovieWriter& writer, int width = 200, int height = 150) {
    auto movie = swf::Movie::load(writer.bytes());
    EXPECT_TRUE(movie.ok());
    swf::Player player(movie.value());
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::black);
    swf::RenderFrame(player, image);
    return image;
}

// Within 2 of the expected colour in every channel: edges and rounding aside.
inline testing::AssertionResult Near(QRgb actual, QRgb expected) {
    int d = std::max({std::abs(qRed(actual) - qRed(expected)),
                      std::abs(qGreen(actual) - qGreen(expected)),
                      std::abs(qBlue(actual) - qBlue(expected))});
    if (d <= 2)
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << std::hex << "pixel 0x" << actual << " is not near 0x" << expected;
}

} // namespace vidorama::test
