#include "ExpectedPasses.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <sstream>

namespace vidorama::test {

namespace {

std::string ListPath(const std::string& suite) {
    return std::string(VIDORAMA_CONFORMANCE_LISTS_DIR) + "/" + suite + ".txt";
}

bool UpdateRequested(const std::string& suite) {
    const char* value = std::getenv("VIDORAMA_UPDATE_CONFORMANCE");
    if (!value)
        return false;
    std::stringstream names(value);
    std::string name;
    while (std::getline(names, name, ','))
        if (name == suite || name == "all")
            return true;
    return false;
}

std::optional<std::set<std::string>> ReadList(const std::string& path) {
    std::ifstream in(path);
    if (!in)
        return std::nullopt;
    std::set<std::string> names;
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            names.insert(line);
    return names;
}

void WriteList(const std::string& suite, const std::set<std::string>& passed) {
    const std::string path = ListPath(suite);
    std::ofstream out(path, std::ios::trunc);
    for (const std::string& name : passed)
        out << name << '\n';
    out.close();
    if (!out)
        ADD_FAILURE() << "could not write " << path;
    else
        std::printf("%s: wrote %zu expected passes to %s\n", suite.c_str(), passed.size(),
                    path.c_str());
}

std::string Lines(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += "\n  " + name;
    return text;
}

} // namespace

void CheckExpectedPasses(const std::string& suite, const std::vector<CaseResult>& results) {
    std::set<std::string> passed, ran;
    bool narrowed = false;
    for (const CaseResult& r : results) {
        if (r.outcome == CaseOutcome::NotRun) {
            narrowed = true;
            continue;
        }
        ran.insert(r.name);
        if (r.outcome == CaseOutcome::Passed)
            passed.insert(r.name);
    }
    if (UpdateRequested(suite)) {
        if (narrowed)
            ADD_FAILURE() << suite << ": a run narrowed to some cases cannot rewrite its list";
        else
            WriteList(suite, passed);
        return;
    }
    std::optional<std::set<std::string>> expected = ReadList(ListPath(suite));
    if (!expected) {
        ADD_FAILURE() << suite << ": no list of expected passes at " << ListPath(suite)
                      << "; make it with scripts/update-conformance-lists.sh BUILD " << suite;
        return;
    }
    // A listed case that is no longer in the run counts as lost, unless the
    // run was narrowed on purpose.
    std::vector<std::string> regressions, newPasses;
    for (const std::string& name : *expected)
        if (!passed.count(name) && (ran.count(name) || !narrowed))
            regressions.push_back(name);
    for (const std::string& name : passed)
        if (!expected->count(name))
            newPasses.push_back(name);
    for (const std::string& name : newPasses)
        std::printf("NEW PASS  %s\n", name.c_str());
    std::printf("%s: %zu / %zu passed (%.1f %%); %zu listed: %zu regressions, %zu new passes\n",
                suite.c_str(), passed.size(), ran.size(),
                ran.empty() ? 0.0 : 100.0 * double(passed.size()) / double(ran.size()),
                expected->size(), regressions.size(), newPasses.size());
    if (!newPasses.empty())
        std::printf("  list them with: scripts/update-conformance-lists.sh BUILD %s\n",
                    suite.c_str());
    EXPECT_TRUE(regressions.empty()) << suite << ": " << regressions.size()
                                     << " cases listed as passing now fail:" << Lines(regressions);
}

} // namespace vidorama::test
