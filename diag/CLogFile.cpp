#include "diag/CLogFile.h"

#include "ui/MessageBoxes.h"

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <iostream>
#include <sys/file.h>
#include <unistd.h>

namespace vidorama {

CLogFile::CLogFile(std::string logPath, MessageBoxes& messages, DebugSink debugSink)
    : m_messages(messages), m_debugSink(std::move(debugSink)) {
    if (!m_debugSink)
        m_debugSink = [](const std::string& record) {
            std::cerr << record << std::flush;
        };
    if (logPath.empty())
        return;
    // Append, never truncate; other processes may read the log but only one
    // may write it at a time, so a second writer finds it locked and stays off.
    m_fd = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (m_fd < 0)
        return;
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0 || ::lseek(m_fd, 0, SEEK_END) < 0)
        CloseFile();
}

CLogFile::~CLogFile() {
    CloseFile();
}

void CLogFile::CloseFile() {
    if (m_fd >= 0) {
        ::fsync(m_fd);
        ::close(m_fd);
        m_fd = -1;
    }
}

std::string CLogFile::LocalTimeText() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    if (now == static_cast<std::time_t>(-1) || !::localtime_r(&now, &local))
        return {};
    char buffer[64];
    std::size_t length = std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S ", &local);
    return std::string(buffer, length);
}

std::string CLogFile::FormatRecord(int number, const std::string& timeText,
                                   const std::string& message, const char* sourceFile, int line) {
    char head[16];
    std::snprintf(head, sizeof head, "%5d", number);
    std::string record = head;
    record += '\t';
    record += timeText;
    record += "\t\"";
    record += message;
    record += "\"\tFile:";
    record += sourceFile ? sourceFile : "(null)";
    record += "\tLine:";
    record += std::to_string(line);
    record += "\r\n";
    return record;
}

void CLogFile::Write(int flags, const std::string& message, const char* sourceFile, int line) {
    if (!m_bLogging)
        return;
    ++m_nCount;
    std::string record = FormatRecord(m_nCount, LocalTimeText(), message, sourceFile, line);
    if (flags & kDebugOutput)
        m_debugSink(record);
    if ((flags & kLogFile) && m_fd >= 0) {
        const char* data = record.data();
        std::size_t left = record.size();
        while (left > 0) {
            ssize_t written = ::write(m_fd, data, left);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0) {
                CloseFile();
                break;
            }
            data += written;
            left -= static_cast<std::size_t>(written);
        }
    }
    if (flags & kMessageBox)
        m_messages.show(nullptr, QString::fromStdString(message), QStringLiteral("Message"));
}

} // namespace vidorama
