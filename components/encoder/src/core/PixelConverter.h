#pragma once

#include "core/PaletteQuantizer.h"
#include "core/Status.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <cstdint>

struct SwsContext;

namespace vidorama::encoder {

enum class RowOrder { TopDown, BottomUp };

// A caller's frame: 32-bit pixels in the byte order blue, green, red and a
// fourth byte, no padding between rows. The program hands bottom-up rows, as
// in a Windows DIB, whose fourth byte is unused; the command-line converter
// hands the engine's top-down rows, with straight alpha in the fourth byte
// when the output keeps the movie's transparency.
struct RawFrameView {
    const std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    RowOrder rows = RowOrder::BottomUp;
    bool alpha = false;
};

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
    // size. order is the row order the codec wants: every codec but
    // uncompressed RGB wants top-down rows, so bottom-up frames are flipped.
    // Paletted destinations (GIF) are quantised rather than scaled.
    Status convert(const RawFrameView& source, AVFrame& destination, RowOrder order);

private:
    SwsContext* m_context = nullptr;
    PaletteQuantizer m_quantizer;
};

} // namespace vidorama::encoder
