#include "CorpusManifest.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace vidorama::test {

namespace {

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            return parts;
        start = end + separator.size();
    }
}

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Upstream notes name the quality a reference was drawn at as "quality=low".
swf::StageQuality QualityFromNotes(const std::string& notes) {
    static const std::pair<const char*, swf::StageQuality> kNames[] = {
        {"quality=low", swf::StageQuality::Low},
        {"quality=medium", swf::StageQuality::Medium},
        {"quality=best", swf::StageQuality::Best},
    };
    for (const auto& [name, quality] : kNames)
        if (notes.find(name) != std::string::npos)
            return quality;
    return swf::StageQuality::High;
}

} // namespace

bool ImageCase::hasFeature(const std::string& feature) const {
    return std::find(features.begin(), features.end(), feature) != features.end();
}

bool ImageCase::flashPlayerReference() const {
    return provenance.rfind("flash_player", 0) == 0;
}

std::vector<ImageCase> ReadImageCases(const std::string& corpusDir) {
    std::ifstream in(corpusDir + "/manifest.tsv");
    if (!in)
        throw std::runtime_error("cannot read " + corpusDir + "/manifest.tsv");
    std::string line;
    std::getline(in, line);
    std::map<std::string, std::size_t> column;
    auto header = Split(line, "\t");
    for (std::size_t i = 0; i < header.size(); ++i)
        column[header[i]] = i;
    std::vector<ImageCase> cases;
    while (std::getline(in, line)) {
        auto fields = Split(line, "\t");
        auto field = [&](const char* name) -> std::string {
            auto found = column.find(name);
            return found != column.end() && found->second < fields.size() ? fields[found->second]
                                                                          : "";
        };
        if (!EndsWith(field("reference"), ".png"))
            continue;
        ImageCase c;
        c.caseDir = field("case_dir");
        c.swf = field("swf");
        c.reference = field("reference");
        std::string frame = field("frame");
        c.frames = std::stoi(frame == "last" ? field("num_frames") : frame);
        c.width = std::stoi(field("width"));
        c.height = std::stoi(field("height"));
        c.group = field("group");
        c.features = Split(field("features"), ", ");
        c.provenance = field("reference_provenance");
        c.quality = QualityFromNotes(field("notes"));
        cases.push_back(std::move(c));
    }
    return cases;
}

} // namespace vidorama::test
