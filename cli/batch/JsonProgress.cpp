#include "batch/JsonProgress.h"

#include <cstdio>

namespace vidorama::cli {

namespace {

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

template <typename T> std::string OrNull(const std::optional<T>& value) {
    if (!value)
        return "null";
    if constexpr (std::is_floating_point_v<T>)
        return Number(*value);
    else
        return std::to_string(*value);
}

} // namespace

std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            quoted += escaped;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

void JsonProgress::refused(const std::string& line) {
    std::lock_guard lock(m_mutex);
    m_err << "vidorama-convert: skipped " << line << "\n" << std::flush;
    m_out << "{\"event\":\"refused\",\"error\":" << JsonString(line) << "}\n" << std::flush;
}

void JsonProgress::started(std::size_t job, const JobSpec& jobSpec,
                           std::optional<std::int64_t> totalFrames) {
    std::lock_guard lock(m_mutex);
    Running& running = m_running[job];
    running.input = jobSpec.input;
    running.stats.total = totalFrames;
}

void JsonProgress::framesWritten(std::size_t job, std::int64_t frames) {
    std::lock_guard lock(m_mutex);
    Running& running = m_running[job];
    running.stats.frames = frames;
    if (running.throttle.due())
        writeProgress(job, running);
}

void JsonProgress::writeProgress(std::size_t job, const Running& running) {
    m_out << "{\"event\":\"progress\",\"job\":" << job << ",\"input\":" << JsonString(running.input)
          << ",\"frame\":" << running.stats.frames << ",\"total\":" << OrNull(running.stats.total)
          << ",\"fps\":" << Number(running.stats.framesPerSecond())
          << ",\"eta\":" << OrNull(running.stats.etaSeconds()) << "}\n"
          << std::flush;
}

void JsonProgress::finished(std::size_t job, const JobSpec& jobSpec, const JobResult& result) {
    std::lock_guard lock(m_mutex);
    auto running = m_running.find(job);
    if (running != m_running.end()) {
        running->second.stats.total = result.frames;
        running->second.stats.frames = result.frames;
        if (result.ok)
            writeProgress(job, running->second);
    }
    if (result.ok) {
        m_out << "{\"event\":\"done\",\"job\":" << job << ",\"input\":" << JsonString(jobSpec.input)
              << ",\"output\":" << JsonString(jobSpec.output) << ",\"frames\":" << result.frames
              << ",\"seconds\":" << Number(result.outputSeconds)
              << ",\"note\":" << (result.message.empty() ? "null" : JsonString(result.message))
              << "}\n";
    } else {
        m_err << FailureLine(jobSpec, result.message) << "\n" << std::flush;
        m_out << "{\"event\":\"failed\",\"job\":" << job
              << ",\"input\":" << JsonString(jobSpec.input)
              << ",\"error\":" << JsonString(result.message) << "}\n";
    }
    m_out << std::flush;
    if (running != m_running.end())
        m_running.erase(running);
}

} // namespace vidorama::cli
