// Text fields as Flash lays them out: text cut at the field's edges, whole
// twip advances, paragraph formats from HTML, auto-size, new text laid out
// while playing, and the fonts of DefineFont and DefineFont4.

#include "TextTestMovie.h"
#include "text/FontDef.h"
#include "text/StyledText.h"
#include "text/TextDef.h"
#include "text/TextFieldBuilder.h"

#include <cmath>
#include <fstream>
#include <iterator>

namespace vidorama::test {
namespace {

using swf::Matrix;

std::shared_ptr<const swf::Movie> Load(const MovieWriter& writer) {
    auto movie = swf::Movie::load(writer.bytes());
    EXPECT_TRUE(movie.ok());
    return movie.ok() ? movie.value() : nullptr;
}

// The field as laid out when the movie loaded.
std::shared_ptr<const swf::TextDef> LaidOut(const std::shared_ptr<const swf::Movie>& movie) {
    auto character = movie ? movie->character(kText) : nullptr;
    if (!character || character->kind() != swf::CharacterDef::Kind::Text)
        return nullptr;
    return std::static_pointer_cast<const swf::TextDef>(character);
}

std::shared_ptr<const swf::TextDef> LayOut(tags::EditText field) {
    MovieWriter writer = Stage();
    writer.tag(FieldAt(std::move(field)));
    return LaidOut(Load(writer));
}

// Pen positions (twips) of the glyphs of every run, in order.
std::vector<double> GlyphXs(const swf::TextDef& text) {
    std::vector<double> xs;
    for (const swf::GlyphRun& run : text.data().runs)
        for (const swf::PlacedGlyph& glyph : run.glyphs)
            xs.push_back(glyph.x);
    return xs;
}

std::vector<double> Baselines(const swf::TextDef& text) {
    std::vector<double> ys;
    for (const swf::GlyphRun& run : text.data().runs)
        if (ys.empty() || ys.back() != run.y)
            ys.push_back(run.y);
    return ys;
}

tags::EditText HtmlField(std::string html) {
    tags::EditText field;
    field.bounds = {0, 4000, 0, 2000};
    field.html = field.multiline = field.wordWrap = true;
    field.text = std::move(html);
    return field;
}

// 50 pixels wide at x 20: the fourth "A" (x 67-77) crosses the right edge
// and is cut there; the second line starts inside the 30 pixel high field
// and is cut at its bottom edge, y 50.
TEST(TextFieldClip, TextReachingPastTheEdgesIsCutAtTheBounds) {
    MovieWriter writer = Stage();
    tags::EditText field;
    field.bounds = {0, 1000, 0, 600};
    field.multiline = true;
    field.text = "AAAA\nA";
    writer.tag(FieldAt(field));
    writer.frame({tags::PlaceAt(1, kText, Matrix::translate(400, 400))});
    EXPECT_TRUE(LaidOut(Load(writer))->data().clipToBounds);
    QImage image = Render(writer);
    EXPECT_TRUE(Near(image.pixel(68, 30), qRgb(0, 0, 0)));
    EXPECT_TRUE(Near(image.pixel(72, 30), kGrey));
    EXPECT_TRUE(Near(image.pixel(27, 45), qRgb(0, 0, 0)));
    EXPECT_TRUE(Near(image.pixel(27, 52), kGrey));
}

TEST(TextFieldClip, TextThatFitsDrawsWithoutAMask) {
    tags::EditText field;
    field.bounds = {0, 1000, 0, 600};
    field.text = "AA";
    EXPECT_FALSE(LayOut(field)->data().clipToBounds);
}

// At 410 twips "A" moves the pen 307.5 twips, which Flash cuts to 307.
TEST(TextFieldLayout, EmbeddedAdvancesAreWholeTwips) {
    tags::EditText field;
    field.bounds = {0, 4000, 0, 1000};
    field.text = "AAA";
    MovieWriter writer = Stage();
    field.id = kText;
    field.fontId = kFont;
    field.height = 410;
    writer.tag(tags::DefineEditText(field));
    EXPECT_EQ(GlyphXs(*LaidOut(Load(writer))), (std::vector<double>{40, 347, 654}));
}

// Device text keeps to whole pixels: "Wiggly" has advances of every sort.
TEST(TextFieldLayout, DeviceFontAdvancesAreWholePixels) {
    MovieWriter writer;
    tags::EditText field;
    field.id = kText;
    field.bounds = {0, 4000, 0, 1000};
    field.useOutlines = false;
    field.html = true;
    field.text = "<font face=\"_sans\" size=\"13\" letterspacing=\"1.5\">Wiggly text</font>";
    writer.tag(tags::DefineEditText(field));
    auto text = LaidOut(Load(writer));
    ASSERT_TRUE(text);
    std::vector<double> xs = GlyphXs(*text);
    if (xs.empty())
        GTEST_SKIP() << "no system font";
    for (double x : xs)
        EXPECT_EQ(std::fmod(x, 20.0), 0.0) << x << " in " << ::testing::PrintToString(xs);
}

// Margins, block indent and the first line's indent move the text right;
// the right margin narrows it, so "AAAA" wraps after three glyphs.
TEST(TextFieldLayout, TextFormatMarginsAndIndentsPlaceParagraphs) {
    auto text = LayOut(HtmlField("<textformat leftmargin=\"10\" rightmargin=\"112\" indent=\"5\" "
                                 "blockindent=\"3\">AAA AAAA</textformat>"));
    // Room: 200 - 4 - 10 - 3 - 112 = 71 pixels; 66 on the first line.
    EXPECT_EQ(GlyphXs(*text), (std::vector<double>{400, 700, 1000, 300, 600, 900, 1200}));
}

TEST(TextFieldLayout, LeadingIsAddedBelowEveryLine) {
    auto text = LayOut(HtmlField("<textformat leading=\"4\">A<br>A<br>A</textformat>"));
    EXPECT_EQ(Baselines(*text), (std::vector<double>{340, 820, 1300}));
}

TEST(TextFieldLayout, TabsMoveToTabStopsOrToTheDefaultSpacing) {
    auto stops = LayOut(HtmlField("<textformat tabstops=\"50,60\">A\tB\tB\tB</textformat>"));
    // After the last stop a tab does not move the pen.
    EXPECT_EQ(GlyphXs(*stops), (std::vector<double>{40, 1040, 1240, 1440}));
    // Without stops: every 2.7 EMs of the 20 pixel text, 1080 twips.
    auto spaced = LayOut(HtmlField("A\tB"));
    EXPECT_EQ(GlyphXs(*spaced), (std::vector<double>{40, 1120}));
}

// List items are paragraphs of their own: a bullet 18 pixels in, the text
// 35 pixels in, always left-aligned.
TEST(TextFieldLayout, ListItemsShowABulletAndIndentTheirText) {
    auto text = LayOut(HtmlField("<p align=\"right\">B<li>A</li><li>A</li></p>"));
    EXPECT_EQ(Baselines(*text).size(), 3u);
    // The right-aligned "B", then each item's bullet and letter.
    EXPECT_EQ(GlyphXs(*text), (std::vector<double>{3760, 400, 740, 400, 740}));
}

TEST(TextFieldLayout, UnderlinesRunUnderTheirTextTwoPixelsBelowTheBaseline) {
    auto text = LayOut(HtmlField("<font color=\"#ff0000\"><u>AB</u></font> <u>A</u>"));
    const auto& lines = text->data().underlines;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].first.xMin, 40);
    EXPECT_EQ(lines[0].first.xMax, 540);
    EXPECT_EQ(lines[0].first.yMin, 370);
    EXPECT_EQ(lines[0].first.yMax, 390);
    EXPECT_EQ(lines[0].second, (swf::Rgba{255, 0, 0, 255}));
    EXPECT_EQ(lines[1].first.xMin, 740);
    EXPECT_EQ(lines[1].second, (swf::Rgba{0, 0, 0, 255}));
}

