#pragma once

#include "swf/Geometry.h"
#include "swf/Result.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace vidorama::swf {

enum class Compression { None, Zlib, Lzma };

struct SwfHeader {
    Compression compression = Compression::None;
    std::uint8_t version = 0;
    // The uncompressed length of the whole movie, its 8-byte signature included.
    std::uint32_t declaredLength = 0;
    Rect frameRect;
    // Frames per second, read from 8.8 fixed point.
    double frameRate = 0;
    std::uint16_t frameCount = 0;
};

// A movie's uncompressed contents: the header and the bytes of its tag stream.
// When the file is damaged (it ends early, or its compressed data breaks off),
// data holds what could be read and damage says why the rest is missing.
struct SwfFile {
    SwfHeader header;
    // The uncompressed movie from its first byte; the tag stream starts at
    // tagsOffset. Shared so that the parsed movie can keep views into it.
    std::shared_ptr<const std::vector<std::uint8_t>> data;
    std::size_t tagsOffset = 0;
    std::string damage;

    std::span<const std::uint8_t> tagStream() const {
        return std::span<const std::uint8_t>(*data).subspan(tagsOffset);
    }
};

// Reads the signature, decompresses as the signature says (bounded by the
// declared length and Limits), and reads the header fields.
Result<SwfFile> ReadSwf(std::span<const std::uint8_t> file);

// Reads a whole file, refusing files larger than any movie we accept.
Result<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path);

} // namespace vidorama::swf
