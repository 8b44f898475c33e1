#pragma once

#include "avm2/BitmapDataArgs.h"
#include "swf/Color.h"

#include <array>
#include <cstdint>
#include <string>

namespace vidorama::swf::avm2 {

// The pixel work of BitmapData's methods, apart from the script values they
// take, so it can be checked by itself. Rectangles may reach outside the
// bitmaps; only what lies inside them is read or changed.

// Runs fn(x, y) over a rectangle already clipped to a bitmap, row by row.
template <typename Fn> void ForEachPixel(const PixelRect& r, Fn fn) {
    for (std::int64_t y = r.top; y < r.bottom; ++y)
        for (std::int64_t x = r.left; x < r.right; ++x)
            fn(static_cast<int>(x), static_cast<int>(y));
}

// A straight colour laid over another (copyPixels with mergeAlpha): a fully
// transparent source leaves what is there as it was.
std::uint32_t BlendOver(std::uint32_t source, std::uint32_t destination);

// How many pixels of the rectangle have each value of red, green, blue and
// alpha, in that order.
std::array<std::array<double, 256>, 4> CountChannels(const BitmapPixels& pixels,
                                                     const PixelRect& r);

struct NoiseSettings {
    int seed = 0;
    std::uint8_t low = 0, high = 255;
    // 1 red, 2 green, 4 blue, 8 alpha.
    std::uint32_t channels = 7;
    bool gray = false;
};
// Flash's noise(): a Park-Miller sequence from the seed, one value per
// channel asked for, pixel by pixel; the same seed gives the same pixels.
void FillNoise(BitmapPixels& pixels, const NoiseSettings& settings);

// colorTransform(): the transform on the straight colours of the rectangle.
void TransformColors(BitmapPixels& pixels, const PixelRect& r, const ColorTransform& transform);

struct ThresholdTest {
    enum class Operation { Less, LessOrEqual, Greater, GreaterOrEqual, Equal, NotEqual };
    Operation operation = Operation::Equal;
    std::uint32_t threshold = 0, color = 0, mask = 0xffffffffu;
    bool copySource = false;
};
// "<", "<=", ">", ">=", "==" or "!="; false for anything else.
bool ParseThresholdOperation(const std::string& text, ThresholdTest::Operation& operation);
// threshold(): the pixels of the source rectangle that pass take the colour
// at (toX, toY) on; the others keep theirs or take the source's. Gives how
// many passed.
double ApplyThreshold(BitmapPixels& pixels, const BitmapPixels& source, const PixelRect& r,
                      std::int64_t toX, std::int64_t toY, const ThresholdTest& test);

// getColorBoundsRect(): the smallest rectangle holding every pixel whose
// colour under the mask is (or, without find, is not) the colour; empty at
// the origin when there is none, or when only the origin's pixel matches.
PixelRect ColorBounds(const BitmapPixels& pixels, std::uint32_t mask, std::uint32_t color,
                      bool find);

// copyChannel(): one channel (1 red, 2 green, 4 blue, 8 alpha) of the source
// rectangle into one channel at (toX, toY) on.
void CopyOneChannel(BitmapPixels& pixels, const BitmapPixels& source, const PixelRect& r,
                    std::int64_t toX, std::int64_t toY, std::uint32_t from, std::uint32_t to);

// hitTest(): whether a pixel of the rectangle (in the bitmap's own space)
// has at least the alpha.
bool AnyOpaqueIn(const BitmapPixels& pixels, const PixelRect& r, std::uint32_t alpha);
// hitTest() of two bitmaps placed at their points: whether a pixel of one
// with its alpha lies on a pixel of the other with its own.
bool BitmapsTouch(const BitmapPixels& first, std::int64_t firstX, std::int64_t firstY,
                  std::uint32_t firstAlpha, const BitmapPixels& second, std::int64_t secondX,
                  std::int64_t secondY, std::uint32_t secondAlpha);

} // namespace vidorama::swf::avm2
