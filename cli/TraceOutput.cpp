#include "TraceOutput.h"

#include <cerrno>
#include <cstring>

namespace vidorama::cli {

TraceOutput::TraceOutput(const std::string& path) {
    if (path == "-") {
        m_file = stdout;
        return;
    }
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file) {
        m_error = "cannot write the trace to " + path + ": " + std::strerror(errno);
        return;
    }
    m_ownsFile = true;
}

TraceOutput::~TraceOutput() {
    if (m_ownsFile)
        std::fclose(m_file);
}

void TraceOutput::write(const std::string& text) {
    if (!m_file)
        return;
    std::string line = text + '\n';
    std::lock_guard<std::mutex> hold(m_lock);
    std::fwrite(line.data(), 1, line.size(), m_file);
    std::fflush(m_file);
}

std::function<void(const std::string&)> TraceOutput::handler() {
    return [this](const std::string& text) {
        write(text);
    };
}

} // namespace vidorama::cli
