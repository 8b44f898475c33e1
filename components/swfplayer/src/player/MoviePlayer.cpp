#include "vidorama/swf/MoviePlayer.h"

#include "movie/Movie.h"
#include "player/FrameImage.h"
#include "player/Player.h"

#include <cmath>

namespace vidorama::swf {

MoviePlayer::MoviePlayer(std::shared_ptr<const Movie> movie, Options options)
    : m_movie(std::move(movie)),
      m_player(std::make_unique<Player>(m_movie, std::move(options.trace), options.quality)) {}

MoviePlayer::~MoviePlayer() = default;

Result<std::unique_ptr<MoviePlayer>> MoviePlayer::openFile(const std::string& path,
                                                           Options options) {
    return Start(Movie::loadFile(path), std::move(options));
}

Result<std::unique_ptr<MoviePlayer>> MoviePlayer::open(std::span<const std::uint8_t> file,
                                                       Options options) {
    return Start(Movie::load(file), std::move(options));
}

Result<std::unique_ptr<MoviePlayer>> MoviePlayer::Start(Result<std::shared_ptr<const Movie>> movie,
                                                        Options options) {
    if (!movie)
        return movie.error();
    return std::unique_ptr<MoviePlayer>(
        new MoviePlayer(std::move(movie).value(), std::move(options)));
}

FrameRate MoviePlayer::frameRate() const {
    return FrameRate::OfMovieHeader(m_movie->frameRate());
}

int MoviePlayer::stageWidth() const {
    return static_cast<int>(std::lround(m_movie->frameRect().width() / kTwipsPerPixel));
}

int MoviePlayer::stageHeight() const {
    return static_cast<int>(std::lround(m_movie->frameRect().height() / kTwipsPerPixel));
}

const std::string& MoviePlayer::damage() const {
    return m_movie->damage();
}

void MoviePlayer::advanceFrame() {
    m_player->advanceFrame();
}

std::uint32_t MoviePlayer::currentFrame() const {
    return m_player->currentFrame();
}

std::uint32_t MoviePlayer::totalFrames() const {
    return m_player->totalFrames();
}

bool MoviePlayer::playing() const {
    return m_player->playing();
}

void MoviePlayer::play() {
    m_player->play();
}

void MoviePlayer::stop() {
    m_player->stop();
}

void MoviePlayer::gotoFrame(std::uint32_t frame, bool play) {
    m_player->gotoFrame(frame, play);
}

void MoviePlayer::setLooping(bool loop) {
    m_player->setLooping(loop);
}

void MoviePlayer::render(QImage& target) const {
    RenderFrame(*m_player, target);
}

void MoviePlayer::mixAudio(std::span<std::int16_t> out) {
    m_player->mixAudio(out);
}

bool MoviePlayer::soundPlaying() const {
    return m_player->soundPlaying();
}

bool MoviePlayer::streamPlaying() const {
    return m_player->streamPlaying();
}

std::uint64_t MoviePlayer::scriptStepsRun() const {
    return m_player->scriptStepsRun();
}

void MoviePlayer::setScriptStepAllowance(std::uint64_t steps) {
    m_player->setScriptStepAllowance(steps);
}

std::string MoviePlayer::limitsReached() const {
    return m_player->limitsReached().describe();
}

std::vector<std::string> MoviePlayer::scriptFeaturesMissing() const {
    return m_player->scriptFeaturesMissing();
}

} // namespace vidorama::swf
