#include "RenderHelpers.h"
#include "ShapeBodyWriter.h"

#include <gtest/gtest.h>

using namespace vidorama;
using namespace vidorama::test;
using swf::Rgba;

namespace {

constexpr int kDefineShape3 = 32;
constexpr int kDefineShape4 = 83;
const Rgba kRed{255, 0, 0, 255};
const Rgba kBlue{0, 0, 255, 255};
const Rgba kBlack{0, 0, 0, 255};
constexpr QRgb kWhite = 0xFFFFFFFF;

QRgb Opaque(Rgba c) {
    return qRgb(c.r, c.g, c.b);
}

// Points of a path's moves, lines and curve anchors, in order.
std::vector<swf::TwipPoint> Anchors(const swf::ShapePath& path) {
    std::vector<swf::TwipPoint> out;
    std::size_t p = 0;
    for (auto verb : path.verbs) {
        if (verb == swf::ShapePath::Verb::Quad)
            ++p;
        if (verb != swf::ShapePath::Verb::Close)
            out.push_back(path.points[p++]);
    }
    return out;
}

Canvas Draw(const swf::ShapeDef& shape, int width = 20, int height = 20) {
    Canvas canvas(width, height);
    canvas.renderer.drawShape(shape, Canvas::pixels(), {});
    canvas.renderer.endFrame();
    return canvas;
}

// A 20 x 20 pixel square cut down the middle, the way Flash writes two touching
// areas: the shared edge is stored once, with the left area as fill style 1
// and the right one as fill style 0.
std::vector<std::uint8_t> SplitSquare() {
    ShapeBodyWriter w(1, {0, 400, 0, 400});
    SolidFills(w.styles(), {kRed, kBlue});
    Lines(w.styles(), {});
    w.beginRecords();
    w.moveTo(0, 0, 0, 1, 0).line(200, 0);
    w.change(2, 1, -1).line(0, 400);
    w.change(0, 1, -1).line(-200, 0).line(0, -400);
    w.moveTo(200, 0, 0, 2, -1).line(200, 0).line(0, 400).line(-200, 0);
    return w.finish();
}

} // namespace

TEST(ShapeGeometry, SharedEdgeBuildsOneClosedContourPerStyle) {
    auto shape = Parse<swf::ShapeDef>(kDefineShape3, SplitSquare());
    ASSERT_TRUE(shape);
    ASSERT_EQ(shape->layers().size(), 1u);
    const auto& fills = shape->layers()[0].fills;
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(fills[0].style, 0u);
    EXPECT_EQ(fills[1].style, 1u);
    // The right area takes the shared edge reversed, from the bottom up, and
    // chains its own three edges after it into one closed outline.
    std::vector<swf::TwipPoint> right = Anchors(fills[1].path);
    std::vector<swf::TwipPoint> expected{{200, 400}, {200, 0}, {400, 0}, {400, 400}, {200, 400}};
    EXPECT_EQ(right, expected);
    std::vector<swf::TwipPoint> left = Anchors(fills[0].path);
    ASSERT_EQ(left.size(), 5u);
    EXPECT_EQ(left.front(), left.back());
}

TEST(ShapeGeometry, SharedEdgeDrawsBothSidesWithoutGap) {
    auto shape = Parse<swf::ShapeDef>(kDefineShape3, SplitSquare());
    ASSERT_TRUE(shape);
    Canvas c = Draw(*shape, 22, 20);
    for (int y : {0, 10, 19}) {
        EXPECT_EQ(c.at(0, y), Opaque(kRed));
        EXPECT_EQ(c.at(9, y), Opaque(kRed));
        EXPECT_EQ(c.at(10, y), Opaque(kBlue));
        EXPECT_EQ(c.at(19, y), Opaque(kBlue));
        EXPECT_EQ(c.at(20, y), kWhite);
    }
}

