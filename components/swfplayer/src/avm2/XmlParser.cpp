#include "avm2/XmlParser.h"

#include "swf/Limits.h"
#include "swf/XmlEscape.h"

#include <algorithm>

namespace vidorama::swf::avm2 {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool IsNameChar(char c) {
    return !IsBlank(c) && c != '>' && c != '/' && c != '=' && c != '<' && c != '"' && c != '\'';
}

void AppendCodePoint(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xc0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3f));
    } else if (cp < 0x10000) {
        out += char(0xe0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3f));
        out += char(0x80 | (cp & 0x3f));
    } else {
        out += char(0xf0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3f));
        out += char(0x80 | ((cp >> 6) & 0x3f));
        out += char(0x80 | (cp & 0x3f));
    }
}

// Entity and character references replaced; what is not one stays as
// written up to the semicolon that ended it.
std::string Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::size_t end = text[i] == '&' ? text.find(';', i) : std::string_view::npos;
        if (end == std::string_view::npos) {
            out += text[i];
            continue;
        }
        std::string_view entity = text.substr(i + 1, end - i - 1);
        static const std::pair<const char*, char> kNamed[] = {
            {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
        bool replaced = false;
        for (const auto& [name, c] : kNamed)
            if (entity == name) {
                out += c;
                replaced = true;
            }
        if (!replaced && entity.size() > 1 && entity[0] == '#') {
            bool hex = entity[1] == 'x';
            std::uint32_t cp = 0;
            bool valid = entity.size() > (hex ? 2u : 1u);
            for (char c : entity.substr(hex ? 2 : 1)) {
                int digit = DigitValue(static_cast<unsigned char>(c));
                if (digit < 0 || digit >= (hex ? 16 : 10) || cp > 0x10ffff)
                    valid = false;
                else
                    cp = cp * (hex ? 16 : 10) + std::uint32_t(digit);
            }
            if (valid && cp <= 0x10ffff && cp != 0) {
                AppendCodePoint(out, cp);
                replaced = true;
            }
        }
        if (!replaced)
            out += text.substr(i, end - i + 1);
        i = end;
    }
    return out;
}

struct RawAttribute {
    std::string name;
    std::string value;
};

class Parser {
public:
    Parser(std::string_view text, const XmlParseOptions& options, const XmlNodeMaker& make,
           std::vector<XmlObject*>& out)
        : m_text(text), m_options(options), m_make(make), m_out(out) {}

    std::optional<XmlParseError> run() {
        while (m_at < m_text.size()) {
            if (m_text[m_at] != '<') {
                text();
                continue;
            }
            if (std::optional<XmlParseError> error = markup())
                return error;
        }
        if (!m_open.empty())
            return XmlParseError{1085, m_open.back().prefixedName, m_open.back().prefixedName};
        return std::nullopt;
    }

private:
    struct Open {
        XmlObject* element;
        std::string prefixedName;
    };

    void add(XmlObject* node) {
        if (m_open.empty()) {
            m_out.push_back(node);
        } else {
            node->parent = m_open.back().element;
            m_open.back().element->children.push_back(node);
        }
    }

    void text() {
        std::size_t end = std::min(m_text.find('<', m_at), m_text.size());
        std::string_view raw = m_text.substr(m_at, end - m_at);
        m_at = end;
        addText(Unescape(m_options.ignoreWhitespace ? Trimmed(raw) : raw));
    }

    void addText(std::string value) {
        if (value.empty())
            return;
        XmlObject* node = m_make(XmlObject::NodeKind::Text);
        node->value = std::move(value);
        add(node);
    }

    std::optional<XmlParseError> markup() {
        std::string_view rest = m_text.substr(m_at);
        if (rest.starts_with("<!--"))
            return special("-->", 4, 1094, [&](std::string_view body) {
                if (m_options.ignoreComments)
                    return;
                XmlObject* node = m_make(XmlObject::NodeKind::Comment);
                node->value = std::string(body);
                add(node);
            });
        if (rest.starts_with("<![CDATA["))
            return special("]]>", 9, 1091, [&](std::string_view body) {
                XmlObject* node = m_make(XmlObject::NodeKind::Text);
                node->value = std::string(body);
                node->cdata = true;
                add(node);
            });
        if (rest.starts_with("<!"))
            return doctype();
        if (rest.starts_with("<?"))
            return special("?>", 2, 1097, [&](std::string_view body) { instruction(body); });
        if (rest.starts_with("</"))
            return endTag();
        return startTag();
    }

