#pragma once

#include "options/OptionValues.h"

#include <cstdint>

namespace vidorama::cli {

// Frame and sample arithmetic of one conversion, all in whole numbers so that
// nothing drifts however long the movie: frame k of a rate r starts at
// k / r seconds and at sample floor(k x 44100 / r).
//
// Output frames count from the output's first (0). Where output frames meet
// movie frames, movie frames count from the first frame the output shows;
// movieFrameSamples counts from the movie's own first frame, as the mixer does.
class MovieClock {
public:
    MovieClock(Rate movieRate, Rate outputRate) : m_movie(movieRate), m_output(outputRate) {}

    Rate movieRate() const { return m_movie; }
    Rate outputRate() const { return m_output; }

    // The movie frame on screen when output frame n is taken.
    std::int64_t movieFrameAt(std::int64_t outputFrame) const;
    // How many movie frames start before output frame n's time.
    std::int64_t movieFramesBefore(std::int64_t outputFrame) const;
    // How many output frames are taken while the first movieFrames frames are
    // on screen: the output is exactly as long as that much of the movie,
    // rounded up to whole output frames.
    std::int64_t outputFramesFor(std::int64_t movieFrames) const;
    // The output frames that make up so many seconds, rounded to the nearest.
    std::int64_t outputFramesIn(double seconds) const;
    // The movie frame on screen at a time from the movie's start.
    std::int64_t movieFrameAtTime(double seconds) const;

    // The sound that belongs to movie frame k, in sample frames.
    std::int64_t movieFrameSamples(std::int64_t movieFrame) const;
    // The sound that must be written once n output frames have been written.
    std::int64_t outputSamplesBefore(std::int64_t outputFrames) const;

private:
    Rate m_movie;
    Rate m_output;
};

} // namespace vidorama::cli
