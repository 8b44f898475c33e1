#include "RenderHelpers.h"
#include "ShapeBodyWriter.h"

#include <gtest/gtest.h>
#include <zlib.h>

using namespace vidorama;
using namespace vidorama::test;
using swf::Rgba;

namespace {

constexpr int kDefineShape3 = 32;
constexpr int kDefineMorphShape = 46;
constexpr QRgb kWhite = 0xFFFFFFFF;

// A shape filled with bitmap 9 through a fill of the given type (0x40-0x43),
// its matrix mapping bitmap pixels to twips.
std::shared_ptr<const swf::ShapeDef> BitmapRect(int pixels, std::uint8_t type, const swf::Matrix& m,
                                                std::uint8_t swfVersion = 10) {
    ShapeBodyWriter c(1, {0, pixels * 20, 0, pixels * 20});
    c.styles().u8(1).u8(type).u16(9).matrix(m);
    Lines(c.styles(), {});
    c.beginRecords().moveTo(0, 0, 0, 1, 0).line(pixels * 20, 0).line(0, pixels * 20);
    c.line(-pixels * 20, 0).line(0, -pixels * 20);
    swf::GraphicsParseContext ctx;
    ctx.swfVersion = swfVersion;
    return Parse<swf::ShapeDef>(kDefineShape3, c.finish(), ctx);
}

// Bitmap 9: 2 x 2 pixels, red, green / blue, transparent.
std::shared_ptr<const swf::BitmapDef> Checker() {
    QImage image(2, 2, QImage::Format_ARGB32_Premultiplied);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(1, 0, qRgb(0, 255, 0));
    image.setPixel(0, 1, qRgb(0, 0, 255));
    image.setPixel(1, 1, qRgba(0, 0, 0, 0));
    return std::make_shared<swf::BitmapDef>(9, image);
}

} // namespace

TEST(ColourTransform, MultipliesThenAddsOnSolidFills) {
    auto shape = Rect(0, 0, 200, 200, {200, 100, 50, 255});
    ASSERT_TRUE(shape);
    Canvas c(10, 10);
    swf::ColorTransform t;
    t.rMul = 0.5f;
    t.gMul = 2.0f;
    t.bAdd = -60;
    t.aMul = 0.5f;
    t.aAdd = 0.5f;
    c.renderer.drawShape(*shape, Canvas::pixels(), t);
    // (100, 200, 0) at alpha 128 over white.
    EXPECT_EQ(c.at(5, 5), qRgb(177, 227, 127));
}

