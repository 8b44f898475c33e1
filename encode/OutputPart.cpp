#include "encode/OutputPart.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace vidorama {

namespace fs = std::filesystem;

std::string OutputPartPath(const std::string& outputPath) {
    static std::atomic<unsigned> counter{0};
    const fs::path path(outputPath);
    return (path.parent_path() / ("." + path.filename().string() + ".vidorama-part-" +
                                  std::to_string(::getpid()) + "-" + std::to_string(counter++)))
        .string();
}

bool CommitOutputPart(const std::string& partPath, const std::string& outputPath) {
    // The kernel refuses to replace an existing file, so a file that appeared
    // under the output's name meanwhile is kept. File systems without that
    // operation get a check and a rename.
    bool renamed = ::renameat2(AT_FDCWD, partPath.c_str(), AT_FDCWD, outputPath.c_str(),
                               RENAME_NOREPLACE) == 0;
    if (!renamed && (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP)) {
        std::error_code ignored;
        renamed = !fs::exists(fs::symlink_status(outputPath, ignored)) &&
                  std::rename(partPath.c_str(), outputPath.c_str()) == 0;
    }
    if (!renamed)
        std::remove(partPath.c_str());
    return renamed;
}

} // namespace vidorama
