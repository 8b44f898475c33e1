// The area a draw call may change bounds every pixel it does change, or a
// frame drawn through it would keep stale pixels beside what moved.

#include "pipeline/DrawnArea.h"

#include "graphics/QPainterRenderer.h"
#include "graphics/ShapeDef.h"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace vidorama::test {
namespace {

class NoBitmaps final : public swf::BitmapSource {
public:
    const swf::BitmapDef* bitmap(swf::CharacterId) const override { return nullptr; }
};

// A sharp V of one stroke and a filled triangle beside it.
swf::ShapeDef Chevron(const swf::LineStyle& line) {
    swf::ShapePath stroke;
    stroke.moveTo({0, 0});
    stroke.lineTo({1600, 120});
    stroke.lineTo({0, 240});
    swf::ShapePath fill;
    fill.moveTo({0, 400});
    fill.quadTo({800, 1200}, {1600, 400});
    fill.lineTo({0, 400});
    fill.close();
    swf::FillStyle paint;
    paint.color = {0, 0, 0, 255};
    swf::ShapeDef::Data data;
    data.fillStyles = {paint};
    data.lineStyles = {line};
    data.layers = {swf::ShapeLayer{{{0, fill}}, {{0, stroke}}}};
    return swf::ShapeDef(1, std::move(data));
}

// Every pixel that drawing the shape changes lies inside its area.
void ExpectCovered(const swf::ShapeDef& shape, const swf::Matrix& matrix) {
    QImage picture(160, 160, QImage::Format_ARGB32_Premultiplied);
    swf::QPainterRenderer renderer(picture);
    const NoBitmaps bitmaps;
    renderer.beginFrame({255, 255, 255, 255}, swf::StageQuality::High, bitmaps);
    renderer.drawShape(shape, matrix, {});
    renderer.endFrame();
    const std::optional<swf::PixelBox> area = cli::ShapeArea(shape, matrix);
    ASSERT_TRUE(area);
    const QRect box(area->x, area->y, area->width, area->height);
    int drawn = 0;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            if (picture.pixel(x, y) == qRgb(255, 255, 255))
                continue;
            ++drawn;
            EXPECT_TRUE(box.contains(x, y)) << x << "," << y << " outside the area";
        }
    }
    EXPECT_GT(drawn, 0);
}

TEST(DrawnArea, HoldsEverythingAShapeDrawsWithItsStrokes) {
    swf::LineStyle miter;
    miter.width = 160;
    miter.join = swf::JoinStyle::Miter;
    miter.miterLimit = 12;
    swf::LineStyle hairline;
    hairline.width = 0;
    swf::LineStyle fixed = miter;
    fixed.noHScale = fixed.noVScale = true;
    fixed.startCap = fixed.endCap = swf::CapStyle::Square;
    const swf::Matrix placements[] = {
        swf::Matrix::translate(40, 40) * swf::Matrix::scale(0.05, 0.05),
        swf::Matrix::translate(10, 20) * swf::Matrix::scale(0.002, 0.002),
        swf::Matrix{0.03, 0.04, -0.04, 0.03, 90, 30},
        swf::Matrix{0.05, 0, 0.08, 0.05, 20, 60},
    };
    for (const swf::LineStyle& line : {miter, hairline, fixed})
        for (const swf::Matrix& m : placements)
            ExpectCovered(Chevron(line), m);
}

TEST(DrawnArea, MatricesOutOfReachAskForAWholeRedrawOrMissThePicture) {
    const swf::ShapeDef shape = Chevron(swf::LineStyle{});
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(cli::ShapeArea(shape, swf::Matrix{nan, 0, 0, 1, 0, 0}));
    EXPECT_FALSE(cli::ShapeArea(shape, swf::Matrix{1e308, 0, 0, 1e308, 0, 0}));
    const auto far = cli::ShapeArea(shape, swf::Matrix::translate(1e15, -1e15));
    ASSERT_TRUE(far);
    EXPECT_FALSE(
        QRect(far->x, far->y, far->width, far->height).intersects(QRect(0, 0, 4096, 4096)));
    // An empty shape draws nothing anywhere.
    const auto none = cli::ShapeArea(swf::ShapeDef(2, {}), swf::Matrix());
    ASSERT_TRUE(none);
    EXPECT_EQ(none->width * none->height, 0);
}

} // namespace
} // namespace vidorama::test
