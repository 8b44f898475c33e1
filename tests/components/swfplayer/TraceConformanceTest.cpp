// Plays every trace case of the corpus for its frames, collecting what the
// movie's scripts trace(), and compares the text with the reference.

#include "CorpusManifest.h"
#include "movie/Movie.h"
#include "player/Player.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace vidorama::test {
namespace {

// The shares of cases that must pass. Raise them as the interpreter improves;
// never lower them.
constexpr double kCorpusFloor = 0.9;
constexpr double kActionScript2Floor = 0.32;

// A case plays at most this many frames, so that a wrong manifest row cannot
// make the suite slow.
constexpr int kMaxFramesPerCase = 600;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Line ends as written by the tools that made the references.
std::string Normalized(std::string text) {
    std::string out;
    for (char c : text)
        if (c != '\r')
            out += c;
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

std::string Traced(const std::string& path, int frames) {
    auto movie = swf::Movie::loadFile(path);
    if (!movie)
        return "<movie not loaded>";
    std::string out;
    auto collect = [&out](const std::string& line) {
        out += line + "\n";
    };
    swf::Player player(movie.value(), collect);
    for (int frame = 1; frame < std::min(frames, kMaxFramesPerCase); ++frame)
        player.advanceFrame();
    return out;
}

// Plays each case and prints PASS or FAIL for it and the share that passed;
// VIDORAMA_TRACE_DIFFS=1 also prints both texts of each failure.
double PassShare(const std::string& dir, const std::vector<TraceCase>& cases, const char* label) {
    int passed = 0;
    for (const TraceCase& c : cases) {
        std::string expected = Normalized(ReadText(dir + "/" + c.caseDir + "/" + c.reference));
        std::string actual = Normalized(Traced(dir + "/" + c.caseDir + "/" + c.swf, c.frames));
        bool pass = expected == actual;
        passed += pass ? 1 : 0;
        std::printf("%s  %s\n", pass ? "PASS" : "FAIL", c.name().c_str());
        if (!pass && std::getenv("VIDORAMA_TRACE_DIFFS"))
            std::printf("--- expected\n%s\n--- ours\n%s\n---\n", expected.c_str(), actual.c_str());
    }
    double share = cases.empty() ? 0 : double(passed) / double(cases.size());
    std::printf("%s: %d / %zu  %5.1f %%\n", label, passed, cases.size(), 100 * share);
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
