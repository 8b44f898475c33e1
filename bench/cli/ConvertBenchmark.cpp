// Prints how fast vidorama-convert turns corpus movies into video, at their
// own size and at 1920 x 1080, for Xvid AVI with MP3 sound and H.264 MP4 with
// AAC: output frames per second of the whole conversion, of the encoding
// alone with the frames already drawn, their ratio (the share of the time
// that encoding takes), and the speed as a multiple of real time. Then the memory in use early and
// late in a long conversion.
// Usage: vidorama_convert_bench [MOVIE.swf...]

#include "BenchMovies.h"
#include "SampleMovie.h"
#include "SnapshotJob.h"
#include "movie/Movie.h"
#include "pipeline/ConversionJob.h"
#include "pipeline/EncoderSink.h"
#include "pipeline/FrameRenderer.h"
#include "pipeline/MovieDriver.h"
#include "planning/EncoderPlan.h"

extern "C" {
#include <libavutil/log.h>
}

#include <QDir>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <vector>

namespace {

using namespace vidorama;
using Clock = std::chrono::steady_clock;

// Every measurement writes this many output frames, the movie looping if
// it is shorter; the encoding-only run cycles through this many drawn ones.
constexpr int kFrames = 120;
constexpr int kDrawnFrames = 12;

// Bitmaps and nested clips, a stream sound, and morph shapes.
const char* const kDefaultMovies[] = {
    "ruffle/from_shumway__acid__acid-large/test.swf",
    "ruffle/audio__stream_incomplete_loop/test.swf",
    "ruffle/from_gnash__misc-ming.all__morph_test1/test.swf",
};

struct Format {
    const char* name;
    cli::OutputKind kind;
    const char* videoCodec;
    const char* audioCodec;
    const char* file;
};

const Format kFormats[] = {
    {"avi xvid+mp3", cli::OutputKind::Avi, "xvid", "mp3", "bench.avi"},
    {"mp4 h264+aac", cli::OutputKind::Mp4, "", "", "bench.mp4"},
};

class NoProgress final : public cli::JobObserver {
public:
    void started(std::optional<std::int64_t>) override {}
    void framesWritten(std::int64_t) override {}
};

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

cli::ConvertOptions Options(const Format& format, QSize size) {
    cli::ConvertOptions options;
    options.mode = cli::ConvertOptions::Mode::Convert;
    options.width = size.width();
    options.height = size.height();
    options.end = cli::MoviePosition{cli::MoviePosition::Unit::Frame, kFrames, 0};
    options.overwrite = true;
    options.encoding.videoCodec = format.videoCodec;
    options.encoding.audioCodec = format.audioCodec;
    return options;
}

// Seconds for the whole conversion: playing, drawing, mixing and encoding.
double WholeConversion(const std::string& movie, const Format& format, QSize size,
                       const std::string& output) {
    const cli::ConvertOptions options = Options(format, size);
    NoProgress progress;
    const std::atomic<bool> cancel{false};
    const auto start = Clock::now();
    const cli::JobResult result =
        cli::RunConversionJob({movie, output, format.kind}, options, progress, cancel);
    return result.ok ? Since(start) : -1;
}

// Seconds for encoding alone: frames and sound made beforehand, then only
// the encoder's work is timed.
double EncodingOnly(const std::shared_ptr<const swf::Movie>& movie, cli::Rate rate,
                    const Format& format, QSize size, const std::string& output) {
    const cli::ConvertOptions options = Options(format, size);
    encoder::OutputPlan plan;
    if (!cli::PlanEncoder({format.kind, &options.encoding, size.width(), size.height(), rate, 0},
                          plan)
             .empty())
        return -1;
    cli::MovieDriver driver(movie, rate, cli::EndRule::PlayOn);
    cli::FrameRenderer renderer(QSize(plan.video->width, plan.video->height),
                                cli::StageBackground::Painted);
    std::vector<QImage> frames;
    for (int k = 0; k < kDrawnFrames; ++k) {
        driver.advanceTo(k);
        frames.push_back(renderer.render(driver.player()).copy());
    }
    const cli::MovieClock clock(rate, rate);
    const std::vector<std::int16_t> sound(static_cast<std::size_t>(clock.movieFrameSamples(0)) * 2);
    cli::EncoderSink sink;
    const auto start = Clock::now();
    if (!sink.open(output, plan, false).empty())
        return -1;
    for (int n = 0; n < kFrames; ++n)
        if (!sink.writeFrame(frames[static_cast<std::size_t>(n % kDrawnFrames)]).empty() ||
            !sink.writeSound(sound).empty())
            return -1;
    return sink.finish().empty() ? Since(start) : -1;
}

cli::Rate MovieRate(const swf::Movie& movie) {
    return {std::lround(movie.frameRate() * 256), 256};
}

void Measure(const std::string& path, const std::string& name, const QTemporaryDir& folder) {
    auto loaded = swf::Movie::loadFile(path);
    if (!loaded) {
        std::printf("%s: cannot read\n", name.c_str());
        return;
    }
    const auto movie = loaded.value();
    const cli::Rate rate = MovieRate(*movie);
    for (QSize size : {cli::MoviePixelSize(*movie), QSize(1920, 1080)}) {
        for (const Format& format : kFormats) {
            const std::string output = QDir(folder.path()).filePath(format.file).toStdString();
            const double whole = WholeConversion(path, format, size, output);
            const double encoding = EncodingOnly(movie, rate, format, size, output);
            const double seconds = kFrames / rate.value();
            std::printf("%-40s %4dx%-4d %-12s whole %6.1f fps | encoding only %6.1f fps | "
                        "ratio %4.2f | %6.1fx real time\n",
                        name.c_str(), size.width(), size.height(), format.name, kFrames / whole,
                        kFrames / encoding, encoding / whole, seconds / whole);
        }
    }
}

std::int64_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<std::int64_t>(info.uordblks + info.hblkhd);
}

