#pragma once

#include "core/OutputPlan.h"
#include "core/Status.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vidorama::encoder {

// The outputs the command-line converter offers besides the program's four:
// today's containers with today's codecs, and picture formats.
enum class ExtendedContainer { Mp4, Matroska, WebM, Gif, PngSequence };

// What the converter asks of one of these outputs. Codecs are named as the
// command line names them ("h264", "vp9", "aac", "opus", ...); an empty name
// takes the container's usual codec.
struct ExtendedOutputSettings {
    ExtendedContainer container = ExtendedContainer::Mp4;
    int width = 0;
    int height = 0;
    AVRational frameRate{0, 1};
    std::string videoCodec;
    std::string audioCodec;
    // Video: a bit rate, or else a quality on the codec's own scale (x264's
    // and VP9's constant rate factor, a quantiser for MPEG-4); neither takes
    // the codec's default quality.
    std::int64_t videoBitRate = 0;
    std::optional<int> quality;
    std::string preset;  // x264's speed preset; empty for the default
    int audioKbps = 0;   // 0 for the codec's usual rate
    bool alpha = false;  // keep the frames' transparency
    bool sound = true;   // false writes no sound stream
    int threadCount = 1; // 0 lets the encoders pick
    AudioInputFormat audioInput;
};

Status planExtendedOutput(const ExtendedOutputSettings& settings, OutputPlan& plan);

// Whether a container can hold sound at all (GIF and pictures cannot).
bool containerHasSound(ExtendedContainer container);

// The codec names each container accepts, the default first.
std::vector<std::string> videoCodecNames(ExtendedContainer container);
std::vector<std::string> audioCodecNames(ExtendedContainer container);

// Whether a planned video stream keeps the alpha of the caller's frames.
bool carriesAlpha(const VideoStreamPlan& video);

} // namespace vidorama::encoder
