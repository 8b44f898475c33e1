#include "RenderHelpers.h"
#include "ShapeBodyWriter.h"
#include "graphics/GradientRamp.h"

#include <gtest/gtest.h>

using namespace vidorama;
using namespace vidorama::test;
using swf::Rgba;

namespace {

constexpr int kDefineShape3 = 32;
constexpr int kDefineShape4 = 83;

struct GradientSpec {
    std::uint8_t type = 0x10;
    swf::Matrix matrix;
    unsigned spread = 0;
    unsigned interpolation = 0;
    std::vector<std::pair<std::uint8_t, Rgba>> stops;
    double focal = 0;
};

// A rectangle of width x height pixels at the origin, filled with one gradient.
std::shared_ptr<const swf::ShapeDef> GradientRect(const GradientSpec& g, int width, int height) {
    swf::Rect bounds{0, width * 20, 0, height * 20};
    int tag = g.type == 0x13 ? kDefineShape4 : kDefineShape3;
    ShapeBodyWriter w(1, bounds);
    if (tag == kDefineShape4)
        w.styles().rect(bounds).u8(0);
    w.styles().u8(1).u8(g.type).matrix(g.matrix);
    w.styles().ub(2, g.spread).ub(2, g.interpolation).ub(4, std::uint32_t(g.stops.size()));
    for (auto [ratio, color] : g.stops)
        w.styles().u8(ratio).rgba(color);
    if (g.type == 0x13)
        w.styles().fixed8(g.focal);
    w.styles().u8(0);
    w.beginRecords().moveTo(0, 0, 0, 1, 0).line(width * 20, 0).line(0, height * 20);
    w.line(-width * 20, 0).line(0, -height * 20);
    return Parse<swf::ShapeDef>(tag, w.finish());
}

Canvas Draw(const swf::ShapeDef& shape, int width, int height,
            const swf::ColorTransform& colors = {}) {
    Canvas canvas(width, height);
    canvas.renderer.drawShape(shape, Canvas::pixels(), colors);
    return canvas;
}

// Maps the gradient square onto `pixels` pixels starting at x = 0.
swf::Matrix Across(double pixels) {
    double scale = pixels * 20 / 32768.0;
    return {scale, 0, 0, scale, pixels * 10, 0};
}

const Rgba kBlack{0, 0, 0, 255};
const Rgba kWhite{255, 255, 255, 255};
const Rgba kRed{255, 0, 0, 255};
const Rgba kGreen{0, 255, 0, 255};
const Rgba kBlue{0, 0, 255, 255};

int Gray(QRgb p) {
    return qRed(p);
}

} // namespace

TEST(GradientRamp, InterpolatesInSrgbOrLinearRgb) {
    swf::Gradient g;
    g.stops = {{0, kBlack}, {255, kWhite}};
    swf::GradientRamp normal = swf::BuildGradientRamp(g, {});
    EXPECT_EQ(normal[0], qRgb(0, 0, 0));
    EXPECT_EQ(normal[128], qRgb(128, 128, 128));
    EXPECT_EQ(normal[255], qRgb(255, 255, 255));
    g.interpolation = swf::InterpolationMode::LinearRgb;
    swf::GradientRamp linear = swf::BuildGradientRamp(g, {});
    // Half-way in light is much brighter than half-way in sRGB values.
    EXPECT_NEAR(qRed(linear[128]), 188, 1);
    EXPECT_EQ(linear[255], qRgb(255, 255, 255));
}

TEST(GradientRamp, StopsOnOneRatioOrOutOfOrderFollowFlash) {
    swf::Gradient same;
    same.stops = {{0, kRed}, {128, kGreen}, {128, kBlue}, {255, kWhite}};
    swf::GradientRamp a = swf::BuildGradientRamp(same, {});
    EXPECT_EQ(a[128], qRgb(0, 255, 0));
    EXPECT_EQ(a[129], qRgb(0, 255, 0)); // the shared ratio's first stop keeps an entry
    EXPECT_EQ(qBlue(a[130]), 255);      // then the ramp runs from the last one
    EXPECT_EQ(a[255], qRgb(255, 255, 255));

    swf::Gradient backwards;
    backwards.stops = {{0, kRed}, {100, kGreen}, {50, kBlue}, {200, kWhite}};
    swf::GradientRamp b = swf::BuildGradientRamp(backwards, {});
    EXPECT_EQ(b[100], qRgb(0, 255, 0));
    // Past 100 the stop at 50 is skipped over, but its ratio still anchors the
    // next segment: 101 is (101 - 50) / 150 of the way from blue to white.
    EXPECT_EQ(b[101], qRgb(87, 87, 255));
}

