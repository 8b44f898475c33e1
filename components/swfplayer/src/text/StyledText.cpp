#include "text/StyledText.h"

#include "swf/Limits.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <map>
#include <optional>

namespace vidorama::swf {

namespace {

constexpr char32_t kReplacement = 0xfffd;

std::u32string DecodeUtf8(std::string_view s) {
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        auto c = static_cast<unsigned char>(s[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + extra >= s.size() + (extra == 0 ? 1 : 0)) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        char32_t value = extra == 0 ? c : c & (0x3f >> extra);
        bool valid = true;
        for (int k = 1; k <= extra; ++k) {
            auto next = static_cast<unsigned char>(s[i + k]);
            valid = valid && (next & 0xc0) == 0x80;
            value = value << 6 | (next & 0x3f);
        }
        out.push_back(valid ? value : kReplacement);
        i += valid ? extra + 1 : 1;
    }
    return out;
}

std::string Lower(std::u32string_view s) {
    std::string out;
    for (char32_t c : s)
        out.push_back(c < 0x80 ? static_cast<char>(std::tolower(static_cast<int>(c))) : '?');
    return out;
}

std::string ToUtf8(std::u32string_view s) {
    std::string out;
    for (char32_t c : s) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xc0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xe0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3f)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
        } else {
            out.push_back(static_cast<char>(0xf0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3f)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3f)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3f)));
        }
    }
    return out;
}

std::optional<long> ParseNumber(std::string_view s, int base) {
    long value = 0;
    auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (error != std::errc() || end != s.data() + s.size() || s.empty())
        return std::nullopt;
    return value;
}

// "&amp;", "&#65;", "&#x41;": the character, or nothing for names Flash does
// not know (their text is then kept as written).
std::optional<char32_t> Entity(std::string_view name) {
    static const std::map<std::string_view, char32_t> kNamed = {
        {"amp", U'&'}, {"lt", U'<'}, {"gt", U'>'}, {"quot", U'"'}, {"apos", U'\''}, {"nbsp", 0xa0}};
    if (auto it = kNamed.find(name); it != kNamed.end())
        return it->second;
    if (name.size() > 1 && name[0] == '#') {
        bool hex = name[1] == 'x' || name[1] == 'X';
        auto value = ParseNumber(name.substr(hex ? 2 : 1), hex ? 16 : 10);
        if (value && *value > 0 && *value < 0x110000)
            return static_cast<char32_t>(*value);
    }
    return std::nullopt;
}

bool IsHtmlSpace(char32_t c) {
    return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n';
}

struct HtmlTag {
    std::string name;
    bool closing = false;
    bool selfClosing = false;
    std::map<std::string, std::string> attributes;
};

// Reads a tag from just after its '<' up to and including its '>'.
std::optional<HtmlTag> ReadTag(std::u32string_view text, std::size_t& pos) {
    std::size_t close = text.find(U'>', pos);
    if (close == std::u32string_view::npos)
        return std::nullopt;
    std::u32string_view body = text.substr(pos, close - pos);
    pos = close + 1;
    HtmlTag tag;
    std::size_t i = 0;
    auto skipSpace = [&] {
        while (i < body.size() &&
               (body[i] == U' ' || body[i] == U'\t' || body[i] == U'\n' || body[i] == U'\r'))
            ++i;
    };
    auto word = [&] {
        std::size_t start = i;
        while (i < body.size() && body[i] != U' ' && body[i] != U'=' && body[i] != U'/' &&
               body[i] != U'\t' && body[i] != U'\n' && body[i] != U'\r')
            ++i;
        return Lower(body.substr(start, i - start));
    };
    if (i < body.size() && body[i] == U'/') {
        tag.closing = true;
        ++i;
    }
    tag.name = word();
    while (i < body.size()) {
        skipSpace();
        if (i < body.size() && body[i] == U'/') {
            tag.selfClosing = true;
            ++i;
            continue;
        }
        std::string name = word();
        if (name.empty()) {
            ++i;
            continue;
        }
        skipSpace();
        std::u32string value;
        if (i < body.size() && body[i] == U'=') {
            ++i;
            skipSpace();
            char32_t quote = i < body.size() && (body[i] == U'"' || body[i] == U'\'') ? body[i] : 0;
            i += quote ? 1 : 0;
            while (i < body.size() && (quote ? body[i] != quote : body[i] != U' '))
                value.push_back(body[i++]);
            i += quote && i < body.size() ? 1 : 0;
        }
        tag.attributes[name] = ToUtf8(value);
    }
    return tag;
}

