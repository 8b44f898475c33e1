#include "avm1/XmlNode.h"

#include "avm1/ArrayElements.h"
#include "avm1/Utf16Text.h"
#include "avm1/Vm.h"
#include "swf/XmlEscape.h"

#include <algorithm>

namespace vidorama::swf::avm1 {

void XmlNodeObject::references(std::vector<Object*>& out) const {
    Object::references(out);
    if (attributes)
        out.push_back(attributes);
    if (parent)
        out.push_back(parent);
    out.insert(out.end(), children.begin(), children.end());
    if (childList)
        out.push_back(childList);
}

void XmlNodeObject::detach(Vm& vm) {
    if (!parent)
        return;
    std::erase(parent->children, this);
    parent->childrenChanged(vm);
    parent = nullptr;
}

void XmlNodeObject::childrenChanged(Vm& vm) {
    if (!childList)
        return;
    std::vector<Value> nodes;
    for (XmlNodeObject* child : children)
        nodes.push_back(Value::object(child));
    ReplaceArrayElements(vm, *childList, nodes);
}

std::string XmlEscape(std::string_view text) {
    return EscapeXml(
        text, {{'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}, {'\'', "&apos;"}});
}

namespace {

// Entities Flash knows become their characters; anything else stays as
// written.
std::string Unescape(std::string_view text) {
    static const std::pair<std::string_view, char> kNamed[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != '&') {
            out += text[i++];
            continue;
        }
        bool replaced = false;
        for (const auto& [entity, character] : kNamed) {
            if (text.substr(i, entity.size()) == entity) {
                out += character;
                i += entity.size();
                replaced = true;
                break;
            }
        }
        std::size_t end = text.find(';', i);
        if (!replaced && text.substr(i, 2) == "&#" && end != std::string_view::npos &&
            end - i <= 10) {
            std::string_view digits = text.substr(i + 2, end - i - 2);
            int base = 10;
            if (!digits.empty() && (digits[0] == 'x' || digits[0] == 'X')) {
                base = 16;
                digits.remove_prefix(1);
            }
            char32_t code = 0;
            bool valid = !digits.empty();
            for (char c : digits) {
                int digit = (c >= '0' && c <= '9')   ? c - '0'
                            : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                            : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                     : 99;
                valid = valid && digit < base;
                code = code * static_cast<char32_t>(base) + static_cast<char32_t>(digit % 99);
            }
            if (valid && code > 0 && code < 0x110000) {
                std::u16string units;
                if (code > 0xffff)
                    units = {char16_t(0xd800 + ((code - 0x10000) >> 10)),
                             char16_t(0xdc00 + ((code - 0x10000) & 0x3ff))};
                else
                    units = {char16_t(code)};
                out += FromUtf16(units);
                i = end + 1;
                replaced = true;
            }
        }
        if (!replaced)
            out += text[i++];
    }
    return out;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

class Parser {
public:
    Parser(Vm& vm, std::string_view text, bool ignoreWhite, XmlNodeObject* (*newNode)(Vm&))
        : m_vm(vm), m_text(text), m_ignoreWhite(ignoreWhite), m_newNode(newNode) {}

    XmlParseResult run(XmlNodeObject& document) {
        XmlParseResult result;
        XmlNodeObject* open = &document;
        while (m_at < m_text.size() && result.status == kXmlOk) {
            m_vm.step();
            if (m_text[m_at] != '<') {
                std::size_t end = std::min(m_text.find('<', m_at), m_text.size());
                addText(*open, Unescape(m_text.substr(m_at, end - m_at)));
                m_at = end;
            } else if (starts("<!--")) {
                result.status = skipPast("-->", kXmlCommentOpen);
            } else if (starts("<![CDATA[")) {
                std::size_t end = m_text.find("]]>", m_at);
                if (end == std::string_view::npos) {
                    result.status = kXmlCdataOpen;
                    break;
                }
                addNode(*open, 3, std::nullopt,
                        std::string(m_text.substr(m_at + 9, end - m_at - 9)));
                m_at = end + 3;
            } else if (starts("<?")) {
                std::size_t end = m_text.find("?>", m_at);
                if (end == std::string_view::npos) {
                    result.status = kXmlDeclarationOpen;
                    break;
                }
                result.declaration = std::string(m_text.substr(m_at, end + 2 - m_at));
                m_at = end + 2;
            } else if (starts("<!")) {
                std::size_t end = m_text.find('>', m_at);
                if (end == std::string_view::npos) {
                    result.status = kXmlDoctypeOpen;
                    break;
                }
                result.doctype = std::string(m_text.substr(m_at, end + 1 - m_at));
                m_at = end + 1;
            } else if (starts("</")) {
                std::size_t end = m_text.find('>', m_at);
                if (end == std::string_view::npos) {
                    result.status = kXmlBadElement;
                    break;
                }
                std::string_view name = m_text.substr(m_at + 2, end - m_at - 2);
                while (!name.empty() && IsSpace(name.back()))
                    name.remove_suffix(1);
                if (open == &document || open->name != std::string(name)) {
                    result.status = kXmlUnmatchedEnd;
                    break;
                }
                open = open->parent;
                m_at = end + 1;
            } else {
                result.status = element(open);
            }
        }
        if (result.status == kXmlOk && open != &document)
            result.status = kXmlUnclosedElement;
        return result;
    }

private:
    bool starts(std::string_view prefix) const {
        return m_text.substr(m_at, prefix.size()) == prefix;
    }

