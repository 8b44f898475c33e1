#pragma once

#include "graphics/StageQuality.h"

#include <string>
#include <vector>

namespace vidorama::test {

// One image reference of the corpus: which movie, after how many frames, and
// what upstream says about it.
struct ImageCase {
    std::string caseDir;
    std::string swf;
    int frames = 1;
    std::string reference;
    int width = 0, height = 0;
    std::string group;
    std::vector<std::string> features;
    std::string provenance;
    // The quality the reference was drawn at; high unless the notes say else.
    swf::StageQuality quality = swf::StageQuality::High;

    std::string name() const { return caseDir + "/" + reference; }
    bool hasFeature(const std::string& feature) const;
    // A Flash Player capture, stated or likely.
    bool flashPlayerReference() const;
};

// Reads the image rows of the corpus manifest; frame "last" becomes the run
// length. Throws std::runtime_error when the manifest cannot be read.
std::vector<ImageCase> ReadImageCases(const std::string& corpusDir);

// One trace case: the movie's trace() output over its frames must match the
// reference text exactly.
struct TraceCase {
    std::string caseDir;
    std::string swf;
    int frames = 1;
    std::string reference;

    std::string name() const { return caseDir; }
};

// Reads the rows of a group whose reference is trace text.
std::vector<TraceCase> ReadTraceCases(const std::string& corpusDir, const std::string& group);

// Reads a set of trace cases whose manifest names each case's folder, movie,
// frame count and reference.
std::vector<TraceCase> ReadTraceSet(const std::string& setDir);

} // namespace vidorama::test