// Memory in use at a tenth of a long conversion of the sample movie (with
// its sound) and at its end.
void MeasureMemory(const std::string& path, const QTemporaryDir& folder) {
    class HeapProbe final : public cli::JobObserver {
    public:
        void started(std::optional<std::int64_t> total) override { m_total = total.value_or(0); }
        void framesWritten(std::int64_t frames) override {
            if (frames == m_total / 10)
                early = HeapInUse();
            if (frames == m_total)
                late = HeapInUse();
        }
        std::int64_t early = 0, late = 0;

    private:
        std::int64_t m_total = 0;
    } probe;
    cli::ConvertOptions options = Options(kFormats[1], QSize(640, 480));
    options.end.reset();
    options.durationSeconds = 120;
    const std::atomic<bool> cancel{false};
    const std::string output = QDir(folder.path()).filePath("long.mp4").toStdString();
    const cli::JobResult result =
        cli::RunConversionJob({path, output, cli::OutputKind::Mp4}, options, probe, cancel);
    if (!result.ok)
        return;
    std::printf("memory: %lld frames of 640x480 to mp4: heap in use %.1f MB after %lld frames, "
                "%.1f MB after %lld\n",
                static_cast<long long>(result.frames), probe.early / 1e6,
                static_cast<long long>(result.frames / 10), probe.late / 1e6,
                static_cast<long long>(result.frames));
}

} // namespace

int main(int argc, char** argv) {
    av_log_set_level(AV_LOG_QUIET);
    const std::vector<std::string> paths = vidorama::bench::BenchMovies(argc, argv, kDefaultMovies);
    QTemporaryDir folder;
    std::printf("%d output frames per measurement\n", kFrames);
    for (const std::string& path : paths)
        Measure(path, std::filesystem::path(path).parent_path().filename().string(), folder);
    const std::string sample = QDir(folder.path()).filePath("sample.swf").toStdString();
    const auto bytes = sample::BuildSampleMovie();
    std::ofstream(sample, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    MeasureMemory(sample, folder);
    return 0;
}
