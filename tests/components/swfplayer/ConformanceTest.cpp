// Renders every image case of the corpus through the snapshot path and
// compares it with its reference picture; each case's outcome is held against
// the suite's list of expected passes.

#include "CorpusImages.h"
#include "ExpectedPasses.h"
#include "movie/Movie.h"

#include <QDir>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace vidorama::test {
namespace {

struct Tally {
    int passed = 0;
    int total = 0;
    void add(bool pass) {
        passed += pass ? 1 : 0;
        ++total;
    }
    double rate() const { return total ? double(passed) / total : 0; }
};

// The cases this engine aims at: drawing groups whose features need
// nothing the engine does not draw yet.
bool InTargetSet(const ImageCase& c) {
    static const char* kGroups[] = {"shapes_strokes", "gradients",       "bitmaps",         "morph",
                                    "masks",          "color_transform", "timeline_sprites"};
    static const char* kExcluded[] = {"text",   "filter", "blend",
                                      "button", "video",  "cacheAsBitmap"};
    if (std::none_of(std::begin(kGroups), std::end(kGroups),
                     [&](const char* g) { return c.group == g; }))
        return false;
    for (const auto& feature : c.features)
        for (const char* excluded : kExcluded)
            if (feature.find(excluded) != std::string::npos)
                return false;
    return true;
}

void WriteDiff(const std::string& folder, const ImageCase& c, const QImage& ours,
               const QImage& diff) {
    QString base = QString::fromStdString(folder + "/" + c.caseDir + "__" + c.reference);
    base.replace("/ruffle/", "/ruffle__").replace("/swfdec/", "/swfdec__");
    QDir().mkpath(QString::fromStdString(folder));
    ours.save(base + ".ours.png");
    diff.save(base + ".diff.png");
}

void PrintTallies(const char* title, const std::map<std::string, Tally>& tallies) {
    std::printf("%s\n", title);
    for (const auto& [name, tally] : tallies)
        std::printf("  %-22s %3d / %3d  %5.1f %%\n", name.c_str(), tally.passed, tally.total,
                    100 * tally.rate());
}

TEST(Conformance, CorpusImagesMatchTheirReferences) {
    const std::string corpus = VIDORAMA_CORPUS_DIR;
    const char* diffFolder = std::getenv("VIDORAMA_CONFORMANCE_DIFFS");
    std::vector<ImageCase> cases = ReadImageCases(corpus);
    ASSERT_FALSE(cases.empty());

    std::map<std::string, Tally> byGroup, summary;
    std::map<std::string, std::shared_ptr<const swf::Movie>> movies;
    std::vector<CaseResult> results;
    for (const ImageCase& c : cases) {
        std::string path = corpus + "/" + c.caseDir + "/" + c.swf;
        if (!movies.count(path)) {
            auto movie = swf::Movie::loadFile(path);
            movies[path] = movie ? movie.value() : nullptr;
        }
        QImage reference = ReferencePicture(corpus, c);
        bool pass = false;
        double share = 0;
        QImage ours, diff;
        if (movies[path] && !reference.isNull()) {
            ours = RenderCase(movies[path], c);
            share = MatchingShare(ours, reference, diffFolder ? &diff : nullptr);
            pass = share >= kPassShare;
        }
        std::printf("%s %6.2f %%  %s\n", pass ? "PASS" : "FAIL", 100 * share, c.name().c_str());
        if (!pass && diffFolder && !ours.isNull())
            WriteDiff(diffFolder, c, ours, diff);
        results.push_back({c.name(), pass ? CaseOutcome::Passed : CaseOutcome::Failed});
        byGroup[c.group].add(pass);
        summary["overall"].add(pass);
        if (c.flashPlayerReference())
            summary["flash_player refs"].add(pass);
        if (InTargetSet(c))
            summary["target set"].add(pass);
        if (c.hasFeature("no_script") || c.hasFeature("as1"))
            summary["no script or AS1/2"].add(pass);
        if (c.hasFeature("as3"))
            summary["ActionScript 3"].add(pass);
    }
    PrintTallies("Pass rate by feature group:", byGroup);
    PrintTallies("Summary:", summary);
    CheckExpectedPasses("corpus_images", results);
}

} // namespace
} // namespace vidorama::test
