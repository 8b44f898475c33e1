// Plays every trace case of the corpus for its frames, collecting what the
// movie's scripts trace(), and compares the text with the reference.

#include "CorpusManifest.h"
#include "movie/Movie.h"
#include "player/Player.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace vidorama::test {
namespace {

// The share of cases that must pass. Raise it as the interpreter improves;
// never lower it.
constexpr double kFloor = 0.9;

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
    for (int frame = 1; frame < frames; ++frame)
        player.advanceFrame();
    return out;
}

TEST(TraceConformance, CorpusScriptsTraceTheirReferences) {
    const std::string corpus = VIDORAMA_CORPUS_DIR;
    std::vector<TraceCase> cases = ReadTraceCases(corpus, "trace_avm1");
    ASSERT_FALSE(cases.empty());
    int passed = 0;
    for (const TraceCase& c : cases) {
        std::string expected = Normalized(ReadText(corpus + "/" + c.caseDir + "/" + c.reference));
        std::string actual = Normalized(Traced(corpus + "/" + c.caseDir + "/" + c.swf, c.frames));
        bool pass = expected == actual;
        passed += pass ? 1 : 0;
        std::printf("%s  %s\n", pass ? "PASS" : "FAIL", c.name().c_str());
        if (!pass && std::getenv("VIDORAMA_TRACE_DIFFS"))
            std::printf("--- expected\n%s\n--- ours\n%s\n---\n", expected.c_str(), actual.c_str());
    }
    double rate = double(passed) / double(cases.size());
    std::printf("trace_avm1: %d / %zu  %5.1f %%\n", passed, cases.size(), 100 * rate);
    EXPECT_GE(rate, kFloor);
}

} // namespace
} // namespace vidorama::test
