#pragma once

#include "avm2/Object.h"

#include <string>
#include <vector>

namespace vidorama::swf::avm2 {

// A namespace as XML declares it: the prefix may be empty (the default
// namespace) or unknown (a Namespace made from a URI alone).
struct XmlNamespace {
    std::string prefix;
    std::string uri;
    bool prefixKnown = true;
};

// One node of an XML tree: an element, an attribute, a text, a comment or a
// processing instruction. Elements own their attributes and children; every
// node knows its parent, so a node taken out of a tree keeps its identity.
class XmlObject final : public Object {
public:
    enum class NodeKind : std::uint8_t { Element, Attribute, Text, Comment, Instruction };
    using Object::Object;

    NodeKind nodeKind = NodeKind::Text;
    // Elements and attributes: the namespace URI and local name; an
    // instruction keeps its target as the local name.
    std::string uri;
    std::string prefix;
    std::string local;
    // Texts, comments, instructions and attributes: the content.
    std::string value;
    // The namespaces this element itself declares.
    std::vector<XmlNamespace> declarations;
    std::vector<XmlObject*> attributes;
    std::vector<XmlObject*> children;
    XmlObject* parent = nullptr;
    // A text from a CDATA section prints as one.
    bool cdata = false;

    bool isElement() const { return nodeKind == NodeKind::Element; }
    bool hasSimpleContent() const;
    bool hasComplexContent() const;
};

// An XMLList: the nodes a query found, and for a list a query made, the
// object and name it came from, so that assigning to an empty result adds
// the node there.
class XmlListObject final : public Object {
public:
    using Object::Object;

    std::vector<XmlObject*> items;
    Object* target = nullptr;
    Name targetName;
};

// QName: a namespace URI (absent for the any-namespace name *) and a local name.
class QNameObject final : public Object {
public:
    using Object::Object;
    std::string uri;
    std::string local;
    bool anyNamespace = false;
};

// Namespace: a prefix (possibly unknown) and a URI.
class NamespaceObject final : public Object {
public:
    using Object::Object;
    XmlNamespace ns;
};

inline XmlObject* AsXml(const Value& v) {
    return v.isObject() && v.object->kind() == Object::Kind::Xml ? static_cast<XmlObject*>(v.object)
                                                                 : nullptr;
}
inline XmlListObject* AsXmlList(const Value& v) {
    return v.isObject() && v.object->kind() == Object::Kind::XmlList
               ? static_cast<XmlListObject*>(v.object)
               : nullptr;
}
inline bool IsXmlValue(const Value& v) {
    return AsXml(v) || AsXmlList(v);
}

} // namespace vidorama::swf::avm2
