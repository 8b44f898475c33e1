#pragma once

#include "batch/JobStats.h"
#include "batch/ProgressDisplay.h"

#include <map>
#include <mutex>

namespace vidorama::cli {

// One JSON object per line on standard output, for other programs:
//   {"event":"progress","job":0,"input":"a.swf","frame":120,"total":300,"fps":85.2,"eta":2.1}
// "total" and "eta" are null while the length is unknown. Each job ends with
// a "done" object (output, frames, seconds, and a note such as a damaged
// movie's, or null) or a "failed" one (error); inputs
// that were refused give a "refused" object. Progress comes at most ten
// times a second per job, and always for the last frame.
class JsonProgress final : public ProgressDisplay {
public:
    JsonProgress(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

    void refused(const std::string& line) override;
    void started(std::size_t job, const JobSpec& jobSpec,
                 std::optional<std::int64_t> totalFrames) override;
    void framesWritten(std::size_t job, std::int64_t frames) override;
    void finished(std::size_t job, const JobSpec& jobSpec, const JobResult& result) override;

private:
    struct Running {
        std::string input;
        JobStats stats;
        Throttle throttle{std::chrono::milliseconds(100)};
    };

    void writeProgress(std::size_t job, const Running& running);

    std::ostream& m_out;
    std::ostream& m_err;
    std::mutex m_mutex;
    std::map<std::size_t, Running> m_running;
};

// A JSON string literal of any bytes: quotes, backslashes and control
// characters escaped.
std::string JsonString(const std::string& text);

} // namespace vidorama::cli
