#pragma once

#include "vidorama/swf/FrameRate.h"
#include "vidorama/swf/Result.h"
#include "vidorama/swf/StageQuality.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class QImage;

namespace vidorama::swf {

class Movie;
class Player;

// How a movie is to be played.
struct MoviePlayerOptions {
    // Receives every line the movie's scripts trace.
    std::function<void(const std::string&)> trace;
    // The host's quality, until the movie's scripts ask for another.
    StageQuality quality = StageQuality::High;
};

// The engine as its drivers see it: one movie played from its first frame.
// Time is the driver's: it enters each frame with advanceFrame(), takes the
// sound that belongs to the frame with mixAudio() and draws the frame on
// screen whenever it wants a picture. Both scripting languages play behind
// this face; which one a movie uses is the engine's business.
class MoviePlayer {
public:
    using Options = MoviePlayerOptions;

    // Reads a movie and shows its first frame. A movie damaged part way still
    // plays up to the damage (see damage()); one whose header cannot be read
    // is refused with the reason.
    static Result<std::unique_ptr<MoviePlayer>> openFile(const std::string& path,
                                                         Options options = {});
    static Result<std::unique_ptr<MoviePlayer>> open(std::span<const std::uint8_t> file,
                                                     Options options = {});
    ~MoviePlayer();
    MoviePlayer(const MoviePlayer&) = delete;
    MoviePlayer& operator=(const MoviePlayer&) = delete;

    // The rate the movie declares, exactly; {0, 1} when it declares none.
    FrameRate frameRate() const;
    // The stage's size in whole pixels.
    int stageWidth() const;
    int stageHeight() const;
    // What was wrong with a movie that loaded only in part; empty otherwise.
    const std::string& damage() const;

    // One frame interval of the movie. Frames are 1-based.
    void advanceFrame();
    std::uint32_t currentFrame() const;
    std::uint32_t totalFrames() const;
    bool playing() const;
    void play();
    void stop();
    void gotoFrame(std::uint32_t frame, bool play);
    // When false the movie stops on its last frame instead of going back to
    // its first.
    void setLooping(bool loop);

    // Draws the frame on screen over the whole image, the stage stretched to
    // the image's size, at the quality in force.
    void render(QImage& target) const;

    // Mixes the next out.size() / 2 sample frames of 44.1 kHz interleaved
    // stereo sound; after entering frame k a driver takes exactly
    // frameRate().samplesOf(k) of them.
    void mixAudio(std::span<std::int16_t> out);
    // True while some sound has samples to play.
    bool soundPlaying() const;
    // True while a stream sound plays, which the picture then follows.
    bool streamPlaying() const;

    // Script instructions run so far, and how many the whole playback may
    // run before its scripts stop for good; unlimited unless set.
    std::uint64_t scriptStepsRun() const;
    void setScriptStepAllowance(std::uint64_t steps);

    // The limits this playback has reached and so cut short, in words; empty
    // while none has been reached.
    std::string limitsReached() const;
    // What the movie's scripts reached that the engine does not have yet,
    // once each.
    std::vector<std::string> scriptFeaturesMissing() const;

    // The engine's own drivers (the converter's frame painter) draw through
    // the player behind this face.
    const Player& player() const { return *m_player; }

private:
    MoviePlayer(std::shared_ptr<const Movie> movie, Options options);
    static Result<std::unique_ptr<MoviePlayer>> Start(Result<std::shared_ptr<const Movie>> movie,
                                                      Options options);

    std::shared_ptr<const Movie> m_movie;
    std::unique_ptr<Player> m_player;
};

} // namespace vidorama::swf
