// Plays every ActionScript 1/2 trace case for its frames, collecting what the
// movie's scripts trace(), and compares the text with the reference; each
// case's outcome is held against the suite's list of expected passes.

#include "CorpusManifest.h"
#include "ExpectedPasses.h"
#include "TraceRun.h"

#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

TEST(TraceConformance, CorpusScriptsTraceTheirReferences) {
    const std::string corpus = VIDORAMA_CORPUS_DIR;
    std::vector<TraceCase> cases = ReadTraceCases(corpus, "trace_avm1");
    ASSERT_FALSE(cases.empty());
    CheckExpectedPasses("corpus_trace_avm1", RunTraceCases(corpus, cases));
}

TEST(TraceConformance, ActionScript2CasesTraceWhatFlashPrinted) {
    const std::string dir = VIDORAMA_TRACES_DIR "/avm1";
    std::vector<TraceCase> cases = ReadTraceSet(dir);
    ASSERT_FALSE(cases.empty());
    CheckExpectedPasses("traces_avm1", RunTraceCases(dir, cases));
}

} // namespace
} // namespace vidorama::test
