#include "pipeline/ConversionJob.h"

#include "SnapshotJob.h"
#include "movie/Movie.h"
#include "pipeline/BackgroundSink.h"
#include "pipeline/ConversionPipeline.h"
#include "pipeline/EncoderSink.h"
#include "pipeline/FrameRenderer.h"
#include "pipeline/LibraryMessages.h"
#include "pipeline/MovieDriver.h"
#include "planning/EncoderPlan.h"
#include "planning/OutputTarget.h"
#include "player/Player.h"
#include "swf/Limits.h"
#include "swf/PictureLimit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vidorama::cli {

namespace {
// The first names of a list, and how many more there are.
std::string JoinNames(const std::vector<std::string>& names) {
    constexpr std::size_t kShown = 12;
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < kShown; ++i)
        text += (i ? ", " : "") + names[i];
    if (names.size() > kShown)
        text += " and " + std::to_string(names.size() - kShown) + " more";
    return text;
}

// Where a conversion starts and how long it runs, in the movie's frames and
// the output's.
struct Timing {
    Rate movieRate;
    Rate outputRate;
    OutputSpan span;
    EndRule rule = EndRule::AtMovieEnd;
    std::string rateNote;
};

// A length asked for in seconds is kept to a tenth of a second: a slower
// movie is taken at a whole multiple of its rate, each of its frames shown
// for the same number of output frames, rather than a 1/256 fps movie
// making one frame of 256 seconds.
constexpr std::int64_t kMinTimedOutputFps = 10;

Rate TimedOutputRate(Rate movieRate, const ConvertOptions& options) {
    const bool timed = options.durationSeconds ||
                       (options.end && options.end->unit == MoviePosition::Unit::Seconds);
    if (!timed || movieRate.num >= kMinTimedOutputFps * movieRate.den)
        return movieRate;
    const std::int64_t wanted = kMinTimedOutputFps * movieRate.den;
    const std::int64_t multiple = (wanted + movieRate.num - 1) / movieRate.num;
    return Rate::Reduced(movieRate.num * multiple, movieRate.den);
}

std::string RateText(Rate rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", rate.value());
    return text;
}

// The output's rate when --fps does not give one: the movie's own, within
// the fastest rate a conversion takes by itself.
Rate DefaultOutputRate(Rate movieRate, const ConvertOptions& options, std::string& note) {
    const std::int64_t fastest = swf::Limits::kMaxDefaultOutputFps * movieRate.den;
    if (movieRate.num <= fastest)
        return TimedOutputRate(movieRate, options);
    const std::int64_t every = (movieRate.num + fastest - 1) / fastest;
    const Rate rate = Rate::Reduced(movieRate.num, movieRate.den * every);
    note = "the movie runs at " + RateText(movieRate) + " frames a second; the video shows one " +
           "frame in " + std::to_string(every) + ", at " + RateText(rate) +
           " frames a second (--fps chooses another rate)";
    return rate;
}

std::int64_t FrameIndexOf(const MoviePosition& position, const MovieClock& clock) {
    return position.unit == MoviePosition::Unit::Frame ? position.frame - 1
                                                       : clock.movieFrameAtTime(position.seconds);
}

// The output frames that end the output before a position of the movie.
std::int64_t FramesUntil(const MoviePosition& end, const MovieClock& clock, std::int64_t start) {
    if (end.unit == MoviePosition::Unit::Frame)
        return clock.outputFramesFor(end.frame - start);
    const double seconds = end.seconds - static_cast<double>(start) / clock.movieRate().value();
    return static_cast<std::int64_t>(std::ceil(seconds * clock.outputRate().value() - 1e-9));
}

