#include "MovieSound.h"

#include "vidorama/swf/FrameRate.h"

namespace vidorama::test {

namespace {
std::unique_ptr<swf::Player> Start(swf::Result<std::shared_ptr<const swf::Movie>> movie) {
    if (!movie)
        return nullptr;
    return std::make_unique<swf::Player>(movie.value());
}
} // namespace

std::unique_ptr<swf::Player> LoadPlayer(const Bytes& movie) {
    return Start(swf::Movie::load(movie));
}

std::unique_ptr<swf::Player> LoadPlayerFile(const std::string& path) {
    return Start(swf::Movie::loadFile(path));
}

std::vector<std::int16_t> PlayFrames(swf::Player& player, std::uint64_t frames) {
    const double rate = player.movie().frameRate();
    auto start = [rate](std::uint64_t frame) {
        return FrameStart(rate, frame);
    };
    std::vector<std::int16_t> out(2 * start(frames));
    for (std::uint64_t k = 0; k < frames; ++k) {
        if (k > 0)
            player.advanceFrame();
        player.mixAudio(std::span(out).subspan(2 * start(k), 2 * (start(k + 1) - start(k))));
    }
    return out;
}

std::size_t FrameStart(double framesPerSecond, std::uint64_t frame) {
    return static_cast<std::size_t>(swf::FrameRate::OfMovieHeader(framesPerSecond)
                                        .samplesBefore(static_cast<std::int64_t>(frame)));
}

} // namespace vidorama::test
