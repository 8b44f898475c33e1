#include "text/TextLayout.h"

#include "swf/Limits.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vidorama::swf {

namespace {

constexpr double kGutterTwips = 40;
// A list item's text starts 35 pixels in, its bullet 18 pixels in.
constexpr double kBulletTextIndentTwips = 35 * 20;
constexpr double kBulletIndentTwips = 18 * 20;
constexpr char32_t kBullet = 0x2022;
// Without tab stops, tabs move the pen to multiples of this many EMs of the
// text's size (about four average characters).
constexpr double kDefaultTabEms = 2.7;
// Underlines are a pixel thick, their middle two pixels below the baseline.
constexpr double kUnderlineOffsetTwips = 40;
constexpr double kUnderlineThicknessTwips = 20;

// One character as measured: where its glyph is in its font and how far it
// moves the pen.
struct MeasuredChar {
    const FontDef* font = nullptr;
    std::optional<std::uint16_t> glyph;
    double advance = 0;
    double scale = 0;
    std::uint32_t format = 0;
};

struct Line {
    std::size_t begin = 0, end = 0; // characters, without the paragraph break
    bool firstOfParagraph = true;
    bool lastOfParagraph = true;
    // The paragraph's format: alignment, margins, indents, leading, tabs.
    std::uint32_t format = 0;
    double ascent = 0, descent = 0;
    // Without the spaces the line ends with.
    double width = 0;
};

bool IsSpace(char32_t c) {
    return c == U' ' || c == 0xa0 || c == U'\t';
}

// Flash moves the pen by whole twips for embedded fonts, cutting the
// fraction off, and by whole pixels for device fonts, letter spacing
// included.
double ScaledAdvance(const FontDef& font, double emUnits, double scale, double spacingTwips) {
    double twips = emUnits * scale;
    if (font.data().deviceFont)
        return (std::round(twips / 20) + std::nearbyint(spacingTwips / 20)) * 20;
    return std::trunc(twips) + spacingTwips;
}

class FieldLayout {
public:
    FieldLayout(const EditTextRecord& field, const StyledText& text,
                const FormatFontResolver& resolve)
        : m_field(field), m_text(text), m_bounds(field.bounds) {
        m_fonts.reserve(text.formats.size());
        for (const TextFormat& format : text.formats)
            m_fonts.push_back(resolve(format));
        measure();
    }

    TextDef::Data layOut();

private:
    void measure();
    void breakLines();
    void breakParagraph(std::size_t begin, std::size_t end, std::uint32_t format);
    void measureLine(Line& line) const;
    const TextFormat& paragraph(const Line& line) const { return m_text.formats[line.format]; }
    double leftOffset(const TextFormat& paragraph, bool firstLine) const;
    double availableWidth(const TextFormat& paragraph, bool firstLine) const;
    double advance(std::size_t i, double x, const TextFormat& paragraph) const;
    double width(std::size_t begin, std::size_t end, const TextFormat& paragraph) const;
    void measureText(TextDef::Data& data) const;
    void fitBoundsToText(const TextDef::Data& measured);
    double alignmentShift(const Line& line, std::size_t visibleEnd, double& spaceExtra) const;
    void place(const Line& line, double baseline, TextDef::Data& data) const;
    void placeGlyph(const MeasuredChar& m, double x, double baseline, TextDef::Data& data) const;
    void placeBullet(const Line& line, double baseline, TextDef::Data& data) const;
    bool shown(const MeasuredChar& m, double x, double baseline, TextDef::Data& data) const;

