// Smoothed bitmap samples come out the same whichever way they are worked
// out: the SIMD mix of two bitmap rows against one column at a time, and the
// run of samples that stays inside the bitmap against those that wrap round
// its edges.

#include "graphics/BitmapDef.h"
#include "graphics/FillShader.h"
#include "graphics/PixelLanes.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace vidorama::test {
namespace {

// A premultiplied pixel: no channel above its alpha.
QRgb RandomPixel(std::mt19937& random) {
    const auto alpha = static_cast<int>(random() % 256);
    auto channel = [&] {
        return static_cast<int>(random() % static_cast<unsigned>(alpha + 1));
    };
    return qRgba(channel(), channel(), channel(), alpha);
}

bool operator==(const swf::PixelLanes& a, const swf::PixelLanes& b) {
    return a.blueRed == b.blueRed && a.greenAlpha == b.greenAlpha;
}

TEST(BitmapSampling, RowsMixedTogetherMatchMixingOneColumnAtATime) {
    std::mt19937 random(7);
    std::vector<QRgb> top(9), bottom(9);
    // The extremes, where a 16-bit lane would overflow if it could.
    top[0] = 0xFFFFFFFF;
    bottom[0] = 0xFFFFFFFF;
    for (std::size_t x = 1; x < top.size(); ++x) {
        top[x] = RandomPixel(random);
        bottom[x] = RandomPixel(random);
    }
    for (int weight = 0; weight < 256; ++weight) {
        // Odd counts leave a column for the scalar tail.
        for (int count = 0; count <= static_cast<int>(top.size()); ++count) {
            std::vector<swf::PixelLanes> simd(top.size()), scalar(top.size());
            swf::MixRowPair(top.data(), bottom.data(), weight, count, simd.data());
            swf::MixRowPairScalar(top.data(), bottom.data(), weight, count, scalar.data());
            for (int x = 0; x < count; ++x)
                ASSERT_TRUE(simd[static_cast<std::size_t>(x)] ==
                            scalar[static_cast<std::size_t>(x)])
                    << "weight " << weight << " count " << count << " column " << x;
        }
    }
}

// A repeating smoothed fill of a 16 x 16 bitmap, drawn sx times as wide and
// 4 times as high; sx is a power of two, so that every position is exact.
std::unique_ptr<swf::FillShader> Tiled(const swf::BitmapDef& bitmap, double sx) {
    swf::FillStyle fill;
    fill.type = swf::FillType::Bitmap;
    fill.bitmapRepeats = true;
    fill.bitmapSmoothed = true;
    fill.matrix = swf::Matrix::scale(sx, 4);
    return swf::MakeBitmapShader(fill, {}, QTransform(), &bitmap);
}

TEST(BitmapSampling, SamplesInsideTheBitmapMatchThoseThatWrapRoundIt) {
    std::mt19937 random(11);
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, RandomPixel(random));
    const swf::BitmapDef bitmap(1, image);
    for (double sx : {4.0, 2.0, -4.0}) {
        const auto shader = Tiled(bitmap, sx);
        ASSERT_NE(shader, nullptr);
        // Pixels 8 to 27 (or their mirror) sample within the bitmap's
        // columns 1 to 14 and are worked out as one run; starting one tile
        // (16 * |sx| pixels) earlier, the row crosses the bitmap's edge and
        // wraps round it.
        const int tile = static_cast<int>(16 * std::abs(sx));
        const int start = sx > 0 ? 8 : -28;
        for (int y : {5, 10, 33}) {
            std::vector<QRgb> inside(20), wrapping(static_cast<std::size_t>(tile + 20));
            shader->shadeRow(start, y, 20, inside.data());
            shader->shadeRow(start - tile, y, tile + 20, wrapping.data());
            for (std::size_t i = 0; i < inside.size(); ++i)
                EXPECT_EQ(inside[i], wrapping[static_cast<std::size_t>(tile) + i])
                    << "scale " << sx << " row " << y << " pixel " << i;
        }
    }
}

} // namespace
} // namespace vidorama::test
