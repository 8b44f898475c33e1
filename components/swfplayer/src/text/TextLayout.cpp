#include "text/TextLayout.h"

#include "swf/Limits.h"

#include <algorithm>
#include <vector>

namespace vidorama::swf {

namespace {

constexpr double kGutterTwips = 40;

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
    std::uint32_t format = 0;
};

bool IsSpace(char32_t c) {
    return c == U' ' || c == 0xa0 || c == U'\t';
}

class FieldLayout {
public:
    FieldLayout(const EditTextRecord& field, const StyledText& text,
                const FormatFontResolver& resolve)
        : m_field(field), m_text(text) {
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
    double availableWidth(bool firstLine) const;
    double width(std::size_t begin, std::size_t end) const;
    void place(const Line& line, double baseline, TextDef::Data& data) const;

    const EditTextRecord& m_field;
    const StyledText& m_text;
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
        m.scale = font->scaleFor(m_text.formats[m.format].heightTwips);
        m.glyph = font->glyphFor(static_cast<std::uint16_t>(c));
        const TextFormat& format = m_text.formats[m.format];
        if (m.glyph)
            m.advance = font->glyphs()[*m.glyph].advance * m.scale + format.letterSpacingTwips;
        bool kernWithNext = format.kerning && i + 1 < m_text.chars.size() &&
                            m_fonts[m_text.formatOfChar[i + 1]].get() == font &&
                            m_text.chars[i + 1] <= 0xffff;
        if (kernWithNext)
            m.advance += font->kerning(static_cast<std::uint16_t>(c),
                                       static_cast<std::uint16_t>(m_text.chars[i + 1])) *
                         m.scale;
    }
}

double FieldLayout::availableWidth(bool firstLine) const {
    double width = m_field.bounds.width() - 2 * kGutterTwips - m_field.leftMargin -
                   m_field.rightMargin - (firstLine ? m_field.indent : 0);
    return std::max(width, 0.0);
}

double FieldLayout::width(std::size_t begin, std::size_t end) const {
    double w = 0;
    for (std::size_t i = begin; i < end; ++i)
        w += m_chars[i].advance;
    return w;
}

// Breaks one paragraph into lines. A line that overflows breaks after its
// last space; a word longer than the line breaks where it overflows.
void FieldLayout::breakParagraph(std::size_t begin, std::size_t end, std::uint32_t format) {
    std::size_t lineStart = begin;
    double x = 0;
    bool first = true;
    for (std::size_t i = begin; i < end && m_field.wordWrap; ++i) {
        x += m_chars[i].advance;
        if (x <= availableWidth(first) || IsSpace(m_text.chars[i]) || i == lineStart)
            continue;
        std::size_t breakAt = i;
        for (std::size_t k = i; k > lineStart; --k) {
            if (IsSpace(m_text.chars[k - 1])) {
                breakAt = k;
                break;
            }
        }
        m_lines.push_back({lineStart, breakAt, first, false, m_chars[lineStart].format});
        lineStart = breakAt;
        first = false;
        x = width(lineStart, i + 1);
    }
    std::uint32_t lineFormat = lineStart < end ? m_chars[lineStart].format : format;
    m_lines.push_back({lineStart, end, first, true, lineFormat});
}

void FieldLayout::breakLines() {
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= m_text.chars.size(); ++i) {
        bool atEnd = i == m_text.chars.size();
        if (!atEnd && m_text.chars[i] != U'\n')
            continue;
        // An empty last paragraph still takes a line only after a break.
        if (atEnd && begin == i && i > 0 && m_lines.empty())
            break;
        std::uint32_t format = atEnd
                                   ? (m_text.formatOfChar.empty() ? 0 : m_text.formatOfChar.back())
                                   : m_text.formatOfChar[i];
        breakParagraph(begin, i, format);
        begin = i + 1;
    }
}

void FieldLayout::place(const Line& line, double baseline, TextDef::Data& data) const {
    std::size_t visibleEnd = line.end;
    while (visibleEnd > line.begin && IsSpace(m_text.chars[visibleEnd - 1]))
        --visibleEnd;
    double lineWidth = width(line.begin, visibleEnd);
    double room = availableWidth(line.firstOfParagraph) - lineWidth;
    double x = m_field.bounds.xMin + kGutterTwips + m_field.leftMargin +
               (line.firstOfParagraph ? m_field.indent : 0);
    double spaceExtra = 0;
    TextAlign align = m_text.formats.empty() ? m_field.align : m_text.formats[line.format].align;
    if (align == TextAlign::Right) {
        x += std::max(room, 0.0);
    } else if (align == TextAlign::Center) {
        x += std::max(room, 0.0) / 2;
    } else if (align == TextAlign::Justify && !line.lastOfParagraph && room > 0) {
        auto spaces =
            std::count_if(m_text.chars.begin() + static_cast<std::ptrdiff_t>(line.begin),
                          m_text.chars.begin() + static_cast<std::ptrdiff_t>(visibleEnd), IsSpace);
        spaceExtra = spaces > 0 ? room / static_cast<double>(spaces) : 0;
    }
    for (std::size_t i = line.begin; i < visibleEnd; ++i) {
        const MeasuredChar& m = m_chars[i];
        if (m.glyph) {
            Rgba color = m_text.formats[m.format].color;
            bool sameRun = !data.runs.empty() && data.runs.back().font.get() == m.font &&
                           data.runs.back().scale == m.scale && data.runs.back().y == baseline &&
                           data.runs.back().color == color;
            if (!sameRun)
                data.runs.push_back({m_fonts[m.format], color, m.scale, baseline, {}});
            data.runs.back().glyphs.push_back({*m.glyph, x});
        }
        x += m.advance + (IsSpace(m_text.chars[i]) ? spaceExtra : 0);
    }
}

TextDef::Data FieldLayout::layOut() {
    TextDef::Data data;
    data.bounds = m_field.bounds;
    breakLines();
    double top = m_field.bounds.yMin + kGutterTwips;
    std::size_t glyphs = 0;
    for (const Line& line : m_lines) {
        // A line's height comes from its largest font: from the format of
        // its characters, or of its paragraph break when it is empty.
        double ascent = 0, descent = 0;
        auto measureFormat = [&](std::uint32_t format) {
            const FontDef* font = format < m_fonts.size() ? m_fonts[format].get() : nullptr;
            if (!font)
                return;
            double scale = font->scaleFor(m_text.formats[format].heightTwips);
            ascent = std::max(ascent, font->data().ascent * scale);
            descent = std::max(descent, font->data().descent * scale);
        };
        measureFormat(line.format);
        for (std::size_t i = line.begin; i < line.end; ++i)
            measureFormat(m_chars[i].format);
        if (top > m_field.bounds.yMax || glyphs > Limits::kMaxTextGlyphs)
            break;
        place(line, top + ascent, data);
        glyphs += line.end - line.begin;
        top += ascent + descent + m_field.leading;
    }
    return data;
}

} // namespace

TextDef::Data LayOutTextField(const EditTextRecord& field, const StyledText& text,
                              const FormatFontResolver& fonts) {
    return FieldLayout(field, text, fonts).layOut();
}

} // namespace vidorama::swf
