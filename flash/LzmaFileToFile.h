#pragma once

#include <cstdint>
#include <cstdio>

namespace vidorama {

// Decodes the LZMA body of a "ZWS" movie, which starts at the source's current
// position with the 5 property bytes, into the target. bodyLength is the
// movie's declared length less its 8-byte header: the decoder stops there and
// refuses a body that would produce more. Returns 0 when exactly bodyLength
// bytes were produced, -1 on a read or write failure, Z_DATA_ERROR (-3) when
// the data is damaged or ends early.
int LzmaFileToFile(std::FILE* source, std::FILE* target, std::uint64_t bodyLength);

} // namespace vidorama
