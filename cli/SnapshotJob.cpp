#include "SnapshotJob.h"

#include "movie/Movie.h"
#include "pipeline/LibraryMessages.h"
#include "planning/JobPlanner.h"
#include "planning/OutputTarget.h"
#include "player/FrameImage.h"
#include "player/Player.h"
#include "swf/Limits.h"

#include <QFile>
#include <QImageWriter>
#include <cmath>

namespace vidorama::cli {

QSize MoviePixelSize(const swf::Movie& movie) {
    const swf::Rect& rect = movie.frameRect();
    int width = static_cast<int>(std::lround(rect.width() / swf::kTwipsPerPixel));
    int height = static_cast<int>(std::lround(rect.height() / swf::kTwipsPerPixel));
    return {std::max(width, 1), std::max(height, 1)};
}

FrameSize ChooseFrameSize(const swf::Movie& movie, std::optional<int> width,
                          std::optional<int> height) {
    const QSize stage = MoviePixelSize(movie);
    const int wantedWidth = width.value_or(stage.width());
    const int wantedHeight = height.value_or(stage.height());
    FrameSize chosen{swf::FitPictureLimit(wantedWidth, wantedHeight), {}};
    if (chosen.size.width != wantedWidth || chosen.size.height != wantedHeight)
        chosen.note =
            "a picture of " + std::to_string(wantedWidth) + " x " + std::to_string(wantedHeight) +
            " pixels is over the limit of " + std::to_string(swf::Limits::kMaxPicturePixels) +
            " pixels a frame; it is drawn scaled down to " + std::to_string(chosen.size.width) +
            " x " + std::to_string(chosen.size.height);
    return chosen;
}

QImage RenderSnapshot(const std::shared_ptr<const swf::Movie>& movie, int frames,
                      std::optional<int> width, std::optional<int> height,
                      swf::StageQuality quality, std::function<void(const std::string&)> trace) {
    swf::Player player(movie, std::move(trace), quality);
    for (int frame = 1; frame < frames; ++frame)
        player.advanceFrame();
    const swf::PictureSize size = ChooseFrameSize(*movie, width, height).size;
    QImage image(size.width, size.height, QImage::Format_ARGB32_Premultiplied);
    if (!image.isNull())
        swf::RenderFrame(player, image);
    return image;
}

namespace {

std::string WritePng(const QImage& image, const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return file.errorString().toStdString();
    QImageWriter writer(&file, "png");
    if (!writer.write(image.convertToFormat(QImage::Format_RGB32)))
        return writer.errorString().toStdString();
    if (!file.flush())
        return file.errorString().toStdString();
    return {};
}

} // namespace

std::string RunSnapshotJob(const ConvertOptions& options, std::string* note) {
    LibraryMessages libraryMessages;
    const std::string& output = options.outputPath;
    if (std::string why = CheckOutputPlace(options.inputPath(), output, options.overwrite);
        !why.empty())
        return "cannot write " + output + ": " + why;
    auto movie = swf::Movie::loadFile(options.inputPath());
    if (!movie)
        return "cannot read " + options.inputPath() + ": " + movie.error().message;
    const FrameSize size = ChooseFrameSize(*movie.value(), options.width, options.height);
    QImage image = RenderSnapshot(movie.value(), options.snapshotFrame, options.width,
                                  options.height, options.stageQuality, options.traceLines);
    if (image.isNull())
        return "not enough memory for a picture of " + std::to_string(size.size.width) + " x " +
               std::to_string(size.size.height) + " pixels";
    OutputTarget target(output, OutputShape::File,
                        options.overwrite ? ExistingOutput::Replace : ExistingOutput::Refuse);
    encoder::Status prepared = target.prepare();
    if (!prepared.ok())
        return prepared.message();
    if (std::string failed = WritePng(image, target.workPath()); !failed.empty())
        return "cannot write " + output + ": " + failed;
    encoder::Status committed = target.commit();
    if (!committed.ok())
        return committed.message();
    if (note) {
        const std::string said = libraryMessages.note();
        *note = size.note + (size.note.empty() || said.empty() ? "" : "; ") + said;
    }
    return {};
}

} // namespace vidorama::cli
