#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace vidorama::swf {

// What went wrong while reading a movie, with enough context to find the spot.
struct Error {
    enum class Category { Io, Format, Truncated, Unsupported, LimitExceeded };

    Category category = Category::Format;
    std::string message;
    int tagCode = -1;         // the tag being read, or -1 outside any tag
    std::int64_t offset = -1; // byte offset in the uncompressed movie, or -1
};

Error MakeError(Error::Category category, std::string message, int tagCode = -1,
                std::int64_t offset = -1);

// A value or the error that kept it from being made.
template <typename T> class Result {
public:
    Result(T value) : m_state(std::move(value)) {}
    Result(Error error) : m_state(std::move(error)) {}

    bool ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<T>(m_state); }
    const T& value() const& { return std::get<T>(m_state); }
    T&& value() && { return std::get<T>(std::move(m_state)); }
    const Error& error() const { return std::get<Error>(m_state); }

private:
    std::variant<T, Error> m_state;
};

} // namespace vidorama::swf
