#pragma once

#include <chrono>

namespace vidorama::swf {

// Turns the passing of real time into whole movie frames for the real-time
// player. Frames are counted from a start point, so timer jitter does not add
// up to drift; after a stall only a few frames are caught up, as Flash drops
// frames rather than racing to catch up.
class FramePacer {
public:
    using Clock = std::chrono::steady_clock;

    explicit FramePacer(double framesPerSecond = 12);

    // Movies may declare any rate; a real-time player keeps it in a range it
    // can honour.
    double framesPerSecond() const { return m_fps; }
    // How often the driver should ask for due frames.
    std::chrono::milliseconds tickInterval() const;

    void restart(Clock::time_point now);
    // Frames that have become due at `now` since the last call.
    int framesDue(Clock::time_point now);

    static constexpr int kMaxCatchUpFrames = 4;

private:
    double m_fps;
    Clock::time_point m_start;
    long long m_framesCounted = 0;
};

} // namespace vidorama::swf
