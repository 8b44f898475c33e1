#include "MediaProbe.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <map>
#include <sstream>
#include <unistd.h>
#include <utility>

namespace vidorama::encoder::test {

namespace {

using Fields = std::map<std::string, std::string>;

std::optional<std::string> run(const std::string& arguments) {
    const std::string command = std::string(VIDORAMA_FFPROBE) + " -v error " + arguments;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return std::nullopt;
    std::string output;
    std::array<char, 4096> buffer{};
    std::size_t read = 0;
    while ((read = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        output.append(buffer.data(), read);
    if (pclose(pipe) != 0)
        return std::nullopt;
    return output;
}

// Each line of ffprobe's compact output: section|key=value|key=value.
struct Record {
    std::string section;
    Fields values;
};

std::vector<Record> records(const std::string& output) {
    std::vector<Record> result;
    std::stringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        Record record;
        std::stringstream items(line);
        std::string item;
        std::getline(items, record.section, '|');
        while (std::getline(items, item, '|')) {
            const auto equals = item.find('=');
            if (equals != std::string::npos)
                record.values[item.substr(0, equals)] = item.substr(equals + 1);
        }
        if (!record.values.empty())
            result.push_back(std::move(record));
    }
    return result;
}

std::string text(const Fields& values, const std::string& key) {
    const auto found = values.find(key);
    return found == values.end() ? std::string() : found->second;
}

// ffprobe writes "N/A" for unknown numbers; those read as 0.
double decimal(const Fields& values, const std::string& key) {
    try {
        return std::stod(text(values, key));
    } catch (const std::exception&) {
        return 0.0;
    }
}

StreamInfo streamFrom(const Fields& values) {
    StreamInfo stream;
    stream.type = text(values, "codec_type");
    stream.codec = text(values, "codec_name");
    stream.frameRate = text(values, "r_frame_rate");
    stream.width = static_cast<int>(decimal(values, "width"));
    stream.height = static_cast<int>(decimal(values, "height"));
    stream.sampleRate = static_cast<int>(decimal(values, "sample_rate"));
    stream.channels = static_cast<int>(decimal(values, "channels"));
    return stream;
}

// Spans of decoded frames per stream type; a frame the decoder gives back
// without a time stamp (the last of an MPEG stream, flushed from the reorder
// buffer) follows the frame before it.
class SpanTracker {
public:
    void add(StreamInfo& stream, const Fields& frame) {
        Span& span = m_spans[stream.type];
        const bool known = text(frame, "best_effort_timestamp_time") != "N/A";
        const double start = known ? decimal(frame, "best_effort_timestamp_time") : span.end;
        const double end = start + decimal(frame, "pkt_duration_time");
        if (stream.decodedFrames == 0)
            span = Span{start, end};
        span.start = std::min(span.start, start);
        span.end = std::max(span.end, end);
        ++stream.decodedFrames;
        stream.decodedSamples += static_cast<std::int64_t>(decimal(frame, "nb_samples"));
        stream.decodedSeconds = span.end - span.start;
    }

private:
    struct Span {
        double start = 0.0;
        double end = 0.0;
    };
    std::map<std::string, Span> m_spans;
};

void addPacket(const Fields& packet, MediaInfo& info) {
    if (text(packet, "codec_type") != "video")
        return;
    info.largestVideoPacket =
        std::max(info.largestVideoPacket, static_cast<std::int64_t>(decimal(packet, "size")));
    if (text(packet, "flags").find('K') != std::string::npos)
        ++info.keyFrames;
}

} // namespace

const StreamInfo* MediaInfo::stream(const std::string& type) const {
    for (const StreamInfo& candidate : streams) {
        if (candidate.type == type)
            return &candidate;
    }
    return nullptr;
}

StreamInfo* MediaInfo::stream(const std::string& type) {
    return const_cast<StreamInfo*>(std::as_const(*this).stream(type));
}

bool ffprobeAvailable() {
    return access(VIDORAMA_FFPROBE, X_OK) == 0;
}

std::optional<MediaInfo> probeMedia(const std::string& path) {
    const auto output = run("-show_entries format=format_name,duration:stream=codec_type,"
                            "codec_name,r_frame_rate,width,height,sample_rate,channels:"
                            "frame=media_type,nb_samples,best_effort_timestamp_time,"
                            "pkt_duration_time:packet=codec_type,size,flags -of compact '" +
                            path + "'");
    if (!output)
        return std::nullopt;
    // ffprobe lists frames and packets before the streams they belong to.
    const std::vector<Record> all = records(*output);
    MediaInfo info;
    for (const Record& record : all) {
        if (record.section == "format") {
            info.format = text(record.values, "format_name");
            info.durationSeconds = decimal(record.values, "duration");
        } else if (record.section == "stream") {
            info.streams.push_back(streamFrom(record.values));
        }
    }
    SpanTracker spans;
    for (const Record& record : all) {
        if (record.section == "frame") {
            if (StreamInfo* stream = info.stream(text(record.values, "media_type")))
                spans.add(*stream, record.values);
        } else if (record.section == "packet") {
            addPacket(record.values, info);
        }
    }
    return info;
}

} // namespace vidorama::encoder::test
