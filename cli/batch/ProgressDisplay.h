#pragma once

#include "ConvertOptions.h"
#include "pipeline/ConversionJob.h"
#include "planning/JobPlanner.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace vidorama::cli {

// What the user or a calling program sees of a batch. Jobs are numbered by
// their place in the batch; calls come from the jobs' threads, so every
// display takes its own lock.
class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;

    virtual void refused(const std::string& line) = 0;
    virtual void started(std::size_t job, const JobSpec& jobSpec,
                         std::optional<std::int64_t> totalFrames) = 0;
    virtual void framesWritten(std::size_t job, std::int64_t frames) = 0;
    virtual void finished(std::size_t job, const JobSpec& jobSpec, const JobResult& result) = 0;
};

// The display a style asks for. Automatic is a bar when errors go to a
// terminal and nothing but failures otherwise.
std::unique_ptr<ProgressDisplay> MakeProgressDisplay(ProgressStyle style, std::size_t jobs,
                                                     std::ostream& out, std::ostream& err,
                                                     bool terminal);

// The lines every display shares.
std::string FailureLine(const JobSpec& jobSpec, const std::string& message);
std::string SuccessLine(const JobSpec& jobSpec, const JobResult& result, double elapsedSeconds);

} // namespace vidorama::cli
