#include "RenderHelpers.h"
#include "ShapeBodyWriter.h"

#include <gtest/gtest.h>
#include <random>

using namespace vidorama;
using namespace vidorama::test;

namespace {

// A DefineShape4 with a gradient, a bitmap fill, a LINESTYLE2 with a fill,
// curves and a second style group: most of what the parser reads.
std::vector<std::uint8_t> RichShape() {
    ShapeBodyWriter w(1, {0, 400, 0, 400});
    w.styles().rect({0, 400, 0, 400}).u8(0);
    w.styles().u8(2);
    w.styles().u8(0x13).matrix(swf::Matrix::scale(0.01, 0.01)).ub(2, 1).ub(2, 1).ub(4, 2);
    w.styles().u8(0).rgba({255, 0, 0, 255}).u8(255).rgba({0, 0, 255, 128}).fixed8(0.5);
    w.styles().u8(0x41).u16(9).matrix(swf::Matrix::scale(20, 20));
    w.styles().u8(1).u16(40).ub(2, 2).ub(2, 2).ub(1, 1).ub(3, 0).ub(5, 0).ub(1, 0).ub(2, 1);
    w.styles().u16(3 * 256).u8(0x10).matrix({}).ub(4, 0).ub(4, 1).u8(0).rgba({0, 255, 0, 255});
    w.beginRecords().moveTo(10, 10, 0, 1, 1).curve(100, -50, 100, 50).line(0, 300);
    w.change(2, 1, 0).line(-200, 0).line(0, -300);
    w.change(-1, -1, -1, true);
    SolidFills(w.styles(), {{1, 2, 3, 255}});
    w.styles().u8(0);
    w.beginRecords().moveTo(0, 0, 0, 1, -1).line(50, 50).line(-50, 0);
    return w.finish();
}

} // namespace

TEST(Robustness, MutatedBodiesParseAndDrawWithoutHarm) {
    const int tags[] = {2, 22, 32, 83, 46, 84, 20, 36, 21, 35, 90, 6};
    std::vector<std::uint8_t> base = RichShape();
    std::mt19937 random(1234);
    QImage bitmapImage(3, 3, QImage::Format_ARGB32_Premultiplied);
    bitmapImage.fill(Qt::red);
    for (int round = 0; round < 400; ++round) {
        std::vector<std::uint8_t> body = base;
        int flips = 1 + int(random() % 8);
        for (int i = 0; i < flips; ++i)
            body[random() % body.size()] = static_cast<std::uint8_t>(random());
        body.resize(random() % (body.size() + 1));
        int tag = tags[round % std::size(tags)];
        std::uint64_t pixels = 0;
        swf::GraphicsParseContext ctx;
        ctx.totalBitmapPixels = &pixels;
        auto result = swf::ParseGraphicsCharacter(tag, swf::ByteReader(body), ctx);
        if (!result.ok())
            continue;
        Canvas c(16, 16);
        c.bitmaps.add(std::make_shared<swf::BitmapDef>(9, bitmapImage));
        const swf::CharacterDef& def = *result.value();
        swf::Matrix m = Canvas::pixels();
        if (def.kind() == swf::CharacterDef::Kind::Shape)
            c.renderer.drawShape(static_cast<const swf::ShapeDef&>(def), m, {});
        if (def.kind() == swf::CharacterDef::Kind::MorphShape)
            c.renderer.drawMorphShape(static_cast<const swf::MorphShapeDef&>(def),
                                      std::uint16_t(random()), m, {});
        c.renderer.endFrame();
    }
}

TEST(Robustness, UnbalancedMasksAndHugeTransformsAreHarmless) {
    auto shape = Parse<swf::ShapeDef>(83, RichShape());
    ASSERT_TRUE(shape);
    Canvas c(8, 8);
    for (int i = 0; i < 300; ++i)
        c.renderer.pushMask(swf::MaskKind::Area);
    c.renderer.activateMask();
    c.renderer.drawShape(*shape, swf::Matrix::scale(1e12, 1e12), {});
    c.renderer.drawShape(*shape, swf::Matrix::scale(0, 0), {});
    for (int i = 0; i < 5; ++i)
        c.renderer.popMask();
    c.renderer.endFrame();
    c.renderer.popMask();
    c.renderer.beginFrame({1, 2, 3, 255}, swf::StageQuality::High, c.bitmaps);
    EXPECT_EQ(c.at(0, 0), qRgb(1, 2, 3));
}
