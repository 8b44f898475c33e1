#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vidorama::swf {

// The outcome of a bounded decompression. A stream that breaks off or turns
// corrupt part way keeps the bytes decoded before the damage, so that a movie
// can still be shown up to that point; damage says what went wrong.
struct Decompressed {
    std::vector<std::uint8_t> bytes;
    bool complete = false;
    std::string damage;
};

// Inflates a zlib stream, writing at most maxOutput bytes. Reaching maxOutput
// counts as complete: the declared movie length is the authority, and data
// beyond it is ignored.
Decompressed InflateZlib(std::span<const std::uint8_t> input, std::size_t maxOutput);

// Decodes the LZMA data of a "ZWS" movie: five bytes of LZMA properties and
// then the raw LZMA1 stream, without the size field of the .lzma file format.
Decompressed DecodeSwfLzma(std::span<const std::uint8_t> properties,
                           std::span<const std::uint8_t> input, std::size_t maxOutput);

} // namespace vidorama::swf