// "#" then, after any blanks, hex digits up to the first other character,
// of which the last six count; anything else is no colour.
std::optional<Rgba> ParseColor(std::string_view value) {
    if (value.empty() || value[0] != '#')
        return std::nullopt;
    std::size_t i = 1;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t'))
        ++i;
    std::uint32_t rgb = 0;
    std::size_t digits = 0;
    for (; i < value.size() && std::isxdigit(static_cast<unsigned char>(value[i])); ++i, ++digits) {
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(value[i])));
        rgb = (rgb << 4 | static_cast<std::uint32_t>(c <= '9' ? c - '0' : c - 'a' + 10)) & 0xffffff;
    }
    if (digits == 0)
        return std::nullopt;
    return Rgba{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                static_cast<std::uint8_t>(rgb), 255};
}

// Lengths in <textformat> are pixels, kept within a sane range.
constexpr long kLargestPixels = 10000;

std::optional<double> PixelsAsTwips(const std::map<std::string, std::string>& attributes,
                                    const char* name) {
    auto it = attributes.find(name);
    if (it == attributes.end())
        return std::nullopt;
    auto value = ParseNumber(it->second, 10);
    if (!value)
        return std::nullopt;
    return static_cast<double>(std::clamp(*value, -kLargestPixels, kLargestPixels)) * 20;
}

