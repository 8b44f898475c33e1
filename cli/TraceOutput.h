#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace vidorama::cli {

// Where the lines a movie's scripts trace() go: a file, or standard output
// for "-". Each line is written and flushed as it comes, so that a user
// watching the file sees a script's progress even if the conversion fails.
class TraceOutput {
public:
    // Opens the destination; check error() before use.
    explicit TraceOutput(const std::string& path);
    ~TraceOutput();
    TraceOutput(const TraceOutput&) = delete;
    TraceOutput& operator=(const TraceOutput&) = delete;

    // Why the destination could not be opened, or "".
    const std::string& error() const { return m_error; }
    // Writes one traced line.
    void write(const std::string& text);
    // A handler for the player that writes here.
    std::function<void(const std::string&)> handler();

private:
    std::FILE* m_file = nullptr;
    bool m_ownsFile = false;
    std::string m_error;
    std::mutex m_lock;
};

} // namespace vidorama::cli
