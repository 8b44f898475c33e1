#include "batch/BarProgress.h"

#include <algorithm>
#include <cstdio>

namespace vidorama::cli {

namespace {

constexpr int kBarWidth = 30;

std::string Clock(double seconds) {
    const auto whole = static_cast<long long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

} // namespace

BarProgress::~BarProgress() {
    std::lock_guard lock(m_mutex);
    clear();
}

void BarProgress::refused(const std::string& line) {
    std::lock_guard lock(m_mutex);
    clear();
    m_err << "vidorama-convert: skipped " << line << "\n" << std::flush;
}

void BarProgress::started(std::size_t job, const JobSpec&,
                          std::optional<std::int64_t> totalFrames) {
    std::lock_guard lock(m_mutex);
    m_running[job].total = totalFrames;
}

void BarProgress::framesWritten(std::size_t job, std::int64_t frames) {
    std::lock_guard lock(m_mutex);
    m_running[job].frames = frames;
    if (m_throttle.due())
        draw();
}

void BarProgress::finished(std::size_t job, const JobSpec& jobSpec, const JobResult& result) {
    std::lock_guard lock(m_mutex);
    const auto running = m_running.find(job);
    const double elapsed = running != m_running.end() ? running->second.elapsedSeconds() : 0;
    if (running != m_running.end())
        m_running.erase(running);
    ++m_done;
    clear();
    if (result.ok)
        m_out << SuccessLine(jobSpec, result, elapsed) << "\n" << std::flush;
    else
        m_err << FailureLine(jobSpec, result.message) << "\n" << std::flush;
    if (m_done < m_jobs)
        draw();
}

// A running job whose length is unknown counts as half done.
double BarProgress::batchShare() const {
    double share = static_cast<double>(m_done);
    for (const auto& [job, stats] : m_running)
        share += stats.total && *stats.total > 0
                     ? std::min(1.0, static_cast<double>(stats.frames) /
                                         static_cast<double>(*stats.total))
                     : 0.5;
    return m_jobs > 0 ? share / static_cast<double>(m_jobs) : 1.0;
}

void BarProgress::draw() {
    const double share = batchShare();
    const int filled = static_cast<int>(share * kBarWidth);
    double fps = 0, eta = 0;
    for (const auto& [job, stats] : m_running) {
        fps += stats.framesPerSecond();
        eta = std::max(eta, stats.etaSeconds().value_or(0));
    }
    char figures[128];
    std::snprintf(figures, sizeof figures, "] %3d%%  %zu/%zu movies  %.1f fps  eta %s",
                  static_cast<int>(share * 100), m_done, m_jobs, fps, Clock(eta).c_str());
    m_err << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
          << std::string(static_cast<std::size_t>(kBarWidth - filled), '.') << figures << "\x1b[K"
          << std::flush;
    m_drawn = true;
}

void BarProgress::clear() {
    if (m_drawn)
        m_err << "\r\x1b[K" << std::flush;
    m_drawn = false;
}

} // namespace vidorama::cli
