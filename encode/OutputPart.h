#pragma once

#include <string>

namespace vidorama {

// A capture is encoded under a hidden name beside its output and renamed to
// the output's name only once the encoder has closed it complete, so that a
// cancelled, failed or interrupted conversion never leaves a file that looks
// like a finished video, nor uses up an output number.

// ".<name>.vidorama-part-<pid>-<n>" in the output's folder.
std::string OutputPartPath(const std::string& outputPath);

// Renames the finished part to the output path without replacing anything
// there. False (and the part is removed) when it cannot.
bool CommitOutputPart(const std::string& partPath, const std::string& outputPath);

} // namespace vidorama