    const EditTextRecord& m_field;
    const StyledText& m_text;
    Rect m_bounds;
    std::vector<std::shared_ptr<const FontDef>> m_fonts;
    std::vector<MeasuredChar> m_chars;
    std::vector<Line> m_lines;
};

void FieldLayout::measure() {
    m_chars.resize(m_text.chars.size());
    for (std::size_t i = 0; i < m_text.chars.size(); ++i) {
        MeasuredChar& m = m_chars[i];
        m.format = m_text.formatOfChar[i];
        const FontDef* font = m_fonts[m.format].get();
        char32_t c = m_text.chars[i];
        if (!font || c > 0xffff)
            continue;
        m.font = font;
        const TextFormat& format = m_text.formats[m.format];
        m.scale = font->scaleFor(format.heightTwips);
        m.glyph = font->glyphFor(static_cast<std::uint16_t>(c));
        if (!m.glyph)
            continue;
        double emAdvance = font->glyphs()[*m.glyph].advance;
        bool kernWithNext = format.kerning && i + 1 < m_text.chars.size() &&
                            m_fonts[m_text.formatOfChar[i + 1]].get() == font &&
                            m_text.chars[i + 1] <= 0xffff;
        if (kernWithNext)
            emAdvance += font->kerning(static_cast<std::uint16_t>(c),
                                       static_cast<std::uint16_t>(m_text.chars[i + 1]));
        m.advance = ScaledAdvance(*font, emAdvance, m.scale, format.letterSpacingTwips);
    }
}

double FieldLayout::leftOffset(const TextFormat& paragraph, bool firstLine) const {
    return kGutterTwips + paragraph.leftMarginTwips + paragraph.blockIndentTwips +
           (firstLine ? paragraph.indentTwips : 0) +
           (paragraph.bullet ? kBulletTextIndentTwips : 0);
}

double FieldLayout::availableWidth(const TextFormat& paragraph, bool firstLine) const {
    double width = m_bounds.width() - leftOffset(paragraph, firstLine) - kGutterTwips -
                   paragraph.rightMarginTwips;
    return std::max(width, 0.0);
}

// How far character i moves the pen when it starts x twips into its line. A
// tab moves it to the next tab stop, or nowhere after the last one.
double FieldLayout::advance(std::size_t i, double x, const TextFormat& paragraph) const {
    if (m_text.chars[i] != U'\t')
        return m_chars[i].advance;
    if (!paragraph.tabStopsTwips.empty()) {
        for (double stop : paragraph.tabStopsTwips)
            if (stop > x)
                return stop - x;
        return 0;
    }
    double spacing = m_text.formats[m_chars[i].format].heightTwips * kDefaultTabEms;
    if (spacing <= 0)
        return 0;
    return (std::floor(x / spacing) + 1) * spacing - x;
}

double FieldLayout::width(std::size_t begin, std::size_t end, const TextFormat& paragraph) const {
    double x = 0;
    for (std::size_t i = begin; i < end; ++i)
        x += advance(i, x, paragraph);
    return x;
}

// Breaks one paragraph into lines. A line that overflows breaks after its
// last space; a word longer than the line breaks where it overflows.
void FieldLayout::breakParagraph(std::size_t begin, std::size_t end, std::uint32_t format) {
    const TextFormat& para = m_text.formats[format];
    std::size_t lineStart = begin;
    double x = 0;
    bool first = true;
    for (std::size_t i = begin; i < end && m_field.wordWrap; ++i) {
        x += advance(i, x, para);
        if (x <= availableWidth(para, first) || IsSpace(m_text.chars[i]) || i == lineStart)
            continue;
        std::size_t breakAt = i;
        for (std::size_t k = i; k > lineStart; --k) {
            if (IsSpace(m_text.chars[k - 1])) {
                breakAt = k;
                break;
            }
        }
        m_lines.push_back({lineStart, breakAt, first, false, format});
        lineStart = breakAt;
        first = false;
        x = width(lineStart, i + 1, para);
    }
    m_lines.push_back({lineStart, end, first, true, format});
}

void FieldLayout::breakLines() {
    if (m_text.formats.empty())
        return;
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= m_text.chars.size(); ++i) {
        bool atEnd = i == m_text.chars.size();
        if (!atEnd && m_text.chars[i] != U'\n')
            continue;
        // An empty last paragraph still takes a line only after a break.
        if (atEnd && begin == i && i > 0 && m_lines.empty())
            break;
        // A paragraph takes its format from its first character, an empty
        // one from its break.
        std::size_t formatChar = begin < i ? begin : (atEnd ? i - 1 : i);
        std::uint32_t format = m_text.formatOfChar[formatChar];
        breakParagraph(begin, i, format);
        begin = i + 1;
    }
}