    int skipPast(std::string_view end, int status) {
        std::size_t found = m_text.find(end, m_at);
        if (found == std::string_view::npos)
            return status;
        m_at = found + end.size();
        return kXmlOk;
    }

    XmlNodeObject* addNode(XmlNodeObject& parent, int type, std::optional<std::string> name,
                           std::optional<std::string> value) {
        XmlNodeObject* node = m_newNode(m_vm);
        node->type = type;
        node->name = std::move(name);
        node->value = std::move(value);
        node->parent = &parent;
        parent.children.push_back(node);
        return node;
    }

    void addText(XmlNodeObject& parent, std::string text) {
        if (m_ignoreWhite && std::all_of(text.begin(), text.end(), IsSpace))
            return;
        addNode(parent, 3, std::nullopt, std::move(text));
    }

    // A start tag: its name, attributes and whether it closes itself.
    int element(XmlNodeObject*& open) {
        std::size_t at = m_at + 1;
        std::size_t nameEnd = at;
        while (nameEnd < m_text.size() && !IsSpace(m_text[nameEnd]) && m_text[nameEnd] != '>' &&
               m_text[nameEnd] != '/')
            ++nameEnd;
        if (nameEnd >= m_text.size() || nameEnd == at)
            return kXmlBadElement;
        XmlNodeObject* node =
            addNode(*open, 1, std::string(m_text.substr(at, nameEnd - at)), std::nullopt);
        node->attributes = m_vm.newObject();
        // Set last to first once read, so that for..in and toString list
        // them in the order of the text.
        std::vector<std::pair<std::string, std::string>> attributes;
        at = nameEnd;
        while (true) {
            while (at < m_text.size() && IsSpace(m_text[at]))
                ++at;
            if (at >= m_text.size())
                return kXmlBadElement;
            if (m_text[at] == '>' || m_text.substr(at, 2) == "/>") {
                for (auto attribute = attributes.rbegin(); attribute != attributes.rend();
                     ++attribute)
                    m_vm.setMember(node->attributes, attribute->first,
                                   Value::string(attribute->second));
                if (m_text[at] == '>')
                    open = node;
                m_at = at + (m_text[at] == '>' ? 1 : 2);
                return kXmlOk;
            }
            std::size_t equals = m_text.find('=', at);
            if (equals == std::string_view::npos)
                return kXmlBadElement;
            std::string_view name = m_text.substr(at, equals - at);
            while (!name.empty() && IsSpace(name.back()))
                name.remove_suffix(1);
            std::size_t quote = equals + 1;
            while (quote < m_text.size() && IsSpace(m_text[quote]))
                ++quote;
            if (quote >= m_text.size() || (m_text[quote] != '"' && m_text[quote] != '\''))
                return kXmlBadElement;
            std::size_t close = m_text.find(m_text[quote], quote + 1);
            if (close == std::string_view::npos)
                return kXmlAttributeOpen;
            attributes.emplace_back(std::string(name),
                                    Unescape(m_text.substr(quote + 1, close - quote - 1)));
            at = close + 1;
        }
    }

    Vm& m_vm;
    std::string_view m_text;
    bool m_ignoreWhite;
    XmlNodeObject* (*m_newNode)(Vm&);
    std::size_t m_at = 0;
};

void AppendText(Vm& vm, const XmlNodeObject& node, std::string& out, int depth) {
    vm.step();
    if (node.type == 3) {
        out += XmlEscape(node.value.value_or(""));
        return;
    }
    if (depth > 256)
        return;
    if (node.name) {
        out += "<" + *node.name;
        if (node.attributes) {
            // Newest first, as for..in lists them.
            for (const std::string& name : vm.enumerate(node.attributes))
                out += " " + name + "=\"" +
                       XmlEscape(vm.toString(vm.getMember(node.attributes, name))) + "\"";
        }
        if (node.children.empty()) {
            out += " />";
            return;
        }
        out += ">";
    }
    for (const XmlNodeObject* child : node.children)
        AppendText(vm, *child, out, depth + 1);
    if (node.name)
        out += "</" + *node.name + ">";
}

} // namespace

XmlParseResult ParseXml(Vm& vm, XmlNodeObject& document, std::string_view text, bool ignoreWhite,
                        XmlNodeObject* (*newNode)(Vm&)) {
    return Parser(vm, text, ignoreWhite, newNode).run(document);
}

std::string XmlText(Vm& vm, const XmlNodeObject& node) {
    std::string out;
    AppendText(vm, node, out, 0);
    return out;
}

} // namespace vidorama::swf::avm1
