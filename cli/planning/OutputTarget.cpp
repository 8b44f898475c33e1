#include "planning/OutputTarget.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace vidorama::cli {

namespace fs = std::filesystem;

namespace {

constexpr int kNameAttempts = 100;

encoder::Status Refused(std::string message) {
    return encoder::Status::failure(encoder::ErrorKind::Io, std::move(message));
}

encoder::Status SystemError(const std::string& what, int error) {
    return Refused(what + ": " + std::strerror(error));
}

// A hidden name beside the target that no other conversion uses: the process
// id tells processes apart and the counter tells jobs of one process apart.
std::string TemporaryName(const std::string& target, const char* purpose) {
    static std::atomic<unsigned> counter{0};
    const fs::path path(target);
    return (path.parent_path() / ("." + path.filename().string() + ".vidorama-" + purpose + "-" +
                                  std::to_string(::getpid()) + "-" + std::to_string(counter++)))
        .string();
}

// Renames without replacing: the kernel refuses when the target exists, so
// no other writer can slip in between a check and the rename. File systems
// without that operation get the check and the rename one after the other.
int RenameNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return errno;
    std::error_code ignored;
    if (fs::exists(fs::symlink_status(to, ignored)))
        return EEXIST;
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// Puts a finished output in place, unless something is there already.
encoder::Status RenameIntoPlace(const std::string& work, const std::string& target) {
    if (int error = RenameNoReplace(work, target); error != 0)
        return error == EEXIST ? Refused(target + " exists; give --overwrite to replace it")
                               : SystemError("cannot create " + target, error);
    return encoder::Status::success();
}

void RemoveTree(const std::string& path) {
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

constexpr std::string_view kPartTag = ".vidorama-part-";

// The process that made a temporary output, from its name
// (".NAME.vidorama-part-PID-N"), or 0 when the name is not one of ours.
pid_t PartOwner(const std::string& name) {
    const auto tag = name.rfind(kPartTag);
    if (name.empty() || name[0] != '.' || tag == std::string::npos)
        return 0;
    const std::string rest = name.substr(tag + kPartTag.size());
    const auto dash = rest.find('-');
    if (dash == 0 || dash == std::string::npos || dash + 1 == rest.size() ||
        rest.find_first_not_of("0123456789-") != std::string::npos ||
        rest.find('-', dash + 1) != std::string::npos || dash > 9)
        return 0;
    return static_cast<pid_t>(std::stol(rest.substr(0, dash)));
}

bool ProcessGone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// A temporary folder holds what the picture encoder wrote, and nothing else.
bool HoldsOnlyPictures(const fs::path& folder) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (!entry.is_regular_file(error) ||
            !IsSequencePictureName(entry.path().filename().string()))
            return false;
    return !error;
}

// A conversion killed outright (kill -9, a crash, a power cut) cannot remove
// its temporary output. The next conversion into the same folder removes
// those whose process is gone; a process that still runs, or that runs under
// the same number since, keeps its own.
void RemoveStaleParts(const fs::path& folder) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder.empty() ? "." : folder, error)) {
        const pid_t owner = PartOwner(entry.path().filename().string());
        if (owner <= 0 || owner == ::getpid() || !ProcessGone(owner))
            continue;
        const auto status = entry.symlink_status(error);
        if (fs::is_regular_file(status))
            fs::remove(entry.path(), error);
        else if (fs::is_directory(status) && HoldsOnlyPictures(entry.path()))
            fs::remove_all(entry.path(), error);
    }
}

} // namespace

bool IsSequencePictureName(const std::string& name) {
    const auto dot = name.find('.');
    if (dot == std::string::npos || name.substr(dot) != ".png" || dot < 6)
        return false;
    for (std::size_t i = 0; i < dot; ++i)
        if (name[i] < '0' || name[i] > '9')
            return false;
    return true;
}

OutputTarget::OutputTarget(std::string target, OutputShape shape, ExistingOutput existing)
    : m_target(std::move(target)), m_shape(shape), m_existing(existing) {}

OutputTarget::~OutputTarget() {
    discard();
}

encoder::Status OutputTarget::prepare() {
    RemoveStaleParts(fs::path(m_target).parent_path());
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string candidate = TemporaryName(m_target, "part");
        // Made with the usual permissions, less the user's umask, so that
        // the finished output has the permissions of any other new file.
        int result = 0;
        if (m_shape == OutputShape::File) {
            const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            result = fd < 0 ? -1 : ::close(fd);
        } else {
            result = ::mkdir(candidate.c_str(), 0777);
        }
        if (result == 0) {
            m_work = std::move(candidate);
            return encoder::Status::success();
        }
        if (errno != EEXIST)
            return SystemError("cannot write beside " + m_target, errno);
    }
    return Refused("cannot find a free temporary name beside " + m_target);
}

encoder::Status OutputTarget::commit() {
    if (m_work.empty())
        return Refused("nothing was written for " + m_target);
    encoder::Status status = m_shape == OutputShape::File ? commitFile() : commitFolder();
    if (status.ok())
        m_work.clear();
    return status;
}

encoder::Status OutputTarget::commitFile() {
    if (m_existing == ExistingOutput::Replace) {
        if (std::rename(m_work.c_str(), m_target.c_str()) != 0)
            return SystemError("cannot replace " + m_target, errno);
        return encoder::Status::success();
    }
    return RenameIntoPlace(m_work, m_target);
}

encoder::Status OutputTarget::commitFolder() {
    std::error_code ignored;
    if (m_existing == ExistingOutput::Replace && fs::exists(fs::symlink_status(m_target, ignored)))
        return replaceFolder();
    return RenameIntoPlace(m_work, m_target);
}

// A folder is replaced only when it holds nothing but an earlier picture
// sequence, so that --overwrite never deletes anything else. The old folder
// steps aside first and goes only once the new one is in place.
encoder::Status OutputTarget::replaceFolder() {
    std::error_code error;
    if (!fs::is_directory(fs::symlink_status(m_target, error)))
        return Refused(m_target + " exists and is not a folder of pictures; not replacing it");
    for (const auto& entry : fs::directory_iterator(m_target, error))
        if (!entry.is_regular_file() || !IsSequencePictureName(entry.path().filename().string()))
            return Refused(m_target +
                           " holds other files than numbered pictures; not replacing it");
    if (error)
        return Refused("cannot read " + m_target + ": " + error.message());
    const std::string old = TemporaryName(m_target, "old");
    if (std::rename(m_target.c_str(), old.c_str()) != 0)
        return SystemError("cannot replace " + m_target, errno);
    if (int failed = RenameNoReplace(m_work, m_target); failed != 0) {
        std::rename(old.c_str(), m_target.c_str());
        return SystemError("cannot replace " + m_target, failed);
    }
    RemoveTree(old);
    return encoder::Status::success();
}

void OutputTarget::discard() {
    if (m_work.empty())
        return;
    if (m_shape == OutputShape::File)
        std::remove(m_work.c_str());
    else
        RemoveTree(m_work);
    m_work.clear();
}

} // namespace vidorama::cli
