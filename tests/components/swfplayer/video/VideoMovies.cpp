#include "VideoMovies.h"

#include "movie/Movie.h"
#include "player/FrameImage.h"
#include "player/Player.h"

#include <QPainter>
#include <cstdlib>

namespace vidorama::test {

MovieWriter VideoStage(int width, int height) {
    MovieWriter movie;
    movie.frameRect = {0, width * 20, 0, height * 20};
    movie.tag(tags::SetBackgroundColor({60, 60, 60, 255}));
    return movie;
}

std::vector<QImage> FlatPictures(const std::vector<QColor>& colors) {
    std::vector<QImage> pictures;
    for (const QColor& color : colors) {
        QImage picture(kVideoWidth, kVideoHeight, QImage::Format_ARGB32);
        picture.fill(color);
        pictures.push_back(picture);
    }
    return pictures;
}

std::vector<QImage> MovingSquare(int count) {
    std::vector<QImage> pictures;
    for (int i = 0; i < count; ++i) {
        QImage picture(kVideoWidth, kVideoHeight, QImage::Format_ARGB32);
        picture.fill(Qt::black);
        QPainter(&picture).fillRect(4 * i % 48, 16, 16, 16, Qt::white);
        pictures.push_back(picture);
    }
    return pictures;
}

MovieWriter TimelineVideo(const std::vector<Bytes>& packets, std::uint8_t codec, int boxWidth,
                          int boxHeight) {
    MovieWriter movie = VideoStage();
    auto count = static_cast<std::uint16_t>(packets.size());
    movie.tag(tags::DefineVideoStream(kStream, count, static_cast<std::uint16_t>(boxWidth),
                                      static_cast<std::uint16_t>(boxHeight), codec));
    // The box is drawn at the stage's size.
    swf::Matrix fit =
        swf::Matrix::scale(double(kVideoWidth) / boxWidth, double(kVideoHeight) / boxHeight);
    for (std::uint16_t i = 0; i < count; ++i) {
        Bytes place =
            i == 0 ? tags::PlaceAt(1, kStream, fit) : tags::Place(1).move().ratio(i).tag();
        movie.frame({tags::VideoFrame(kStream, i, packets[i]), place});
    }
    return movie;
}

QImage Render(const swf::Player& player) {
    const swf::Rect& stage = player.movie().frameRect();
    QImage image(stage.width() / 20, stage.height() / 20, QImage::Format_RGB32);
    swf::RenderFrame(player, image);
    return image;
}

bool Near(QRgb actual, QColor expected, int tolerance) {
    return std::abs(qRed(actual) - expected.red()) <= tolerance &&
           std::abs(qGreen(actual) - expected.green()) <= tolerance &&
           std::abs(qBlue(actual) - expected.blue()) <= tolerance;
}

} // namespace vidorama::test
