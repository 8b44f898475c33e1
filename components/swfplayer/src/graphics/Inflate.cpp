#include "graphics/Inflate.h"

#include <algorithm>
#include <limits>
#include <zlib.h>

namespace vidorama::swf {

std::vector<std::uint8_t> InflateBounded(std::span<const std::uint8_t> data, std::size_t maxBytes) {
    // Movie and bitmap limits keep both sizes far below zlib's 32-bit counters.
    constexpr std::size_t kMax = std::numeric_limits<uInt>::max();
    std::vector<std::uint8_t> out(std::min(maxBytes, kMax));
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return {};
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = static_cast<uInt>(std::min(data.size(), kMax));
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    // One call does all the work: it stops at the stream's end, at damage, or
    // when the output is full, and what was written so far is kept.
    inflate(&stream, Z_FINISH);
    out.resize(out.size() - stream.avail_out);
    inflateEnd(&stream);
    return out;
}

} // namespace vidorama::swf
