#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vidorama::encoder::test {

struct StreamInfo {
    std::string type; // "video" or "audio"
    std::string codec;
    std::string frameRate; // as ffprobe writes it, e.g. "24000/1001"
    int width = 0;
    int height = 0;
    int sampleRate = 0;
    int channels = 0;
    // From decoding: video frames or sound samples per channel, and the time
    // from the first decoded frame's start to the last one's end.
    std::int64_t decodedFrames = 0;
    std::int64_t decodedSamples = 0;
    double decodedSeconds = 0.0;
};

// What ffprobe finds in a file: the container, its streams and what decoding
// them gives.
struct MediaInfo {
    std::string format;
    double durationSeconds = 0.0;
    std::vector<StreamInfo> streams;
    std::int64_t keyFrames = 0;
    std::int64_t largestVideoPacket = 0;

    const StreamInfo* stream(const std::string& type) const;
    StreamInfo* stream(const std::string& type);
};

bool ffprobeAvailable();
// nullopt when ffprobe cannot read the file.
std::optional<MediaInfo> probeMedia(const std::string& path);

} // namespace vidorama::encoder::test
