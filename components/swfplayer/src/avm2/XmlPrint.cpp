// XML as text: toString and toXMLString, with the namespace declarations a
// printed subtree needs and the indentation of pretty printing.

#include "avm2/Xml.h"
#include "avm2/XmlParser.h"
#include "swf/Limits.h"

#include <algorithm>

namespace vidorama::swf::avm2 {

bool XmlObject::hasSimpleContent() const {
    if (nodeKind == NodeKind::Comment || nodeKind == NodeKind::Instruction)
        return false;
    for (const XmlObject* child : children)
        if (child->isElement())
            return false;
    return true;
}

bool XmlObject::hasComplexContent() const {
    if (!isElement())
        return false;
    for (const XmlObject* child : children)
        if (child->isElement())
            return true;
    return false;
}

std::vector<XmlNamespace> XmlInScopeNamespaces(const XmlObject* node) {
    std::vector<XmlNamespace> found;
    for (int depth = 0; node && depth <= Limits::kMaxXmlDepth; node = node->parent, ++depth)
        for (const XmlNamespace& ns : node->declarations)
            if (std::none_of(found.begin(), found.end(),
                             [&](const XmlNamespace& seen) { return seen.prefix == ns.prefix; }))
                found.push_back(ns);
    return found;
}

namespace {

bool IsWhitespace(const std::string& text) {
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

std::string Trim(const std::string& text) {
    std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

class Printer {
public:
    Printer(Vm& vm, const XmlSettings& settings) : m_vm(vm), m_settings(settings) {}

    void node(const XmlObject* x, std::vector<XmlNamespace> ancestors, int indent, int depth) {
        if (depth > Limits::kMaxXmlDepth)
            ThrowXmlError(m_vm, 1090);
        m_vm.checkStringSize(m_out.size());
        bool pretty = m_settings.prettyPrinting;
        if (pretty)
            m_out.append(std::size_t(indent), ' ');
        switch (x->nodeKind) {
        case XmlObject::NodeKind::Text:
            if (x->cdata)
                m_out += "<![CDATA[" + x->value + "]]>";
            else
                m_out += EscapeXmlText(pretty ? Trim(x->value) : x->value);
            return;
        case XmlObject::NodeKind::Attribute:
            m_out += EscapeXmlAttribute(x->value);
            return;
        case XmlObject::NodeKind::Comment:
            m_out += "<!--" + x->value + "-->";
            return;
        case XmlObject::NodeKind::Instruction:
            m_out += "<?" + x->local + " " + x->value + "?>";
            return;
        case XmlObject::NodeKind::Element:
            break;
        }
        // The top of what is printed declares every namespace in scope there.
        std::vector<XmlNamespace> declared;
        for (const XmlNamespace& ns : depth == 0 ? XmlInScopeNamespaces(x) : x->declarations)
            if (!find(ancestors, declared, ns.prefix, ns.uri, true))
                declared.push_back(ns);
        std::string name = qualified(x, ancestors, declared);
        for (const XmlObject* attribute : x->attributes)
            if (!attribute->uri.empty())
                qualified(attribute, ancestors, declared);
        m_out += "<" + name;
        std::vector<XmlNamespace> scope = ancestors;
        scope.insert(scope.end(), declared.begin(), declared.end());
        for (const XmlObject* attribute : x->attributes)
            m_out += " " + qualified(attribute, scope, declared) + "=\"" +
                     EscapeXmlAttribute(attribute->value) + "\"";
        for (const XmlNamespace& ns : declared)
            m_out += ns.prefix.empty()
                         ? " xmlns=\"" + EscapeXmlAttribute(ns.uri) + "\""
                         : " xmlns:" + ns.prefix + "=\"" + EscapeXmlAttribute(ns.uri) + "\"";
        std::vector<const XmlObject*> children;
        for (const XmlObject* child : x->children)
            if (!(pretty && child->nodeKind == XmlObject::NodeKind::Text &&
                  IsWhitespace(child->value) && x->children.size() > 1))
                children.push_back(child);
        if (children.empty()) {
            m_out += "/>";
            return;
        }
        m_out += ">";
        bool indentChildren =
            children.size() > 1 || children[0]->nodeKind != XmlObject::NodeKind::Text;
        int childIndent = pretty && indentChildren ? indent + m_settings.prettyIndent : 0;
        for (const XmlObject* child : children) {
            if (pretty && indentChildren)
                m_out += "\n";
            node(child, scope, childIndent, depth + 1);
        }
        if (pretty && indentChildren) {
            m_out += "\n";
            m_out.append(std::size_t(indent), ' ');
        }
        m_out += "</" + name + ">";
    }

    std::string take() { return std::move(m_out); }

private:
    static const XmlNamespace* find(const std::vector<XmlNamespace>& a,
                                    const std::vector<XmlNamespace>& b, const std::string& prefix,
                                    const std::string& uri, bool matchPrefix) {
        for (const auto* list : {&b, &a})
            for (auto it = list->rbegin(); it != list->rend(); ++it)
                if (it->uri == uri && (!matchPrefix || it->prefix == prefix))
                    return &*it;
        return nullptr;
    }

    // The name as printed, declaring its namespace when nothing in scope
    // does.
    std::string qualified(const XmlObject* x, const std::vector<XmlNamespace>& ancestors,
                          std::vector<XmlNamespace>& declared) {
        bool attribute = x->nodeKind == XmlObject::NodeKind::Attribute;
        if (x->uri.empty()) {
            if (!attribute) {
                const XmlNamespace* byPrefix = nullptr;
                for (const std::vector<XmlNamespace>* list :
                     {static_cast<const std::vector<XmlNamespace>*>(&declared), &ancestors})
                    for (auto it = list->rbegin(); it != list->rend() && !byPrefix; ++it)
                        if (it->prefix.empty())
                            byPrefix = &*it;
                if (byPrefix && !byPrefix->uri.empty())
                    declared.push_back({"", "", true});
            }
            return x->local;
        }
        const XmlNamespace* ns = find(ancestors, declared, x->prefix, x->uri, true);
        if (!ns)
            ns = find(ancestors, declared, "", x->uri, false);
        if (ns && attribute && ns->prefix.empty())
            ns = nullptr;
        if (!ns) {
            std::string prefix = x->prefix;
            if (attribute && prefix.empty())
                prefix = "aaa";
            declared.push_back({prefix, x->uri, true});
            ns = &declared.back();
        }
        return ns->prefix.empty() ? x->local : ns->prefix + ":" + x->local;
    }

    Vm& m_vm;
    const XmlSettings& m_settings;
    std::string m_out;
};

std::string NodeToXmlString(Vm& vm, const XmlObject* node) {
    Printer printer(vm, vm.xml.settings);
    printer.node(node, {}, 0, 0);
    return printer.take();
}

std::string NodeToString(Vm& vm, const XmlObject* node) {
    switch (node->nodeKind) {
    case XmlObject::NodeKind::Text:
    case XmlObject::NodeKind::Attribute:
        return node->value;
    case XmlObject::NodeKind::Element:
        if (node->hasSimpleContent()) {
            std::string text;
            for (const XmlObject* child : node->children)
                if (child->nodeKind == XmlObject::NodeKind::Text)
                    text += child->value;
            return text;
        }
        break;
    default:
        break;
    }
    return NodeToXmlString(vm, node);
}

} // namespace

std::string XmlToXmlString(Vm& vm, const Value& v) {
    if (XmlObject* node = AsXml(v))
        return NodeToXmlString(vm, node);
    std::string out;
    if (XmlListObject* list = AsXmlList(v))
        for (std::size_t i = 0; i < list->items.size(); ++i) {
            if (i)
                out += "\n";
            out += NodeToXmlString(vm, list->items[i]);
            vm.checkStringSize(out.size());
        }
    return out;
}

std::string XmlToString(Vm& vm, const Value& v) {
    if (XmlObject* node = AsXml(v))
        return NodeToString(vm, node);
    XmlListObject* list = AsXmlList(v);
    if (!list)
        return vm.toString(v);
    bool simple = true;
    for (const XmlObject* item : list->items)
        simple = simple && !item->isElement();
    if (list->items.size() == 1)
        simple = list->items[0]->hasSimpleContent();
    if (!simple)
        return XmlToXmlString(vm, v);
    std::string out;
    for (const XmlObject* item : list->items)
        if (item->nodeKind != XmlObject::NodeKind::Comment &&
            item->nodeKind != XmlObject::NodeKind::Instruction) {
            out += NodeToString(vm, item);
            vm.checkStringSize(out.size());
        }
    return out;
}

} // namespace vidorama::swf::avm2
