// Prints how fast vidorama-convert turns corpus movies into video, at their
// own size and at 1920 x 1080, for Xvid AVI with MP3 sound and H.264 MP4 with
// AAC: output frames per second of the whole conversion, its speed as a
// multiple of real time, and how many times longer it takes than encoding
// alone the very frames and sound it wrote (drawn beforehand, timed in the
// same run). Then the processor time of a long still picture against its
// encoding alone, and the memory in use early and late in a long conversion.
// Usage: vidorama_convert_bench [MOVIE.swf...]

#include "BenchMovies.h"
#include "SampleMovie.h"
#include "SnapshotJob.h"
#include "movie/Movie.h"
#include "pipeline/ConversionJob.h"
#include "pipeline/ConversionPipeline.h"
#include "pipeline/EncoderSink.h"
#include "pipeline/FrameRenderer.h"
#include "pipeline/FrameSink.h"
#include "pipeline/MovieDriver.h"
#include "planning/EncoderPlan.h"

extern "C" {
#include <libavutil/log.h>
}

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <variant>
#include <vector>

namespace {

using namespace vidorama;
using Clock = std::chrono::steady_clock;

// Every measurement writes this many output frames, the movie playing on
// (looping or holding its last frame) if it is shorter.
constexpr int kFrames = 120;
// A page that never changes, and how long it is shown for its processor
// time.
constexpr const char* kStillMovie = "ruffle/from_shumway__acid__acid-gradient-0/test.swf";
constexpr double kStillSeconds = 20;

// One of each kind of drawing that costs a converter its time.
const char* const kDefaultMovies[] = {
    // Morph shapes changing at every frame.
    "ruffle/from_gnash__misc-ming.all__morph_test1/test.swf",
    // Large scaled bitmap fills over nested clips.
    "ruffle/from_shumway__acid__acid-large/test.swf",
    // A stream sound the picture follows.
    "ruffle/audio__stream_incomplete_loop/test.swf",
    // Static text growing over a large stage.
    "ruffle/from_shumway__acid__acid-text-6/test.swf",
    // A page of gradients that never changes.
    "ruffle/from_shumway__acid__acid-gradient-0/test.swf",
    // Detailed vector characters moving, turning and scaling.
    "ruffle/from_shumway__acid__acid-video/test.swf",
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

// Wall and processor seconds of a piece of work.
struct Cost {
    double wall = -1;
    double cpu = -1;
};

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

class Stopwatch {
public:
    Cost stop() const {
        return {std::chrono::duration<double>(Clock::now() - m_wall).count(),
                ProcessCpuSeconds() - m_cpu};
    }

private:
    Clock::time_point m_wall = Clock::now();
    double m_cpu = ProcessCpuSeconds();
};

cli::ConvertOptions Options(const Format& format, QSize size, std::int64_t frames) {
    cli::ConvertOptions options;
    options.mode = cli::ConvertOptions::Mode::Convert;
    options.width = size.width();
    options.height = size.height();
    options.end = cli::MoviePosition{cli::MoviePosition::Unit::Frame, frames, 0};
    options.overwrite = true;
    options.encoding.videoCodec = format.videoCodec;
    options.encoding.audioCodec = format.audioCodec;
    return options;
}

// The whole conversion: playing, drawing, mixing and encoding.
Cost WholeConversion(const std::string& movie, const cli::ConvertOptions& options,
                     cli::OutputKind kind, const std::string& output) {
    NoProgress progress;
    const std::atomic<bool> cancel{false};
    const Stopwatch watch;
    const cli::JobResult result =
        cli::RunConversionJob({movie, output, kind}, options, progress, cancel);
    return result.ok ? watch.stop() : Cost{};
}

// Keeps every frame and sound block a conversion writes, in order, so that
// the encoder alone can be given exactly the same work.
class RecordedOutput final : public cli::FrameSink {
public:
    encoder::Status writeFrame(const QImage& frame) override {
        m_last = frame.copy();
        m_writes.emplace_back(m_last);
        return encoder::Status::success();
    }
    // The encoder alone gets the picture again in full: encoding it is the
    // work a converter that draws every frame would hand on.
    encoder::Status repeatFrame() override {
        m_writes.emplace_back(m_last);
        return encoder::Status::success();
    }
    encoder::Status writeSound(std::span<const std::int16_t> samples) override {
        m_writes.emplace_back(std::vector<std::int16_t>(samples.begin(), samples.end()));
        return encoder::Status::success();
    }
    encoder::Status finish() override { return encoder::Status::success(); }
    void abandon() override {}

    // Sends everything recorded to another sink.
    encoder::Status replay(cli::FrameSink& sink) const {
        for (const auto& write : m_writes) {
            encoder::Status status =
                std::holds_alternative<QImage>(write)
                    ? sink.writeFrame(std::get<QImage>(write))
                    : sink.writeSound(std::get<std::vector<std::int16_t>>(write));
            if (!status.ok())
                return status;
        }
        return encoder::Status::success();
    }

private:
    std::vector<std::variant<QImage, std::vector<std::int16_t>>> m_writes;
    QImage m_last;
};

cli::Rate MovieRate(const swf::Movie& movie) {
    return cli::Rate::OfMovieHeader(movie.frameRate());
}

// Encoding alone: the conversion's frames and sound are made beforehand, and
// only handing them to the encoder is timed.
Cost EncodingOnly(const std::shared_ptr<const swf::Movie>& movie,
                  const cli::ConvertOptions& options, cli::OutputKind kind,
                  const std::string& output) {
    const cli::Rate rate = MovieRate(*movie);
    encoder::OutputPlan plan;
    if (!cli::PlanEncoder({kind, &options.encoding, *options.width, *options.height, rate, 0}, plan)
             .empty())
        return {};
    cli::MovieDriver driver(movie, rate, cli::EndRule::PlayOn);
    cli::FrameRenderer renderer(QSize(plan.video->width, plan.video->height),
                                cli::StageBackground::Painted);
    RecordedOutput recorded;
    const std::atomic<bool> cancel{false};
    const cli::PipelineResult made = cli::RunPipeline(
        driver, cli::MovieClock(rate, rate), {0, options.end->frame}, renderer, recorded, cancel);
    if (!made.status.ok())
        return {};
    cli::EncoderSink sink;
    const Stopwatch watch;
    if (!sink.open(output, plan, false).ok() || !recorded.replay(sink).ok() || !sink.finish().ok())
        return {};
    return watch.stop();
}

void Measure(const std::string& path, const std::string& name, const QTemporaryDir& folder) {
    auto loaded = swf::Movie::loadFile(path);
    if (!loaded) {
        std::printf("%s: cannot read\n", name.c_str());
        return;
    }
    const auto movie = loaded.value();
    const double seconds = kFrames / MovieRate(*movie).value();
    for (QSize size : {cli::MoviePixelSize(*movie), QSize(1920, 1080)}) {
        for (const Format& format : kFormats) {
            const std::string output = QDir(folder.path()).filePath(format.file).toStdString();
            const cli::ConvertOptions options = Options(format, size, kFrames);
            const Cost whole = WholeConversion(path, options, format.kind, output);
            const Cost encoding = EncodingOnly(movie, options, format.kind, output);
            if (whole.wall <= 0 || encoding.wall <= 0) {
                std::printf("%-34s %4dx%-4d %-12s failed\n", name.c_str(), size.width(),
                            size.height(), format.name);
                continue;
            }
            std::printf("%-34s %4dx%-4d %-12s %6.1f fps %6.1fx real time | encoding alone "
                        "%6.1f fps | whole/encoding %5.2f wall, %5.2f cpu\n",
                        name.c_str(), size.width(), size.height(), format.name,
                        kFrames / whole.wall, seconds / whole.wall, kFrames / encoding.wall,
                        whole.wall / encoding.wall, whole.cpu / encoding.cpu);
        }
    }
}

// A movie that shows one picture for a long time should cost about what
// encoding that picture costs.
void MeasureStill(const std::string& path, const std::string& name, const QTemporaryDir& folder) {
    auto loaded = swf::Movie::loadFile(path);
    if (!loaded)
        return;
    const auto movie = loaded.value();
    const auto frames = static_cast<std::int64_t>(std::lround(kStillSeconds * movie->frameRate()));
    const Format& format = kFormats[1];
    const cli::ConvertOptions options = Options(format, cli::MoviePixelSize(*movie), frames);
    const std::string output = QDir(folder.path()).filePath(format.file).toStdString();
    const Cost whole = WholeConversion(path, options, format.kind, output);
    const Cost encoding = EncodingOnly(movie, options, format.kind, output);
    std::printf("still %s, %.0f s to %s: %.2f s cpu (%.2f s wall); encoding alone %.2f s cpu\n",
                name.c_str(), kStillSeconds, format.name, whole.cpu, whole.wall, encoding.cpu);
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
    cli::ConvertOptions options = Options(kFormats[1], QSize(640, 480), 1);
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

std::string CaseName(const std::string& path) {
    return std::filesystem::path(path).parent_path().filename().string();
}

} // namespace

int main(int argc, char** argv) {
    av_log_set_level(AV_LOG_QUIET);
    // Each line as soon as it is measured: a full run takes minutes.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::vector<std::string> paths = vidorama::bench::BenchMovies(argc, argv, kDefaultMovies);
    QTemporaryDir folder;
    std::printf("%d output frames per measurement\n", kFrames);
    for (const std::string& path : paths)
        Measure(path, CaseName(path), folder);
    const std::string still = std::string(VIDORAMA_CORPUS_DIR) + "/" + kStillMovie;
    MeasureStill(still, CaseName(still), folder);
    const std::string sample = QDir(folder.path()).filePath("sample.swf").toStdString();
    const auto bytes = sample::BuildSampleMovie();
    std::ofstream(sample, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    MeasureMemory(sample, folder);
    return 0;
}
