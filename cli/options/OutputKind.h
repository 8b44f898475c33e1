#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vidorama::cli {

// The kinds of output the converter writes: the program's four, then the
// ones only the command line offers.
enum class OutputKind { Avi, Mpeg, Wmv, Rm, Mp4, Matroska, WebM, Gif, PngSequence };

// The name --format takes ("avi", "mp4", "png", ...).
std::optional<OutputKind> OutputKindNamed(std::string_view name);
// The kind an output file's extension stands for; nullopt for none or an
// unknown one. A numbered PNG sequence has no extension of its own.
std::optional<OutputKind> OutputKindOfPath(std::string_view path);
// The extension given to outputs named after their input, without the dot;
// empty for a PNG sequence, which is a folder.
std::string_view OutputExtension(OutputKind kind);
// Every name --format accepts, for the usage text and error messages.
std::string OutputKindNames();

bool IsPictureSequence(OutputKind kind);

} // namespace vidorama::cli
