#pragma once

#include "swf/SwfWriter.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace vidorama::sample {

using test::Bytes;

// Fill style records of DefineShape3 (colours with alpha).
Bytes SolidFill(swf::Rgba color);
// Gradients map the square -16384..16384 through the matrix onto the shape.
// Stops are (ratio 0..255, colour) pairs.
Bytes LinearGradientFill(const swf::Matrix& matrix,
                         const std::vector<std::pair<std::uint8_t, swf::Rgba>>& stops);
Bytes RadialGradientFill(const swf::Matrix& matrix,
                         const std::vector<std::pair<std::uint8_t, swf::Rgba>>& stops);

// The gradient matrix that lays a gradient's square over a box, turned a
// quarter when the gradient should run from top to bottom.
swf::Matrix GradientBox(const swf::Rect& box, bool vertical);

// Writes one DefineShape3: its fill and line styles, then outlines drawn with
// a pen in absolute twips. Styles are numbered from 1 in the order given.
class ShapeWriter {
public:
    ShapeWriter(std::uint16_t id, const swf::Rect& bounds, std::vector<Bytes> fills,
                std::vector<std::pair<std::uint16_t, swf::Rgba>> lines = {});

    // Lifts the pen to (x, y) and picks the styles of what follows; 0 is none.
    ShapeWriter& moveTo(std::int32_t x, std::int32_t y, unsigned fill, unsigned line = 0);
    ShapeWriter& lineTo(std::int32_t x, std::int32_t y);
    ShapeWriter& curveTo(std::int32_t controlX, std::int32_t controlY, std::int32_t x,
                         std::int32_t y);
    // A closed rectangle, clockwise on screen.
    ShapeWriter& rect(const swf::Rect& r, unsigned fill, unsigned line = 0);
    // A closed circle of eight curves around (cx, cy).
    ShapeWriter& circle(std::int32_t cx, std::int32_t cy, std::int32_t radius, unsigned fill,
                        unsigned line = 0);

    Bytes tag();

private:
    static constexpr unsigned kIndexBits = 4;

    test::SwfBitWriter m_w;
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
};

} // namespace vidorama::sample
