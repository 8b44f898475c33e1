#include "FuzzEntries.h"
#include "flash/MovieProbe.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace vidorama::fuzz {

namespace {

// The probe reads a path, so every input goes through one file of this
// process's own, removed when the process ends.
class ScratchFile {
public:
    ScratchFile() {
        const char* folder = std::getenv("TMPDIR");
        std::string pattern = std::string(folder && *folder ? folder : "/tmp") + "/probe-XXXXXX";
        int fd = mkstemp(pattern.data());
        if (fd >= 0) {
            close(fd);
            m_path = pattern;
        }
    }
    ~ScratchFile() {
        if (!m_path.empty())
            std::remove(m_path.c_str());
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Replaces the file's contents; false when it cannot be written.
    bool write(std::span<const std::uint8_t> data) const {
        std::FILE* file = m_path.empty() ? nullptr : std::fopen(m_path.c_str(), "wb");
        if (!file)
            return false;
        bool written = std::fwrite(data.data(), 1, data.size(), file) == data.size();
        return std::fclose(file) == 0 && written;
    }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// A large desktop, as the main window would pass it.
constexpr std::uint32_t kMaxMovieSide = 4096;

} // namespace

bool ProbeMovieHeader(std::span<const std::uint8_t> data) {
    static const ScratchFile scratch;
    if (!scratch.write(data))
        return false;
    MovieProbe probe;
    return ProbeMovieFile(scratch.path(), kMaxMovieSide, kMaxMovieSide, probe);
}

} // namespace vidorama::fuzz