TEST(TextFieldLayout, AutoSizedFieldsFitTheirBoxToTheText) {
    tags::EditText field;
    field.bounds = {0, 4000, 0, 200};
    field.autoSize = true;
    field.text = "AB";
    auto text = LayOut(field);
    // 500 twips of text and a line of 400, with the gutters.
    EXPECT_EQ(text->data().bounds.xMin, 0);
    EXPECT_EQ(text->data().bounds.xMax, 580);
    EXPECT_EQ(text->data().bounds.yMax, 480);
    // Scripts can ask a field to grow from its middle or its right edge.
    auto source = std::make_shared<swf::TextFieldSource>(*text->data().field);
    source->record.autoSize = swf::AutoSize::Center;
    auto centred = swf::BuildTextField(source, "AB", swf::TextMarkup::Plain);
    EXPECT_EQ(centred->data().bounds.xMin, 1710);
    EXPECT_EQ(GlyphXs(*centred), (std::vector<double>{1750, 2050}));
    source->record.autoSize = swf::AutoSize::Right;
    EXPECT_EQ(swf::BuildTextField(source, "AB", swf::TextMarkup::Plain)->data().bounds.xMin, 3420);
}

// A field keeps what it was laid out from, so new text lays out the same way.
TEST(TextFieldLayout, NewTextIsLaidOutWithTheFieldsFontsAndFormat) {
    tags::EditText field;
    field.bounds = {0, 4000, 0, 1000};
    field.text = "A";
    auto text = LayOut(field);
    ASSERT_TRUE(text->data().field);
    auto html = swf::BuildTextField(text->data().field, "<b>A</b>A", swf::TextMarkup::Html);
    ASSERT_EQ(html->data().runs.size(), 2u);
    EXPECT_TRUE(html->data().runs[0].font->bold());
    EXPECT_EQ(GlyphXs(*html), (std::vector<double>{40, 340}));
    EXPECT_EQ(html->data().chars, U"AA");
    auto plain = swf::BuildTextField(text->data().field, "<b>A</b>", swf::TextMarkup::Plain);
    EXPECT_EQ(GlyphXs(*plain).size(), 1u); // only the "A" has a glyph
}