std::string PlanTiming(const swf::Movie& movie, const ConvertOptions& options, Timing& timing) {
    timing.movieRate = Rate::OfMovieHeader(movie.frameRate());
    if (timing.movieRate.num == 0) {
        // A movie without a rate has no timing of its own; it plays at the
        // rate asked for.
        if (!options.fps)
            return "the movie has no frame rate; give --fps";
        timing.movieRate = *options.fps;
    }
    timing.outputRate =
        options.fps ? *options.fps : DefaultOutputRate(timing.movieRate, options, timing.rateNote);
    const MovieClock clock(timing.movieRate, timing.outputRate);
    timing.span.startFrame = options.start ? FrameIndexOf(*options.start, clock) : 0;
    if (options.durationSeconds)
        timing.span.frames =
            std::max<std::int64_t>(1, clock.outputFramesIn(*options.durationSeconds));
    else if (options.end)
        timing.span.frames = FramesUntil(*options.end, clock, timing.span.startFrame);
    if (timing.span.frames && *timing.span.frames <= 0)
        return "nothing lies between --start and --end";
    timing.rule = timing.span.frames ? EndRule::PlayOn : EndRule::AtMovieEnd;
    return {};
}

// The output's length when it is set, or what the root timeline's length
// suggests when the movie decides.
std::optional<std::int64_t> ExpectedFrames(std::int64_t movieFrames, const Timing& timing) {
    if (timing.span.frames)
        return timing.span.frames;
    const MovieClock clock(timing.movieRate, timing.outputRate);
    const std::int64_t left = movieFrames - timing.span.startFrame;
    return left > 0 ? std::optional(clock.outputFramesFor(left)) : std::nullopt;
}

// What the user is told when a step of the output fails; nothing when it
// went well.
std::string FailureText(const encoder::Status& status) {
    return status.ok() ? std::string() : status.message();
}

JobResult Failed(std::string message) {
    JobResult result;
    result.message = std::move(message);
    return result;
}

// Where the encoder writes inside the temporary output.
std::string EncoderPath(const OutputTarget& target, OutputKind kind) {
    return IsPictureSequence(kind) ? target.workPath() + "/" + kPictureNamePattern
                                   : target.workPath();
}

// Encoding on a thread of its own while the movie is drawn uses a core more;
// a batch that already keeps every core busy with movies of its own gains
// nothing from it but the hand-offs.
bool EncodeAlongside(const ConvertOptions& options) {
    return static_cast<unsigned>(options.jobs) < std::max(1u, std::thread::hardware_concurrency());
}

struct OutputRun {
    const JobSpec& job;
    const ConvertOptions& options;
    const encoder::OutputPlan& plan;
    const Timing& timing;
};

