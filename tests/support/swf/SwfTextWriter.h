#pragma once

#include "swf/SwfWriter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vidorama::test::tags {

// A glyph of a test font: a filled box in EM units (y down, baseline 0).
struct BoxGlyph {
    std::uint16_t code = 0;
    swf::Rect box;
    std::int16_t advance = 0;
};

struct TestFont {
    std::uint16_t id = 0;
    std::string name = "Boxes";
    bool bold = false;
    bool italic = false;
    std::uint16_t ascent = 0, descent = 0;
    std::int16_t leading = 0;
    std::vector<BoxGlyph> glyphs;
};

// A DefineFont3 (EM square 20480) with wide offsets and codes and layout.
inline Bytes DefineFont3(const TestFont& font) {
    std::vector<Bytes> shapes;
    for (const BoxGlyph& g : font.glyphs) {
        SwfBitWriter shape;
        if (g.box.empty())
            shape.ub(8, 0).ub(6, 0); // no index bits, then the end
        else
            RectShapeRecords(shape, g.box);
        shapes.push_back(shape.take());
    }
    SwfBitWriter w;
    w.u16(font.id).u8(0x80 | 0x08 | 0x04 | (font.italic ? 0x02 : 0) | (font.bold ? 0x01 : 0));
    w.u8(0).u8(static_cast<std::uint8_t>(font.name.size()));
    w.bytes(Bytes(font.name.begin(), font.name.end()));
    w.u16(static_cast<std::uint16_t>(font.glyphs.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(4 * (font.glyphs.size() + 1));
    for (const Bytes& shape : shapes) {
        w.u32(offset);
        offset += static_cast<std::uint32_t>(shape.size());
    }
    w.u32(offset); // code table
    for (const Bytes& shape : shapes)
        w.bytes(shape);
    for (const BoxGlyph& g : font.glyphs)
        w.u16(g.code);
    w.u16(font.ascent).u16(font.descent).i16(font.leading);
    for (const BoxGlyph& g : font.glyphs)
        w.i16(g.advance);
    for (const BoxGlyph& g : font.glyphs)
        w.rect(g.box);
    w.u16(0); // no kerning
    return Tag(75, w.take(), true);
}

struct TextRecord {
    std::optional<std::uint16_t> fontId;
    std::uint16_t height = 0;
    std::optional<swf::Rgba> color;
    std::optional<std::int16_t> x, y;
    // Glyph index and advance (twips).
    std::vector<std::pair<std::uint16_t, std::int16_t>> glyphs;
};

// DefineText2 (colours with alpha).
inline Bytes DefineText2(std::uint16_t id, const swf::Rect& bounds, const swf::Matrix& matrix,
                         const std::vector<TextRecord>& records) {
    constexpr unsigned kGlyphBits = 8, kAdvanceBits = 16;
    SwfBitWriter w;
    w.u16(id).rect(bounds).matrix(matrix).u8(kGlyphBits).u8(kAdvanceBits);
    for (const TextRecord& r : records) {
        w.u8(0x80 | (r.fontId ? 0x08 : 0) | (r.color ? 0x04 : 0) | (r.y ? 0x02 : 0) |
             (r.x ? 0x01 : 0));
        if (r.fontId)
            w.u16(*r.fontId);
        if (r.color)
            w.rgba(*r.color);
        if (r.x)
            w.i16(*r.x);
        if (r.y)
            w.i16(*r.y);
        if (r.fontId)
            w.u16(r.height);
        w.u8(static_cast<std::uint8_t>(r.glyphs.size()));
        for (auto [index, advance] : r.glyphs)
            w.ub(kGlyphBits, index).sb(kAdvanceBits, advance);
        w.flushBits();
    }
    w.u8(0);
    return Tag(33, w.take(), true);
}

struct EditText {
    std::uint16_t id = 0;
    swf::Rect bounds;
    std::optional<std::uint16_t> fontId;
    std::uint16_t height = 240;
    std::optional<swf::Rgba> color;
    bool wordWrap = false, multiline = false, html = false, useOutlines = true, border = false;
    bool autoSize = false;
    std::uint8_t align = 0;
    std::uint16_t leftMargin = 0, rightMargin = 0, indent = 0;
    std::int16_t leading = 0;
    std::string variable;
    std::optional<std::string> text;
};

inline Bytes DefineEditText(const EditText& e) {
    SwfBitWriter w;
    w.u16(e.id).rect(e.bounds);
    w.u8((e.text ? 0x80 : 0) | (e.wordWrap ? 0x40 : 0) | (e.multiline ? 0x20 : 0) |
         (e.color ? 0x04 : 0) | (e.fontId ? 0x01 : 0));
    w.u8((e.autoSize ? 0x40 : 0) | 0x20 | (e.border ? 0x08 : 0) | (e.html ? 0x02 : 0) |
         (e.useOutlines ? 0x01 : 0));
    if (e.fontId)
        w.u16(*e.fontId).u16(e.height);
    if (e.color)
        w.rgba(*e.color);
    w.u8(e.align).u16(e.leftMargin).u16(e.rightMargin).u16(e.indent).i16(e.leading);
    w.string(e.variable);
    if (e.text)
        w.string(*e.text);
    return Tag(37, w.take(), true);
}

// A DefineFont: only an offset table and outlines (no codes, no layout).
inline Bytes DefineFont(std::uint16_t id, const std::vector<swf::Rect>& boxes) {
    std::vector<Bytes> shapes;
    for (const swf::Rect& box : boxes) {
        SwfBitWriter shape;
        RectShapeRecords(shape, box);
        shapes.push_back(shape.take());
    }
    SwfBitWriter w;
    w.u16(id);
    auto offset = static_cast<std::uint16_t>(2 * shapes.size());
    for (const Bytes& shape : shapes) {
        w.u16(offset);
        offset = static_cast<std::uint16_t>(offset + shape.size());
    }
    for (const Bytes& shape : shapes)
        w.bytes(shape);
    return Tag(10, w.take(), true);
}

// A DefineFont4 carrying OpenType data.
inline Bytes DefineFont4(std::uint16_t id, const std::string& name, const Bytes& openType) {
    SwfBitWriter w;
    w.u16(id).u8(openType.empty() ? 0 : 0x04).string(name).bytes(openType);
    return Tag(91, w.take(), true);
}

} // namespace vidorama::test::tags
