#pragma once

#include "graphics/BitmapDef.h"
#include "graphics/CharacterParsers.h"
#include "graphics/MorphShapeDef.h"
#include "graphics/ShapeDef.h"
#include "swf/SwfBitWriter.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace vidorama::test {

// Builds DefineShape bodies record by record. Styles are written by the test
// through styles(); records use fixed index widths of 4 bits.
class ShapeBodyWriter {
public:
    ShapeBodyWriter(std::uint16_t id, const swf::Rect& bounds) { m_w.u16(id).rect(bounds); }

    SwfBitWriter& styles() { return m_w; }
    // Call after the style arrays (and after each new style group's arrays).
    ShapeBodyWriter& beginRecords() {
        m_w.ub(4, 4).ub(4, 4);
        return *this;
    }
    // A style change; negative numbers leave that style unchanged.
    ShapeBodyWriter& change(int fill0, int fill1, int line, bool newStyles = false) {
        writeChange(false, 0, 0, fill0, fill1, line, newStyles);
        return *this;
    }
    ShapeBodyWriter& moveTo(std::int32_t x, std::int32_t y, int fill0 = -1, int fill1 = -1,
                            int line = -1) {
        writeChange(true, x, y, fill0, fill1, line, false);
        return *this;
    }
    ShapeBodyWriter& line(std::int32_t dx, std::int32_t dy) {
        unsigned bits = std::max(2u, SwfBitWriter::signedBits({dx, dy}));
        m_w.ub(1, 1).ub(1, 1).ub(4, bits - 2).ub(1, 1).sb(bits, dx).sb(bits, dy);
        return *this;
    }
    ShapeBodyWriter& curve(std::int32_t cdx, std::int32_t cdy, std::int32_t adx, std::int32_t ady) {
        unsigned bits = std::max(2u, SwfBitWriter::signedBits({cdx, cdy, adx, ady}));
        m_w.ub(1, 1).ub(1, 0).ub(4, bits - 2);
        m_w.sb(bits, cdx).sb(bits, cdy).sb(bits, adx).sb(bits, ady);
        return *this;
    }
    // A closed axis-aligned rectangle from the pen's start point, clockwise
    // on screen (y grows downwards).
    ShapeBodyWriter& rect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) {
        return moveTo(x, y).line(w, 0).line(0, h).line(-w, 0).line(0, -h);
    }
    std::vector<std::uint8_t> finish() {
        m_w.ub(6, 0);
        return m_w.take();
    }

private:
    void writeChange(bool move, std::int32_t x, std::int32_t y, int fill0, int fill1, int line,
                     bool newStyles) {
        unsigned flags = (newStyles ? 0x10 : 0) | (line >= 0 ? 0x08 : 0) | (fill1 >= 0 ? 0x04 : 0) |
                         (fill0 >= 0 ? 0x02 : 0) | (move ? 0x01 : 0);
        m_w.ub(1, 0).ub(5, flags);
        if (move) {
            unsigned bits = SwfBitWriter::signedBits({x, y});
            m_w.ub(5, bits).sb(bits, x).sb(bits, y);
        }
        if (fill0 >= 0)
            m_w.ub(4, static_cast<std::uint32_t>(fill0));
        if (fill1 >= 0)
            m_w.ub(4, static_cast<std::uint32_t>(fill1));
        if (line >= 0)
            m_w.ub(4, static_cast<std::uint32_t>(line));
    }

    SwfBitWriter m_w;
};

// Style array helpers for DefineShape3 bodies (RGBA colours).
inline void SolidFills(SwfBitWriter& w, std::initializer_list<swf::Rgba> colors) {
    w.u8(static_cast<std::uint8_t>(colors.size()));
    for (swf::Rgba c : colors)
        w.u8(0x00).rgba(c);
}

inline void Lines(SwfBitWriter& w,
                  std::initializer_list<std::pair<std::uint16_t, swf::Rgba>> lines) {
    w.u8(static_cast<std::uint8_t>(lines.size()));
    for (auto [width, c] : lines)
        w.u16(width).rgba(c);
}

template <typename T>
std::shared_ptr<const T> Parse(int tagCode, const std::vector<std::uint8_t>& body,
                               const swf::GraphicsParseContext& ctx = {}) {
    auto result = swf::ParseGraphicsCharacter(tagCode, swf::ByteReader(body), ctx);
    EXPECT_TRUE(result.ok()) << (result.ok() ? "" : result.error().message);
    if (!result.ok())
        return nullptr;
    return std::dynamic_pointer_cast<const T>(result.value());
}

// A DefineShape3 rectangle in twips filled with color, outlined in black
// line twips wide when line is not 0.
inline std::shared_ptr<const swf::ShapeDef> Rect(std::int32_t x, std::int32_t y, std::int32_t w,
                                                 std::int32_t h, swf::Rgba color,
                                                 std::uint16_t line = 0) {
    ShapeBodyWriter b(1, {x, x + w, y, y + h});
    SolidFills(b.styles(), {color});
    if (line)
        Lines(b.styles(), {{line, {0, 0, 0, 255}}});
    else
        Lines(b.styles(), {});
    b.beginRecords().moveTo(x, y, 0, 1, line ? 1 : 0).line(w, 0).line(0, h).line(-w, 0).line(0, -h);
    return Parse<swf::ShapeDef>(32, b.finish());
}

} // namespace vidorama::test
