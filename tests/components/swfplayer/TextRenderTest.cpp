// Static text and text fields on the pixels of tiny hand-made movies: glyph
// placement and colour, the text field's gutter, alignment, wrapping and HTML,
// borders, text as a mask; and broken text tags that must load harmlessly.

#include "TextTestMovie.h"
#include "text/StyledText.h"

namespace vidorama::test {
namespace {

using swf::Matrix;
using tags::BoxGlyph;

TEST(TextRender, StaticTextPlacesGlyphsByTheirAdvancesInTheirRecordColours) {
    MovieWriter writer = Stage();
    tags::TextRecord red{kFont, 400, swf::Rgba{255, 0, 0, 255}, 0, 0, {{0, 300}, {1, 200}}};
    tags::TextRecord blue{std::nullopt, 0, swf::Rgba{0, 0, 255, 255}, {}, {}, {{0, 300}}};
    writer.tag(
        tags::DefineText2(kText, {0, 2000, -400, 100}, Matrix::translate(400, 1000), {red, blue}));
    writer.frame({tags::PlaceAt(1, kText)});
    QImage image = Render(writer);
    EXPECT_TRUE(Near(image.pixel(25, 45), qRgb(255, 0, 0))); // A: x 20-30, y 35-50
    EXPECT_TRUE(Near(image.pixel(32, 45), kGrey));           // between A and B
    EXPECT_TRUE(Near(image.pixel(37, 45), qRgb(255, 0, 0))); // B: x 35-40
    EXPECT_TRUE(Near(image.pixel(50, 45), qRgb(0, 0, 255))); // the blue record goes on
    EXPECT_TRUE(Near(image.pixel(25, 52), kGrey));           // below the baseline
}

TEST(TextRender, StaticTextMasksAsItsGlyphs) {
    MovieWriter writer = Stage();
    writer.tag(tags::DefineRectShape(kRect, kStage, {255, 0, 0, 255}));
    tags::TextRecord record{kFont, 400, swf::Rgba{0, 0, 0, 255}, 0, 0, {{0, 300}, {1, 200}}};
    writer.tag(
        tags::DefineText2(kText, {0, 2000, -400, 100}, Matrix::translate(400, 1000), {record}));
    writer.frame(
        {tags::Place(1).character(kText).matrix({}).clipDepth(2).tag(), tags::PlaceAt(2, kRect)});
    QImage image = Render(writer);
    EXPECT_TRUE(Near(image.pixel(25, 45), qRgb(255, 0, 0)));
    EXPECT_TRUE(Near(image.pixel(32, 45), kGrey));
    EXPECT_TRUE(Near(image.pixel(37, 45), qRgb(255, 0, 0)));
}

// The field's text starts two pixels inside its bounds, its first baseline
// an ascent below that.
TEST(TextRender, TextFieldTextSitsInsideTheGutter) {
    MovieWriter writer = Stage();
    tags::EditText field;
    field.bounds = {0, 2000, 0, 1000};
    field.text = "AB";
    writer.tag(FieldAt(field));
    writer.frame({tags::PlaceAt(1, kText, Matrix::translate(400, 400))});
    QImage image = Render(writer);
    EXPECT_TRUE(Near(image.pixel(27, 30), qRgb(0, 0, 0))); // A: x 22-32, y 22-37
    EXPECT_TRUE(Near(image.pixel(21, 30), kGrey));
    EXPECT_TRUE(Near(image.pixel(27, 21), kGrey));
    EXPECT_TRUE(Near(image.pixel(34, 30), kGrey));
    EXPECT_TRUE(Near(image.pixel(39, 30), qRgb(0, 0, 0))); // B: x 37-42
    EXPECT_TRUE(Near(image.pixel(27, 38), kGrey));
}

// 96 pixels of room: "AAAA " fits, the second word wraps to a line an
// ascent plus a descent lower; both lines are centred without their spaces.
TEST(TextRender, WrappedLinesAreCentredAndSpacedByTheirHeight) {
    MovieWriter writer = Stage();
    tags::EditText field;
    field.bounds = {0, 2000, 0, 2000};
    field.wordWrap = field.multiline = true;
    field.align = 2;
    field.text = "AAAA AAAA";
    writer.tag(FieldAt(field));
    writer.frame({tags::PlaceAt(1, kText, Matrix::translate(400, 400))});
    QImage image = Render(writer);
    // 60 pixels of glyphs in 96: each line starts 18 pixels in, at x 40.
    EXPECT_TRUE(Near(image.pixel(45, 30), qRgb(0, 0, 0)));
    EXPECT_TRUE(Near(image.pixel(30, 30), kGrey));
    EXPECT_TRUE(Near(image.pixel(45, 50), qRgb(0, 0, 0))); // second line: y 42-57
    EXPECT_TRUE(Near(image.pixel(45, 40), kGrey));
    EXPECT_TRUE(Near(image.pixel(100, 50), kGrey));
}

TEST(TextRender, HtmlAlignsParagraphsAndPicksColoursAndTheBoldFont) {
    MovieWriter writer = Stage();
    tags::EditText field;
    field.bounds = {0, 2000, 0, 1000};
    field.html = true;
    field.text = "<p align=\"right\"><font color=\"#00ff00\">A</font><b>A</b></p>";
    writer.tag(FieldAt(field));
    writer.frame({tags::PlaceAt(1, kText, Matrix::translate(400, 400))});
    QImage image = Render(writer);
    // 30 pixels of glyphs end at the right gutter, x 118: they start at 88.
    EXPECT_TRUE(Near(image.pixel(93, 30), qRgb(0, 255, 0)));
    EXPECT_TRUE(Near(image.pixel(105, 30), qRgb(0, 0, 0)));
    // The bold "A" is half as wide as the regular one.
    EXPECT_TRUE(Near(image.pixel(111, 30), kGrey));
}

TEST(TextRender, BordersAreWholePixelLinesAroundAWhiteBackground) {
    MovieWriter writer = Stage();
    tags::EditText field;
    field.bounds = {0, 1000, 0, 1000};
    field.border = true;
    writer.tag(FieldAt(field));
    writer.frame({tags::PlaceAt(1, kText, Matrix::translate(400, 400))});
    QImage image = Render(writer);
    EXPECT_TRUE(Near(image.pixel(20, 40), qRgb(0, 0, 0)));
    EXPECT_TRUE(Near(image.pixel(70, 40), qRgb(0, 0, 0)));
    EXPECT_TRUE(Near(image.pixel(40, 20), qRgb(0, 0, 0)));
    EXPECT_TRUE(Near(image.pixel(40, 70), qRgb(0, 0, 0)));
    EXPECT_TRUE(Near(image.pixel(45, 45), qRgb(255, 255, 255)));
    EXPECT_TRUE(Near(image.pixel(71, 40), kGrey));
    // Flash leaves the bottom-right corner out of the border.
    EXPECT_TRUE(Near(image.pixel(70, 70), qRgb(255, 255, 255)));
}

// Without embedded outlines a field draws with a system font: dark pixels
// within the text's line, none beyond it.
TEST(TextRender, DeviceFontTextDrawsInsideItsLine) {
    MovieWriter writer;
    writer.frameRect = kStage;
    tags::EditText field;
    field.id = kText;
    field.bounds = {0, 3000, 0, 1000};
    field.useOutlines = false;
    field.html = true;
    field.text = "<font face=\"_sans\" size=\"20\">HHHH</font>";
    writer.tag(tags::DefineEditText(field));
    writer.frame({tags::PlaceAt(1, kText, Matrix::translate(400, 400))});
    QImage image = Render(writer);
    int dark = 0, stray = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            bool isDark = qGray(image.pixel(x, y)) < 100;
            bool inLine = x >= 22 && x < 120 && y >= 22 && y < 45;
            (inLine ? dark : stray) += isDark ? 1 : 0;
        }
    EXPECT_GT(dark, 100);
    EXPECT_EQ(stray, 0);
}

TEST(TextHtml, EntitiesBreaksAndUnknownTags) {
    swf::TextFormat format;
    swf::StyledText text =
        swf::HtmlText("<p>a&amp;&lt;&#66;&bogus;</p><p><u>b</u><br>c</p>", format, {});
    // Every closed paragraph ends in a break, the last one too.
    EXPECT_EQ(text.chars, U"a&<B&bogus;\nb\nc\n");
    EXPECT_EQ(swf::HtmlText("<p align=\"center\"></p>", format, {}).chars, U"\n");
    EXPECT_EQ(swf::PlainText("x\r\ny\rz", format).chars, U"x\ny\nz");
}

// Every cut of a text tag's body loads, and a frame that places it draws.
TEST(TextRobustness, CutTextTagsLoadAndDrawHarmlessly) {
    tags::EditText field;
    field.bounds = {0, 2000, 0, 1000};
    field.html = true;
    field.text = "<p><font face=\"Boxes\" size=\"+2\">AB A</font></p>";
    tags::TextRecord record{kFont, 400, swf::Rgba{0, 0, 0, 255}, 0, 0, {{0, 300}, {2, 200}}};
    const std::vector<Bytes> whole = {tags::DefineFont3(BoxFont(kFont, false)),
                                      tags::DefineText2(kText, {0, 2000, -400, 100}, {}, {record}),
                                      FieldAt(field)};
    for (std::size_t which = 0; which < whole.size(); ++which) {
        const Bytes& tag = whole[which];
        // Long tag headers: six bytes before the body.
        for (std::size_t length = 0; length + 6 <= tag.size(); ++length) {
            Bytes body(tag.begin() + 6, tag.begin() + 6 + static_cast<std::ptrdiff_t>(length));
            int code = (tag[0] | tag[1] << 8) >> 6;
            // The cut font stands alone, so that no whole font takes its id.
            MovieWriter writer = which == 0 ? MovieWriter() : Stage();
            writer.frameRect = kStage;
            writer.tag(tags::Tag(code, body, true));
            if (which != 1)
                writer.tag(tags::DefineText2(kText + 1, {0, 2000, -400, 100}, {}, {record}));
            writer.frame({tags::PlaceAt(1, kText), tags::PlaceAt(2, kText + 1)});
            auto movie = swf::Movie::load(writer.bytes());
            ASSERT_TRUE(movie.ok());
            swf::Player player(movie.value());
            QImage image(40, 30, QImage::Format_RGB32);
            swf::RenderFrame(player, image);
        }
    }
}

} // namespace
} // namespace vidorama::test
