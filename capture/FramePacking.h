#pragma once

#include <cstddef>
#include <cstdint>

namespace vidorama {

// One zlib stream per frame at the default level. Both return the zlib status
// (Z_OK on success) and the produced length through outLength.
int PackFrame(const std::uint8_t* raw, std::size_t rawLength, std::uint8_t* out,
              std::size_t capacity, std::size_t& outLength);
int UnpackFrame(const std::uint8_t* packed, std::size_t packedLength, std::uint8_t* out,
                std::size_t capacity, std::size_t& outLength);

} // namespace vidorama
