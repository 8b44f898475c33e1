#pragma once

#include "swf/ByteReader.h"
#include "swf/Result.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace vidorama::swf {

// One tag: its code and a view of exactly its declared body.
struct Tag {
    int code = 0;
    std::span<const std::uint8_t> body;
    // Where the tag's header and its body start, counted in the uncompressed
    // movie.
    std::size_t offset = 0;
    std::size_t bodyOffset = 0;

    ByteReader reader() const { return ByteReader(body); }
};

// Walks a tag stream (the movie's, or a sprite's). It stops at the End tag, at
// the end of the data, or at the first tag whose declared length runs past the
// data; in the last case damage() says so and no further tag is returned.
class TagReader {
public:
    // streamOffset is where the stream starts in the uncompressed movie, so
    // that tag offsets and errors point at the right byte.
    TagReader(std::span<const std::uint8_t> stream, std::size_t streamOffset)
        : m_reader(stream), m_streamOffset(streamOffset) {}

    std::optional<Tag> next();
    const std::optional<Error>& damage() const { return m_damage; }
    // True when the stream ended with an End tag or exactly at its last byte.
    bool endedCleanly() const { return m_done && !m_damage; }

private:
    ByteReader m_reader;
    std::size_t m_streamOffset;
    std::optional<Error> m_damage;
    bool m_done = false;
};

} // namespace vidorama::swf
