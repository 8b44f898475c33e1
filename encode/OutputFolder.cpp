#include "encode/OutputFolder.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace vidorama {

namespace fs = std::filesystem;

namespace {

std::string Refusal(const std::string& folder, const std::string& reason) {
    return "The output folder " + folder + " cannot be written to (" + reason +
           "). Please choose another folder in Output Settings.";
}

} // namespace

std::string PrepareOutputFolder(const std::string& folder) {
    if (folder.empty())
        return Refusal(folder, "no folder is set");
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        fs::create_directories(folder, error);
        if (error)
            return Refusal(folder, error.message());
    }
    // Only a real file tells: permissions, read-only mounts, quotas and
    // special file systems all answer here.
    std::string probe = (fs::path(folder) / ".vidorama-write-check-XXXXXX").string();
    std::vector<char> name(probe.begin(), probe.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0)
        return Refusal(folder, std::strerror(errno));
    ::close(fd);
    ::unlink(name.data());
    return {};
}

} // namespace vidorama
