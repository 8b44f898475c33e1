#include "core/PaletteQuantizer.h"

#include "core/PixelConverter.h"

#include <cstring>

namespace vidorama::encoder {

namespace {

// The classic 8 x 8 ordered-dither matrix: thresholds 0..63 spread so that
// neighbouring pixels never share nearby values.
constexpr std::uint8_t kBayer[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21},
};

constexpr int kOpaqueAlphaThreshold = 128;

// The level a channel value takes under a threshold: the level below it,
// moved up when the value's distance past that level beats the threshold.
std::uint8_t DitheredLevel(int value, int levels, int threshold) {
    const int scaled = value * (levels - 1);
    const int base = scaled / 255;
    const int remainder = scaled % 255;
    // remainder / 255 > (threshold + 0.5) / 64, in integers.
    const bool up = remainder * 128 > (2 * threshold + 1) * 255;
    return static_cast<std::uint8_t>(base + (up ? 1 : 0));
}

std::uint32_t LevelValue(int level, int levels) {
    return static_cast<std::uint32_t>((level * 255 + (levels - 1) / 2) / (levels - 1));
}

} // namespace

PaletteQuantizer::PaletteQuantizer() {
    // Entries past the colour cube are opaque black and unused, so that the
    // last entry is the only transparent one the GIF encoder can find: it
    // marks transparent pixels, and in opaque frames the pixels that did not
    // change since the frame before.
    m_palette.fill(0xff000000u);
    const int greenStride = kBlueLevels;
    const int redStride = kGreenLevels * kBlueLevels;
    for (int t = 0; t < kThresholds; ++t) {
        for (int v = 0; v < 256; ++v) {
            m_red[t][v] = static_cast<std::uint8_t>(DitheredLevel(v, kRedLevels, t) * redStride);
            m_green[t][v] =
                static_cast<std::uint8_t>(DitheredLevel(v, kGreenLevels, t) * greenStride);
            m_blue[t][v] = DitheredLevel(v, kBlueLevels, t);
        }
    }
    for (int r = 0; r < kRedLevels; ++r)
        for (int g = 0; g < kGreenLevels; ++g)
            for (int b = 0; b < kBlueLevels; ++b)
                m_palette[static_cast<std::size_t>(r * redStride + g * greenStride + b)] =
                    0xff000000u | LevelValue(r, kRedLevels) << 16 |
                    LevelValue(g, kGreenLevels) << 8 | LevelValue(b, kBlueLevels);
    m_palette[kTransparentIndex] = 0;
}

Status PaletteQuantizer::quantize(const RawFrameView& source, AVFrame& destination) const {
    if (destination.width != source.width || destination.height != source.height ||
        !destination.data[0] || !destination.data[1])
        return Status::failure(ErrorKind::Unsupported,
                               "A paletted picture must have the frame's own size.");
    const std::size_t rowBytes = static_cast<std::size_t>(source.width) * 4;
    for (int y = 0; y < source.height; ++y) {
        const int sourceRow = source.rows == RowOrder::TopDown ? y : source.height - 1 - y;
        quantizeRow(source.pixels + rowBytes * static_cast<std::size_t>(sourceRow), source.width, y,
                    source.alpha,
                    destination.data[0] + std::ptrdiff_t{destination.linesize[0]} * y);
    }
    std::memcpy(destination.data[1], m_palette.data(), sizeof(m_palette));
    return Status::success();
}

void PaletteQuantizer::quantizeRow(const std::uint8_t* pixels, int width, int y, bool alpha,
                                   std::uint8_t* out) const {
    const std::uint8_t* thresholds = kBayer[y % kDitherSize];
    for (int x = 0; x < width; ++x, pixels += 4) {
        if (alpha && pixels[3] < kOpaqueAlphaThreshold) {
            out[x] = kTransparentIndex;
            continue;
        }
        const int t = thresholds[x % kDitherSize];
        out[x] = static_cast<std::uint8_t>(m_blue[t][pixels[0]] + m_green[t][pixels[1]] +
                                           m_red[t][pixels[2]]);
    }
}

} // namespace vidorama::encoder
