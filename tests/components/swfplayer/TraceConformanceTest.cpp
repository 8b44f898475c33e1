// Plays every trace case of the corpus for its frames, collecting what the
// movie's scripts trace(), and compares the text with the reference.

#include "CorpusManifest.h"
#include "TraceRun.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

// The share of cases that must pass. Raise it as the interpreter improves;
// never lower it.
constexpr double kFloor = 0.9;

TEST(TraceConformance, CorpusScriptsTraceTheirReferences) {
    const std::string corpus = VIDORAMA_CORPUS_DIR;
    std::vector<TraceCase> cases = ReadTraceCases(corpus, "trace_avm1");
    ASSERT_FALSE(cases.empty());
    std::vector<bool> results = RunTraceCases(corpus, cases);
    auto passed = std::count(results.begin(), results.end(), true);
    double rate = double(passed) / double(cases.size());
    std::printf("trace_avm1: %d / %zu  %5.1f %%\n", int(passed), cases.size(), 100 * rate);
    EXPECT_GE(rate, kFloor);
}

} // namespace
} // namespace vidorama::test
