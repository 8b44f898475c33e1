// How edges, strokes and their ends reach pixels.

#include "RenderHelpers.h"
#include "ShapeBodyWriter.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace vidorama;
using namespace vidorama::test;
using swf::Rgba;

namespace {

constexpr int kDefineShape3 = 32;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;

// A black rectangle in twips.
std::shared_ptr<const swf::ShapeDef> BlackRect(std::int32_t x, std::int32_t y, std::int32_t w,
                                               std::int32_t h) {
    return Rect(x, y, w, h, {0, 0, 0, 255});
}

} // namespace

TEST(EdgeCoverage, LowQualityFillsThePixelsWhoseCentresAreInside) {
    // From 2.6 to 7.4 pixels across and down: the centres of pixels 3 to 6.
    auto shape = BlackRect(52, 52, 96, 96);
    ASSERT_TRUE(shape);
    Canvas low(10, 10, {255, 255, 255, 255}, swf::StageQuality::Low);
    Canvas high(10, 10);
    low.renderer.drawShape(*shape, Canvas::pixels(), {});
    high.renderer.drawShape(*shape, Canvas::pixels(), {});
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(low.at(x, 5), x >= 3 && x <= 6 ? kBlack : kWhite) << x;
    // High quality covers the edge pixels by the share of their area inside.
    EXPECT_NEAR(qRed(high.at(2, 5)), 153, 4);
    EXPECT_EQ(high.at(4, 5), kBlack);
}

TEST(EdgeCoverage, LowQualityCountsCentresOnLeftAndTopEdgesAsInside) {
    // From 2.5 to 7.5 pixels across and down: the centres of pixels 2 and 7
    // lie on the edges; the left and top ones belong to the shape, the right
    // and bottom ones do not, so five pixels are filled each way.
    auto shape = BlackRect(50, 50, 100, 100);
    ASSERT_TRUE(shape);
    Canvas low(10, 10, {255, 255, 255, 255}, swf::StageQuality::Low);
    low.renderer.drawShape(*shape, Canvas::pixels(), {});
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(low.at(i, 5), i >= 2 && i <= 6 ? kBlack : kWhite) << i;
        EXPECT_EQ(low.at(5, i), i >= 2 && i <= 6 ? kBlack : kWhite) << i;
    }
}

TEST(EdgeCoverage, MediumQualityCountsTwoByTwoSamplesPerPixel) {
    // The left edge at 2.3 pixels: of pixel 2's samples at 2.25 and 2.75
    // across, the right column is inside: half the pixel, where high quality
    // covers 70 %.
    auto shape = BlackRect(46, 40, 100, 100);
    ASSERT_TRUE(shape);
    Canvas medium(10, 10, {255, 255, 255, 255}, swf::StageQuality::Medium);
    medium.renderer.drawShape(*shape, Canvas::pixels(), {});
    EXPECT_NEAR(qRed(medium.at(2, 4)), 128, 1);
    EXPECT_EQ(medium.at(4, 4), kBlack);
    EXPECT_EQ(medium.at(1, 4), kWhite);
}

TEST(EdgeCoverage, LowQualityPutsThinSolidLinesBelowAndRightOfThemselves) {
    // Outlines of a square from 2 to 8 pixels: a 1-twip line fills columns
    // and rows 2 and 8 at low quality; a 2-pixel line, outlined like a shape,
    // fills 1 and 2 on the left and 7 and 8 on the right.
    auto square = [](std::uint16_t width) {
        return Rect(40, 40, 120, 120, {0, 0, 0, 0}, width);
    };
    auto hairline = square(1), wide = square(40);
    ASSERT_TRUE(hairline && wide);
    Canvas thin(12, 12, {255, 255, 255, 255}, swf::StageQuality::Low);
    Canvas thick(12, 12, {255, 255, 255, 255}, swf::StageQuality::Low);
    thin.renderer.drawShape(*hairline, Canvas::pixels(), {});
    thick.renderer.drawShape(*wide, Canvas::pixels(), {});
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(thin.at(i, 5), i == 2 || i == 8 ? kBlack : kWhite) << i;
        EXPECT_EQ(thin.at(5, i), i == 2 || i == 8 ? kBlack : kWhite) << i;
        EXPECT_EQ(thick.at(i, 5), i == 1 || i == 2 || i == 7 || i == 8 ? kBlack : kWhite) << i;
    }
}

TEST(StrokeWidth, StretchedShapesKeepOneWidthAllAround) {
    // A 10-pixel square outlined 4 pixels wide, drawn twice as wide as high:
    // Flash scales the width by the mean of the two scales, 6 pixels on
    // every side, instead of stretching the outline with the shape.
    ShapeBodyWriter b(1, {0, 200, 0, 200});
    SolidFills(b.styles(), {});
    Lines(b.styles(), {{80, {0, 0, 0, 255}}});
    b.beginRecords().moveTo(0, 0, 0, 0, 1).line(200, 0).line(0, 200).line(-200, 0).line(0, -200);
    auto shape = Parse<swf::ShapeDef>(kDefineShape3, b.finish());
    ASSERT_TRUE(shape);
    Canvas c(60, 40, {255, 255, 255, 255}, swf::StageQuality::Low);
    c.renderer.drawShape(
        *shape, swf::Matrix::translate(10, 10) * swf::Matrix::scale(2 / 20.0, 1 / 20.0), {});
    auto darkRun = [&](int x0, int y0, int dx, int dy) {
        int run = 0;
        for (int x = x0, y = y0; x >= 0 && y >= 0 && x < 60 && y < 40; x += dx, y += dy)
            run += c.at(x, y) == kBlack ? 1 : 0;
        return run;
    };
    EXPECT_EQ(darkRun(0, 15, 1, 0), 12); // left and right sides, 6 each
    EXPECT_EQ(darkRun(20, 0, 0, 1), 12); // top and bottom sides, 6 each
}

