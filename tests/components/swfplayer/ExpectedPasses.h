#pragma once

#include <string>
#include <vector>

namespace vidorama::test {

enum class CaseOutcome { Passed, Failed, NotRun };

struct CaseResult {
    std::string name;
    CaseOutcome outcome = CaseOutcome::NotRun;
};

// Holds a conformance suite's run against its committed list of the cases
// expected to pass (conformance/<suite>.txt: one name a line, sorted), so that
// a regression names its case rather than hiding in an average. Fails naming
// every listed case that no longer passes, prints the cases that pass but are
// not listed yet, and prints the counts. When VIDORAMA_UPDATE_CONFORMANCE
// names the suite (a comma-separated list, or "all"), the list is rewritten
// from this run instead; scripts/update-conformance-lists.sh does that.
void CheckExpectedPasses(const std::string& suite, const std::vector<CaseResult>& results);

} // namespace vidorama::test