std::vector<double> TabStops(std::string_view list) {
    std::vector<double> stops;
    constexpr std::size_t kMostStops = 64;
    while (!list.empty() && stops.size() < kMostStops) {
        std::size_t comma = list.find(',');
        std::string_view item = list.substr(0, comma);
        while (!item.empty() && item.front() == ' ')
            item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ')
            item.remove_suffix(1);
        if (auto pixels = ParseNumber(item, 10); pixels && *pixels >= 0)
            stops.push_back(static_cast<double>(std::min(*pixels, kLargestPixels)) * 20);
        list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    return stops;
}

void ApplyTextFormatTag(const HtmlTag& tag, TextFormat& format) {
    format.leftMarginTwips =
        PixelsAsTwips(tag.attributes, "leftmargin").value_or(format.leftMarginTwips);
    format.rightMarginTwips =
        PixelsAsTwips(tag.attributes, "rightmargin").value_or(format.rightMarginTwips);
    format.indentTwips = PixelsAsTwips(tag.attributes, "indent").value_or(format.indentTwips);
    format.blockIndentTwips =
        PixelsAsTwips(tag.attributes, "blockindent").value_or(format.blockIndentTwips);
    format.leadingTwips = PixelsAsTwips(tag.attributes, "leading").value_or(format.leadingTwips);
    if (auto stops = tag.attributes.find("tabstops"); stops != tag.attributes.end())
        format.tabStopsTwips = TabStops(stops->second);
}

class HtmlReader {
public:
    HtmlReader(std::u32string_view text, const TextFormat& format, const HtmlOptions& options)
        : m_text(text), m_options(options) {
        m_stack.push_back({"", format});
    }

    StyledText read();

private:
    struct Open {
        std::string tag;
        TextFormat format;
    };

    const TextFormat& current() const { return m_stack.back().format; }
    void text(char32_t c);
    void openTag(const HtmlTag& tag);
    void applyFont(const HtmlTag& tag, TextFormat& format) const;
    void closeTag(const std::string& name);
    void entity(std::size_t& pos);
    void breakParagraph();
    bool skipsWhitespaceRun(std::size_t pos) const;

    std::u32string_view m_text;
    HtmlOptions m_options;
    std::vector<Open> m_stack;
    StyledText m_out;
    // A closed paragraph's break, written before what follows it.
    std::optional<TextFormat> m_paragraphEnded;
};

void HtmlReader::text(char32_t c) {
    breakParagraph();
    m_out.append(c, current());
}

// Movies before SWF 8 drop text between tags that is only white space.
bool HtmlReader::skipsWhitespaceRun(std::size_t pos) const {
    if (m_options.swfVersion >= 8)
        return false;
    for (; pos < m_text.size() && m_text[pos] != U'<'; ++pos)
        if (m_text[pos] != U' ' && m_text[pos] != U'\t' && m_text[pos] != U'\r' &&
            m_text[pos] != U'\n')
            return false;
    return true;
}

// A paragraph that was closed ends before the next one starts.
void HtmlReader::breakParagraph() {
    if (m_paragraphEnded) {
        m_out.append(U'\n', *m_paragraphEnded);
        m_paragraphEnded.reset();
    }
}

void HtmlReader::openTag(const HtmlTag& tag) {
    if (tag.name == "br") {
        if (m_options.multiline)
            text(U'\n');
        return;
    }
    if (tag.selfClosing || m_stack.size() > Limits::kMaxHtmlNesting)
        return;
    TextFormat format = current();
    if (tag.name == "p") {
        breakParagraph();
        auto align = tag.attributes.find("align");
        if (align != tag.attributes.end()) {
            const std::string& a = align->second;
            format.align = a == "right"     ? TextAlign::Right
                           : a == "center"  ? TextAlign::Center
                           : a == "justify" ? TextAlign::Justify
                                            : TextAlign::Left;
        }
    } else if (tag.name == "li") {
        // A list item starts a paragraph of its own.
        breakParagraph();
        if (m_options.multiline && !m_out.chars.empty() && m_out.chars.back() != U'\n')
            m_out.append(U'\n', current());
        format.bullet = true;
    } else if (tag.name == "b") {
        format.bold = true;
    } else if (tag.name == "i") {
        format.italic = true;
    } else if (tag.name == "u") {
        format.underline = true;
    } else if (tag.name == "font") {
        applyFont(tag, format);
    } else if (tag.name == "textformat") {
        ApplyTextFormatTag(tag, format);
    } else if (tag.name == "a") {
        auto attribute = [&](const char* name) {
            auto it = tag.attributes.find(name);
            return it == tag.attributes.end() ? std::string() : it->second;
        };
        format.url = attribute("href");
        format.target = attribute("target");
    } else {
        return;
    }
    m_stack.push_back({tag.name, format});
}

void HtmlReader::applyFont(const HtmlTag& tag, TextFormat& format) const {
    if (auto face = tag.attributes.find("face"); face != tag.attributes.end())
        format.face = face->second;
    if (auto color = tag.attributes.find("color"); color != tag.attributes.end())
        format.color = ParseColor(color->second).value_or(format.color);
    // Movies before SWF 8 cannot turn kerning on.
    if (auto kerning = tag.attributes.find("kerning"); kerning != tag.attributes.end())
        format.kerning =
            m_options.swfVersion >= 8 && (kerning->second == "1" || kerning->second == "true");
    if (auto spacing = tag.attributes.find("letterspacing"); spacing != tag.attributes.end())
        format.letterSpacingTwips =
            std::clamp(std::atof(spacing->second.c_str()), -1000.0, 1000.0) * 20;
    if (auto size = tag.attributes.find("size"); size != tag.attributes.end()) {
        std::string_view s = size->second;
        bool relative = !s.empty() && (s[0] == '+' || s[0] == '-');
        auto points = ParseNumber(s.substr(!s.empty() && s[0] == '+' ? 1 : 0), 10);
        if (points) {
            double twips = static_cast<double>(*points) * 20;
            // Sizes run from 1 to 127 points before SWF 13.
            double largest = m_options.swfVersion < 13 ? 127.0 * 20 : 127.0 * 20 * 10;
            format.heightTwips =
                std::clamp(relative ? format.heightTwips + twips : twips, 20.0, largest);
        }
    }
}

void HtmlReader::closeTag(const std::string& name) {
    auto open = std::find_if(m_stack.rbegin(), m_stack.rend() - 1,
                             [&](const Open& o) { return o.tag == name; });
    if (open == m_stack.rend() - 1)
        return;
    if ((name == "p" || name == "li") && m_options.multiline)
        m_paragraphEnded = open->format;
    m_stack.erase(std::prev(open.base()), m_stack.end());
}

void HtmlReader::entity(std::size_t& pos) {
    std::size_t end = m_text.find(U';', pos);
    constexpr std::size_t kLongestEntity = 10;
    if (end != std::u32string_view::npos && end - pos <= kLongestEntity) {
        if (auto c = Entity(Lower(m_text.substr(pos + 1, end - pos - 1)))) {
            text(*c);
            pos = end + 1;
            return;
        }
    }
    text(U'&');
    ++pos;
}

StyledText HtmlReader::read() {
    std::size_t pos = 0;
    bool runStart = true;
    // Once a '<' has no '>' after it, no later one has.
    bool tagsLeft = true;
    while (pos < m_text.size() && m_out.chars.size() < Limits::kMaxTextFieldChars) {
        char32_t c = m_text[pos];
        if (c == U'<' && tagsLeft) {
            std::size_t after = pos + 1;
            if (auto tag = ReadTag(m_text, after)) {
                pos = after;
                if (tag->closing)
                    closeTag(tag->name);
                else
                    openTag(*tag);
                runStart = true;
                continue;
            }
            tagsLeft = false;
        }
        if (runStart && skipsWhitespaceRun(pos)) {
            while (pos < m_text.size() && m_text[pos] != U'<')
                ++pos;
            continue;
        }
        runStart = false;
        if (c == U'&') {
            entity(pos);
            continue;
        }
        if (m_options.condenseWhite && IsHtmlSpace(c)) {
            bool afterSpace = m_out.chars.empty() || m_out.chars.back() == U' ' ||
                              m_out.chars.back() == U'\n' || m_paragraphEnded;
            if (!afterSpace)
                text(U' ');
            ++pos;
            continue;
        }
        if (c == U'\r' && pos + 1 < m_text.size() && m_text[pos + 1] == U'\n')
            ++pos;
        text(c == U'\r' ? U'\n' : c);
        ++pos;
    }
    // The last paragraph closed ends in a break too.
    breakParagraph();
    return std::move(m_out);
}

} // namespace

void StyledText::append(char32_t c, const TextFormat& format) {
    if (chars.size() >= Limits::kMaxTextFieldChars)
        return;
    // Formats change at tags only, so comparing with the last one is enough
    // to share them.
    if (formats.empty() || !(formats.back() == format))
        formats.push_back(format);
    formatOfChar.push_back(static_cast<std::uint32_t>(formats.size() - 1));
    chars.push_back(c);
}

StyledText PlainText(std::string_view utf8, const TextFormat& format) {
    std::u32string text = DecodeUtf8(utf8.substr(0, Limits::kMaxTextFieldChars * 4));
    StyledText out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n')
            continue;
        out.append(text[i] == U'\r' ? U'\n' : text[i], format);
    }
    return out;
}

StyledText HtmlText(std::string_view utf8, const TextFormat& format, const HtmlOptions& options) {
    std::u32string text = DecodeUtf8(utf8.substr(0, Limits::kMaxTextFieldChars * 16));
    return HtmlReader(text, format, options).read();
}

} // namespace vidorama::swf
