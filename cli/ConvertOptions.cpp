#include "ConvertOptions.h"

#include <array>
#include <string_view>

namespace vidorama::cli {

namespace {

// Output sizes beyond this are refused: a frame must fit in memory comfortably.
constexpr int kMaxOutputSide = 16384;
constexpr double kMaxDurationSeconds = 24 * 3600;
constexpr int kMaxJobs = 64;
constexpr int kMaxKbps = 100000;
constexpr int kMaxQuality = 63;

// An option's handler stores its value and answers an error, or "" when the
// value is good.
using Handler = std::string (*)(ConvertOptions&, std::string_view);

struct OptionSpec {
    std::string_view longName;
    std::string_view shortName;
    bool takesValue;
    Handler handle;
};

std::string Quoted(std::string_view value) {
    return "\"" + std::string(value) + "\"";
}

template <typename T>
std::string Store(std::optional<T> parsed, std::optional<T>& target, std::string_view wanted,
                  std::string_view value) {
    if (!parsed)
        return std::string(wanted) + ", got " + Quoted(value);
    target = parsed;
    return {};
}

std::string SetSize(ConvertOptions& o, std::string_view v) {
    auto size = ParseSize(v, kMaxOutputSide);
    if (!size)
        return "--size wants WIDTHxHEIGHT in pixels, got " + Quoted(v);
    o.width = size->width;
    o.height = size->height;
    return {};
}

std::string SetFormat(ConvertOptions& o, std::string_view v) {
    return Store(OutputKindNamed(v), o.format, "--format wants one of " + OutputKindNames(), v);
}

std::string SetSnapshot(ConvertOptions& o, std::string_view v) {
    auto frame = ParseInteger(v, 1, 1 << 24);
    if (!frame)
        return "--snapshot wants a frame count of 1 or more, got " + Quoted(v);
    o.snapshotFrame = *frame;
    o.mode = ConvertOptions::Mode::Snapshot;
    return {};
}

std::string SetTrace(ConvertOptions& o, std::string_view v) {
    if (v.empty())
        return "--trace wants a file, or - for standard output";
    o.tracePath = v;
    return {};
}

std::string SetChannels(ConvertOptions& o, std::string_view v) {
    if (v != "mono" && v != "stereo")
        return "--channels wants mono or stereo, got " + Quoted(v);
    o.encoding.channels = v == "mono" ? 1 : 2;
    return {};
}

std::string SetJobs(ConvertOptions& o, std::string_view v) {
    auto jobs = ParseInteger(v, 1, kMaxJobs);
    if (!jobs)
        return "-j wants a number of parallel jobs from 1 to 64, got " + Quoted(v);
    o.jobs = *jobs;
    return {};
}

std::string SetProgress(ConvertOptions& o, std::string_view v) {
    if (v == "bar")
        o.progress = ProgressStyle::Bar;
    else if (v == "json")
        o.progress = ProgressStyle::Json;
    else if (v == "none")
        o.progress = ProgressStyle::None;
    else
        return "--progress wants bar, json or none, got " + Quoted(v);
    return {};
}

std::string SetFlag(ConvertOptions& o, std::string_view name) {
    if (name == "--help")
        o.mode = ConvertOptions::Mode::Help;
    else if (name == "--list-codecs")
        o.mode = ConvertOptions::Mode::ListCodecs;
    else if (name == "--transparent")
        o.encoding.transparent = true;
    else if (name == "--overwrite")
        o.overwrite = true;
    return {};
}

const std::array<OptionSpec, 24> kOptions{{
    {"--help", "-h", false, nullptr},
    {"--list-codecs", "", false, nullptr},
    {"--transparent", "", false, nullptr},
    {"--overwrite", "", false, nullptr},
    {"--output", "-o", true,
     [](ConvertOptions& o, std::string_view v) {
         o.outputPath = v;
         return std::string();
     }},
    {"--format", "", true, SetFormat},
    {"--size", "", true, SetSize},
    {"--fps", "", true,
     [](ConvertOptions& o, std::string_view v) {
         return Store(ParseRate(v), o.fps, "--fps wants a rate such as 25, 29.97 or 30000/1001", v);
     }},
    {"--start", "", true,
     [](ConvertOptions& o, std::string_view v) {
         return Store(ParsePosition(v), o.start, "--start wants a frame (120) or a time (2.5s)", v);
     }},
    {"--end", "", true,
     [](ConvertOptions& o, std::string_view v) {
         return Store(ParsePosition(v), o.end, "--end wants a frame (120) or a time (2.5s)", v);
     }},
    {"--duration", "", true,
     [](ConvertOptions& o, std::string_view v) {
         return Store(ParseDecimal(v, 0.001, kMaxDurationSeconds), o.durationSeconds,
                      "--duration wants seconds above 0", v);
     }},
    {"--vcodec", "", true,
     [](ConvertOptions& o, std::string_view v) {
         o.encoding.videoCodec = v;
         return std::string();
     }},
    {"--acodec", "", true,
     [](ConvertOptions& o, std::string_view v) {
         o.encoding.audioCodec = v;
         return std::string();
     }},
    {"--vbitrate", "", true,
     [](ConvertOptions& o, std::string_view v) {
         return Store(ParseInteger(v, 8, kMaxKbps), o.encoding.videoKbps, "--vbitrate wants kbit/s",
                      v);
     }},
    {"--abitrate", "", true,
     [](ConvertOptions& o, std::string_view v) {
         return Store(ParseInteger(v, 8, kMaxKbps), o.encoding.audioKbps, "--abitrate wants kbit/s",
                      v);
     }},
    {"--quality", "", true,
     [](ConvertOptions& o, std::string_view v) {
         return Store(ParseInteger(v, 0, kMaxQuality), o.encoding.quality,
                      "--quality wants a number from 0 to 63", v);
     }},
    {"--preset", "", true,
     [](ConvertOptions& o, std::string_view v) {
         o.encoding.preset = v;
         return std::string();
     }},
    {"--mpeg-version", "", true,
     [](ConvertOptions& o, std::string_view v) {
         return Store(ParseInteger(v, 1, 2), o.encoding.mpegVersion, "--mpeg-version wants 1 or 2",
                      v);
     }},
    {"--profile", "", true,
     [](ConvertOptions& o, std::string_view v) {
         return Store(ParseInteger(v, 1, 99), o.encoding.profile,
                      "--profile wants a profile number (see --list-codecs)", v);
     }},
    {"--channels", "", true, SetChannels},
    {"--jobs", "-j", true, SetJobs},
    {"--progress", "", true, SetProgress},
    {"--snapshot", "", true, SetSnapshot},
    {"--trace", "", true, SetTrace},
}};

const OptionSpec* FindOption(std::string_view name) {
    for (const OptionSpec& optionSpec : kOptions)
        if (optionSpec.longName == name ||
            (!optionSpec.shortName.empty() && optionSpec.shortName == name))
            return &optionSpec;
    return nullptr;
}

ParsedOptions Fail(std::string message) {
    return {std::nullopt, std::move(message)};
}

std::string Validate(const ConvertOptions& options) {
    if (options.inputs.empty())
        return "no input movie given";
    if (options.mode == ConvertOptions::Mode::Snapshot) {
        if (options.inputs.size() > 1)
            return "--snapshot takes one input movie";
        if (options.outputPath.empty())
            return "no output file given (-o OUT.png)";
        return {};
    }
    if (!options.tracePath.empty() && options.inputs.size() > 1)
        return "--trace takes one input movie";
    if (options.end && options.durationSeconds)
        return "give --end or --duration, not both";
    if (options.start && options.end && options.start->unit == options.end->unit &&
        (options.start->unit == MoviePosition::Unit::Frame
             ? options.end->frame < options.start->frame
             : options.end->seconds <= options.start->seconds))
        return "--end comes before --start";
    return {};
}

} // namespace

ParsedOptions ParseConvertOptions(std::span<const std::string> args) {
    ConvertOptions options;
    options.mode = ConvertOptions::Mode::Convert;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (arg.size() < 2 || arg[0] != '-') {
            options.inputs.emplace_back(arg);
            continue;
        }
        // "--name=value" is the same as "--name value".
        std::string_view name = arg, value;
        bool inlineValue = false;
        if (auto equals = arg.find('=');
            arg.starts_with("--") && equals != std::string_view::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
            inlineValue = true;
        }
        const OptionSpec* optionSpec = FindOption(name);
        if (!optionSpec)
            return Fail("unknown option " + std::string(arg));
        if (!optionSpec->takesValue) {
            SetFlag(options, optionSpec->longName);
            if (options.mode == ConvertOptions::Mode::Help)
                return {options, {}};
            continue;
        }
        if (!inlineValue && i + 1 >= args.size())
            return Fail(std::string(name) + " needs a value");
        if (!inlineValue)
            value = args[++i];
        if (std::string error = optionSpec->handle(options, value); !error.empty())
            return Fail(error);
    }
    if (options.mode == ConvertOptions::Mode::ListCodecs)
        return {options, {}};
    // Standard output then carries the traced lines and nothing else.
    if (options.tracePath == "-")
        options.progress = ProgressStyle::None;
    if (std::string error = Validate(options); !error.empty())
        return Fail(error);
    return {options, {}};
}

} // namespace vidorama::cli
