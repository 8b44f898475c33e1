#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace vidorama::cli {

// The figures of one running job that progress displays report.
struct JobStats {
    using Clock = std::chrono::steady_clock;

    Clock::time_point start = Clock::now();
    std::optional<std::int64_t> total;
    std::int64_t frames = 0;

    double elapsedSeconds(Clock::time_point now = Clock::now()) const {
        return std::chrono::duration<double>(now - start).count();
    }
    double framesPerSecond(Clock::time_point now = Clock::now()) const {
        const double seconds = elapsedSeconds(now);
        return seconds > 0 ? static_cast<double>(frames) / seconds : 0;
    }
    // Seconds left at the pace so far, when the total is known.
    std::optional<double> etaSeconds(Clock::time_point now = Clock::now()) const {
        const double fps = framesPerSecond(now);
        if (!total || fps <= 0)
            return std::nullopt;
        return static_cast<double>(*total > frames ? *total - frames : 0) / fps;
    }
};

// Lets a display redraw a few times a second rather than on every frame.
class Throttle {
public:
    explicit Throttle(std::chrono::milliseconds interval) : m_interval(interval) {}

    bool due(JobStats::Clock::time_point now = JobStats::Clock::now()) {
        if (now - m_last < m_interval)
            return false;
        m_last = now;
        return true;
    }

private:
    std::chrono::milliseconds m_interval;
    JobStats::Clock::time_point m_last{};
};

} // namespace vidorama::cli
