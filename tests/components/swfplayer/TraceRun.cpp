#include "TraceRun.h"

#include "movie/Movie.h"
#include "player/Player.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vidorama::test {

namespace {

// A case plays at most this many frames, so that a wrong manifest row cannot
// make a suite slow.
constexpr int kMaxFramesPerCase = 600;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Normalized(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '\r')
            out += c;
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

// The traced text, and what the scripts reached that the player lacks.
std::string Traced(const std::string& path, int frames, std::string& missing) {
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
    for (const std::string& what : player.scriptFeaturesMissing())
        missing += "missing: " + what + "\n";
    return out;
}

} // namespace

std::vector<CaseResult> RunTraceCases(const std::string& dir, const std::vector<TraceCase>& cases) {
    std::vector<CaseResult> results;
    const char* only = std::getenv("VIDORAMA_TRACE_CASE");
    for (const TraceCase& c : cases) {
        if (only && c.name().find(only) == std::string::npos) {
            results.push_back({c.name(), CaseOutcome::NotRun});
            continue;
        }
        std::string expected = Normalized(ReadText(dir + "/" + c.caseDir + "/" + c.reference));
        std::string missing;
        std::string actual =
            Normalized(Traced(dir + "/" + c.caseDir + "/" + c.swf, c.frames, missing));
        bool pass = expected == actual;
        results.push_back({c.name(), pass ? CaseOutcome::Passed : CaseOutcome::Failed});
        std::printf("%s  %s\n", pass ? "PASS" : "FAIL", c.name().c_str());
        if (!pass && std::getenv("VIDORAMA_TRACE_DIFFS"))
            std::printf("--- expected\n%s\n--- ours\n%s\n---\n%s", expected.c_str(), actual.c_str(),
                        missing.c_str());
    }
    return results;
}

} // namespace vidorama::test
