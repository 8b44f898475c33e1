// Blend formulas, Flash's box blur and the filters, on single pixels and
// tiny layers whose results are worked out by hand.

#include "graphics/BlendCompositor.h"
#include "graphics/BoxBlur.h"
#include "graphics/FilterRunner.h"
#include "graphics/ShadowFilters.h"
#include "swf/Limits.h"

#include <QImage>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

using namespace vidorama;
using swf::BlendMode;

namespace {

testing::AssertionResult SamePixel(QRgb actual, QRgb expected, int tolerance = 1) {
    for (int shift = 0; shift < 32; shift += 8) {
        int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
        if (std::abs(a - e) > tolerance)
            return testing::AssertionFailure()
                   << std::hex << "0x" << actual << " is not 0x" << expected;
    }
    return testing::AssertionSuccess();
}

// Premultiplied pixels written as straight colours, for readability.
QRgb Pm(int r, int g, int b, int a = 255) {
    return qPremultiply(qRgba(r, g, b, a));
}

TEST(BlendFormulas, OpaquePixelsCombineChannelByChannel) {
    QRgb s = Pm(200, 100, 50), d = Pm(100, 200, 255);
    EXPECT_TRUE(SamePixel(swf::BlendPixel(BlendMode::Multiply, s, d), Pm(78, 78, 50)));
    EXPECT_TRUE(SamePixel(swf::BlendPixel(BlendMode::Screen, s, d), Pm(222, 222, 255)));
    EXPECT_TRUE(SamePixel(swf::BlendPixel(BlendMode::Lighten, s, d), Pm(200, 200, 255)));
    EXPECT_TRUE(SamePixel(swf::BlendPixel(BlendMode::Darken, s, d), Pm(100, 100, 50)));
    EXPECT_TRUE(SamePixel(swf::BlendPixel(BlendMode::Difference, s, d), Pm(100, 100, 205)));
    EXPECT_TRUE(SamePixel(swf::BlendPixel(BlendMode::Add, s, d), Pm(255, 255, 255)));
    EXPECT_TRUE(SamePixel(swf::BlendPixel(BlendMode::Subtract, s, d), Pm(0, 100, 205)));
    EXPECT_TRUE(SamePixel(swf::BlendPixel(BlendMode::Invert, s, d), Pm(155, 55, 0)));
    // Overlay looks at what is beneath, hard light at the object: 2sd below
    // the middle, 1 - 2(1-s)(1-d) above it.
    EXPECT_TRUE(SamePixel(swf::BlendPixel(BlendMode::Overlay, s, d), Pm(157, 188, 255)));
    EXPECT_TRUE(SamePixel(swf::BlendPixel(BlendMode::HardLight, s, d), Pm(188, 157, 100)));
}

TEST(BlendFormulas, AlphaAndEraseKeepOrRemoveWhatIsBeneath) {
    QRgb half = Pm(10, 20, 30, 128), d = Pm(100, 200, 250);
    EXPECT_TRUE(SamePixel(swf::BlendPixel(BlendMode::Alpha, half, d), Pm(100, 200, 250, 128)));
    EXPECT_TRUE(SamePixel(swf::BlendPixel(BlendMode::Erase, half, d), Pm(100, 200, 250, 127)));
}

TEST(BlendFormulas, TranslucentPixelsWeighByWhatEachSideCovers) {
    // Half an object over half a background: each keeps the quarter only it
    // covers, and the quarter both cover takes the blend.
    QRgb s = Pm(255, 0, 0, 128), d = Pm(0, 0, 255, 128);
    QRgb multiplied = swf::BlendPixel(BlendMode::Multiply, s, d);
    EXPECT_TRUE(SamePixel(multiplied, qRgba(64, 0, 64, 192)));
    // A transparent object leaves everything alone; over nothing, the object
    // shows as it is, but Invert shows white.
    EXPECT_EQ(swf::BlendPixel(BlendMode::Difference, 0, d), d);
    EXPECT_TRUE(SamePixel(swf::BlendPixel(BlendMode::Difference, s, 0), s));
    EXPECT_TRUE(SamePixel(swf::BlendPixel(BlendMode::Invert, s, 0), Pm(255, 255, 255, 128)));
}

TEST(BoxBlur, KernelsWeighTheirFractionalEdge) {
    EXPECT_TRUE(swf::BoxKernel::forSize(1).identity());
    swf::BoxKernel five = swf::BoxKernel::forSize(5);
    EXPECT_EQ(five.inner, 1);
    EXPECT_EQ(five.edgeWeight, 255);
    EXPECT_EQ(five.reach(), 2);
    swf::BoxKernel four = swf::BoxKernel::forSize(4);
    EXPECT_EQ(four.inner, 1);
    EXPECT_EQ(four.edgeWeight, 127);
    swf::BlurFilter twoPasses{5, 4, 2};
    EXPECT_EQ(swf::ReachOf(twoPasses).x, 4);
    EXPECT_EQ(swf::ReachOf(twoPasses).y, 4);
}

TEST(BoxBlur, APassSpreadsAPixelEvenlyOverTheBox) {
    // One 255 sample blurred by a 5-wide box: five samples of 51.
    std::vector<std::uint8_t> line(9, 0);
    line[4] = 255;
    swf::BoxBlur(line.data(), 9, 1, 9, 1, swf::BlurFilter{5, 1, 1});
    EXPECT_EQ(line, (std::vector<std::uint8_t>{0, 0, 51, 51, 51, 51, 51, 0, 0}));
    // A 4-wide box: half weight at the ends, 255 / 4 = 64 inside, 32 outside.
    std::vector<std::uint8_t> even(9, 0);
    even[4] = 255;
    swf::BoxBlur(even.data(), 9, 1, 9, 1, swf::BlurFilter{4, 1, 1});
    EXPECT_EQ(even, (std::vector<std::uint8_t>{0, 0, 32, 64, 64, 64, 32, 0, 0}));
}

TEST(BoxBlur, PassesRepeatTheBoxInBothDirections) {
    // 3 x 3 box twice over one pixel: 1 2 3 2 1 / 9 in each direction.
    constexpr int kSide = 7;
    std::vector<std::uint8_t> plane(kSide * kSide, 0);
    plane[3 * kSide + 3] = 243;
    swf::BoxBlur(plane.data(), kSide, kSide, kSide, 1, swf::BlurFilter{3, 3, 2});
    EXPECT_EQ(plane[3 * kSide + 3], 27); // 243 * 3/9 * 3/9
    EXPECT_EQ(plane[3 * kSide + 1], 9);  // 243 * 1/9 * 3/9
    EXPECT_EQ(plane[1 * kSide + 1], 3);  // 243 * 1/9 * 1/9
    EXPECT_EQ(plane[0], 0);
}

// A 20 x 20 layer with an opaque white 4 x 4 square at (8, 8).
QImage SquareLayer() {
    QImage layer(20, 20, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    for (int y = 8; y < 12; ++y)
        for (int x = 8; x < 12; ++x)
            layer.setPixel(x, y, 0xFFFFFFFF);
    return layer;
}

TEST(Filters, ADropShadowLiesBeneathTheObjectMovedByItsOffset) {
    QImage layer = SquareLayer();
    swf::ShadowFilter shadow;
    shadow.color = {0, 0, 0, 255};
    shadow.blur = {1, 1, 1};
    shadow.angle = 0;
    shadow.distance = 3;
    swf::FilterBudget budget;
    QRect covered = swf::ApplyFilters(layer, QRect(8, 8, 4, 4), {shadow}, budget);
    EXPECT_EQ(covered, QRect(8, 8, 7, 4));
    EXPECT_EQ(layer.pixel(9, 9), 0xFFFFFFFF) << "the object stays on top";
    EXPECT_EQ(layer.pixel(13, 9), 0xFF000000) << "the shadow shows beside it";
    EXPECT_EQ(layer.pixel(16, 9), 0u);
}

TEST(Filters, KnockoutAndHiddenObjectsLeaveOnlyTheGlow) {
    swf::ShadowFilter glow;
    glow.color = {255, 0, 0, 255};
    glow.blur = {3, 3, 1};
    glow.strength = 2;
    glow.knockout = true;
    QImage layer = SquareLayer();
    swf::FilterBudget budget;
    swf::ApplyFilters(layer, QRect(8, 8, 4, 4), {glow}, budget);
    EXPECT_EQ(layer.pixel(9, 9), 0u) << "knocked out";
    // Beside the square the blurred edge is 1/3 covered, twice as strong.
    EXPECT_TRUE(SamePixel(layer.pixel(7, 9), Pm(255, 0, 0, 170), 2));

    glow.knockout = false;
    glow.hideObject = true;
    layer = SquareLayer();
    swf::ApplyFilters(layer, QRect(8, 8, 4, 4), {glow}, budget);
    EXPECT_EQ(layer.pixel(9, 9), 0xFFFF0000) << "the glow replaces the object";
}

TEST(Filters, AnInnerBevelLightsTheEdgesFacingTheLight) {
    swf::BevelFilter bevel;
    bevel.highlight = {255, 255, 255, 255};
    bevel.shadow = {0, 0, 0, 255};
    bevel.blur = {1, 1, 1};
    bevel.distance = 1;
    bevel.angle = std::numbers::pi / 4;
    bevel.inner = true;
    QImage layer(20, 20, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    for (int y = 8; y < 12; ++y)
        for (int x = 8; x < 12; ++x)
            layer.setPixel(x, y, 0xFF808080);
    swf::FilterBudget budget;
    swf::ApplyFilters(layer, QRect(8, 8, 4, 4), {bevel}, budget);
    EXPECT_EQ(layer.pixel(8, 8), 0xFFFFFFFF) << "top left lit";
    EXPECT_EQ(layer.pixel(11, 11), 0xFF000000) << "bottom right shaded";
    EXPECT_EQ(layer.pixel(9, 9), 0xFF808080) << "the middle untouched";
    EXPECT_EQ(layer.pixel(7, 7), 0u) << "an inner bevel stays on the object";
}

TEST(Filters, WorkBeyondTheFramesBudgetIsSkipped) {
    QImage layer = SquareLayer();
    swf::FilterBudget budget;
    ASSERT_TRUE(budget.spend(swf::Limits::kMaxFilterWorkPerFrame - 10));
    QRect covered = swf::ApplyFilters(layer, QRect(8, 8, 4, 4), {swf::BlurFilter{9, 9, 3}}, budget);
    EXPECT_EQ(covered, QRect(8, 8, 4, 4));
    EXPECT_EQ(layer.pixel(9, 9), 0xFFFFFFFF);
}

TEST(Filters, ATotalAllowanceSpansFramesAndOnceSpentStopsEveryFilter) {
    swf::FilterBudget budget;
    budget.setTotalAllowance(100);
    EXPECT_TRUE(budget.spend(60));
    budget.reset(); // the next frame
    EXPECT_FALSE(budget.spend(50));
    EXPECT_TRUE(budget.allowanceRanOut());
    // Work that would still fit is refused too, so that filters do not come
    // and go from frame to frame.
    budget.reset();
    EXPECT_FALSE(budget.spend(10));
}

} // namespace
