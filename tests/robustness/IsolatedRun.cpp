#include "IsolatedRun.h"

#include <chrono>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace vidorama::test {

namespace {

// Exit codes the child uses for its two clean endings; anything else, ASan's
// exit code included, is a crash.
constexpr int kAcceptedExit = 0;
constexpr int kRefusedExit = 3;
constexpr auto kPollInterval = std::chrono::milliseconds(2);

IsolatedResult::Outcome Classify(int status, std::string& detail) {
    if (WIFEXITED(status)) {
        if (WEXITSTATUS(status) == kAcceptedExit)
            return IsolatedResult::Outcome::Accepted;
        if (WEXITSTATUS(status) == kRefusedExit)
            return IsolatedResult::Outcome::Refused;
        detail = "exit status " + std::to_string(WEXITSTATUS(status));
    } else if (WIFSIGNALED(status)) {
        detail = "signal " + std::to_string(WTERMSIG(status));
    }
    return IsolatedResult::Outcome::Crashed;
}

} // namespace

IsolatedResult RunIsolated(const std::function<bool()>& job, double timeoutSeconds) {
    IsolatedResult result;
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child < 0) {
        result.detail = "fork failed";
        return result;
    }
    if (child == 0) {
        // _exit: the child must not run the parent's exit handlers (the test
        // framework's among them).
        _exit(job() ? kAcceptedExit : kRefusedExit);
    }
    auto deadline = start + std::chrono::duration<double>(timeoutSeconds);
    int status = 0;
    rusage usage{};
    bool timedOut = false;
    while (wait4(child, &status, WNOHANG, &usage) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(child, SIGKILL);
            wait4(child, &status, 0, &usage);
            timedOut = true;
            break;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.peakMemoryKb = usage.ru_maxrss;
    result.outcome = timedOut ? IsolatedResult::Outcome::TimedOut : Classify(status, result.detail);
    return result;
}

const char* OutcomeName(IsolatedResult::Outcome outcome) {
    switch (outcome) {
    case IsolatedResult::Outcome::Accepted:
        return "accepted";
    case IsolatedResult::Outcome::Refused:
        return "refused";
    case IsolatedResult::Outcome::Crashed:
        return "crashed";
    case IsolatedResult::Outcome::TimedOut:
        return "timed out";
    }
    return "?";
}

} // namespace vidorama::test
