#pragma once

#include "core/Status.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <cstdint>

struct SwsContext;

namespace vidorama::encoder {

// A caller's frame: 32-bit pixels in the byte order blue, green, red, unused,
// rows bottom-up as in a Windows DIB, no padding between rows.
struct RawFrameView {
    const std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
};

enum class RowOrder { TopDown, BottomUp };

// Converts caller frames into an encoder's pixel format and size, scaling when
// the sizes differ. The scaler is kept between frames and rebuilt only when a
// size or format changes.
class PixelConverter {
public:
    PixelConverter() = default;
    PixelConverter(const PixelConverter&) = delete;
    PixelConverter& operator=(const PixelConverter&) = delete;
    ~PixelConverter();

    // Fills destination, which must already own buffers of its format and
    // size. RowOrder::TopDown flips the caller's bottom-up rows, as every
    // codec but uncompressed RGB expects.
    Status convert(const RawFrameView& source, AVFrame& destination, RowOrder order);

private:
    SwsContext* m_context = nullptr;
};

} // namespace vidorama::encoder