// A line's height comes from its largest font: from the format of its
// characters, or of its paragraph when it is empty.
void FieldLayout::measureLine(Line& line) const {
    auto measureFormat = [&](std::uint32_t format) {
        const FontDef* font = format < m_fonts.size() ? m_fonts[format].get() : nullptr;
        if (!font)
            return;
        double scale = font->scaleFor(m_text.formats[format].heightTwips);
        line.ascent = std::max(line.ascent, font->data().ascent * scale);
        line.descent = std::max(line.descent, font->data().descent * scale);
    };
    if (line.begin == line.end)
        measureFormat(line.format);
    for (std::size_t i = line.begin; i < line.end; ++i)
        measureFormat(m_chars[i].format);
    std::size_t visibleEnd = line.end;
    while (visibleEnd > line.begin && IsSpace(m_text.chars[visibleEnd - 1]))
        --visibleEnd;
    line.width = width(line.begin, visibleEnd, paragraph(line));
}

// An auto-sized field grows or shrinks to its text, keeping its top and, by
// its kind, its left edge, its middle or its right edge; a wrapping field
// keeps its width.
void FieldLayout::fitBoundsToText(const TextDef::Data& measured) {
    if (m_field.autoSize == AutoSize::None)
        return;
    double textWidth = measured.textWidth, textHeight = measured.textHeight;
    auto twips = [](double v) {
        return static_cast<std::int32_t>(std::clamp(std::round(v), -1e9, 1e9));
    };
    if (!m_field.wordWrap) {
        std::int32_t width = twips(textWidth + 2 * kGutterTwips);
        std::int32_t left = m_bounds.xMin;
        if (m_field.autoSize == AutoSize::Center)
            left = twips((double(m_bounds.xMin) + m_bounds.xMax - width) / 2);
        else if (m_field.autoSize == AutoSize::Right)
            left = m_bounds.xMax - width;
        m_bounds.xMin = left;
        m_bounds.xMax = left + width;
    }
    m_bounds.yMax = m_bounds.yMin + twips(textHeight + 2 * kGutterTwips);
}

// Glyphs without area (spaces) and glyphs wholly outside the field are left
// out; one that crosses an edge makes the field draw through a mask of its
// bounds.
bool FieldLayout::shown(const MeasuredChar& m, double x, double baseline,
                        TextDef::Data& data) const {
    const Rect& glyph = m.font->glyphs()[*m.glyph].bounds;
    if (glyph.empty())
        return false;
    double left = x + glyph.xMin * m.scale, right = x + glyph.xMax * m.scale;
    double top = baseline + glyph.yMin * m.scale, bottom = baseline + glyph.yMax * m.scale;
    if (right <= m_bounds.xMin || left >= m_bounds.xMax || bottom <= m_bounds.yMin ||
        top >= m_bounds.yMax)
        return false;
    if (left < m_bounds.xMin || right > m_bounds.xMax || top < m_bounds.yMin ||
        bottom > m_bounds.yMax)
        data.clipToBounds = true;
    return true;
}

void FieldLayout::placeGlyph(const MeasuredChar& m, double x, double baseline,
                             TextDef::Data& data) const {
    if (!m.glyph || !shown(m, x, baseline, data))
        return;
    Rgba color = m_text.formats[m.format].color;
    bool sameRun = !data.runs.empty() && data.runs.back().font.get() == m.font &&
                   data.runs.back().scale == m.scale && data.runs.back().y == baseline &&
                   data.runs.back().color == color;
    if (!sameRun)
        data.runs.push_back({m_fonts[m.format], color, m.scale, baseline, {}});
    data.runs.back().glyphs.push_back({*m.glyph, x});
}

// A list item's first line shows a bullet in the paragraph's font.
void FieldLayout::placeBullet(const Line& line, double baseline, TextDef::Data& data) const {
    const FontDef* font = m_fonts[line.format].get();
    if (!font)
        return;
    const TextFormat& para = paragraph(line);
    MeasuredChar bullet;
    bullet.font = font;
    bullet.glyph = font->glyphFor(static_cast<std::uint16_t>(kBullet));
    bullet.scale = font->scaleFor(para.heightTwips);
    bullet.format = line.format;
    double x = m_bounds.xMin + kGutterTwips + para.leftMarginTwips + para.blockIndentTwips +
               kBulletIndentTwips;
    placeGlyph(bullet, x, baseline, data);
}

