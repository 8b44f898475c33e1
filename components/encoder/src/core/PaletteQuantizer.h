#pragma once

#include "core/Status.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <array>
#include <cstdint>

namespace vidorama::encoder {

struct RawFrameView;

// Turns 32-bit frames into 8-bit paletted pictures for GIF, which FFmpeg's
// scaler cannot produce. Every frame gets the same palette: six levels of
// red, seven of green and six of blue, with an ordered dither for the colours
// in between, and one fully transparent entry. A fixed palette keeps
// colours from flickering between frames, lets the GIF encoder code only
// what changed, and needs no look at frames yet to come, so frames stream.
class PaletteQuantizer {
public:
    PaletteQuantizer();

    // destination must be a PAL8 frame of the source's size with its buffers.
    // Pixels under half opacity become the transparent entry when the source
    // carries alpha.
    Status quantize(const RawFrameView& source, AVFrame& destination) const;

    static constexpr int kRedLevels = 6;
    static constexpr int kGreenLevels = 7;
    static constexpr int kBlueLevels = 6;
    static constexpr std::uint8_t kTransparentIndex = 255;

    // The palette as FFmpeg's PAL8 frames carry it: 0xAARRGGBB per entry.
    const std::array<std::uint32_t, 256>& palette() const { return m_palette; }

private:
    static constexpr int kDitherSize = 8;
    static constexpr int kThresholds = kDitherSize * kDitherSize;

    void quantizeRow(const std::uint8_t* pixels, int width, int y, bool alpha,
                     std::uint8_t* out) const;

    std::array<std::uint32_t, 256> m_palette{};
    // Per dither threshold and channel value, that channel's share of the
    // palette index, so that a pixel costs three look-ups and two additions.
    std::array<std::array<std::uint8_t, 256>, kThresholds> m_red{}, m_green{}, m_blue{};
};

} // namespace vidorama::encoder