TEST(ShapeGeometry, FillsOfOneGroupShareEdgesWithoutSeamsAndCoverEachOther) {
    // A square cut along its diagonal, drawn on a transparent target: the
    // anti-aliased pixels of the cut must still be fully covered.
    ShapeBodyWriter w(1, {0, 400, 0, 400});
    SolidFills(w.styles(), {kRed, kBlue});
    Lines(w.styles(), {});
    w.beginRecords().moveTo(0, 0, 0, 1, 0).line(400, 0);
    w.change(2, 1, -1).line(-400, 400);
    w.change(0, 1, -1).line(0, -400);
    w.moveTo(400, 0, 0, 2, -1).line(0, 400).line(-400, 0);
    auto shape = Parse<swf::ShapeDef>(kDefineShape3, w.finish());
    ASSERT_TRUE(shape);
    Canvas c(20, 20, {0, 0, 0, 0});
    c.renderer.drawShape(*shape, Canvas::pixels(), {});
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x)
            ASSERT_EQ(qAlpha(c.at(x, y)), 255) << x << "," << y;
    }
    EXPECT_EQ(c.at(2, 2), Opaque(kRed));
    EXPECT_EQ(c.at(17, 17), Opaque(kBlue));

    // Where fills of one group overlap, the later style covers the earlier one
    // rather than mixing with it.
    ShapeBodyWriter o(1, {0, 400, 0, 400});
    SolidFills(o.styles(), {kRed, {0, 0, 255, 128}});
    Lines(o.styles(), {});
    o.beginRecords().moveTo(0, 0, 0, 1, 0).line(300, 0).line(0, 300).line(-300, 0).line(0, -300);
    o.moveTo(100, 100, 0, 2, 0).line(300, 0).line(0, 300).line(-300, 0).line(0, -300);
    auto overlap = Parse<swf::ShapeDef>(kDefineShape3, o.finish());
    ASSERT_TRUE(overlap);
    Canvas d = Draw(*overlap);
    EXPECT_EQ(d.at(2, 2), Opaque(kRed));
    EXPECT_EQ(d.at(10, 10), d.at(17, 17));
    EXPECT_EQ(d.at(17, 17), qRgb(127, 127, 255));
}

TEST(ShapeGeometry, InnerContourCutsAHole) {
    // The inner square runs the other way round with the area on its left,
    // as fill style 0, which is how Flash stores holes.
    ShapeBodyWriter w(1, {0, 400, 0, 400});
    SolidFills(w.styles(), {kRed});
    Lines(w.styles(), {});
    w.beginRecords().moveTo(0, 0, 0, 1, 0).line(400, 0).line(0, 400).line(-400, 0).line(0, -400);
    w.moveTo(100, 100, 1, 0, -1).line(200, 0).line(0, 200).line(-200, 0).line(0, -200);
    auto shape = Parse<swf::ShapeDef>(kDefineShape3, w.finish());
    ASSERT_TRUE(shape);
    Canvas c = Draw(*shape);
    EXPECT_EQ(c.at(2, 2), Opaque(kRed));
    EXPECT_EQ(c.at(10, 10), kWhite);
    EXPECT_EQ(c.at(5, 10), kWhite);
    EXPECT_EQ(c.at(4, 10), Opaque(kRed));
    EXPECT_EQ(c.at(15, 10), Opaque(kRed));
}

TEST(ShapeGeometry, OverlapOfOneStyleIsEvenOddUnlessShape4AsksForNonZero) {
    auto body = [](int tagCode) {
        ShapeBodyWriter w(1, {0, 400, 0, 400});
        if (tagCode == kDefineShape4) {
            w.styles().rect({0, 400, 0, 400}); // edge bounds
            w.styles().u8(0x04);               // nonzero winding
        }
        SolidFills(w.styles(), {kRed});
        Lines(w.styles(), {});
        w.beginRecords()
            .moveTo(0, 0, 0, 1, 0)
            .line(300, 0)
            .line(0, 300)
            .line(-300, 0)
            .line(0, -300);
        w.rect(100, 100, 300, 300);
        return w.finish();
    };
    auto evenOdd = Parse<swf::ShapeDef>(kDefineShape3, body(kDefineShape3));
    ASSERT_TRUE(evenOdd);
    Canvas a = Draw(*evenOdd);
    EXPECT_EQ(a.at(2, 2), Opaque(kRed));
    EXPECT_EQ(a.at(10, 10), kWhite);
    EXPECT_EQ(a.at(17, 17), Opaque(kRed));

    // DefineShape4 adds edge bounds and flags before the styles; its line
    // styles are LINESTYLE2, of which there are none here.
    auto nonZero = Parse<swf::ShapeDef>(kDefineShape4, body(kDefineShape4));
    ASSERT_TRUE(nonZero);
    EXPECT_TRUE(nonZero->nonZeroWinding());
    EXPECT_EQ(Draw(*nonZero).at(10, 10), Opaque(kRed));
}

