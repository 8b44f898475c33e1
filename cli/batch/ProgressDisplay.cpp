#include "batch/ProgressDisplay.h"

#include "batch/BarProgress.h"
#include "batch/JsonProgress.h"

#include <cstdio>
#include <mutex>

namespace vidorama::cli {

namespace {

// Says nothing while it works; only what went wrong, or is worth a note (a
// damaged movie), reaches standard error.
class QuietProgress final : public ProgressDisplay {
public:
    explicit QuietProgress(std::ostream& err) : m_err(err) {}

    void refused(const std::string& line) override {
        std::lock_guard lock(m_mutex);
        m_err << "vidorama-convert: skipped " << line << "\n" << std::flush;
    }
    void started(std::size_t, const JobSpec&, std::optional<std::int64_t>) override {}
    void framesWritten(std::size_t, std::int64_t) override {}
    void finished(std::size_t, const JobSpec& jobSpec, const JobResult& result) override {
        std::lock_guard lock(m_mutex);
        if (!result.ok)
            m_err << FailureLine(jobSpec, result.message) << "\n" << std::flush;
        else if (!result.message.empty())
            m_err << "vidorama-convert: note on " << jobSpec.input << ": " << result.message << "\n"
                  << std::flush;
    }

private:
    std::ostream& m_err;
    std::mutex m_mutex;
};

} // namespace

std::unique_ptr<ProgressDisplay> MakeProgressDisplay(ProgressStyle style, std::size_t jobs,
                                                     std::ostream& out, std::ostream& err,
                                                     bool terminal) {
    if (style == ProgressStyle::Json)
        return std::make_unique<JsonProgress>(out, err);
    if (style == ProgressStyle::Bar || (style == ProgressStyle::Automatic && terminal))
        return std::make_unique<BarProgress>(jobs, out, err);
    return std::make_unique<QuietProgress>(err);
}

std::string FailureLine(const JobSpec& jobSpec, const std::string& message) {
    return "vidorama-convert: failed " + jobSpec.input + ": " + message;
}

std::string SuccessLine(const JobSpec& jobSpec, const JobResult& result, double elapsedSeconds) {
    char figures[96];
    const double speed = elapsedSeconds > 0 ? result.outputSeconds / elapsedSeconds : 0;
    std::snprintf(figures, sizeof figures, " (%lld frames, %.2f s, %.1fx real time)",
                  static_cast<long long>(result.frames), result.outputSeconds, speed);
    std::string line = jobSpec.input + " -> " + jobSpec.output + figures;
    if (!result.message.empty())
        line += "; note: " + result.message;
    return line;
}

} // namespace vidorama::cli
