// Plays every ActionScript 1/2 trace case for its frames, collecting what the
// movie's scripts trace(), and compares the text with the reference.

#include "CorpusManifest.h"
#include "TraceRun.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

// The shares of cases that must pass. Raise them as the interpreter improves;
// never lower them.
constexpr double kCorpusFloor = 0.9;
constexpr double kActionScript2Floor = 0.38;

// Prints the share of cases that passed, and returns it.
double PassShare(const std::string& dir, const std::vector<TraceCase>& cases, const char* label) {
    std::vector<bool> results = RunTraceCases(dir, cases);
    auto passed = std::count(results.begin(), results.end(), true);
    double share = cases.empty() ? 0 : double(passed) / double(cases.size());
    std::printf("%s: %d / %zu  %5.1f %%\n", label, int(passed), cases.size(), 100 * share);
    return share;
}

TEST(TraceConformance, CorpusScriptsTraceTheirReferences) {
    const std::string corpus = VIDORAMA_CORPUS_DIR;
    std::vector<TraceCase> cases = ReadTraceCases(corpus, "trace_avm1");
    ASSERT_FALSE(cases.empty());
    EXPECT_GE(PassShare(corpus, cases, "trace_avm1"), kCorpusFloor);
}

TEST(TraceConformance, ActionScript2CasesTraceWhatFlashPrinted) {
    const std::string dir = VIDORAMA_TRACES_DIR "/avm1";
    std::vector<TraceCase> cases = ReadTraceSet(dir);
    ASSERT_FALSE(cases.empty());
    EXPECT_GE(PassShare(dir, cases, "traces/avm1"), kActionScript2Floor);
}

} // namespace
} // namespace vidorama::test
