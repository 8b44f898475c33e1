#pragma once

#include "ConvertOptions.h"
#include "batch/ProgressDisplay.h"
#include "planning/JobPlanner.h"

#include <atomic>
#include <cstddef>
#include <vector>

namespace vidorama::cli {

struct BatchOutcome {
    std::size_t converted = 0;
    std::size_t failed = 0;
    bool interrupted = false;
};

// Runs the jobs, options.jobs of them at a time. A job that fails does not
// stop the others; once cancel is set the running jobs stop and remove their
// outputs, and no new ones start.
BatchOutcome RunBatch(const std::vector<JobSpec>& jobs, const ConvertOptions& options,
                      ProgressDisplay& display, const std::atomic<bool>& cancel);

// The process's exit status: 0 when everything converted, 1 when something
// was refused, failed or interrupted.
int BatchExitCode(const BatchOutcome& outcome, std::size_t refused);

} // namespace vidorama::cli
