#pragma once

#include "pipeline/MovieClock.h"
#include "pipeline/SoundQueue.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vidorama::swf {
class Movie;
class Player;
} // namespace vidorama::swf

namespace vidorama::cli {

// When a conversion without a set length ends.
enum class EndRule {
    // At the movie's last frame, or as soon as it would loop back, stop, or
    // stay on one frame: the movie has shown all it has.
    AtMovieEnd,
    // Never by itself: the movie plays on, looping or holding its last frame
    // as a player would, until the caller has enough.
    PlayOn,
};

// Drives the engine with its manual clock: one movie frame per step, and
// after each frame exactly the sound of that frame from the mixer. Frames are
// counted from the movie's first (index 0, on screen once the player exists).
class MovieDriver {
public:
    // trace receives the lines the movie's scripts trace().
    MovieDriver(std::shared_ptr<const swf::Movie> movie, Rate movieRate, EndRule rule,
                std::function<void(const std::string&)> trace = {});
    ~MovieDriver();

    // Steps the movie until frame `index` is on screen. False when the movie
    // ended first (only under EndRule::AtMovieEnd); the last frame shown stays.
    bool advanceTo(std::int64_t index);
    std::int64_t frameIndex() const { return m_index; }
    bool ended() const { return m_ended; }

    const swf::Player& player() const { return *m_player; }
    SoundQueue& sound() { return m_sound; }

private:
    bool step();
    void pullFrameSound();

    std::unique_ptr<swf::Player> m_player;
    MovieClock m_clock;
    EndRule m_rule;
    SoundQueue m_sound;
    std::int64_t m_index = 0;
    bool m_ended = false;
};

} // namespace vidorama::cli
