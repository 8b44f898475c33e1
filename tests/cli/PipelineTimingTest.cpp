// Frame-exact timing of the conversion pipeline: which movie frame each
// output frame shows, how much sound comes with each, and where the output
// ends, for the common movie and output rates.

#include "CliTestMovies.h"
#include "RecordingSink.h"
#include "movie/Movie.h"
#include "pipeline/ConversionPipeline.h"
#include "pipeline/FrameRenderer.h"
#include "pipeline/MovieDriver.h"

#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

using cli::MovieClock;
using cli::Rate;

constexpr int kRates[] = {10, 12, 24, 25, 30};

std::shared_ptr<const swf::Movie> Load(const MovieWriter& writer) {
    auto movie = swf::Movie::load(writer.bytes());
    EXPECT_TRUE(movie.ok());
    return movie.value();
}

struct Run {
    RecordingSink sink{[](const QImage& frame) {
        return FrameNumberOf(frame);
    }};
    cli::PipelineResult result;
};

// Converts the movie into a recording sink.
std::unique_ptr<Run> Convert(const MovieWriter& writer, Rate outputRate, cli::OutputSpan span = {},
                             cli::EndRule rule = cli::EndRule::AtMovieEnd) {
    auto run = std::make_unique<Run>();
    const Rate movieRate{static_cast<std::int64_t>(writer.frameRate * 256), 256};
    cli::MovieDriver driver(Load(writer), movieRate, rule);
    EXPECT_TRUE(driver.advanceTo(span.startFrame));
    cli::FrameRenderer renderer(QSize(8, 6), cli::StageBackground::Painted);
    std::atomic<bool> cancel{false};
    run->result = cli::RunPipeline(driver, MovieClock(movieRate, outputRate), span, renderer,
                                   run->sink, cancel);
    EXPECT_TRUE(run->result.status.ok()) << run->result.status.message();
    return run;
}

std::int64_t SamplesBefore(std::int64_t frames, std::int64_t fps) {
    return frames * 44100 / fps;
}

TEST(PipelineTiming, EveryOutputFrameShowsTheMovieFrameOfItsTimeWithItsSound) {
    for (int movieFps : kRates) {
        // Not a whole number of seconds, so that the last output frame is
        // cut short wherever the rates differ.
        const int movieFrames = 2 * movieFps + 3;
        const MovieWriter movie = NumberedFramesMovie(movieFrames, movieFps);
        for (int outputFps : kRates) {
            SCOPED_TRACE(std::to_string(movieFps) + " fps movie, " + std::to_string(outputFps) +
                         " fps output");
            auto run = Convert(movie, Rate{outputFps, 1});
            // n / outputFps < movieFrames / movieFps, n counted from 0.
            const std::int64_t expected =
                (std::int64_t{movieFrames} * outputFps + movieFps - 1) / movieFps;
            ASSERT_EQ(run->result.frames, expected);
            ASSERT_EQ(run->sink.frames.size(), static_cast<std::size_t>(expected));
            for (std::int64_t n = 0; n < expected; ++n) {
                EXPECT_EQ(run->sink.frames[n], n * movieFps / outputFps) << "frame " << n;
                EXPECT_EQ(run->sink.soundAfterFrame[n], SamplesBefore(n, outputFps));
            }
            EXPECT_EQ(run->sink.soundFrames, SamplesBefore(expected, outputFps));
            EXPECT_EQ(run->result.soundFrames, run->sink.soundFrames);
        }
    }
}

TEST(PipelineTiming, StartEndAndDurationCountFromTheStartFrame) {
    const MovieWriter movie = NumberedFramesMovie(20, 10);
    // From frame 5 (index 4) for exactly 8 output frames at 20 fps.
    auto run = Convert(movie, Rate{20, 1}, {4, 8}, cli::EndRule::PlayOn);
    ASSERT_EQ(run->sink.frames.size(), 8u);
    EXPECT_EQ(run->sink.frames.front(), 4);
    EXPECT_EQ(run->sink.frames.back(), 7);
    EXPECT_EQ(run->sink.soundFrames, 8 * 44100 / 20);

    // Played on past its end, the movie loops back to its first frame as a
    // player's would.
    auto looped = Convert(movie, Rate{10, 1}, {15, 10}, cli::EndRule::PlayOn);
    ASSERT_EQ(looped->sink.frames.size(), 10u);
    EXPECT_EQ(looped->sink.frames[4], 19);
    EXPECT_EQ(looped->sink.frames[5], 0);
    EXPECT_EQ(looped->sink.soundFrames, 44100);
}

