#pragma once

#include "SwfWriter.h"

#include <QColor>
#include <QImage>
#include <vector>

namespace vidorama::swf {
class Player;
}

namespace vidorama::test {

// A 64 x 48 pixel stage with one video stream (id 1) of the same size.
constexpr int kVideoWidth = 64, kVideoHeight = 48;
constexpr std::uint16_t kStream = 1;
constexpr std::uint8_t kH263 = 2, kScreenVideo = 3, kScreenVideo2 = 6;

MovieWriter VideoStage(int width = kVideoWidth, int height = kVideoHeight);

// Pictures of one flat colour each.
std::vector<QImage> FlatPictures(const std::vector<QColor>& colors);
// A white square on black moving right by 4 pixels a picture (and back to
// the left edge every 12): every picture differs from the one before, so a
// frame decoded onto the wrong reference shows it.
std::vector<QImage> MovingSquare(int count);

// The timeline Flash's authoring tool writes: the stream defined, then on
// each movie frame the next video frame and the video placed (first) or
// moved on with that frame's number as ratio.
MovieWriter TimelineVideo(const std::vector<Bytes>& packets, std::uint8_t codec = kH263,
                          int boxWidth = kVideoWidth, int boxHeight = kVideoHeight);

// The player's current frame drawn at the stage's size.
QImage Render(const swf::Player& player);

// True when no channel of the two colours differs by more than tolerance.
bool Near(QRgb actual, QColor expected, int tolerance = 12);

} // namespace vidorama::test
