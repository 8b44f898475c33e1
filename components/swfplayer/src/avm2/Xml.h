#pragma once

#include "avm2/Vm.h"
#include "avm2/XmlObject.h"

namespace vidorama::swf::avm2 {

// A name as E4X matches it against nodes: a local name or any, and the
// namespace URIs it accepts or any.
struct XmlName {
    std::string local;
    std::vector<std::string> uris;
    bool attribute = false;
    bool anyLocal = false;
    bool anyUri = false;

    bool matches(const XmlObject& node) const;
    // The URI a node this name makes gets.
    std::string creationUri() const;
};

// Whether an XML value's property access by this name is an E4X query (a
// child or attribute) rather than one of the class's methods.
bool IsXmlQuery(const Name& name);
XmlName ToXmlName(Vm& vm, const Name& name);
// A method's name argument (a string, QName or anything else).
XmlName ToXmlName(Vm& vm, const Value& v, bool attribute);

XmlObject* NewXmlNode(Vm& vm, XmlObject::NodeKind kind);
XmlListObject* NewXmlList(Vm& vm, Object* target = nullptr, Name targetName = {});
// XML(v) and XMLList(v) as the classes convert; parse errors are thrown.
XmlObject* ToXml(Vm& vm, const Value& v);
XmlListObject* ToXmlList(Vm& vm, const Value& v);
// The nodes a value stands for: a list's items or the one node.
std::vector<XmlObject*> XmlNodes(const Value& v);
XmlObject* DeepCopy(Vm& vm, const XmlObject* node);

// The namespaces in scope at a node, the nearest declaration of each prefix
// first.
std::vector<XmlNamespace> XmlInScopeNamespaces(const XmlObject* node);

std::string XmlToString(Vm& vm, const Value& v);
std::string XmlToXmlString(Vm& vm, const Value& v);

// The E4X property operations on XML and XMLList values.
Value XmlGet(Vm& vm, Object* object, const Name& name);
void XmlPut(Vm& vm, Object* object, const Name& name, const Value& value);
bool XmlDelete(Vm& vm, Object* object, const Name& name);
bool XmlHas(Vm& vm, Object* object, const Name& name);
XmlListObject* XmlDescendants(Vm& vm, const Value& v, const XmlName& name);
XmlListObject* XmlChildren(Vm& vm, const Value& v, const XmlName& name);
// XML equality as == compares: structure for nodes, text otherwise.
bool XmlEquals(Vm& vm, const Value& a, const Value& b);
// Whether == compares two values as E4X does: either is XML, or both are
// names (Namespace or QName).
bool XmlComparable(const Value& a, const Value& b);
// What a call of a method XML does not have runs on: the text of XML with
// simple content, which has String's methods; error 1006 otherwise.
Value XmlMethodReceiver(Vm& vm, const Value& target, const Name& name);
// XML + XML: a list of both.
Value XmlConcat(Vm& vm, const Value& a, const Value& b);

// Inserting children: refuses to make a node its own ancestor.
void XmlInsert(Vm& vm, XmlObject* parent, std::size_t at, const Value& value);
void XmlReplaceAt(Vm& vm, XmlObject* parent, std::size_t at, const Value& value);
void XmlRemoveChild(XmlObject* parent, std::size_t at);

[[noreturn]] void ThrowXmlError(Vm& vm, int code, const std::string& a = {},
                                const std::string& b = {});

} // namespace vidorama::swf::avm2

namespace vidorama::swf::avm2 {

Value NewQName(Vm& vm, const std::string& uri, const std::string& local, bool anyNamespace);
Value NewNamespace(Vm& vm, const XmlNamespace& ns);
// The URI of a value used as a namespace: a Namespace, a QName's, or text.
std::string NamespaceUri(Vm& vm, const Value& v);
// A run-time name's parts from a QName object, when the value is one.
bool QNameParts(const Value& v, std::string& uri, std::string& local);

// for-in and for-each over a Namespace or QName: the properties Flash
// lists (two, or none for other values), their names and their values.
std::uint32_t NameObjectEntries(const Value& v);
Value NameObjectKey(const Value& v, std::uint32_t index);
Value NameObjectValue(const Value& v, std::uint32_t index);

void InstallXmlNames(Vm& vm);
void InstallXml(Vm& vm);

} // namespace vidorama::swf::avm2