    template <typename Fn>
    std::optional<XmlParseError> special(std::string_view close, std::size_t open, int error,
                                         Fn&& fn) {
        std::size_t end = m_text.find(close, m_at + open);
        if (end == std::string_view::npos)
            return XmlParseError{error, {}, {}};
        fn(m_text.substr(m_at + open, end - m_at - open));
        m_at = end + close.size();
        return std::nullopt;
    }

    // A document type declaration is passed over, its internal subset too.
    std::optional<XmlParseError> doctype() {
        int brackets = 0;
        for (std::size_t i = m_at + 2; i < m_text.size(); ++i) {
            char c = m_text[i];
            if (c == '[')
                ++brackets;
            else if (c == ']')
                --brackets;
            else if (c == '>' && brackets <= 0) {
                m_at = i + 1;
                return std::nullopt;
            }
        }
        return XmlParseError{1093, {}, {}};
    }

    void instruction(std::string_view body) {
        std::size_t nameEnd = 0;
        while (nameEnd < body.size() && !IsBlank(body[nameEnd]))
            ++nameEnd;
        std::string target(body.substr(0, nameEnd));
        // The XML declaration is not a node.
        if (m_options.ignoreInstructions || target == "xml")
            return;
        XmlObject* node = m_make(XmlObject::NodeKind::Instruction);
        node->local = std::move(target);
        std::string_view rest = body.substr(nameEnd);
        while (!rest.empty() && IsBlank(rest.front()))
            rest.remove_prefix(1);
        node->value = std::string(rest);
        add(node);
    }

    std::string name() {
        std::size_t start = m_at;
        while (m_at < m_text.size() && IsNameChar(m_text[m_at]))
            ++m_at;
        return std::string(m_text.substr(start, m_at - start));
    }

    void skipBlanks() {
        while (m_at < m_text.size() && IsBlank(m_text[m_at]))
            ++m_at;
    }

    std::optional<XmlParseError> endTag() {
        m_at += 2;
        std::string closing = name();
        std::size_t end = m_text.find('>', m_at);
        if (end == std::string_view::npos)
            return XmlParseError{1096, {}, {}};
        m_at = end + 1;
        if (m_open.empty())
            return XmlParseError{1088, {}, {}};
        if (m_open.back().prefixedName != closing)
            return XmlParseError{1085, m_open.back().prefixedName, m_open.back().prefixedName};
        m_open.pop_back();
        return std::nullopt;
    }

    std::optional<XmlParseError> startTag() {
        ++m_at;
        std::string tag = name();
        if (tag.empty())
            return XmlParseError{1090, {}, {}};
        std::vector<RawAttribute> raw;
        bool selfClosing = false;
        for (;;) {
            skipBlanks();
            if (m_at >= m_text.size())
                return XmlParseError{1096, {}, {}};
            char c = m_text[m_at];
            if (c == '>') {
                ++m_at;
                break;
            }
            if (c == '/') {
                if (m_at + 1 >= m_text.size() || m_text[m_at + 1] != '>')
                    return XmlParseError{1090, {}, {}};
                m_at += 2;
                selfClosing = true;
                break;
            }
            RawAttribute attribute{name(), {}};
            if (attribute.name.empty())
                return XmlParseError{1090, {}, {}};
            skipBlanks();
            if (m_at >= m_text.size() || m_text[m_at] != '=')
                return XmlParseError{1090, {}, {}};
            ++m_at;
            skipBlanks();
            if (m_at >= m_text.size() || (m_text[m_at] != '"' && m_text[m_at] != '\''))
                return XmlParseError{1090, {}, {}};
            char quote = m_text[m_at++];
            std::size_t end = m_text.find(quote, m_at);
            if (end == std::string_view::npos)
                return XmlParseError{1095, {}, {}};
            attribute.value = Unescape(m_text.substr(m_at, end - m_at));
            m_at = end + 1;
            for (const RawAttribute& seen : raw)
                if (seen.name == attribute.name)
                    return XmlParseError{1104, attribute.name, tag};
            raw.push_back(std::move(attribute));
        }
        if (m_open.size() >= std::size_t(Limits::kMaxXmlDepth))
            return XmlParseError{1090, {}, {}};
        return element(tag, raw, selfClosing);
    }

