#pragma once

#include <optional>
#include <span>
#include <string>

namespace vidorama::cli {

// What the command line asked for. Only the snapshot mode exists so far; the
// conversion modes will join it here.
struct ConvertOptions {
    enum class Mode { Snapshot, Help };

    Mode mode = Mode::Help;
    // Frames to run before the picture is taken; 1 is the first frame.
    int snapshotFrame = 1;
    std::string outputPath;
    std::string inputPath;
    // The output size; the movie's own size when not given.
    std::optional<int> width, height;
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
