#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace vidorama {

// One zlib stream per frame at the default level. Both return the zlib status
// (Z_OK on success) and the produced length through outLength.
int PackFrame(const std::uint8_t* raw, std::size_t rawLength, std::uint8_t* out,
              std::size_t capacity, std::size_t& outLength);
int UnpackFrame(const std::uint8_t* packed, std::size_t packedLength, std::uint8_t* out,
                std::size_t capacity, std::size_t& outLength);

// Inflates the zlib stream that starts at the source's current position into
// the target, in chunks of 16,384 bytes. Returns 0 at the stream's end; the
// error of inflateInit; -1 when reading or writing fails; Z_DATA_ERROR when
// the stream wants a preset dictionary or the source ends early; otherwise
// inflate's own Z_DATA_ERROR or Z_MEM_ERROR. Output beyond maxOutput bytes
// counts as a failed write, so a hostile stream cannot fill the disk.
int InflateFileToFile(std::FILE* source, std::FILE* target, std::uint64_t maxOutput = UINT64_MAX);

} // namespace vidorama
