#pragma once

#include <functional>
#include <string>

namespace vidorama {

class MessageBoxes;

// Records failure messages in any combination of three places, chosen per
// call: the debugger output (flag 2), the log file (flag 4) and a message box
// captioned "Message" (flag 8). A log file that cannot be opened or written
// turns file output off for the rest of the run, silently.
class CLogFile {
public:
    enum Flags { kDebugOutput = 2, kLogFile = 4, kMessageBox = 8 };

    using DebugSink = std::function<void(const std::string& record)>;

    // logPath empty: the log file's place could not be determined; file
    // output stays off. The debug sink defaults to standard error.
    CLogFile(std::string logPath, MessageBoxes& messages, DebugSink debugSink = {});
    ~CLogFile();
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;

    void Enable(bool enabled) { m_bLogging = enabled; }
    void Write(int flags, const std::string& message, const char* sourceFile, int line);

    bool FileOpen() const { return m_fd >= 0; }

    // "%5d\t%s\t\"%s\"\tFile:%s\tLine:%d\r\n" with the given time text.
    static std::string FormatRecord(int number, const std::string& timeText,
                                    const std::string& message, const char* sourceFile, int line);
    // The local time as "%Y-%m-%d %H:%M:%S " (trailing blank), or "".
    static std::string LocalTimeText();

private:
    void CloseFile();

    bool m_bLogging = true;
    int m_nCount = 1;
    int m_fd = -1;
    MessageBoxes& m_messages;
    DebugSink m_debugSink;
};

} // namespace vidorama
