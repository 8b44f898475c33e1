#include "MovieSound.h"

#include "sound/FrameSamples.h"

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
    swf::FrameSamples samples(player.movie().frameRate());
    std::vector<std::int16_t> out(2 * samples.startOf(frames));
    for (std::uint64_t k = 0; k < frames; ++k) {
        if (k > 0)
            player.advanceFrame();
        std::span<std::int16_t> part(out.data() + 2 * samples.startOf(k), 2 * samples.countOf(k));
        player.mixAudio(part);
    }
    return out;
}

std::size_t FrameStart(double framesPerSecond, std::uint64_t frame) {
    return static_cast<std::size_t>(swf::FrameSamples(framesPerSecond).startOf(frame));
}

} // namespace vidorama::test
