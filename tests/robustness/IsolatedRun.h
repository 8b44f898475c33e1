#pragma once

#include <functional>
#include <string>

namespace vidorama::test {

// How a job run in a child process of its own ended.
struct IsolatedResult {
    enum class Outcome { Accepted, Refused, Crashed, TimedOut };

    Outcome outcome = Outcome::Crashed;
    double seconds = 0;
    // The child's peak resident memory.
    long peakMemoryKb = 0;
    // For a crash: the signal or exit status, as text.
    std::string detail;
};

// Runs job in a forked child so that a crash, a hang or runaway memory use
// is counted instead of taking the test down with it. The job returns true
// for an accepted input and false for a clean refusal; a child that dies or
// exits any other way has crashed, and one still running after timeoutSeconds
// is killed and counted as a hang. The parent must not have started threads.
IsolatedResult RunIsolated(const std::function<bool()>& job, double timeoutSeconds);

const char* OutcomeName(IsolatedResult::Outcome outcome);

} // namespace vidorama::test