TEST(ColourTransform, AppliesToEveryBitmapPixel) {
    Canvas c(4, 4, {0, 0, 0, 255});
    c.bitmaps.add(Checker());
    auto shape = BitmapRect(2, 0x43, swf::Matrix::scale(20, 20));
    ASSERT_TRUE(shape);
    swf::ColorTransform t;
    t.rMul = 0.5f;
    t.gAdd = 100;
    t.aAdd = 255;
    c.renderer.drawShape(*shape, Canvas::pixels(), t);
    EXPECT_EQ(c.at(0, 0), qRgb(127, 100, 0));
    EXPECT_EQ(c.at(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(c.at(0, 1), qRgb(0, 100, 255));
    // Transparent pixels stay transparent whatever the alpha offset.
    EXPECT_EQ(c.at(1, 1), qRgb(0, 0, 0));
}

TEST(BitmapFill, RepeatingClippedAndSmoothed) {
    // The 2 x 2 bitmap at one pixel each, in a 4 x 4 shape.
    swf::Matrix m = swf::Matrix::scale(20, 20);
    Canvas repeat(4, 4), clipped(4, 4), smooth(8, 8);
    for (Canvas* c : {&repeat, &clipped, &smooth})
        c->bitmaps.add(Checker());
    repeat.renderer.drawShape(*BitmapRect(4, 0x42, m), Canvas::pixels(), {});
    clipped.renderer.drawShape(*BitmapRect(4, 0x43, m), Canvas::pixels(), {});
    EXPECT_EQ(repeat.at(2, 0), qRgb(255, 0, 0));
    EXPECT_EQ(repeat.at(2, 2), qRgb(255, 0, 0));
    EXPECT_EQ(repeat.at(3, 2), qRgb(0, 255, 0));
    // A clipped fill repeats its edge pixels outwards.
    EXPECT_EQ(clipped.at(3, 0), qRgb(0, 255, 0));
    EXPECT_EQ(clipped.at(0, 3), qRgb(0, 0, 255));
    EXPECT_EQ(clipped.at(3, 3), kWhite);

    // Scaled up four times and smoothed, the colours blend between pixel
    // centres and stay pure at them.
    smooth.renderer.drawShape(*BitmapRect(8, 0x41, swf::Matrix::scale(80, 80)), Canvas::pixels(),
                              {});
    EXPECT_EQ(smooth.at(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(smooth.at(6, 1), qRgb(0, 255, 0));
    QRgb between = smooth.at(3, 1);
    EXPECT_GT(qRed(between), 100);
    EXPECT_GT(qGreen(between), 50);

    // Movies before SWF 8 draw every bitmap fill unsmoothed.
    auto old = BitmapRect(8, 0x41, swf::Matrix::scale(80, 80), 7);
    ASSERT_TRUE(old);
    EXPECT_FALSE(old->fillStyles()[0].bitmapSmoothed);
    Canvas sharp(8, 8);
    sharp.bitmaps.add(Checker());
    sharp.renderer.drawShape(*old, Canvas::pixels(), {});
    EXPECT_EQ(sharp.at(3, 1), qRgb(255, 0, 0));
    EXPECT_EQ(sharp.at(4, 1), qRgb(0, 255, 0));
}

TEST(BitmapFill, TheStageQualityDecidesSmoothing) {
    // Medium never smooths, best always does, high as the fill asks.
    auto blends = [](swf::StageQuality quality, std::uint8_t type) {
        Canvas c(8, 8, {255, 255, 255, 255}, quality);
        c.bitmaps.add(Checker());
        c.renderer.drawShape(*BitmapRect(8, type, swf::Matrix::scale(80, 80)), Canvas::pixels(),
                             {});
        return c.at(3, 1) != qRgb(255, 0, 0);
    };
    EXPECT_FALSE(blends(swf::StageQuality::Medium, 0x41));
    EXPECT_TRUE(blends(swf::StageQuality::High, 0x41));
    EXPECT_FALSE(blends(swf::StageQuality::High, 0x43));
    EXPECT_TRUE(blends(swf::StageQuality::Best, 0x43));
}

TEST(BitmapFill, UnsmoothedBitmapsShrunkToHalfAverageTheirPixels) {
    // The 2 x 2 checker drawn unsmoothed into one pixel shows all four of
    // its pixels mixed, not one of them.
    Canvas c(1, 1);
    c.bitmaps.add(Checker());
    c.renderer.drawShape(*BitmapRect(1, 0x43, swf::Matrix::scale(10, 10)), Canvas::pixels(), {});
    EXPECT_GT(qRed(c.at(0, 0)), 100);
    EXPECT_GT(qGreen(c.at(0, 0)), 100);
    EXPECT_GT(qBlue(c.at(0, 0)), 100);
}

TEST(Masks, FilledAreaClipsAndStrokesDoNotCount) {
    auto mask = Rect(0, 0, 100, 200, {0, 0, 0, 10}); // nearly transparent: still masks fully
    auto content = Rect(0, 0, 200, 200, {255, 0, 0, 255});
    ASSERT_TRUE(mask && content);
    Canvas c(10, 10);
    c.renderer.pushMask(swf::MaskKind::Area);
    c.renderer.drawShape(*mask, Canvas::pixels(), {});
    c.renderer.activateMask();
    c.renderer.drawShape(*content, Canvas::pixels(), {});
    c.renderer.popMask();
    c.renderer.drawShape(*Rect(160, 160, 40, 40, {0, 0, 255, 255}), Canvas::pixels(), {});
    c.renderer.endFrame();
    EXPECT_EQ(c.at(2, 5), qRgb(255, 0, 0));
    EXPECT_EQ(c.at(7, 5), kWhite);
    EXPECT_EQ(c.at(9, 9), qRgb(0, 0, 255)); // after the mask ends, nothing is clipped

    // A mask that is only an outline clips everything away.
    ShapeBodyWriter b(1, {0, 200, 0, 200});
    SolidFills(b.styles(), {});
    Lines(b.styles(), {{60, {0, 0, 0, 255}}});
    b.beginRecords().moveTo(0, 0, 0, 0, 1).line(200, 0).line(0, 200).line(-200, 0).line(0, -200);
    auto outline = Parse<swf::ShapeDef>(kDefineShape3, b.finish());
    ASSERT_TRUE(outline);
    Canvas o(10, 10);
    o.renderer.pushMask(swf::MaskKind::Area);
    o.renderer.drawShape(*outline, Canvas::pixels(), {});
    o.renderer.activateMask();
    o.renderer.drawShape(*content, Canvas::pixels(), {});
    o.renderer.popMask();
    EXPECT_EQ(o.at(0, 0), qRgb(255, 255, 255));
}

TEST(Masks, NestedMasksIntersect) {
    auto left = Rect(0, 0, 120, 200, {0, 0, 0, 255});
    auto top = Rect(0, 0, 200, 120, {0, 0, 0, 255});
    auto content = Rect(0, 0, 200, 200, {0, 128, 0, 255});
    Canvas c(10, 10);
    c.renderer.pushMask(swf::MaskKind::Area);
    c.renderer.drawShape(*left, Canvas::pixels(), {});
    c.renderer.activateMask();
    c.renderer.drawShape(*Rect(0, 180, 200, 20, {0, 0, 255, 255}), Canvas::pixels(), {});
    c.renderer.pushMask(swf::MaskKind::Area);
    c.renderer.drawShape(*top, Canvas::pixels(), {});
    c.renderer.activateMask();
    c.renderer.drawShape(*content, Canvas::pixels(), {});
    c.renderer.popMask();
    c.renderer.popMask();
    EXPECT_EQ(c.at(2, 2), qRgb(0, 128, 0)); // inside both masks
    EXPECT_EQ(c.at(8, 2), kWhite);          // outside the outer mask
    EXPECT_EQ(c.at(2, 8), kWhite);          // outside the inner mask
    EXPECT_EQ(c.at(2, 9), qRgb(0, 0, 255)); // drawn under the outer mask only
    EXPECT_EQ(c.at(8, 9), kWhite);
}

TEST(Masks, AlphaMaskShowsContentAsFarAsItsPictureIsOpaque) {
    auto content = Rect(0, 0, 200, 200, {255, 0, 0, 255});
    ASSERT_TRUE(content);
    Canvas c(10, 10);
    c.renderer.pushMask(swf::MaskKind::Alpha);
    // Left half half-transparent, the right half fully transparent but filled.
    c.renderer.drawShape(*Rect(0, 0, 100, 200, {0, 0, 0, 128}), Canvas::pixels(), {});
    c.renderer.drawShape(*Rect(100, 0, 100, 200, {0, 0, 0, 0}), Canvas::pixels(), {});
    c.renderer.activateMask();
    c.renderer.drawShape(*content, Canvas::pixels(), {});
    c.renderer.popMask();
    c.renderer.endFrame();
    EXPECT_EQ(c.at(2, 5), qRgb(255, 127, 127)); // half the red over white
    EXPECT_EQ(c.at(7, 5), kWhite);

    // Alpha masks nest in area masks and intersect with them; a colour
    // transform on the mask's picture changes how far it shows.
    Canvas n(10, 10);
    n.renderer.pushMask(swf::MaskKind::Area);
    n.renderer.drawShape(*Rect(0, 0, 200, 100, {0, 0, 0, 255}), Canvas::pixels(), {});
    n.renderer.activateMask();
    n.renderer.pushMask(swf::MaskKind::Alpha);
    swf::ColorTransform faded;
    faded.aMul = 0.5f;
    n.renderer.drawShape(*Rect(0, 0, 100, 200, {0, 0, 0, 255}), Canvas::pixels(), faded);
    n.renderer.activateMask();
    n.renderer.drawShape(*content, Canvas::pixels(), {});
    n.renderer.popMask();
    n.renderer.popMask();
    n.renderer.endFrame();
    EXPECT_EQ(qRed(n.at(2, 2)), 255);
    EXPECT_NEAR(qGreen(n.at(2, 2)), 127, 1);
    EXPECT_EQ(n.at(2, 8), kWhite);
    EXPECT_EQ(n.at(7, 2), kWhite);
}

TEST(Masks, AlphaMaskWithoutContentDrawsNothing) {
    Canvas c(10, 10);
    c.renderer.pushMask(swf::MaskKind::Alpha);
    c.renderer.drawShape(*Rect(0, 0, 200, 200, {0, 0, 255, 255}), Canvas::pixels(), {});
    c.renderer.popMask();
    c.renderer.pushMask(swf::MaskKind::Alpha);
    c.renderer.drawShape(*Rect(0, 0, 200, 200, {0, 0, 255, 255}), Canvas::pixels(), {});
    c.renderer.endFrame();
    EXPECT_EQ(c.at(5, 5), kWhite);
}

TEST(Strokes, HairlinesStayOnePixelWideAtAnyScale) {
    auto shape = Rect(0, 0, 2000, 2000, {0, 0, 0, 0}, 20);
    ASSERT_TRUE(shape);
    // Drawn at a tenth: the 1-pixel line would be a tenth of a pixel.
    Canvas c(20, 20);
    swf::Matrix m = swf::Matrix::translate(5.5, 5.5) * swf::Matrix::scale(0.005, 0.005);
    c.renderer.drawShape(*shape, m, {});
    EXPECT_EQ(c.at(5, 8), qRgb(0, 0, 0));
    EXPECT_EQ(c.at(4, 8), kWhite);
    EXPECT_EQ(c.at(6, 8), kWhite);
}

TEST(Strokes, PixelHintingPutsLinesOnWholePixels) {
    // A 1-pixel LINESTYLE2 along y = 5 pixels (a pixel boundary): unhinted it
    // covers two rows by half, hinted it fills one row.
    auto line = [](bool hinted) {
        ShapeBodyWriter b(1, {0, 200, 0, 200});
        b.styles().rect({0, 200, 0, 200}).u8(0);
        b.styles().u8(0);
        b.styles().u8(1).u16(20).ub(2, 1).ub(2, 0).ub(1, 0).ub(2, 0).ub(1, hinted ? 1 : 0);
        b.styles().ub(5, 0).ub(1, 0).ub(2, 1).rgba({0, 0, 0, 255});
        b.beginRecords().moveTo(0, 100, 0, 0, 1).line(200, 0);
        return Parse<swf::ShapeDef>(83, b.finish());
    };
    auto soft = line(false), sharp = line(true);
    ASSERT_TRUE(soft && sharp);
    EXPECT_TRUE(sharp->lineStyles()[0].pixelHinting);
    Canvas a(10, 10), b(10, 10);
    a.renderer.drawShape(*soft, Canvas::pixels(), {});
    b.renderer.drawShape(*sharp, Canvas::pixels(), {});
    EXPECT_EQ(a.at(3, 4), qRgb(127, 127, 127));
    EXPECT_EQ(a.at(3, 5), qRgb(127, 127, 127));
    EXPECT_EQ(b.at(3, 5), qRgb(0, 0, 0));
    EXPECT_EQ(b.at(3, 4), kWhite);
}

TEST(MorphShape, BlendsPointsAndColoursByRatio) {
    // A 10 x 10 pixel square, red at x = 0 and blue at x = 20 pixels.
    SwfBitWriter styles;
    styles.u8(1).u8(0x00).rgba({255, 0, 0, 255}).rgba({0, 0, 255, 255});
    styles.u8(0);
    ShapeBodyWriter start(0, {0, 0, 0, 0}), end(0, {0, 0, 0, 0});
    auto edges = [](ShapeBodyWriter& w, std::int32_t x, bool styled) {
        w.beginRecords().moveTo(x, 0, styled ? 0 : -1, styled ? 1 : -1, -1);
        w.line(200, 0).line(0, 200).line(-200, 0).line(0, -200);
        auto bytes = w.finish();
        // Drop the writer's leading id and empty bounds.
        auto prefix = static_cast<long>(SwfBitWriter().u16(0).rect({}).take().size());
        return std::vector<std::uint8_t>(bytes.begin() + prefix, bytes.end());
    };
    auto startEdges = edges(start, 0, true);
    auto endEdges = edges(end, 400, false);
    auto styleBytes = styles.take();
    SwfBitWriter body;
    body.u16(5).rect({0, 200, 0, 200}).rect({400, 600, 0, 200});
    body.u32(std::uint32_t(styleBytes.size() + startEdges.size()));
    body.bytes(styleBytes).bytes(startEdges).bytes(endEdges);
    auto morph = Parse<swf::MorphShapeDef>(kDefineMorphShape, body.take());
    ASSERT_TRUE(morph);
    EXPECT_EQ(morph->bounds(32768).xMin, 200);

    auto draw = [&](std::uint16_t ratio) {
        auto c = std::make_unique<Canvas>(40, 10);
        c->renderer.drawMorphShape(*morph, ratio, Canvas::pixels(), {});
        return c;
    };
    auto a = draw(0), b = draw(32768), e = draw(65535);
    EXPECT_EQ(a->at(5, 5), qRgb(255, 0, 0));
    EXPECT_EQ(a->at(12, 5), kWhite);
    EXPECT_EQ(b->at(9, 5), kWhite);
    EXPECT_EQ(b->at(10, 5), qRgb(127, 0, 128));
    EXPECT_EQ(b->at(19, 5), qRgb(127, 0, 128));
    EXPECT_EQ(b->at(20, 5), kWhite);
    EXPECT_EQ(e->at(19, 5), kWhite);
    EXPECT_EQ(e->at(25, 5), qRgb(0, 0, 255));
}
