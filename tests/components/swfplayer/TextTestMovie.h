// Hand-made movies with a font of box glyphs, shared by the text tests.

#pragma once

#include "PixelChecks.h"
#include "SwfTextWriter.h"

namespace vidorama::test {

constexpr swf::Rect kStage{0, 4000, 0, 3000};
constexpr std::uint16_t kFont = 1, kBoldFont = 2, kText = 10, kRect = 20;
constexpr QRgb kGrey = 0xff3c3c3c;

// Glyphs of 20480 EM units: at a height of 400 twips (20 pixels) one EM unit
// is 1/51.2 twip, so "A" is a box 10 pixels wide and 15 high on the baseline
// and moves the pen 15 pixels; "B" is 5 pixels wide and moves it 10; space
// moves it 10; the bullet is a small box. Ascent 15 pixels, descent 5.
inline tags::TestFont BoxFont(std::uint16_t id, bool bold) {
    tags::TestFont font;
    font.id = id;
    font.bold = bold;
    font.ascent = 15360;
    font.descent = 5120;
    std::int32_t aWidth = bold ? 5120 : 10240;
    font.glyphs = {{'A', {0, aWidth, -15360, 0}, 15360},
                   {'B', {0, 5120, -15360, 0}, 10240},
                   {' ', {}, 10240},
                   {0x2022, {0, 5120, -10240, -5120}, 10240}};
    return font;
}

inline MovieWriter Stage() {
    MovieWriter movie;
    movie.frameRect = kStage;
    movie.tag(tags::SetBackgroundColor({60, 60, 60, 255}));
    movie.tag(tags::DefineFont3(BoxFont(kFont, false)));
    movie.tag(tags::DefineFont3(BoxFont(kBoldFont, true)));
    return movie;
}

inline Bytes FieldAt(tags::EditText field) {
    field.id = kText;
    field.fontId = kFont;
    field.height = 400;
    return tags::DefineEditText(field);
}

} // namespace vidorama::test
