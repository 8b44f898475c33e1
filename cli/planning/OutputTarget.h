#pragma once

#include "core/Status.h"

#include <string>

namespace vidorama::cli {

enum class ExistingOutput { Refuse, Replace };
enum class OutputShape { File, PictureFolder };

// An output is written under a temporary name beside its target, in the same
// folder so that it can be renamed, and only a complete output is renamed to
// the target. A conversion that fails, or is interrupted, removes its
// temporary file and leaves whatever was at the target untouched.
class OutputTarget {
public:
    OutputTarget(std::string target, OutputShape shape, ExistingOutput existing);
    OutputTarget(const OutputTarget&) = delete;
    OutputTarget& operator=(const OutputTarget&) = delete;
    // Discards the temporary output unless it was committed.
    ~OutputTarget();

    // Creates the temporary file or folder.
    encoder::Status prepare();
    // Where the encoder writes: the temporary file, or the temporary folder
    // for pictures.
    const std::string& workPath() const { return m_work; }
    // Makes the temporary output the target, refusing to replace an existing
    // one unless asked to.
    encoder::Status commit();
    void discard();

    const std::string& target() const { return m_target; }

private:
    encoder::Status commitFile();
    encoder::Status commitFolder();
    encoder::Status replaceFolder();

    std::string m_target;
    OutputShape m_shape;
    ExistingOutput m_existing;
    std::string m_work;
};

// The names of a numbered picture sequence inside its folder: 000001.png,
// 000002.png, ... as FFmpeg's image muxer writes them.
inline constexpr const char* kPictureNamePattern = "%06d.png";
bool IsSequencePictureName(const std::string& name);

} // namespace vidorama::cli
