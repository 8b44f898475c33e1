#include "batch/BatchRunner.h"

#include "pipeline/ConversionJob.h"

#include <algorithm>
#include <thread>

namespace vidorama::cli {

namespace {

// Hands one job's progress to the shared display under its number.
class JobProgress final : public JobObserver {
public:
    JobProgress(ProgressDisplay& display, std::size_t job, const JobSpec& jobSpec)
        : m_display(display), m_job(job), m_spec(jobSpec) {}

    void started(std::optional<std::int64_t> totalFrames) override {
        m_display.started(m_job, m_spec, totalFrames);
    }
    void framesWritten(std::int64_t frames) override { m_display.framesWritten(m_job, frames); }

private:
    ProgressDisplay& m_display;
    std::size_t m_job;
    const JobSpec& m_spec;
};

} // namespace

BatchOutcome RunBatch(const std::vector<JobSpec>& jobs, const ConvertOptions& options,
                      ProgressDisplay& display, const std::atomic<bool>& cancel) {
    std::atomic<std::size_t> next{0}, converted{0}, failed{0};
    auto work = [&] {
        for (std::size_t job = next++; job < jobs.size() && !cancel; job = next++) {
            JobProgress progress(display, job, jobs[job]);
            const JobResult result = RunConversionJob(jobs[job], options, progress, cancel);
            display.finished(job, jobs[job], result);
            ++(result.ok ? converted : failed);
        }
    };
    const std::size_t workers =
        std::min<std::size_t>(static_cast<std::size_t>(options.jobs), jobs.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 1; i < workers; ++i)
        threads.emplace_back(work);
    work();
    for (std::thread& thread : threads)
        thread.join();
    return {converted, failed, cancel.load()};
}

int BatchExitCode(const BatchOutcome& outcome, std::size_t refused) {
    return outcome.failed > 0 || refused > 0 || outcome.interrupted ? 1 : 0;
}

} // namespace vidorama::cli
