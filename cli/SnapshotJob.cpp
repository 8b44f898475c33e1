#include "SnapshotJob.h"

#include "movie/Movie.h"
#include "player/FrameImage.h"
#include "player/Player.h"
#include "swf/Limits.h"

#include <QImageWriter>
#include <QSaveFile>
#include <cmath>

namespace vidorama::cli {

QSize MoviePixelSize(const swf::Movie& movie) {
    const swf::Rect& rect = movie.frameRect();
    int width = static_cast<int>(std::lround(rect.width() / swf::kTwipsPerPixel));
    int height = static_cast<int>(std::lround(rect.height() / swf::kTwipsPerPixel));
    return {std::max(width, 1), std::max(height, 1)};
}

QImage RenderSnapshot(const std::shared_ptr<const swf::Movie>& movie, int frames,
                      std::optional<int> width, std::optional<int> height,
                      swf::StageQuality quality, std::function<void(const std::string&)> trace) {
    swf::Player player(movie, std::move(trace));
    player.setQuality(quality);
    for (int frame = 1; frame < frames; ++frame)
        player.advanceFrame();
    QSize size = MoviePixelSize(*movie);
    QImage image(width.value_or(size.width()), height.value_or(size.height()),
                 QImage::Format_ARGB32_Premultiplied);
    swf::RenderFrame(player, image);
    return image;
}

std::string RunSnapshotJob(const ConvertOptions& options) {
    auto movie = swf::Movie::loadFile(options.inputPath());
    if (!movie)
        return "cannot read " + options.inputPath() + ": " + movie.error().message;
    QSize stage = MoviePixelSize(*movie.value());
    int width = options.width.value_or(stage.width());
    int height = options.height.value_or(stage.height());
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) >
        swf::Limits::kMaxPicturePixels)
        return "cannot draw " + options.inputPath() + ": a picture of " + std::to_string(width) +
               " x " + std::to_string(height) + " pixels is too large";
    QImage image = RenderSnapshot(movie.value(), options.snapshotFrame, options.width,
                                  options.height, swf::StageQuality::High, options.traceLines);
    QSaveFile file(QString::fromStdString(options.outputPath));
    if (!file.open(QIODevice::WriteOnly))
        return "cannot write " + options.outputPath + ": " + file.errorString().toStdString();
    QImageWriter writer(&file, "png");
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32))) {
        file.cancelWriting();
        return "cannot write " + options.outputPath + ": " + writer.errorString().toStdString();
    }
    if (!file.commit())
        return "cannot write " + options.outputPath + ": " + file.errorString().toStdString();
    return {};
}

} // namespace vidorama::cli
