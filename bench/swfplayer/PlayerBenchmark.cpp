// Prints how fast the engine plays and draws corpus movies, at their own size
// and at 1920 x 1080, next to a plain clear-and-copy of a frame of the same
// size measured in the same run. Usage: vidorama_swfplayer_bench [MOVIE.swf...]

#include "BenchMovies.h"
#include "movie/Movie.h"
#include "player/FrameImage.h"
#include "player/Player.h"

#include <QImage>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Each measurement runs for at least this long, and at least kMinFrames.
constexpr double kMinSeconds = 1.0;
constexpr int kMinFrames = 10;

const char* const kDefaultMovies[] = {
    "ruffle/visual__simple_shapes__masks/test.swf",
    "ruffle/from_shumway__acid__acid-gradient-0/test.swf",
    "ruffle/from_shumway__acid__acid-large/test.swf",
};

// Milliseconds per frame of `frame`, called until enough time has passed.
template <typename Step> double MillisecondsPerFrame(Step frame) {
    int frames = 0;
    auto start = Clock::now();
    double seconds = 0;
    while (frames < kMinFrames || seconds < kMinSeconds) {
        frame();
        ++frames;
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
    }
    return 1000 * seconds / frames;
}

// The cheapest thing a frame can cost: clear the picture and copy it out.
double BaselineMs(QSize size) {
    QImage frame(size, QImage::Format_ARGB32_Premultiplied);
    std::vector<uchar> copy(static_cast<std::size_t>(frame.sizeInBytes()));
    unsigned color = 0;
    return MillisecondsPerFrame([&] {
        frame.fill(color++);
        std::memcpy(copy.data(), frame.constBits(), copy.size());
    });
}

double EngineMs(const std::shared_ptr<const vidorama::swf::Movie>& movie, QSize size) {
    vidorama::swf::Player player(movie);
    QImage frame(size, QImage::Format_ARGB32_Premultiplied);
    return MillisecondsPerFrame([&] {
        player.advanceFrame();
        vidorama::swf::RenderFrame(player, frame);
    });
}

void Report(const std::string& name, QSize size, double engineMs, double baselineMs) {
    std::printf("%-52s %5dx%-5d %9.1f fps %8.3f ms/frame | clear+copy %9.1f fps %7.3f ms | "
                "ratio %6.1fx\n",
                name.c_str(), size.width(), size.height(), 1000 / engineMs, engineMs,
                1000 / baselineMs, baselineMs, engineMs / baselineMs);
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> paths = vidorama::bench::BenchMovies(argc, argv, kDefaultMovies);

    std::printf("Frames drawn per second (advance one frame, then draw it), and the same for a\n"
                "plain clear-and-copy of a frame of that size; ratio = engine ms / baseline ms.\n");
    int failures = 0;
    for (const std::string& path : paths) {
        auto movie = vidorama::swf::Movie::loadFile(path);
        if (!movie) {
            std::printf("%s: %s\n", path.c_str(), movie.error().message.c_str());
            ++failures;
            continue;
        }
        const auto& rect = movie.value()->frameRect();
        QSize own(std::max(1, static_cast<int>(std::lround(rect.width() / 20.0))),
                  std::max(1, static_cast<int>(std::lround(rect.height() / 20.0))));
        std::string name = path.substr(path.find_last_of('/', path.size() - 10) + 1);
        for (QSize size : {own, QSize(1920, 1080)})
            Report(name, size, EngineMs(movie.value(), size), BaselineMs(size));
    }
    return failures == 0 ? 0 : 1;
}