TEST(GradientRamp, SpreadModes) {
    using swf::SpreadMode;
    EXPECT_DOUBLE_EQ(swf::ApplySpread(-0.25, SpreadMode::Pad), 0.0);
    EXPECT_DOUBLE_EQ(swf::ApplySpread(1.25, SpreadMode::Pad), 1.0);
    EXPECT_DOUBLE_EQ(swf::ApplySpread(1.25, SpreadMode::Repeat), 0.25);
    EXPECT_DOUBLE_EQ(swf::ApplySpread(-0.25, SpreadMode::Repeat), 0.75);
    EXPECT_DOUBLE_EQ(swf::ApplySpread(1.25, SpreadMode::Reflect), 0.75);
    EXPECT_DOUBLE_EQ(swf::ApplySpread(-0.25, SpreadMode::Reflect), 0.25);
    EXPECT_DOUBLE_EQ(swf::ApplySpread(2.25, SpreadMode::Reflect), 0.25);
}

TEST(GradientFill, LinearGradientRunsAlongItsSquare) {
    // 256 pixels for 256 ramp entries: column x shows entry x.
    auto shape = GradientRect({0x10, Across(256), 0, 0, {{0, kBlack}, {255, kWhite}}}, 256, 2);
    ASSERT_TRUE(shape);
    Canvas c = Draw(*shape, 256, 2);
    for (int x : {0, 1, 64, 128, 200, 255})
        EXPECT_EQ(Gray(c.at(x, 1)), x) << x;
}

TEST(GradientFill, SpreadBeyondTheSquare) {
    std::vector<std::pair<std::uint8_t, Rgba>> stops{{0, kBlack}, {255, kWhite}};
    // The square covers the left 64 pixels of 192.
    swf::Matrix m = Across(64);
    auto pad = GradientRect({0x10, m, 0, 0, stops}, 192, 1);
    auto reflect = GradientRect({0x10, m, 1, 0, stops}, 192, 1);
    auto repeat = GradientRect({0x10, m, 2, 0, stops}, 192, 1);
    ASSERT_TRUE(pad && reflect && repeat);
    Canvas p = Draw(*pad, 192, 1), f = Draw(*reflect, 192, 1), r = Draw(*repeat, 192, 1);
    // Column 80 is a quarter into the second period: entry 64.
    EXPECT_EQ(Gray(p.at(80, 0)), 255);
    EXPECT_EQ(Gray(r.at(80, 0)), 64);
    EXPECT_EQ(Gray(f.at(80, 0)), 192);
    EXPECT_EQ(Gray(f.at(144, 0)), 64);
}

TEST(GradientFill, RadialAndFocal) {
    std::vector<std::pair<std::uint8_t, Rgba>> stops{{0, kBlack}, {255, kWhite}};
    // A circle of radius 32 pixels centred in a 64 x 64 square.
    double scale = 32 * 20 / 16384.0;
    swf::Matrix m{scale, 0, 0, scale, 640, 640};
    auto radial = GradientRect({0x12, m, 0, 0, stops}, 64, 64);
    ASSERT_TRUE(radial);
    Canvas r = Draw(*radial, 64, 64);
    EXPECT_EQ(Gray(r.at(32, 32)), 0);
    EXPECT_EQ(Gray(r.at(48, 32)), 128);
    EXPECT_EQ(Gray(r.at(32, 16)), 128);
    EXPECT_EQ(Gray(r.at(0, 32)), 255);
    EXPECT_EQ(Gray(r.at(1, 1)), 255);

    // The focal point half-way to the right edge: ratio 0 sits there, and the
    // centre lies a third of the way from it to the circle on the left.
    auto focal = GradientRect({0x13, m, 0, 0, stops, 0.5}, 64, 64);
    ASSERT_TRUE(focal);
    EXPECT_DOUBLE_EQ(focal->fillStyles()[0].gradient.focalPoint, 0.5);
    Canvas f = Draw(*focal, 64, 64);
    EXPECT_EQ(Gray(f.at(48, 32)), 0);
    EXPECT_EQ(Gray(f.at(32, 32)), 85);
    EXPECT_EQ(Gray(f.at(0, 32)), 255);
}

TEST(GradientFill, ColourTransformAppliesToStops) {
    auto shape = GradientRect({0x10, Across(256), 0, 0, {{0, kBlack}, {255, kWhite}}}, 256, 1);
    ASSERT_TRUE(shape);
    swf::ColorTransform t;
    t.rMul = 0.5f;
    t.bAdd = 100;
    Canvas c = Draw(*shape, 256, 1, t);
    EXPECT_EQ(c.at(0, 0), qRgb(0, 0, 100));
    EXPECT_EQ(c.at(255, 0), qRgb(127, 255, 255));
}
