#include "pipeline/MovieDriver.h"

#include "player/Player.h"

namespace vidorama::cli {

MovieDriver::MovieDriver(std::shared_ptr<const swf::Movie> movie, Rate movieRate, EndRule rule,
                         std::function<void(const std::string&)> trace)
    : m_player(std::make_unique<swf::Player>(std::move(movie), std::move(trace))),
      m_clock(movieRate, movieRate), m_rule(rule) {
    // A player starts on its first frame, so that frame's sound is due now.
    pullFrameSound();
}

MovieDriver::~MovieDriver() = default;

bool MovieDriver::advanceTo(std::int64_t index) {
    while (m_index < index)
        if (!step())
            return false;
    return true;
}

bool MovieDriver::step() {
    if (m_ended)
        return false;
    const auto before = m_player->currentFrame();
    if (m_rule == EndRule::AtMovieEnd &&
        (before >= m_player->totalFrames() || !m_player->playing())) {
        m_ended = true;
        return false;
    }
    m_player->advanceFrame();
    // Under the movie-end rule, a step that does not move the root timeline
    // forward means the movie went back (a loop by script), or stays where
    // it is: either way it has nothing new to show.
    if (m_rule == EndRule::AtMovieEnd && m_player->currentFrame() <= before) {
        m_ended = true;
        return false;
    }
    ++m_index;
    pullFrameSound();
    return true;
}

// The one place where sound leaves the engine: after frame k is entered the
// mixer gives exactly the samples from frame k's start to frame k + 1's.
void MovieDriver::pullFrameSound() {
    m_player->mixAudio(m_sound.append(m_clock.movieFrameSamples(m_index)));
}

} // namespace vidorama::cli
