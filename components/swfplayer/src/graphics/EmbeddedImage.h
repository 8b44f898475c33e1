#pragma once

#include "swf/Result.h"

#include <QImage>
#include <cstdint>
#include <span>
#include <vector>

namespace vidorama::swf {

// Joins a movie's JPEGTables (may be empty) and a JPEG image into one stream a
// decoder accepts. Flash tolerates end-of-image/start-of-image pairs before
// the image's scan, which old tools wrote at the start of the data and between
// tables and image; decoders refuse them, so they are dropped here.
std::vector<std::uint8_t> JoinJpegStream(std::span<const std::uint8_t> tables,
                                         std::span<const std::uint8_t> image);

// Decodes the image data of DefineBits and DefineBitsJPEG2/3/4: JPEG, or PNG
// or GIF89a in movies of version 8 and later. The size is checked against the
// bitmap limits before any pixel is decoded. The result is premultiplied.
Result<QImage> DecodeEmbeddedImage(std::span<const std::uint8_t> data);

// Checks a bitmap's size against the limits of one bitmap and of the whole
// movie (when totalPixels is given, it is also increased by this bitmap).
bool BitmapSizeAllowed(std::int64_t width, std::int64_t height, std::uint64_t* totalPixels);

} // namespace vidorama::swf
