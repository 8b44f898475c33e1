#pragma once

#include "core/Status.h"
#include "pipeline/MovieClock.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vidorama::cli {

class FrameRenderer;
class FrameSink;
class MovieDriver;

// Which part of the movie becomes the output.
struct OutputSpan {
    // The movie frame the output starts on (0: the movie's first).
    std::int64_t startFrame = 0;
    // The exact number of output frames, or none to stop where the movie
    // driver's end rule says.
    std::optional<std::int64_t> frames;
};

struct PipelineResult {
    std::int64_t frames = 0;
    std::int64_t soundFrames = 0; // sample frames written
    bool cancelled = false;
    encoder::Status status = encoder::Status::success();
};

// Frames written so far, after each frame.
using FrameProgress = std::function<void(std::int64_t framesWritten)>;

// Runs one conversion from the movie to the sink: each output frame is taken
// from the movie frame on screen at its time, and after it exactly the sound
// up to the next frame's time, so that picture and sound stay together to
// the sample however long the movie runs. At the end the sound is made as
// long as the picture, with silence if the movie ended first.
PipelineResult RunPipeline(MovieDriver& driver, const MovieClock& clock, const OutputSpan& span,
                           FrameRenderer& renderer, FrameSink& sink,
                           const std::atomic<bool>& cancel, const FrameProgress& progress = {});

} // namespace vidorama::cli
