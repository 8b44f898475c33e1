// Hand-made movies with a font of box glyphs, shared by the text tests.

#pragma once

#include "SwfTextWriter.h"
#include "SwfWriter.h"
#include "movie/Movie.h"
#include "player/FrameImage.h"
#include "player/Player.h"

#include <QImage>
#include <gtest/gtest.h>

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

inline QImage Render(const MovieWriter& writer) {
    auto movie = swf::Movie::load(writer.bytes());
    EXPECT_TRUE(movie.ok());
    swf::Player player(movie.value());
    QImage image(200, 150, QImage::Format_RGB32);
    swf::RenderFrame(player, image);
    return image;
}

inline testing::AssertionResult Near(QRgb actual, QRgb expected) {
    int d = std::max({std::abs(qRed(actual) - qRed(expected)),
                      std::abs(qGreen(actual) - qGreen(expected)),
                      std::abs(qBlue(actual) - qBlue(expected))});
    if (d <= 2)
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << std::hex << "pixel 0x" << actual << " is not near 0x" << expected;
}

inline Bytes FieldAt(tags::EditText field) {
    field.id = kText;
    field.fontId = kFont;
    field.height = 400;
    return tags::DefineEditText(field);
}

} // namespace vidorama::test
