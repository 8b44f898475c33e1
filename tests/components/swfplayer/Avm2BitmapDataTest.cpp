// The pixel work behind ActionScript 3's BitmapData, on its own: Flash's
// rounding of rectangles, its noise sequence, blending, threshold, channel
// copies, hit tests, and the size limits that keep a hostile movie from
// claiming huge bitmaps.

#include "avm2/BitmapPixelOps.h"
#include "swf/Limits.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace vidorama::test {
namespace {

using swf::avm2::BitmapPixels;
using swf::avm2::PixelRect;

TEST(Avm2BitmapData, RoundsRectangleEdgesAsFlashDoes) {
    using swf::avm2::PixelCoordinate;
    EXPECT_EQ(PixelCoordinate(1.6), 2);
    EXPECT_EQ(PixelCoordinate(2.5), 2);
    EXPECT_EQ(PixelCoordinate(0.5), 0);
    EXPECT_EQ(PixelCoordinate(-1.5), -2);
    EXPECT_EQ(PixelCoordinate(std::nan("")), 0);
    // Far values stay far instead of wrapping back into the bitmap.
    EXPECT_EQ(PixelCoordinate(4294967296.0), 2147483648);
    EXPECT_EQ(PixelCoordinate(-std::numeric_limits<double>::infinity()), -2147483648);

    const PixelRect inside = PixelRect{-3, 2, 20, 4}.clipped(10, 10);
    EXPECT_EQ(inside.left, 0);
    EXPECT_EQ(inside.right, 10);
    EXPECT_EQ(inside.height(), 2);
    const PixelRect outside = PixelRect{12, 12, 20, 20}.clipped(10, 10);
    EXPECT_EQ(outside.width(), 0);
    EXPECT_EQ(outside.height(), 0);
}

TEST(Avm2BitmapData, RefusesSizesPastFlashsLimitsAndTheMoviesBudget) {
    using swf::Limits;
    using swf::avm2::BitmapSizeAllowed;
    EXPECT_TRUE(BitmapSizeAllowed(10, 1, 1, 0));
    EXPECT_FALSE(BitmapSizeAllowed(10, 0, 5, 0));
    EXPECT_FALSE(BitmapSizeAllowed(10, 5, -1, 0));
    EXPECT_FALSE(BitmapSizeAllowed(10, std::nan(""), 5, 0));
    // SWF 9 stops at 2880 pixels a side; later versions at 8191 and a
    // pixel count.
    EXPECT_FALSE(BitmapSizeAllowed(9, 2881, 1, 0));
    EXPECT_TRUE(BitmapSizeAllowed(10, 2881, 1, 0));
    EXPECT_FALSE(BitmapSizeAllowed(10, Limits::kMaxBitmapSide + 1, 1, 0));
    EXPECT_FALSE(BitmapSizeAllowed(10, 8191, 8191, 0));
    EXPECT_TRUE(BitmapSizeAllowed(10, 4096, 4095, 0));
    EXPECT_FALSE(BitmapSizeAllowed(10, 4096, 4096, 0));
    EXPECT_FALSE(BitmapSizeAllowed(10, 4096, 4095, Limits::kMaxScriptBitmapPixels - 100));
}

TEST(Avm2BitmapData, NoiseFollowsFlashsSequence) {
    // Flash's own first pixels for noise(0) on a transparent bitmap: only
    // red, green and blue by default, the alpha left opaque.
    BitmapPixels pixels(3, 1, true, 0);
    swf::avm2::FillNoise(pixels, {});
    EXPECT_EQ(pixels.pixel32(0, 0), 0xffa7f1d9u);
    EXPECT_EQ(pixels.pixel32(1, 0), 0xff2a82c8u);

    // A seed below 1 counts as 1 - seed.
    BitmapPixels same(3, 1, true, 0);
    swf::avm2::NoiseSettings one;
    one.seed = 1;
    swf::avm2::FillNoise(same, one);
    EXPECT_EQ(same.pixel32(1, 0), pixels.pixel32(1, 0));

    // Gray draws one value for the three colours; the range holds.
    swf::avm2::NoiseSettings gray;
    gray.seed = 7;
    gray.gray = true;
    gray.low = 100;
    gray.high = 110;
    BitmapPixels grays(8, 8, false, 0);
    swf::avm2::FillNoise(grays, gray);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const std::uint32_t c = grays.pixel32(x, y);
            const std::uint32_t r = c >> 16 & 0xff;
            EXPECT_EQ(c >> 24, 0xffu);
            EXPECT_EQ(c & 0xff, r);
            EXPECT_EQ(c >> 8 & 0xff, r);
            EXPECT_GE(r, 100u);
            EXPECT_LE(r, 110u);
        }
}