TEST(ShapeGeometry, StyleGroupsDrawFillsThenStrokesGroupByGroup) {
    ShapeBodyWriter g(1, {0, 400, 0, 400});
    SolidFills(g.styles(), {kRed});
    Lines(g.styles(), {{80, kBlack}});
    g.beginRecords().moveTo(40, 40, 0, 1, 1).line(200, 0).line(0, 200).line(-200, 0).line(0, -200);
    // A new group: a blue square over part of the first one's outline.
    g.change(-1, -1, -1, true);
    SolidFills(g.styles(), {kBlue});
    Lines(g.styles(), {});
    g.beginRecords()
        .moveTo(200, 200, 0, 1, 0)
        .line(200, 0)
        .line(0, 200)
        .line(-200, 0)
        .line(0, -200);
    auto shape = Parse<swf::ShapeDef>(kDefineShape3, g.finish());
    ASSERT_TRUE(shape);
    ASSERT_EQ(shape->layers().size(), 2u);
    EXPECT_EQ(shape->layers()[0].strokes.size(), 1u);
    EXPECT_EQ(shape->layers()[1].fills[0].style, 1u);
    Canvas c = Draw(*shape);
    EXPECT_EQ(c.at(6, 6), Opaque(kRed));    // first group's fill
    EXPECT_EQ(c.at(6, 2), Opaque(kBlack));  // its stroke over its fill
    EXPECT_EQ(c.at(11, 6), Opaque(kBlack)); // its stroke, outside the new group
    EXPECT_EQ(c.at(11, 11), Opaque(kBlue)); // the second group's fill over that stroke
    EXPECT_EQ(c.at(15, 15), Opaque(kBlue));
}

TEST(ShapeGeometry, CurvedEdgesKeepTheirControlPoints) {
    ShapeBodyWriter w(1, {0, 400, 0, 400});
    SolidFills(w.styles(), {kRed});
    Lines(w.styles(), {});
    w.beginRecords().moveTo(0, 400, 0, 1, 0).curve(200, -400, 200, 400).line(-400, 0);
    auto shape = Parse<swf::ShapeDef>(kDefineShape3, w.finish());
    ASSERT_TRUE(shape);
    const swf::ShapePath& path = shape->layers()[0].fills[0].path;
    ASSERT_EQ(path.verbs.size(), 3u);
    EXPECT_EQ(path.verbs[1], swf::ShapePath::Verb::Quad);
    EXPECT_EQ(path.points[1], (swf::TwipPoint{200, 0}));
    EXPECT_EQ(path.points[2], (swf::TwipPoint{400, 400}));
    Canvas c = Draw(*shape);
    EXPECT_EQ(c.at(10, 15), Opaque(kRed));
    EXPECT_EQ(c.at(2, 2), kWhite); // outside the arch
}

TEST(ShapeGeometry, BrokenBodiesAreReadUpToTheDamage) {
    std::vector<std::uint8_t> body = SplitSquare();
    for (std::size_t size = 0; size < body.size(); ++size) {
        std::vector<std::uint8_t> cut(body.begin(), body.begin() + size);
        auto result = swf::ParseGraphicsCharacter(kDefineShape3, swf::ByteReader(cut), {});
        if (size < 3) {
            EXPECT_FALSE(result.ok()) << size;
        }
    }
    // Style numbers past the style table draw nothing rather than anything.
    ShapeBodyWriter w(1, {0, 400, 0, 400});
    SolidFills(w.styles(), {kRed});
    Lines(w.styles(), {});
    w.beginRecords().moveTo(0, 0, 0, 9, 7).line(400, 0).line(0, 400).line(-400, 0).line(0, -400);
    auto shape = Parse<swf::ShapeDef>(kDefineShape3, w.finish());
    ASSERT_TRUE(shape);
    EXPECT_TRUE(shape->layers().empty());
}