    // The URI a prefix stands for on this element and its ancestors.
    std::optional<std::string> lookup(const XmlObject* element, const std::string& prefix) const {
        for (const XmlObject* e = element; e; e = e->parent)
            for (const XmlNamespace& ns : e->declarations)
                if (ns.prefix == prefix)
                    return ns.uri;
        if (prefix.empty())
            return m_options.defaultUri;
        if (prefix == "xml")
            return std::string("http://www.w3.org/XML/1998/namespace");
        return std::nullopt;
    }

    std::optional<XmlParseError> element(const std::string& tag, std::vector<RawAttribute>& raw,
                                         bool selfClosing) {
        XmlObject* node = m_make(XmlObject::NodeKind::Element);
        node->parent = m_open.empty() ? nullptr : m_open.back().element;
        for (RawAttribute& attribute : raw) {
            if (attribute.name == "xmlns")
                node->declarations.push_back({"", attribute.value, true});
            else if (attribute.name.starts_with("xmlns:"))
                node->declarations.push_back({attribute.name.substr(6), attribute.value, true});
        }
        std::size_t colon = tag.find(':');
        std::string prefix = colon == std::string::npos ? "" : tag.substr(0, colon);
        std::optional<std::string> uri = lookup(node, prefix);
        if (!uri)
            return XmlParseError{1083, prefix, tag};
        node->uri = *uri;
        node->prefix = prefix;
        node->local = colon == std::string::npos ? tag : tag.substr(colon + 1);
        for (RawAttribute& attribute : raw) {
            if (attribute.name == "xmlns" || attribute.name.starts_with("xmlns:"))
                continue;
            XmlObject* made = m_make(XmlObject::NodeKind::Attribute);
            std::size_t at = attribute.name.find(':');
            if (at != std::string::npos) {
                std::string attributePrefix = attribute.name.substr(0, at);
                std::optional<std::string> attributeUri = lookup(node, attributePrefix);
                if (!attributeUri)
                    return XmlParseError{1083, attributePrefix, attribute.name};
                made->uri = *attributeUri;
                made->prefix = attributePrefix;
                made->local = attribute.name.substr(at + 1);
            } else {
                made->local = attribute.name;
            }
            made->value = std::move(attribute.value);
            made->parent = node;
            node->attributes.push_back(made);
        }
        node->parent = nullptr;
        add(node);
        if (!selfClosing)
            m_open.push_back({node, tag});
        return std::nullopt;
    }

    std::string_view m_text;
    const XmlParseOptions& m_options;
    const XmlNodeMaker& m_make;
    std::vector<XmlObject*>& m_out;
    std::vector<Open> m_open;
    std::size_t m_at = 0;
};

} // namespace

std::optional<XmlParseError> ParseXml(std::string_view text, const XmlParseOptions& options,
                                      const XmlNodeMaker& make, std::vector<XmlObject*>& out) {
    return Parser(text, options, make, out).run();
}

std::string EscapeXmlText(std::string_view text) {
    return EscapeXml(text, {{'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}});
}

std::string EscapeXmlAttribute(std::string_view text) {
    return EscapeXml(text, {{'&', "&amp;"},
                            {'<', "&lt;"},
                            {'"', "&quot;"},
                            {'\n', "&#xA;"},
                            {'\r', "&#xD;"},
                            {'\t', "&#x9;"}});
}

} // namespace vidorama::swf::avm2
