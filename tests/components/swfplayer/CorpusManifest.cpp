#include "CorpusManifest.h"

#include <algorithm>
#include <fstream>
#include <functional>
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

using Field = std::function<std::string(const char*)>;

// Calls each row with a look-up of its fields by column name.
void ForEachRow(const std::string& corpusDir, const std::function<void(const Field&)>& row) {
    std::ifstream in(corpusDir + "/manifest.tsv");
    if (!in)
        throw std::runtime_error("cannot read " + corpusDir + "/manifest.tsv");
    std::string line;
    std::getline(in, line);
    std::map<std::string, std::size_t> column;
    auto header = Split(line, "\t");
    for (std::size_t i = 0; i < header.size(); ++i)
        column[header[i]] = i;
    while (std::getline(in, line)) {
        auto fields = Split(line, "\t");
        row([&](const char* name) -> std::string {
            auto found = column.find(name);
            return found != column.end() && found->second < fields.size() ? fields[found->second]
                                                                          : "";
        });
    }
}

int FrameCount(const Field& field) {
    std::string frame = field("frame");
    return std::stoi(frame == "last" ? field("num_frames") : frame);
}

} // namespace

bool ImageCase::hasFeature(const std::string& feature) const {
    return std::find(features.begin(), features.end(), feature) != features.end();
}

bool ImageCase::flashPlayerReference() const {
    return provenance.rfind("flash_player", 0) == 0;
}

std::vector<TraceCase> ReadTraceCases(const std::string& corpusDir, const std::string& group) {
    std::vector<TraceCase> cases;
    ForEachRow(corpusDir, [&](const Field& field) {
        if (field("group") != group)
            return;
        TraceCase c;
        c.caseDir = field("case_dir");
        c.swf = field("swf");
        c.reference = field("reference");
        c.frames = FrameCount(field);
        cases.push_back(std::move(c));
    });
    return cases;
}

std::vector<TraceCase> ReadTraceSet(const std::string& setDir) {
    std::vector<TraceCase> cases;
    ForEachRow(setDir, [&](const Field& field) {
        TraceCase c;
        c.caseDir = field("case");
        c.swf = field("swf");
        c.reference = field("reference");
        c.frames = std::stoi(field("frames"));
        cases.push_back(std::move(c));
    });
    return cases;
}

std::vector<ImageCase> ReadImageCases(const std::string& corpusDir) {
    std::vector<ImageCase> cases;
    ForEachRow(corpusDir, [&](const Field& field) {
        if (!EndsWith(field("reference"), ".png"))
            return;
        ImageCase c;
        c.caseDir = field("case_dir");
        c.swf = field("swf");
        c.reference = field("reference");
        c.frames = FrameCount(field);
        c.width = std::stoi(field("width"));
        c.height = std::stoi(field("height"));
        c.group = field("group");
        c.features = Split(field("features"), ", ");
        c.provenance = field("reference_provenance");
        c.quality = QualityFromNotes(field("notes"));
        cases.push_back(std::move(c));
    });
    return cases;
}

} // namespace vidorama::test
