#include "ConvertOptions.h"
#include "SnapshotJob.h"
#include "TraceOutput.h"
#include "batch/BatchRunner.h"
#include "planning/EncoderPlan.h"
#include "planning/JobPlanner.h"

extern "C" {
#include <libavutil/log.h>
}

#include <atomic>
#include <csignal>
#include <iostream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace vidorama::cli;

// Set by Ctrl+C or a termination request: the conversions stop and remove
// their temporary outputs. A second request ends the process at once.
std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int signal) {
    g_interrupted = true;
    std::signal(signal, SIG_DFL);
}

int RunConversions(const ConvertOptions& options) {
    const JobPlan plan = PlanJobs(options);
    if (!plan.usageError.empty()) {
        std::cerr << "vidorama-convert: " << plan.usageError << "\n";
        return 2;
    }
    auto display = MakeProgressDisplay(options.progress, plan.jobs.size(), std::cout, std::cerr,
                                       ::isatty(STDERR_FILENO) != 0);
    for (const std::string& line : plan.refusals)
        display->refused(line);
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    // Beyond a file size limit a write should fail, so that the conversion
    // can say so and remove its temporary file, rather than end the process
    // and leave the file behind.
    std::signal(SIGXFSZ, SIG_IGN);
    const BatchOutcome outcome = RunBatch(plan.jobs, options, *display, g_interrupted);
    display.reset();
    if (outcome.interrupted)
        std::cerr << "vidorama-convert: interrupted; unfinished outputs were removed\n";
    return BatchExitCode(outcome, plan.refusals.size());
}

} // namespace

int main(int argc, char** argv) {
    // FFmpeg's own chatter would break the progress line; every failure comes
    // back to the converter, which says it in one line.
    av_log_set_level(AV_LOG_QUIET);
    std::vector<std::string> args(argv + 1, argv + argc);
    auto parsed = ParseConvertOptions(args);
    if (!parsed.options) {
        std::cerr << "vidorama-convert: " << parsed.error << "\n" << ConvertUsage();
        return 2;
    }
    ConvertOptions& options = *parsed.options;
    std::optional<TraceOutput> trace;
    if (!options.tracePath.empty() && (options.mode == ConvertOptions::Mode::Convert ||
                                       options.mode == ConvertOptions::Mode::Snapshot)) {
        trace.emplace(options.tracePath);
        if (!trace->error().empty()) {
            std::cerr << "vidorama-convert: " << trace->error() << "\n";
            return 1;
        }
        options.traceLines = trace->handler();
    }
    switch (options.mode) {
    case ConvertOptions::Mode::Help:
        std::cout << ConvertUsage();
        return 0;
    case ConvertOptions::Mode::ListCodecs:
        std::cout << DescribeCodecs();
        return 0;
    case ConvertOptions::Mode::Snapshot:
        if (std::string error = RunSnapshotJob(options); !error.empty()) {
            std::cerr << "vidorama-convert: " << error << "\n";
            return 1;
        }
        return 0;
    case ConvertOptions::Mode::Convert:
        break;
    }
    return RunConversions(options);
}
