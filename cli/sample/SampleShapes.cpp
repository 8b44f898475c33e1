#include "SampleShapes.h"

#include <cmath>
#include <numbers>

namespace vidorama::sample {

using test::SwfBitWriter;

namespace {

constexpr std::uint8_t kSolid = 0x00;
constexpr std::uint8_t kLinear = 0x10;
constexpr std::uint8_t kRadial = 0x12;
constexpr double kGradientSquare = 32768.0;
constexpr int kCircleCurves = 8;

Bytes GradientFill(std::uint8_t type, const swf::Matrix& matrix,
                   const std::vector<std::pair<std::uint8_t, swf::Rgba>>& stops) {
    SwfBitWriter w;
    w.u8(type).matrix(matrix);
    // Pad spread, sRGB interpolation, then the number of stops.
    w.u8(static_cast<std::uint8_t>(stops.size() & 0x0f));
    for (const auto& [ratio, color] : stops)
        w.u8(ratio).rgba(color);
    return w.take();
}

} // namespace

Bytes SolidFill(swf::Rgba color) {
    return SwfBitWriter().u8(kSolid).rgba(color).take();
}

Bytes LinearGradientFill(const swf::Matrix& matrix,
                         const std::vector<std::pair<std::uint8_t, swf::Rgba>>& stops) {
    return GradientFill(kLinear, matrix, stops);
}

Bytes RadialGradientFill(const swf::Matrix& matrix,
                         const std::vector<std::pair<std::uint8_t, swf::Rgba>>& stops) {
    return GradientFill(kRadial, matrix, stops);
}

swf::Matrix GradientBox(const swf::Rect& box, bool vertical) {
    const double sx = box.width() / kGradientSquare;
    const double sy = box.height() / kGradientSquare;
    const double cx = (box.xMin + box.xMax) / 2.0;
    const double cy = (box.yMin + box.yMax) / 2.0;
    if (vertical)
        return {0, sy, -sx, 0, cx, cy};
    return {sx, 0, 0, sy, cx, cy};
}

ShapeWriter::ShapeWriter(std::uint16_t id, const swf::Rect& bounds, std::vector<Bytes> fills,
                         std::vector<std::pair<std::uint16_t, swf::Rgba>> lines) {
    m_w.u16(id).rect(bounds);
    m_w.u8(static_cast<std::uint8_t>(fills.size()));
    for (const Bytes& fill : fills)
        m_w.bytes(fill);
    m_w.u8(static_cast<std::uint8_t>(lines.size()));
    for (const auto& [width, color] : lines)
        m_w.u16(width).rgba(color);
    m_w.ub(4, kIndexBits).ub(4, kIndexBits);
}

ShapeWriter& ShapeWriter::moveTo(std::int32_t x, std::int32_t y, unsigned fill, unsigned line) {
    // Style change record: new line style, fill style 1 and a move.
    const unsigned bits = SwfBitWriter::signedBits({x, y});
    m_w.ub(1, 0).ub(5, 0x08 | 0x04 | 0x01).ub(5, bits).sb(bits, x).sb(bits, y);
    m_w.ub(kIndexBits, fill).ub(kIndexBits, line);
    m_x = x;
    m_y = y;
    return *this;
}

ShapeWriter& ShapeWriter::lineTo(std::int32_t x, std::int32_t y) {
    const std::int32_t dx = x - m_x, dy = y - m_y;
    const unsigned bits = std::max(2u, SwfBitWriter::signedBits({dx, dy}));
    m_w.ub(1, 1).ub(1, 1).ub(4, bits - 2).ub(1, 1).sb(bits, dx).sb(bits, dy);
    m_x = x;
    m_y = y;
    return *this;
}

ShapeWriter& ShapeWriter::curveTo(std::int32_t controlX, std::int32_t controlY, std::int32_t x,
                                  std::int32_t y) {
    const std::int32_t cdx = controlX - m_x, cdy = controlY - m_y;
    const std::int32_t adx = x - controlX, ady = y - controlY;
    const unsigned bits = std::max(2u, SwfBitWriter::signedBits({cdx, cdy, adx, ady}));
    m_w.ub(1, 1).ub(1, 0).ub(4, bits - 2).sb(bits, cdx).sb(bits, cdy).sb(bits, adx).sb(bits, ady);
    m_x = x;
    m_y = y;
    return *this;
}

ShapeWriter& ShapeWriter::rect(const swf::Rect& r, unsigned fill, unsigned line) {
    moveTo(r.xMin, r.yMin, fill, line);
    return lineTo(r.xMax, r.yMin)
        .lineTo(r.xMax, r.yMax)
        .lineTo(r.xMin, r.yMax)
        .lineTo(r.xMin, r.yMin);
}

ShapeWriter& ShapeWriter::circle(std::int32_t cx, std::int32_t cy, std::int32_t radius,
                                 unsigned fill, unsigned line) {
    // Each curve spans an eighth of the circle; its control point lies where
    // the tangents at both ends meet.
    const double step = 2 * std::numbers::pi / kCircleCurves;
    const double controlRadius = radius / std::cos(step / 2);
    auto at = [&](double angle, double r, std::int32_t& x, std::int32_t& y) {
        x = cx + static_cast<std::int32_t>(std::lround(r * std::cos(angle)));
        y = cy + static_cast<std::int32_t>(std::lround(r * std::sin(angle)));
    };
    std::int32_t x = 0, y = 0;
    at(0, radius, x, y);
    moveTo(x, y, fill, line);
    for (int i = 0; i < kCircleCurves; ++i) {
        std::int32_t controlX = 0, controlY = 0;
        at((i + 0.5) * step, controlRadius, controlX, controlY);
        at((i + 1) * step, radius, x, y);
        curveTo(controlX, controlY, x, y);
    }
    return *this;
}

Bytes ShapeWriter::tag() {
    m_w.ub(6, 0);
    return test::tags::Tag(32, m_w.take());
}

} // namespace vidorama::sample
