#pragma once

#include "options/OptionValues.h"
#include "options/OutputKind.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vidorama::cli {

// How the encoder is asked to work. The names follow the program's
// conversion settings where they mean the same thing.
struct EncodingOptions {
    std::string videoCodec; // empty: the output kind's default
    std::string audioCodec; // empty: the default; "none": no sound
    std::optional<int> videoKbps;
    std::optional<int> audioKbps;
    std::optional<int> quality;
    std::string preset;
    std::optional<int> mpegVersion; // 1 or 2
    std::optional<int> profile;     // WMV and RM profile, 1 = the first
    std::optional<int> channels;    // AVI sound: 1 mono, 2 stereo
    bool transparent = false;
};

// How progress is shown: a bar when standard error is a terminal, JSON
// lines for other programs, or nothing.
enum class ProgressStyle { Automatic, Bar, Json, None };

// What the command line asked for.
struct ConvertOptions {
    enum class Mode { Convert, Snapshot, ListCodecs, Help };

    Mode mode = Mode::Help;
    std::vector<std::string> inputs;
    // A file for one input; a folder (existing, or ending in "/") for any
    // number of inputs, each output named after its input.
    std::string outputPath;
    std::optional<OutputKind> format;
    // The output size; the movie's own size when not given.
    std::optional<int> width, height;
    std::optional<Rate> fps;
    std::optional<MoviePosition> start, end;
    std::optional<double> durationSeconds;
    EncodingOptions encoding;
    bool overwrite = false;
    int jobs = 1;
    ProgressStyle progress = ProgressStyle::Automatic;
    // Frames to run before the picture is taken; 1 is the first frame.
    int snapshotFrame = 1;
    // Where the scripts' trace() lines go: a file, "-" for standard output
    // (nothing else is written there then), or "" for nowhere.
    std::string tracePath;
    // Receives each traced line while a movie plays; the program sets it from
    // tracePath.
    std::function<void(const std::string&)> traceLines;

    // The single input of a snapshot.
    const std::string& inputPath() const { return inputs.front(); }
};

struct ParsedOptions {
    std::optional<ConvertOptions> options;
    std::string error;
};

// Parses the arguments after the program name.
ParsedOptions ParseConvertOptions(std::span<const std::string> args);

// The usage text printed for --help and after a bad command line.
std::string ConvertUsage();

} // namespace vidorama::cli
