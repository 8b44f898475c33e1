#pragma once

#include "CorpusManifest.h"
#include "ExpectedPasses.h"

#include <string>
#include <vector>

namespace vidorama::test {

// Plays each trace case for its frames, comparing what the movie's scripts
// trace() with the reference (line ends as written by the tools that made the
// references are normalised). Prints PASS or FAIL per case, and with
// VIDORAMA_TRACE_DIFFS set, both texts of each failure. Returns each case's
// outcome; VIDORAMA_TRACE_CASE runs only the cases whose names contain it.
std::vector<CaseResult> RunTraceCases(const std::string& dir, const std::vector<TraceCase>& cases);

} // namespace vidorama::test
