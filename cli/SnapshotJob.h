#pragma once

#include "ConvertOptions.h"
#include "graphics/StageQuality.h"
#include "swf/PictureLimit.h"

#include <QImage>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vidorama::swf {
class Movie;
}

namespace vidorama::cli {

// The stage after `frames` frames have run (1: the first frame), drawn at
// width x height, or at the movie's own size when no size is given; a size
// over the picture limit is scaled down to fit it.
QImage RenderSnapshot(const std::shared_ptr<const swf::Movie>& movie, int frames,
                      std::optional<int> width = std::nullopt,
                      std::optional<int> height = std::nullopt,
                      swf::StageQuality quality = swf::StageQuality::High,
                      std::function<void(const std::string&)> trace = {});

// The movie's own size in pixels (its frame rectangle, rounded), at least 1x1.
QSize MoviePixelSize(const swf::Movie& movie);

// The size a movie's pictures are made at: the size asked for, or the
// stage's own, scaled down to the picture limit when over it, with a note
// that says so (empty when the size is kept).
struct FrameSize {
    swf::PictureSize size;
    std::string note;
};
FrameSize ChooseFrameSize(const swf::Movie& movie, std::optional<int> width,
                          std::optional<int> height);

// Loads the input, renders the snapshot and writes it, all or nothing: the
// output file appears only when it is complete, an existing file is replaced
// only with --overwrite, and the input never. Returns an error message, or
// an empty string on success; a note says when the picture was scaled down.
std::string RunSnapshotJob(const ConvertOptions& options, std::string* note = nullptr);

} // namespace vidorama::cli
