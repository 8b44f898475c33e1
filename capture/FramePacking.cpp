#include "capture/FramePacking.h"

#include <zlib.h>

namespace vidorama {

int PackFrame(const std::uint8_t* raw, std::size_t rawLength, std::uint8_t* out,
              std::size_t capacity, std::size_t& outLength) {
    uLongf length = static_cast<uLongf>(capacity);
    int status = ::compress(out, &length, raw, static_cast<uLong>(rawLength));
    outLength = status == Z_OK ? static_cast<std::size_t>(length) : 0;
    return status;
}

int UnpackFrame(const std::uint8_t* packed, std::size_t packedLength, std::uint8_t* out,
                std::size_t capacity, std::size_t& outLength) {
    uLongf length = static_cast<uLongf>(capacity);
    int status = ::uncompress(out, &length, packed, static_cast<uLong>(packedLength));
    outLength = status == Z_OK ? static_cast<std::size_t>(length) : 0;
    return status;
}

} // namespace vidorama
