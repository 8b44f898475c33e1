// Plays every ActionScript 3 trace case for its frames and compares what its
// scripts trace() with the log Flash printed; prints the share by area.

#include "CorpusManifest.h"
#include "TraceRun.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>

namespace vidorama::test {
namespace {

// The share of cases that must pass. Raise it as the machine improves; never
// lower it.
constexpr double kFloor = 0.33;

// The area a case exercises, from the words of its name.
std::string Area(const std::string& name) {
    static const std::array<std::pair<const char*, std::vector<const char*>>, 3> kAreas = {{
        {"events",
         {"event", "timer", "enterframe", "frame_constructed", "dispatch", "listener", "added",
          "removed", "exit_frame"}},
        {"display", {"display", "sprite",    "movieclip",  "graphics", "bitmap", "shape",
                     "stage",   "textfield", "text_field", "button",   "loader", "filter",
                     "geom",    "matrix",    "rectangle",  "point",    "color",  "transform",
                     "gotoand", "frame",     "child",      "mask",     "scene",  "scale",
                     "hittest", "sound",     "video",      "font",     "text"}},
        {"core classes",
         {"array",  "string",   "number", "int_",    "uint",      "math",        "date",
          "regexp", "error",    "json",   "xml",     "vector",    "dictionary",  "bytearray",
          "object", "function", "class",  "boolean", "namespace", "qname",       "proxy",
          "utils",  "describe", "amf",    "timer",   "tofixed",   "toprecision", "tostring",
          "parse",  "escape",   "uri",    "encode",  "decode"}},
    }};
    for (const auto& [area, words] : kAreas)
        for (const char* word : words)
            if (name.find(word) != std::string::npos)
                return area;
    return "language";
}

TEST(Avm2TraceConformance, ScriptsTraceWhatFlashPrinted) {
    const std::string dir = VIDORAMA_TRACES_DIR "/avm2";
    std::vector<TraceCase> cases = ReadTraceSet(dir);
    ASSERT_FALSE(cases.empty());
    std::vector<bool> results = RunTraceCases(dir, cases);
    std::map<std::string, std::pair<int, int>> byArea;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        auto& [passed, total] = byArea[Area(cases[i].name())];
        passed += results[i] ? 1 : 0;
        ++total;
    }
    for (const auto& [area, counts] : byArea)
        std::printf("trace_avm2 %-12s %3d / %3d  %5.1f %%\n", area.c_str(), counts.first,
                    counts.second, 100.0 * counts.first / counts.second);
    auto passed = std::count(results.begin(), results.end(), true);
    double rate = double(passed) / double(cases.size());
    std::printf("trace_avm2: %d / %zu  %5.1f %%\n", int(passed), cases.size(), 100 * rate);
    EXPECT_GE(rate, kFloor);
}

} // namespace
} // namespace vidorama::test
