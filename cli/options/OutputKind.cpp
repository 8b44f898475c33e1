#include "options/OutputKind.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace vidorama::cli {

namespace {

struct KindName {
    std::string_view name;
    OutputKind kind;
    std::string_view extension; // the one given to new outputs
};

// The program names its outputs .avi, .mpeg, .wmv and .rmvb; other common
// extensions of the same formats are recognised below.
constexpr std::array<KindName, 9> kKinds{{
    {"avi", OutputKind::Avi, "avi"},
    {"mpeg", OutputKind::Mpeg, "mpeg"},
    {"wmv", OutputKind::Wmv, "wmv"},
    {"rm", OutputKind::Rm, "rmvb"},
    {"mp4", OutputKind::Mp4, "mp4"},
    {"mkv", OutputKind::Matroska, "mkv"},
    {"webm", OutputKind::WebM, "webm"},
    {"gif", OutputKind::Gif, "gif"},
    {"png", OutputKind::PngSequence, ""},
}};

struct ExtensionKind {
    std::string_view extension;
    OutputKind kind;
};

constexpr std::array<ExtensionKind, 11> kExtensions{{
    {"avi", OutputKind::Avi},
    {"mpeg", OutputKind::Mpeg},
    {"mpg", OutputKind::Mpeg},
    {"wmv", OutputKind::Wmv},
    {"rm", OutputKind::Rm},
    {"rmvb", OutputKind::Rm},
    {"mp4", OutputKind::Mp4},
    {"m4v", OutputKind::Mp4},
    {"mkv", OutputKind::Matroska},
    {"webm", OutputKind::WebM},
    {"gif", OutputKind::Gif},
}};

std::string Lowered(std::string_view text) {
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lowered;
}

} // namespace

std::optional<OutputKind> OutputKindNamed(std::string_view name) {
    const std::string lowered = Lowered(name);
    for (const KindName& entry : kKinds)
        if (entry.name == lowered)
            return entry.kind;
    return std::nullopt;
}

std::optional<OutputKind> OutputKindOfPath(std::string_view path) {
    const auto slash = path.find_last_of('/');
    const auto dot = path.find_last_of('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return std::nullopt;
    const std::string extension = Lowered(path.substr(dot + 1));
    for (const ExtensionKind& entry : kExtensions)
        if (entry.extension == extension)
            return entry.kind;
    return std::nullopt;
}

std::string_view OutputExtension(OutputKind kind) {
    for (const KindName& entry : kKinds)
        if (entry.kind == kind)
            return entry.extension;
    return {};
}

std::string OutputKindNames() {
    std::string names;
    for (const KindName& entry : kKinds)
        names += (names.empty() ? "" : ", ") + std::string(entry.name);
    return names;
}

bool IsPictureSequence(OutputKind kind) {
    return kind == OutputKind::PngSequence;
}

} // namespace vidorama::cli