JobResult RunOutput(const OutputRun& run, MovieDriver& driver, FrameRenderer& renderer,
                    JobObserver& observer, const std::atomic<bool>& cancel) {
    OutputTarget target(run.job.output,
                        IsPictureSequence(run.job.kind) ? OutputShape::PictureFolder
                                                        : OutputShape::File,
                        run.options.overwrite ? ExistingOutput::Replace : ExistingOutput::Refuse);
    EncoderSink sink;
    encoder::Status opened = target.prepare();
    if (opened.ok())
        opened = sink.open(EncoderPath(target, run.job.kind), run.plan,
                           run.options.encoding.transparent);
    if (!opened.ok())
        return Failed(opened.message());

    observer.started(ExpectedFrames(driver.player().totalFrames(), run.timing));
    const MovieClock clock(run.timing.movieRate, run.timing.outputRate);
    std::optional<BackgroundSink> background;
    if (EncodeAlongside(run.options))
        background.emplace(sink);
    FrameSink& output = background ? static_cast<FrameSink&>(*background) : sink;
    PipelineResult piped = RunPipeline(driver, clock, run.timing.span, renderer, output, cancel,
                                       [&](std::int64_t n) { observer.framesWritten(n); });
    JobResult result;
    result.cancelled = piped.cancelled;
    result.frames = piped.frames;
    result.soundFrames = piped.soundFrames;
    result.outputSeconds = static_cast<double>(piped.frames) / run.timing.outputRate.value();
    std::string error = piped.cancelled ? "interrupted" : FailureText(piped.status);
    if (error.empty() && piped.frames == 0)
        error = "the movie has no frames to convert";
    if (error.empty())
        error = FailureText(output.finish());
    if (error.empty())
        error = FailureText(target.commit());
    if (!error.empty()) {
        output.abandon();
        target.discard();
        result.message = error;
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace

JobResult RunConversionJob(const JobSpec& job, const ConvertOptions& options, JobObserver& observer,
                           const std::atomic<bool>& cancel) {
    LibraryMessages libraryMessages;
    auto loaded = swf::Movie::loadFile(job.input);
    if (!loaded)
        return Failed("cannot read the movie: " + loaded.error().message);
    const std::shared_ptr<const swf::Movie> movie = loaded.value();
    Timing timing;
    if (std::string error = PlanTiming(*movie, options, timing); !error.empty())
        return Failed(error);

    const FrameSize frameSize = ChooseFrameSize(*movie, options.width, options.height);
    encoder::OutputPlan plan;
    EncoderRequest request{
        job.kind,          &options.encoding,       frameSize.size.width, frameSize.size.height,
        timing.outputRate, options.jobs > 1 ? 1 : 0};
    if (std::string error = PlanEncoder(request, plan); !error.empty())
        return Failed(error);
    if (!swf::FitsPictureLimit(plan.video->width, plan.video->height))
        return Failed("frames of " + std::to_string(plan.video->width) + " x " +
                      std::to_string(plan.video->height) + " pixels are over the limit of " +
                      std::to_string(swf::Limits::kMaxPicturePixels) +
                      " pixels a frame; give a smaller --size");

    MovieDriver driver(movie, timing.movieRate, timing.rule, options.traceLines,
                       options.stageQuality);
    if (!driver.advanceTo(timing.span.startFrame))
        return Failed("the movie ends at frame " + std::to_string(driver.frameIndex() + 1) +
                      ", before --start");
    FrameRenderer renderer(QSize(plan.video->width, plan.video->height),
                           options.encoding.transparent ? StageBackground::Transparent
                                                        : StageBackground::Painted);
    if (renderer.isNull())
        return Failed("not enough memory for frames of " + std::to_string(plan.video->width) +
                      " x " + std::to_string(plan.video->height) + " pixels");
    JobResult result = RunOutput({job, options, plan, timing}, driver, renderer, observer, cancel);
    if (!result.ok)
        return result;
    std::vector<std::string> notes;
    for (const std::string& note : {timing.rateNote, frameSize.note})
        if (!note.empty())
            notes.push_back(note);
    if (!movie->damage().empty())
        notes.push_back("the movie is damaged, converted up to the damage: " + movie->damage());
    if (std::string said = libraryMessages.note(); !said.empty())
        notes.push_back(said);
    if (driver.player().limitsReached().any())
        notes.push_back("the movie went past the player's limits, which cut it short: " +
                        driver.player().limitsReached().describe());
    if (renderer.filtersLeftOut())
        notes.push_back("filters were left out from the frame where they had cost more than "
                        "allowed for the output's length (" +
                        std::to_string(swf::Limits::kMaxFilterWorkPerOutputSecond) +
                        " pixel passes a second)");
    if (renderer.framesHeld() > 0)
        notes.push_back(std::to_string(renderer.framesHeld()) +
                        " frames show the picture before them, as drawing them would have cost "
                        "more than allowed for the output's length (" +
                        std::to_string(swf::Limits::kMaxDrawnPixelsPerOutputSecond) +
                        " pixels painted a second)");
    if (auto missing = driver.player().scriptFeaturesMissing(); !missing.empty())
        notes.push_back("its ActionScript 3 reaches what the player does not have yet, and "
                        "plays on without it: " +
                        JoinNames(missing));
    for (const std::string& note : notes)
        result.message += (result.message.empty() ? "" : "; ") + note;
    return result;
}

} // namespace vidorama::cli
