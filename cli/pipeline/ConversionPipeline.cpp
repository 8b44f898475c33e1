#include "pipeline/ConversionPipeline.h"

#include "pipeline/FrameRenderer.h"
#include "pipeline/FrameSink.h"
#include "pipeline/MovieDriver.h"
#include "swf/Limits.h"

#include <vector>

namespace vidorama::cli {

namespace {

class Pipeline {
public:
    Pipeline(MovieDriver& driver, const MovieClock& clock, const OutputSpan& span, FrameSink& sink)
        : m_driver(driver), m_clock(clock), m_span(span), m_sink(sink) {}

    // Sends the sound that belongs before output frame `frames`, running the
    // movie on as far as that sound reaches but never past the movie frame
    // the next output frame shows.
    encoder::Status soundUpTo(std::int64_t frames) {
        const std::int64_t wanted = m_clock.outputSamplesBefore(frames) - m_result.soundFrames;
        const std::int64_t lastFrame = m_span.startFrame + m_clock.movieFramesBefore(frames) - 1;
        while (m_driver.sound().queuedFrames() < wanted && m_driver.frameIndex() < lastFrame)
            if (!m_driver.advanceTo(m_driver.frameIndex() + 1))
                break;
        auto samples = m_driver.sound().take(wanted);
        m_result.soundFrames += static_cast<std::int64_t>(samples.size() / SoundQueue::kChannels);
        return m_sink.writeSound(samples);
    }

    // The remainder of the last frame's sound, when the movie ended before it
    // was made, is silence.
    encoder::Status padSound(std::int64_t frames) {
        const std::int64_t missing = m_clock.outputSamplesBefore(frames) - m_result.soundFrames;
        if (missing <= 0)
            return encoder::Status::success();
        std::vector<std::int16_t> silence(static_cast<std::size_t>(missing) *
                                          SoundQueue::kChannels);
        m_result.soundFrames += missing;
        return m_sink.writeSound(silence);
    }

    PipelineResult& result() { return m_result; }

private:
    MovieDriver& m_driver;
    const MovieClock& m_clock;
    const OutputSpan& m_span;
    FrameSink& m_sink;
    PipelineResult m_result;
};

// What drawing may have cost by the end of the output's first seconds: one
// second's worth to begin with, as for scripts.
std::uint64_t AllowanceFor(std::uint64_t perOutputSecond, double outputSeconds) {
    return static_cast<std::uint64_t>(static_cast<double>(perOutputSecond) * (outputSeconds + 1));
}

bool Wanted(const OutputSpan& span, std::int64_t frame) {
    return !span.frames || frame < *span.frames;
}

} // namespace

PipelineResult RunPipeline(MovieDriver& driver, const MovieClock& clock, const OutputSpan& span,
                           FrameRenderer& renderer, FrameSink& sink,
                           const std::atomic<bool>& cancel, const FrameProgress& progress) {
    Pipeline pipeline(driver, clock, span, sink);
    PipelineResult& result = pipeline.result();
    driver.sound().dropBefore(clock.movieRate().samplesBefore(span.startFrame));
    for (std::int64_t n = 0; Wanted(span, n); ++n) {
        if (cancel.load(std::memory_order_relaxed)) {
            result.cancelled = true;
            return result;
        }
        const double outputSeconds = static_cast<double>(n + 1) / clock.outputRate().value();
        driver.allowScriptTimeFor(outputSeconds);
        renderer.allowWork(
            AllowanceFor(swf::Limits::kMaxFilterWorkPerOutputSecond, outputSeconds),
            AllowanceFor(swf::Limits::kMaxDrawnPixelsPerOutputSecond, outputSeconds));
        if (!driver.advanceTo(span.startFrame + clock.movieFrameAt(n)))
            break;
        const QImage& picture = renderer.render(driver.player());
        result.status = renderer.repeated() ? sink.repeatFrame() : sink.writeFrame(picture);
        if (result.status.ok())
            result.status = pipeline.soundUpTo(n + 1);
        if (!result.status.ok())
            return result;
        result.frames = n + 1;
        if (progress)
            progress(result.frames);
    }
    result.status = pipeline.padSound(result.frames);
    return result;
}

} // namespace vidorama::cli
