#pragma once

#include "avm1/Object.h"

#include <optional>
#include <string>
#include <vector>

namespace vidorama::swf::avm1 {

// A node of an XML tree as XML and XMLNode objects hold it: an element
// (type 1; a document is one without a name) or a text (type 3).
class XmlNodeObject final : public Object {
public:
    explicit XmlNodeObject(Object* proto) : Object(proto) {}
    void references(std::vector<Object*>& out) const override;

    int type = 1;
    std::optional<std::string> name;
    std::optional<std::string> value;
    // The attributes' object, made when first asked for.
    Object* attributes = nullptr;
    std::vector<XmlNodeObject*> children;
    XmlNodeObject* parent = nullptr;
    // childNodes: one array for the node's life, which Flash rewrites from
    // the children whenever they change (what a script put in it is lost).
    ArrayObject* childList = nullptr;

    // Takes the node out of its parent's children.
    void detach(Vm& vm);
    // Brings childList up to date after the children changed.
    void childrenChanged(Vm& vm);
};

// Why a text could not be parsed, as XML.status reports it; 0 for none.
enum XmlStatus : int {
    kXmlOk = 0,
    kXmlCdataOpen = -2,
    kXmlDeclarationOpen = -3,
    kXmlDoctypeOpen = -4,
    kXmlCommentOpen = -5,
    kXmlBadElement = -6,
    kXmlAttributeOpen = -8,
    kXmlUnclosedElement = -9,
    kXmlUnmatchedEnd = -10,
};

struct XmlParseResult {
    int status = kXmlOk;
    std::optional<std::string> declaration;
    std::optional<std::string> doctype;
};

// Parses text into the document's children, made by newNode; whitespace-only
// texts are left out when ignoreWhite is set.
XmlParseResult ParseXml(Vm& vm, XmlNodeObject& document, std::string_view text, bool ignoreWhite,
                        XmlNodeObject* (*newNode)(Vm&));

// The node as XML text, as toString() gives it.
std::string XmlText(Vm& vm, const XmlNodeObject& node);

// Text with &, <, >, " and ' written as entities.
std::string XmlEscape(std::string_view text);

} // namespace vidorama::swf::avm1
