#pragma once

#include "swf/ByteReader.h"
#include "swf/Result.h"

#include <QImage>
#include <cstdint>

namespace vidorama::swf {

// Decodes the body of DefineBitsLossless (withAlpha false) or
// DefineBitsLossless2 (true) after the character id: 8-bit palette, 15-bit
// and 32-bit formats. The result is premultiplied, as the alpha variant
// already stores it. totalPixels is checked against the movie-wide limit.
Result<QImage> DecodeLossless(ByteReader& body, bool withAlpha, std::uint64_t* totalPixels);

} // namespace vidorama::swf
