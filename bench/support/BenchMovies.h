#pragma once

#include <span>
#include <string>
#include <vector>

namespace vidorama::bench {

// The movies a benchmark measures: those named on its command line, or else
// its default movies of the corpus.
inline std::vector<std::string> BenchMovies(int argc, char** argv,
                                            std::span<const char* const> corpusDefaults) {
    std::vector<std::string> paths(argv + 1, argv + argc);
    if (paths.empty())
        for (const char* movie : corpusDefaults)
            paths.push_back(std::string(VIDORAMA_CORPUS_DIR) + "/" + movie);
    return paths;
}

} // namespace vidorama::bench
