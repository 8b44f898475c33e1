#include "ConvertOptions.h"

#include <charconv>

namespace vidorama::cli {

namespace {

// Output sizes beyond this are refused: a frame must fit in memory comfortably.
constexpr int kMaxOutputSide = 16384;

std::optional<int> ParsePositive(std::string_view text, int maximum) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > maximum)
        return std::nullopt;
    return value;
}

bool ParseSize(std::string_view text, ConvertOptions& options) {
    auto x = text.find_first_of("xX");
    if (x == std::string_view::npos)
        return false;
    options.width = ParsePositive(text.substr(0, x), kMaxOutputSide);
    options.height = ParsePositive(text.substr(x + 1), kMaxOutputSide);
    return options.width && options.height;
}

ParsedOptions Fail(std::string message) {
    return {std::nullopt, std::move(message)};
}

} // namespace

std::string ConvertUsage() {
    return "usage: vidorama-convert --snapshot N -o OUT.png [--size WxH] INPUT.swf\n"
           "  --snapshot N  write the stage as shown after N frames (1 = the first frame)\n"
           "  -o OUT.png    the picture to write\n"
           "  --size WxH    the picture's size in pixels (default: the movie's size)\n";
}

ParsedOptions ParseConvertOptions(std::span<const std::string> args) {
    ConvertOptions options;
    bool snapshot = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        bool hasValue = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") {
            options.mode = ConvertOptions::Mode::Help;
            return {options, {}};
        }
        if (arg == "--snapshot" || arg == "-o" || arg == "--size") {
            if (!hasValue)
                return Fail(arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "-o") {
                options.outputPath = value;
            } else if (arg == "--size") {
                if (!ParseSize(value, options))
                    return Fail("--size wants WIDTHxHEIGHT in pixels, got \"" + value + "\"");
            } else {
                auto frame = ParsePositive(value, 1 << 24);
                if (!frame)
                    return Fail("--snapshot wants a frame count of 1 or more, got \"" + value +
                                "\"");
                options.snapshotFrame = *frame;
                snapshot = true;
            }
        } else if (!arg.empty() && arg[0] == '-') {
            return Fail("unknown option " + arg);
        } else if (options.inputPath.empty()) {
            options.inputPath = arg;
        } else {
            return Fail("more than one input movie given");
        }
    }
    if (!snapshot)
        return Fail("nothing to do: give --snapshot N");
    if (options.outputPath.empty())
        return Fail("no output file given (-o OUT.png)");
    if (options.inputPath.empty())
        return Fail("no input movie given");
    options.mode = ConvertOptions::Mode::Snapshot;
    return {options, {}};
}

} // namespace vidorama::cli
