#pragma once

#include "ConvertOptions.h"
#include "graphics/StageQuality.h"

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
// width x height, or at the movie's own size when no size is given.
QImage RenderSnapshot(const std::shared_ptr<const swf::Movie>& movie, int frames,
                      std::optional<int> width = std::nullopt,
                      std::optional<int> height = std::nullopt,
                      swf::StageQuality quality = swf::StageQuality::High,
                      std::function<void(const std::string&)> trace = {});

// The movie's own size in pixels (its frame rectangle, rounded), at least 1x1.
QSize MoviePixelSize(const swf::Movie& movie);

// Loads the input, renders the snapshot and writes it, all or nothing: the
// output file appears only when it is complete. Returns an error message, or
// an empty string on success.
std::string RunSnapshotJob(const ConvertOptions& options);

} // namespace vidorama::cli