// How far alignment moves a line right; a justified line instead widens its
// spaces by spaceExtra.
double FieldLayout::alignmentShift(const Line& line, std::size_t visibleEnd,
                                   double& spaceExtra) const {
    const TextFormat& para = paragraph(line);
    double room = availableWidth(para, line.firstOfParagraph) - line.width;
    // List items are always aligned left.
    TextAlign align = para.bullet ? TextAlign::Left : para.align;
    if (align == TextAlign::Right)
        return std::max(room, 0.0);
    if (align == TextAlign::Center)
        return std::max(room, 0.0) / 2;
    if (align == TextAlign::Justify && !line.lastOfParagraph && room > 0) {
        auto spaces =
            std::count_if(m_text.chars.begin() + static_cast<std::ptrdiff_t>(line.begin),
                          m_text.chars.begin() + static_cast<std::ptrdiff_t>(visibleEnd), IsSpace);
        spaceExtra = spaces > 0 ? room / static_cast<double>(spaces) : 0;
    }
    return 0;
}

void FieldLayout::place(const Line& line, double baseline, TextDef::Data& data) const {
    const TextFormat& para = paragraph(line);
    std::size_t visibleEnd = line.end;
    while (visibleEnd > line.begin && IsSpace(m_text.chars[visibleEnd - 1]))
        --visibleEnd;
    if (para.bullet && line.firstOfParagraph && visibleEnd > line.begin)
        placeBullet(line, baseline, data);
    double spaceExtra = 0;
    double lineLeft = m_bounds.xMin + leftOffset(para, line.firstOfParagraph) +
                      alignmentShift(line, visibleEnd, spaceExtra);
    double x = 0;
    std::optional<std::pair<Rect, Rgba>> underline;
    auto endUnderline = [&] {
        if (underline && !underline->first.empty()) {
            const Rect& r = underline->first;
            if (r.xMin < m_bounds.xMin || r.xMax > m_bounds.xMax || r.yMax > m_bounds.yMax)
                data.clipToBounds = true;
            data.underlines.push_back(*underline);
        }
        underline.reset();
    };
    for (std::size_t i = line.begin; i < visibleEnd; ++i) {
        const MeasuredChar& m = m_chars[i];
        double penX = lineLeft + x;
        placeGlyph(m, penX, baseline, data);
        double step = advance(i, x, para) + (IsSpace(m_text.chars[i]) ? spaceExtra : 0);
        const TextFormat& format = m_text.formats[m.format];
        if (!format.underline || (underline && underline->second != format.color))
            endUnderline();
        if (format.underline) {
            if (!underline) {
                auto y = static_cast<std::int32_t>(
                    std::lround(baseline + kUnderlineOffsetTwips - kUnderlineThicknessTwips / 2));
                underline = {Rect{static_cast<std::int32_t>(std::lround(penX)), 0, y,
                                  y + static_cast<std::int32_t>(kUnderlineThicknessTwips)},
                             format.color};
            }
            underline->first.xMax = static_cast<std::int32_t>(std::lround(penX + step));
        }
        x += step;
    }
    endUnderline();
}

void FieldLayout::measureText(TextDef::Data& data) const {
    double top = 0;
    for (const Line& line : m_lines) {
        const TextFormat& para = paragraph(line);
        data.textWidth =
            std::max(data.textWidth, leftOffset(para, line.firstOfParagraph) - kGutterTwips +
                                         line.width + para.rightMarginTwips);
        double height = line.ascent + line.descent + para.leadingTwips;
        data.lines.push_back({top, height});
        top += height;
    }
    data.textHeight = top;
}

TextDef::Data FieldLayout::layOut() {
    TextDef::Data data;
    breakLines();
    for (Line& line : m_lines)
        measureLine(line);
    measureText(data);
    fitBoundsToText(data);
    data.bounds = m_bounds;
    // A field scrolled down shows its lines from the scroll line on.
    std::size_t first = std::min<std::size_t>(m_field.scroll, m_lines.size());
    first = first > 0 ? first - 1 : 0;
    double top = m_bounds.yMin + kGutterTwips;
    std::size_t glyphs = 0;
    for (std::size_t i = first; i < m_lines.size(); ++i) {
        const Line& line = m_lines[i];
        if (top > m_bounds.yMax || glyphs > Limits::kMaxTextGlyphs)
            break;
        place(line, top + line.ascent, data);
        glyphs += line.end - line.begin;
        top += line.ascent + line.descent + paragraph(line).leadingTwips;
    }
    return data;
}

} // namespace

TextDef::Data LayOutTextField(const EditTextRecord& field, const StyledText& text,
                              const FormatFontResolver& fonts) {
    return FieldLayout(field, text, fonts).layOut();
}

} // namespace vidorama::swf
