#pragma once

#include "batch/JobStats.h"
#include "batch/ProgressDisplay.h"

#include <map>
#include <mutex>

namespace vidorama::cli {

// A one-line bar on the terminal, redrawn a few times a second: the share of
// the whole batch done, the movies finished, the frames per second of the
// running jobs and the time left of the slowest. Finished movies are printed
// above it, one line each.
class BarProgress final : public ProgressDisplay {
public:
    BarProgress(std::size_t jobs, std::ostream& out, std::ostream& err)
        : m_jobs(jobs), m_out(out), m_err(err) {}
    ~BarProgress() override;

    void refused(const std::string& line) override;
    void started(std::size_t job, const JobSpec& jobSpec,
                 std::optional<std::int64_t> totalFrames) override;
    void framesWritten(std::size_t job, std::int64_t frames) override;
    void finished(std::size_t job, const JobSpec& jobSpec, const JobResult& result) override;

private:
    void draw();
    void clear();
    double batchShare() const;

    std::size_t m_jobs;
    std::size_t m_done = 0;
    std::ostream& m_out;
    std::ostream& m_err;
    std::mutex m_mutex;
    std::map<std::size_t, JobStats> m_running;
    Throttle m_throttle{std::chrono::milliseconds(100)};
    bool m_drawn = false;
};

} // namespace vidorama::cli