TEST(StrokeWidth, MirrorSkewsScaleStrokesApart) {
    // A 4-pixel stroke along a horizontal line, in a clip twice as wide and
    // skewed one way or the other (s = 1.41). Flash scales the width by the
    // mean of the two parts of where the diagonal (1, 1) goes: (2 - s + s) / 2
    // = 1 for a skew leaning left, (2 + s + s) / 2 for one leaning right, and
    // by the part along x only when the vertical scale is off.
    auto line = [](bool noVScale) {
        ShapeBodyWriter b(1, {0, 400, 0, 400});
        b.styles().rect({0, 400, 0, 400}).u8(0); // DefineShape4: edge bounds, flags
        b.styles().u8(0);
        b.styles().u8(1).u16(80).ub(2, 0).ub(2, 0).ub(1, 0).ub(1, 0).ub(1, noVScale ? 1 : 0);
        b.styles().ub(1, 0).ub(5, 0).ub(1, 0).ub(2, 0).rgba({0, 0, 0, 255});
        b.beginRecords().moveTo(0, 200, 0, 0, 1).line(400, 0);
        return Parse<swf::ShapeDef>(83, b.finish());
    };
    auto normal = line(false), horizontalOnly = line(true);
    ASSERT_TRUE(normal && horizontalOnly);
    // Dark pixels down column 40, which crosses the line's middle.
    auto thickness = [](const swf::ShapeDef& shape, const swf::Matrix& m) {
        Canvas c(80, 60, {255, 255, 255, 255}, swf::StageQuality::Low);
        c.renderer.drawShape(shape, m, {});
        int run = 0;
        for (int y = 0; y < 60; ++y)
            run += c.at(40, y) == kBlack ? 1 : 0;
        return run;
    };
    const double s = std::sqrt(2.0);
    auto skewed = [s](double skew) {
        return swf::Matrix{2 / 20.0, 0, skew / 20.0, s / 20.0, 20 - 10 * skew, 10};
    };
    EXPECT_EQ(thickness(*normal, skewed(-s)), 4);
    EXPECT_EQ(thickness(*normal, skewed(s)), 10);
    EXPECT_EQ(thickness(*horizontalOnly, skewed(-s)), 2);
    EXPECT_EQ(thickness(*horizontalOnly, skewed(s)), 14);
    // Turning alone keeps the width: the 4-pixel line at 45 degrees crosses
    // the column over 4 * 1.41 pixels.
    const double turn = s / 2 / 20;
    EXPECT_NEAR(thickness(*normal, swf::Matrix{turn, turn, -turn, turn, 40, 6}), 4 * s, 0.7);
}

TEST(StrokeCaps, EachEndOfALineHasItsOwnCap) {
    // A 4-pixel line from x = 4 to x = 16 along y = 10 whose LINESTYLE2
    // starts flat and ends square, drawn at low quality so that pixels are
    // either covered or not.
    auto line = [](unsigned startCap, unsigned endCap) {
        ShapeBodyWriter b(1, {0, 480, 0, 400});
        b.styles().rect({0, 480, 0, 400}).u8(0); // DefineShape4: edge bounds, flags
        b.styles().u8(0);
        b.styles().u8(1).u16(80).ub(2, startCap).ub(2, 0).ub(1, 0).ub(2, 0).ub(1, 0);
        b.styles().ub(5, 0).ub(1, 1).ub(2, endCap).rgba({0, 0, 0, 255});
        b.beginRecords().moveTo(80, 200, 0, 0, 1).line(240, 0);
        return Parse<swf::ShapeDef>(83, b.finish());
    };
    constexpr unsigned kRound = 0, kFlat = 1, kSquare = 2;
    auto flatToSquare = line(kFlat, kSquare), roundToRound = line(kRound, kRound);
    ASSERT_TRUE(flatToSquare && roundToRound);
    Canvas a(24, 20, {255, 255, 255, 255}, swf::StageQuality::Low);
    Canvas b(24, 20, {255, 255, 255, 255}, swf::StageQuality::Low);
    a.renderer.drawShape(*flatToSquare, Canvas::pixels(), {});
    b.renderer.drawShape(*roundToRound, Canvas::pixels(), {});
    EXPECT_EQ(a.at(3, 10), kWhite); // no cap before the start
    EXPECT_EQ(a.at(4, 10), kBlack);
    EXPECT_EQ(a.at(17, 8), kBlack); // the square's corner past the end
    EXPECT_EQ(a.at(18, 10), kWhite);
    EXPECT_EQ(b.at(3, 10), kBlack); // a round start reaches back
    EXPECT_EQ(b.at(17, 8), kWhite); // a round end has no corner
    EXPECT_EQ(b.at(17, 10), kBlack);
}