TEST(TextHtml, SingleLineFieldsIgnoreHtmlBreaks) {
    swf::TextFormat format;
    swf::HtmlOptions single{false, 10};
    EXPECT_EQ(swf::HtmlText("<p>A</p><p>B<br>C</p><li>D</li>", format, single).chars, U"ABCD");
    EXPECT_EQ(swf::HtmlText("<p>A</p><p>B<br>C</p><li>D</li>", format, {}).chars, U"A\nB\nC\nD\n");
}

TEST(TextHtml, OldMoviesDropWhitespaceBetweenTagsAndKerning) {
    swf::TextFormat format;
    auto old = swf::HtmlText("<b>A</b> <font kerning=\"1\">B </font>", format, {true, 7});
    EXPECT_EQ(old.chars, U"AB ");
    EXPECT_FALSE(old.formats[old.formatOfChar[1]].kerning);
    auto recent = swf::HtmlText("<b>A</b> <font kerning=\"1\">B </font>", format, {true, 8});
    EXPECT_EQ(recent.chars, U"A B ");
    EXPECT_TRUE(recent.formats[recent.formatOfChar[2]].kerning);
}

TEST(TextFonts, ADefineFontWhoseFirstOffsetIsZeroHasNoGlyphs) {
    MovieWriter writer;
    writer.tag(tags::Tag(10, Bytes{1, 0, 0, 0, 0xff, 0xff}, true));
    writer.tag(tags::DefineFont(2, {{0, 100, -100, 0}, {0, 50, -100, 0}}));
    auto movie = Load(writer);
    ASSERT_TRUE(movie);
    auto empty = std::static_pointer_cast<const swf::FontDef>(movie->character(1));
    auto boxes = std::static_pointer_cast<const swf::FontDef>(movie->character(2));
    ASSERT_TRUE(empty && boxes);
    EXPECT_TRUE(empty->glyphs().empty());
    EXPECT_EQ(boxes->glyphs().size(), 2u);
}