// NumberedFramesMovie with a script on one frame.
MovieWriter ScriptedMovie(int frames, int scriptFrame, const Bytes& action) {
    MovieWriter movie;
    movie.frameRect = {0, 640, 0, 480};
    movie.frameRate = 12;
    for (int k = 0; k < frames; ++k) {
        const auto id = static_cast<std::uint16_t>(k + 1);
        movie.tag(
            tags::DefineRectShape(id, {0, 640, 0, 480}, {static_cast<std::uint8_t>(k), 0, 0, 255}));
        std::vector<Bytes> tags{k == 0 ? tags::PlaceAt(1, id)
                                       : tags::Place(1).move().character(id).tag()};
        if (k == scriptFrame)
            tags.push_back(tags::DoAction({action}));
        movie.frame(tags);
    }
    return movie;
}

TEST(PipelineTiming, TheMovieEndsWhenItLoopsBackOrStops) {
    // Entering frame 4 sends the movie back to frame 2 before it is drawn.
    auto looped = Convert(ScriptedMovie(10, 3, tags::actions::GotoFrame(1)), Rate{12, 1});
    EXPECT_EQ(looped->sink.frames, (std::vector<std::int64_t>{0, 1, 2}));
    EXPECT_EQ(looped->sink.soundFrames, 3 * 44100 / 12);
    auto stopped = Convert(ScriptedMovie(10, 4, tags::actions::Stop()), Rate{12, 1});
    EXPECT_EQ(stopped->sink.frames, (std::vector<std::int64_t>{0, 1, 2, 3, 4}));
    // Going back by one frame keeps the movie where it was.
    auto stuck = Convert(ScriptedMovie(10, 3, tags::actions::GotoFrame(2)), Rate{12, 1});
    EXPECT_EQ(stuck->sink.frames, (std::vector<std::int64_t>{0, 1, 2}));
    // Played on, a movie that stopped holds its frame.
    auto held = Convert(ScriptedMovie(10, 4, tags::actions::Stop()), Rate{12, 1}, {0, 8},
                        cli::EndRule::PlayOn);
    EXPECT_EQ(held->sink.frames, (std::vector<std::int64_t>{0, 1, 2, 3, 4, 4, 4, 4}));
    // A movie of one frame is one frame long.
    auto still = Convert(NumberedFramesMovie(1, 25), Rate{25, 1});
    EXPECT_EQ(still->sink.frames.size(), 1u);
    EXPECT_EQ(still->sink.soundFrames, 44100 / 25);
}

TEST(PipelineTiming, CancellingStopsBeforeTheNextFrame) {
    const MovieWriter movie = NumberedFramesMovie(30, 30);
    const Rate rate{30, 1};
    cli::MovieDriver driver(Load(movie), rate, cli::EndRule::AtMovieEnd);
    cli::FrameRenderer renderer(QSize(8, 6), cli::StageBackground::Painted);
    RecordingSink sink([](const QImage& frame) { return FrameNumberOf(frame); });
    std::atomic<bool> cancel{false};
    auto result = cli::RunPipeline(driver, MovieClock(rate, rate), {}, renderer, sink, cancel,
                                   [&](std::int64_t frames) { cancel = frames == 5; });
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(sink.frames.size(), 5u);
}

TEST(MovieClock, KeepsWholeNumbersForFractionalRates) {
    const MovieClock ntsc(Rate{24, 1}, Rate{30000, 1001});
    // An hour of output: no drift in either frame or sample counts.
    const std::int64_t hour = 30000 * 3600 / 1001 + 1;
    EXPECT_EQ(ntsc.movieFrameAt(hour), hour * 24 * 1001 / 30000);
    EXPECT_EQ(ntsc.outputSamplesBefore(hour), hour * 44100 * 1001 / 30000);
    EXPECT_EQ(ntsc.outputFramesIn(2.0), 60);
    const MovieClock odd(Rate{7672, 256}, Rate{7672, 256});
    std::int64_t total = 0;
    for (int k = 0; k < 1000; ++k)
        total += odd.movieFrameSamples(k);
    EXPECT_EQ(total, (Rate{7672, 256}.samplesBefore(1000)));
}

TEST(MovieClock, TakesTheHeadersRateExactlyAndCountsSoundForYears) {
    // The header's 8.8 fixed point: 29.97 is stored as 7672/256.
    EXPECT_EQ(Rate::OfMovieHeader(7672 / 256.0), (Rate{959, 32}));
    EXPECT_EQ(Rate::OfMovieHeader(0.5), (Rate{1, 2}));
    EXPECT_EQ(Rate::OfMovieHeader(0), (Rate{0, 1}));
    // Over a year of NTSC frames the plain product frame x 44100 x 1001
    // would overflow; whole periods of the rate come to whole samples.
    const Rate ntsc{30000, 1001};
    const std::int64_t periods = 40'000'000;
    const std::int64_t frame = periods * ntsc.num + 12345;
    EXPECT_EQ(ntsc.samplesBefore(frame), periods * 44100 * 1001 + ntsc.samplesBefore(12345));
    EXPECT_EQ(ntsc.samplesBefore(12345), 12345LL * 44100 * 1001 / 30000);
}

} // namespace
} // namespace vidorama::test
