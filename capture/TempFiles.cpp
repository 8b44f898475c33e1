#include "capture/TempFiles.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace vidorama {

std::string TempDirectory() {
    std::error_code error;
    std::string dir = std::filesystem::temp_directory_path(error).string();
    if (error || dir.empty())
        dir = "/tmp";
    if (dir.back() != '/')
        dir += '/';
    return dir;
}

std::FILE* CreateTempFile(const std::string& prefix, std::string& path) {
    path.clear();
    std::string pattern = TempDirectory() + prefix + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0)
        return nullptr;
    std::FILE* stream = ::fdopen(fd, "r+b");
    if (!stream) {
        ::close(fd);
        ::unlink(name.data());
        return nullptr;
    }
    path = name.data();
    return stream;
}

} // namespace vidorama
