#pragma once

#include <cstdint>
#include <string>

namespace vidorama {

// What the header probe learns of a movie before it is loaded.
struct MovieProbe {
    std::int32_t width = 0;  // Xmax / 20
    std::int32_t height = 0; // Ymax / 20
};

// Checks that the file is a SWF movie whose header is consistent ("FWS" with
// the declared length, "CWS" whose zlib body or "ZWS" whose LZMA body unpacks
// to it) and reads the frame size. A compressed body, no larger than the
// engine's movie limit, is unpacked into a "~REELCAP" temporary file that is
// removed on every path. False also when the size exceeds the given maximum;
// the size is filled in whenever it was read.
bool ProbeMovieFile(const std::string& path, std::uint32_t maxWidth, std::uint32_t maxHeight,
                    MovieProbe& probe);

} // namespace vidorama