// Movies name device fonts with a DefineFont3 that ends after its glyph
// count; text fields using it show in that device font.
TEST(TextFonts, AFontHeaderWithoutTablesNamesADeviceFont) {
    SwfBitWriter font;
    font.u16(30).u8(0x04).u8(1).u8(6).bytes({'_', 's', 'a', 'n', 's', 0}).u16(0);
    MovieWriter writer;
    writer.tag(tags::Tag(75, font.take(), true));
    tags::EditText field;
    field.bounds = {0, 4000, 0, 1000};
    field.id = kText;
    field.fontId = 30;
    field.useOutlines = false;
    field.text = "Hi";
    writer.tag(tags::DefineEditText(field));
    auto movie = Load(writer);
    ASSERT_TRUE(movie);
    EXPECT_TRUE(movie->damage().empty()) << movie->damage();
    auto named = std::static_pointer_cast<const swf::FontDef>(movie->character(30));
    ASSERT_TRUE(named);
    EXPECT_EQ(named->name(), "_sans");
    auto text = LaidOut(movie);
    ASSERT_TRUE(text && !text->data().runs.empty());
    EXPECT_EQ(text->data().runs.front().font->name(), "_sans");
}

// A CFF OpenType font of the system stands in for the data a movie embeds.
std::optional<Bytes> OpenTypeFontFile() {
    for (const char* path : {"/usr/share/fonts/opentype/urw-base35/NimbusSans-Regular.otf",
                             "/usr/share/fonts/opentype/urw-base35/NimbusRoman-Regular.otf"}) {
        std::ifstream file(path, std::ios::binary);
        if (file)
            return Bytes(std::istreambuf_iterator<char>(file), {});
    }
    return std::nullopt;
}

TEST(TextFonts, TextFieldsDrawDefineFont4OutlinesThroughFreeType) {
    auto otf = OpenTypeFontFile();
    if (!otf)
        GTEST_SKIP() << "no CFF OpenType font on this system";
    MovieWriter writer;
    writer.frameRect = kStage;
    writer.tag(tags::SetBackgroundColor({60, 60, 60, 255}));
    writer.tag(tags::DefineFont4(5, "Embedded", *otf));
    tags::EditText field;
    field.id = kText;
    field.fontId = 5;
    field.height = 800;
    field.bounds = {0, 3000, 0, 1200};
    field.text = "II";
    writer.tag(tags::DefineEditText(field));
    writer.frame({tags::PlaceAt(1, kText, Matrix::translate(400, 400))});
    auto text = LaidOut(Load(writer));
    ASSERT_TRUE(text);
    ASSERT_EQ(GlyphXs(*text).size(), 2u);
    QImage image = Render(writer);
    int dark = 0, stray = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            bool isDark = qGray(image.pixel(x, y)) < 30;
            bool inLine = x >= 22 && x < 80 && y >= 22 && y < 80;
            (inLine ? dark : stray) += isDark ? 1 : 0;
        }
    EXPECT_GT(dark, 100);
    EXPECT_EQ(stray, 0);
}

TEST(TextFonts, BrokenDefineFont4DataDrawsNothingAndHarmsNothing) {
    MovieWriter writer = Stage();
    writer.tag(tags::DefineFont4(5, "Broken", Bytes{'O', 'T', 'T', 'O', 0, 1, 0, 0}));
    tags::EditText field;
    field.id = kText;
    field.fontId = 5;
    field.bounds = {0, 3000, 0, 1200};
    field.text = "II";
    writer.tag(tags::DefineEditText(field));
    writer.frame({tags::PlaceAt(1, kText)});
    auto text = LaidOut(Load(writer));
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->data().runs.empty());
    Render(writer);
}

// OpenType data cut anywhere must not harm FreeType's reading of it.
TEST(TextFonts, CutDefineFont4DataLoadsAndDrawsHarmlessly) {
    auto otf = OpenTypeFontFile();
    if (!otf)
        GTEST_SKIP() << "no CFF OpenType font on this system";
    constexpr std::size_t kStep = 1531;
    for (std::size_t length = 0; length < otf->size(); length += kStep) {
        MovieWriter writer = Stage();
        writer.tag(tags::DefineFont4(
            5, "Cut", Bytes(otf->begin(), otf->begin() + static_cast<std::ptrdiff_t>(length))));
        tags::EditText field;
        field.id = kText;
        field.fontId = 5;
        field.bounds = {0, 3000, 0, 1200};
        field.text = "Ig";
        writer.tag(tags::DefineEditText(field));
        writer.frame({tags::PlaceAt(1, kText)});
        ASSERT_TRUE(LaidOut(Load(writer)));
        Render(writer);
    }
}

} // namespace
} // namespace vidorama::test