TEST(Avm2BitmapData, BlendsOverWithoutLosingWhatATransparentSourceLeaves) {
    using swf::avm2::BlendOver;
    for (std::uint32_t alpha = 0; alpha < 256; alpha += 15)
        EXPECT_EQ(BlendOver(0x00ff0000u, alpha << 24 | 0x336699u), alpha << 24 | 0x336699u);
    EXPECT_EQ(BlendOver(0xff123456u, 0x80ffffffu), 0xff123456u);
    // Half white over opaque black: opaque mid gray.
    const std::uint32_t mixed = BlendOver(0x80ffffffu, 0xff000000u);
    EXPECT_EQ(mixed >> 24, 0xffu);
    EXPECT_NEAR(double(mixed & 0xff), 128, 1);
}

TEST(Avm2BitmapData, ThresholdCountsAndPlacesWhatPasses) {
    BitmapPixels source(2, 2, true, 0xff000000u);
    source.setPixel32(1, 1, 0xffffffffu);
    BitmapPixels target(3, 3, true, 0);
    swf::avm2::ThresholdTest test;
    ASSERT_TRUE(swf::avm2::ParseThresholdOperation("<", test.operation));
    EXPECT_FALSE(swf::avm2::ParseThresholdOperation("equals", test.operation));
    test.threshold = 0xff808080u;
    test.color = 0xffff0000u;
    test.copySource = true;
    const double passed =
        swf::avm2::ApplyThreshold(target, source, PixelRect{0, 0, 2, 2}, 1, 1, test);
    EXPECT_EQ(passed, 3);
    EXPECT_EQ(target.pixel32(0, 0), 0u);
    EXPECT_EQ(target.pixel32(1, 1), 0xffff0000u);
    // The pixel that failed took the source's colour.
    EXPECT_EQ(target.pixel32(2, 2), 0xffffffffu);
}

TEST(Avm2BitmapData, FindsColourBoundsAndCopiesChannels) {
    BitmapPixels pixels(5, 4, true, 0xff000000u);
    pixels.setPixel32(1, 2, 0xffff0000u);
    pixels.setPixel32(3, 1, 0xffff8000u);
    const PixelRect red = swf::avm2::ColorBounds(pixels, 0x00ff0000u, 0x00ff0000u, true);
    EXPECT_EQ(red.left, 1);
    EXPECT_EQ(red.top, 1);
    EXPECT_EQ(red.right, 4);
    EXPECT_EQ(red.bottom, 3);
    const PixelRect none = swf::avm2::ColorBounds(pixels, 0xffffffffu, 0x12345678u, true);
    EXPECT_EQ(none.width(), 0);
    EXPECT_EQ(none.left, 0);

    // Red of the source into the blue of the target.
    BitmapPixels target(5, 4, false, 0xff000000u);
    swf::avm2::CopyOneChannel(target, pixels, PixelRect{0, 0, 5, 4}, 0, 0, 1, 4);
    EXPECT_EQ(target.pixel32(1, 2), 0xff0000ffu);
    EXPECT_EQ(target.pixel32(0, 0), 0xff000000u);
}

TEST(Avm2BitmapData, HitTestsAlphaAgainstAreasAndOtherBitmaps) {
    BitmapPixels pixels(5, 5, true, 0);
    pixels.setPixel32(2, 3, 0xa0ffffffu);
    EXPECT_TRUE(swf::avm2::AnyOpaqueIn(pixels, PixelRect{2, 3, 3, 4}, 0xa0));
    EXPECT_FALSE(swf::avm2::AnyOpaqueIn(pixels, PixelRect{2, 3, 3, 4}, 0xa1));
    EXPECT_FALSE(swf::avm2::AnyOpaqueIn(pixels, PixelRect{10, 10, 11, 11}, 0));

    BitmapPixels other(2, 2, true, 0xffffffffu);
    // Placed at (2, 2), the other covers (2, 3) only from (1, 2) on.
    EXPECT_TRUE(swf::avm2::BitmapsTouch(pixels, 0, 0, 0x80, other, 1, 2, 1));
    EXPECT_FALSE(swf::avm2::BitmapsTouch(pixels, 0, 0, 0x80, other, 3, 2, 1));
    EXPECT_FALSE(swf::avm2::BitmapsTouch(pixels, 0, 0, 0x80, other, -10, 0, 1));
}

TEST(Avm2BitmapData, CountsChannelValuesOfTheRectangle) {
    BitmapPixels pixels(4, 4, false, 0xff102030u);
    pixels.setPixel32(0, 0, 0xff112233u);
    const auto counts = swf::avm2::CountChannels(pixels, PixelRect{0, 0, 2, 2});
    EXPECT_EQ(counts[0][0x10], 3);
    EXPECT_EQ(counts[0][0x11], 1);
    EXPECT_EQ(counts[2][0x33], 1);
    EXPECT_EQ(counts[3][0xff], 4);
}

} // namespace
} // namespace vidorama::test
