#pragma once

#include "ConvertOptions.h"
#include "planning/JobPlanner.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vidorama::cli {

// What a running conversion tells the progress display.
class JobObserver {
public:
    virtual ~JobObserver() = default;
    // The frames the output will have, when known before the end.
    virtual void started(std::optional<std::int64_t> totalFrames) = 0;
    virtual void framesWritten(std::int64_t frames) = 0;
};

struct JobResult {
    bool ok = false;
    bool cancelled = false;
    // Why it failed; on success a note worth telling (a damaged movie).
    std::string message;
    std::int64_t frames = 0;
    std::int64_t soundFrames = 0;
    double outputSeconds = 0;
};

// Converts one movie: loads it, plans the encoder, streams every frame and
// its sound into a temporary output and, when all went well, puts the output
// in place. Any failure, or cancel becoming true, leaves no output behind.
JobResult RunConversionJob(const JobSpec& job, const ConvertOptions& options, JobObserver& observer,
                           const std::atomic<bool>& cancel);

} // namespace vidorama::cli
