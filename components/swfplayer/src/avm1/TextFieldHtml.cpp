// The HTML Flash writes for a text field's htmlText.

#include "avm1/NumberText.h"
#include "avm1/TextFieldProperties.h"

#include <QString>
#include <cstdio>
#include <vector>

namespace vidorama::swf::avm1 {

namespace {

constexpr double kTwips = 20;

const char* AlignName(TextAlign align) {
    switch (align) {
    case TextAlign::Right:
        return "RIGHT";
    case TextAlign::Center:
        return "CENTER";
    case TextAlign::Justify:
        return "JUSTIFY";
    case TextAlign::Left:
        break;
    }
    return "LEFT";
}

std::string Pixels(double twips) {
    return NumberToString(twips / kTwips);
}

std::string ColorText(Rgba c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", c.r, c.g, c.b);
    return text;
}

void AppendEscaped(std::string& out, char32_t c) {
    switch (c) {
    case U'<':
        out += "&lt;";
        return;
    case U'>':
        out += "&gt;";
        return;
    case U'&':
        out += "&amp;";
        return;
    case U'"':
        out += "&quot;";
        return;
    case U'\'':
        out += "&apos;";
        return;
    default:
        break;
    }
    out += QString::fromUcs4(&c, 1).toStdString();
}

std::string TextFormatTag(const TextFormat& f) {
    std::string tag;
    if (f.leftMarginTwips != 0)
        tag += " LEFTMARGIN=\"" + Pixels(f.leftMarginTwips) + "\"";
    if (f.rightMarginTwips != 0)
        tag += " RIGHTMARGIN=\"" + Pixels(f.rightMarginTwips) + "\"";
    if (f.indentTwips != 0)
        tag += " INDENT=\"" + Pixels(f.indentTwips) + "\"";
    if (f.leadingTwips != 0)
        tag += " LEADING=\"" + Pixels(f.leadingTwips) + "\"";
    if (f.blockIndentTwips != 0)
        tag += " BLOCKINDENT=\"" + Pixels(f.blockIndentTwips) + "\"";
    if (!f.tabStopsTwips.empty()) {
        std::string stops;
        for (double stop : f.tabStopsTwips)
            stops += (stops.empty() ? "" : ",") + Pixels(stop);
        tag += " TABSTOPS=\"" + stops + "\"";
    }
    return tag.empty() ? tag : "<TEXTFORMAT" + tag + ">";
}

// The font settings of `f` that differ from `outer`; all of them without one.
std::string FontAttributes(const TextFormat& f, const TextFormat* outer) {
    std::string attributes;
    if (!outer || outer->face != f.face)
        attributes += " FACE=\"" + f.face + "\"";
    if (!outer || outer->heightTwips != f.heightTwips)
        attributes += " SIZE=\"" + Pixels(f.heightTwips) + "\"";
    if (!outer || outer->color != f.color)
        attributes += " COLOR=\"" + ColorText(f.color) + "\"";
    if (!outer || outer->letterSpacingTwips != f.letterSpacingTwips)
        attributes += " LETTERSPACING=\"" + Pixels(f.letterSpacingTwips) + "\"";
    if (!outer || outer->kerning != f.kerning)
        attributes += std::string(" KERNING=\"") + (f.kerning ? "1" : "0") + "\"";
    return attributes;
}

bool SameFont(const TextFormat& a, const TextFormat& b) {
    return a.face == b.face && a.heightTwips == b.heightTwips && a.color == b.color &&
           a.letterSpacingTwips == b.letterSpacingTwips && a.kerning == b.kerning;
}

bool SameStyle(const TextFormat& a, const TextFormat& b) {
    return a.url == b.url && a.target == b.target && a.bold == b.bold && a.italic == b.italic &&
           a.underline == b.underline;
}

// Writes one paragraph: its characters [begin, end) and its format. Fonts
// nest: a run opens a <FONT> with what differs from the font around it, and
// fonts close only when a later run goes back to one further out. Links and
// styles close at every change of run.
class ParagraphWriter {
public:
    ParagraphWriter(std::string& out, const StyledText& text) : m_out(out), m_text(text) {}

    void write(std::size_t begin, std::size_t end, const TextFormat& paragraph) {
        std::string textFormat = TextFormatTag(paragraph);
        m_out += textFormat;
        m_out += paragraph.bullet ? "<LI>"
                                  : std::string("<P ALIGN=\"") + AlignName(paragraph.align) + "\">";
        m_out += "<FONT" + FontAttributes(paragraph, nullptr) + ">";
        m_fonts.assign(1, &paragraph);
        const TextFormat* run = nullptr;
        for (std::size_t i = begin; i < end; ++i) {
            const TextFormat& f = m_text.formats[m_text.formatOfChar[i]];
            if (run != &f && !(run && SameFont(*run, f) && SameStyle(*run, f))) {
                closeStyles();
                enterFont(f);
                openStyles(f);
                run = &f;
            }
            AppendEscaped(m_out, m_text.chars[i]);
        }
        // An empty paragraph still shows the styles of its break.
        if (begin == end)
            openStyles(paragraph);
        closeStyles();
        for (std::size_t i = 1; i < m_fonts.size(); ++i)
            m_out += "</FONT>";
        m_out += "</FONT>";
        m_out += paragraph.bullet ? "</LI>" : "</P>";
        if (!textFormat.empty())
            m_out += "</TEXTFORMAT>";
    }

private:
    void enterFont(const TextFormat& f) {
        for (std::size_t k = m_fonts.size(); k-- > 0;) {
            if (SameFont(*m_fonts[k], f)) {
                for (std::size_t i = k + 1; i < m_fonts.size(); ++i)
                    m_out += "</FONT>";
                m_fonts.resize(k + 1);
                return;
            }
        }
        m_out += "<FONT" + FontAttributes(f, m_fonts.back()) + ">";
        m_fonts.push_back(&f);
    }

    void openStyles(const TextFormat& f) {
        auto open = [&](const std::string& tag, const std::string& close) {
            m_out += tag;
            m_closing.push_back(close);
        };
        if (!f.url.empty())
            open("<A HREF=\"" + f.url + "\" TARGET=\"" + f.target + "\">", "</A>");
        if (f.bold)
            open("<B>", "</B>");
        if (f.italic)
            open("<I>", "</I>");
        if (f.underline)
            open("<U>", "</U>");
    }

    void closeStyles() {
        for (auto it = m_closing.rbegin(); it != m_closing.rend(); ++it)
            m_out += *it;
        m_closing.clear();
    }

    std::string& m_out;
    const StyledText& m_text;
    std::vector<const TextFormat*> m_fonts;
    std::vector<std::string> m_closing;
};

} // namespace

std::string FieldHtml(const StyledText& text) {
    std::string out;
    ParagraphWriter writer(out, text);
    std::size_t begin = 0;
    for (std::size_t i = 0; i <= text.chars.size(); ++i) {
        bool atEnd = i == text.chars.size();
        if (!atEnd && text.chars[i] != U'\n')
            continue;
        if (atEnd && begin == i)
            break;
        std::size_t formatChar = begin < i ? begin : i;
        writer.write(begin, i, text.formats[text.formatOfChar[formatChar]]);
        begin = i + 1;
    }
    return out;
}

} // namespace vidorama::swf::avm1
