#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vidorama::encoder {

// Why an encoder operation failed. The interface layer turns these into
// HRESULTs; the command-line converter prints the message.
enum class ErrorKind { InvalidArgument, NotOpen, Unsupported, Io, Codec, OutOfMemory };

// The result of an encoder operation: success, or a failure with a kind and a
// message that says what went wrong in words a log reader can act on.
class [[nodiscard]] Status {
public:
    static Status success() { return Status(); }
    static Status failure(ErrorKind kind, std::string message);
    // Describes a failed FFmpeg call: what was being done and FFmpeg's own text.
    static Status fromAvError(std::string_view what, int averror);

    bool ok() const { return !m_kind.has_value(); }
    ErrorKind kind() const { return m_kind.value_or(ErrorKind::Codec); }
    const std::string& message() const { return m_message; }

private:
    Status() = default;

    std::optional<ErrorKind> m_kind;
    std::string m_message;
};

} // namespace vidorama::encoder
