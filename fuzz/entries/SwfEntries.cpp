#include "FuzzEntries.h"
#include "movie/Movie.h"
#include "player/FrameImage.h"
#include "player/Player.h"

#include <QImage>
#include <vector>

namespace vidorama::fuzz {

namespace {
// Enough frames for sprites to start, gotos to run and a loop to come round
// in short movies, and a picture small enough to keep each run fast.
constexpr int kFramesPlayed = 4;
constexpr int kPictureWidth = 32;
constexpr int kPictureHeight = 24;
// The sound of one frame at 30 frames a second, 44,100 Hz stereo, so that the
// sound decoders see the movie's sound data too.
constexpr std::size_t kSampleFramesPerFrame = 1470;

void PlayFrame(swf::Player& player, QImage& picture, std::vector<std::int16_t>& sound) {
    swf::RenderFrame(player, picture);
    player.mixAudio(sound);
}
} // namespace

bool ReadSwfMovie(std::span<const std::uint8_t> data) {
    return swf::Movie::load(data).ok();
}

bool PlaySwfMovie(std::span<const std::uint8_t> data) {
    auto movie = swf::Movie::load(data);
    if (!movie)
        return false;
    swf::Player player(movie.value());
    QImage picture(kPictureWidth, kPictureHeight, QImage::Format_ARGB32_Premultiplied);
    std::vector<std::int16_t> sound(2 * kSampleFramesPerFrame);
    PlayFrame(player, picture, sound);
    for (int frame = 1; frame < kFramesPlayed; ++frame) {
        player.advanceFrame();
        PlayFrame(player, picture, sound);
    }
    return true;
}

} // namespace vidorama::fuzz
