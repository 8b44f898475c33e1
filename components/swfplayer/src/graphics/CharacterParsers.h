#pragma once

#include "swf/ByteReader.h"
#include "swf/Character.h"
#include "swf/Result.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace vidorama::swf {

// What the parsers of drawable characters need besides the tag's own bytes.
struct GraphicsParseContext {
    std::uint8_t swfVersion = 10;
    // The movie's JPEGTables, for DefineBits; empty when the movie has none.
    std::span<const std::uint8_t> jpegTables;
    // Decoded bitmap pixels so far, to enforce the movie-wide pixel limit.
    std::uint64_t* totalBitmapPixels = nullptr;
};

// True for the tag codes that ParseGraphicsCharacter understands: shapes 1-4,
// morph shapes 1-2, and every bitmap tag.
bool IsGraphicsCharacterTag(int tagCode);

// Parses one such tag from a view of exactly its body. The character id is the
// body's first field. Edges are turned into closed per-style paths here, once.
Result<std::shared_ptr<const CharacterDef>> ParseGraphicsCharacter(int tagCode, ByteReader body,
                                                                   const GraphicsParseContext& ctx);

} // namespace vidorama::swf
