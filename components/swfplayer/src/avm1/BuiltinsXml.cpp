// XMLNode and XML: a tree of elements and texts that scripts build, parse
// and write out.

#include "avm1/Native.h"
#include "avm1/XmlNode.h"

#include <algorithm>

namespace vidorama::swf::avm1 {

namespace {

XmlNodeObject* NodeOf(const Value& value) {
    return dynamic_cast<XmlNodeObject*>(value.asObject());
}

Object* PrototypeOf(Vm& vm, const char* className) {
    return vm.getMember(vm.getMember(vm.builtins().global, className).asObject(), "prototype")
        .asObject();
}

XmlNodeObject* NewNode(Vm& vm) {
    return vm.make<XmlNodeObject>(PrototypeOf(vm, "XMLNode"));
}

Value Nullable(const std::optional<std::string>& text) {
    return text ? Value::string(*text) : Value::null();
}

Value NodeOrNull(XmlNodeObject* node) {
    return node ? Value::object(node) : Value::null();
}

// The sibling next to the node, before (-1) or after (+1) it.
XmlNodeObject* Sibling(const XmlNodeObject& node, int step) {
    if (!node.parent)
        return nullptr;
    const auto& siblings = node.parent->children;
    auto at = std::find_if(siblings.begin(), siblings.end(),
                           [&node](const XmlNodeObject* sibling) { return sibling == &node; });
    if (at == siblings.end())
        return nullptr;
    if (step < 0)
        return at == siblings.begin() ? nullptr : *(at - 1);
    return at + 1 == siblings.end() ? nullptr : *(at + 1);
}

// new XMLNode(type, value): an element named value (type 1) or a text.
Value NodeConstruct(Vm& vm, const Value&, std::span<const Value> args) {
    XmlNodeObject* node = NewNode(vm);
    node->type = vm.toNumber(Arg(args, 0)) == 3 ? 3 : 1;
    if (args.size() > 1) {
        if (node->type == 1)
            node->name = vm.toString(args[1]);
        else
            node->value = vm.toString(args[1]);
    }
    if (node->type == 1)
        node->attributes = vm.newObject();
    return Value::object(node);
}

#define NODE_GETTER(Name, expression)                                                              \
    Value Name(Vm& vm, const Value& self, std::span<const Value>) {                                \
        XmlNodeObject* node = NodeOf(self);                                                        \
        if (!node)                                                                                 \
            return {};                                                                             \
        (void)vm;                                                                                  \
        return expression;                                                                         \
    }

NODE_GETTER(NodeType, Value::number(node->type))
NODE_GETTER(NodeName, node->type == 1 ? Nullable(node->name) : Value::null())
NODE_GETTER(NodeValue, node->type == 3 ? Nullable(node->value) : Value::null())
NODE_GETTER(ParentNode, NodeOrNull(node->parent))
NODE_GETTER(FirstChild, NodeOrNull(node->children.empty() ? nullptr : node->children.front()))
NODE_GETTER(LastChild, NodeOrNull(node->children.empty() ? nullptr : node->children.back()))
NODE_GETTER(NextSibling, NodeOrNull(Sibling(*node, 1)))
NODE_GETTER(PreviousSibling, NodeOrNull(Sibling(*node, -1)))
NODE_GETTER(HasChildNodes, Value::boolean(!node->children.empty()))

#undef NODE_GETTER

Value Attributes(Vm& vm, const Value& self, std::span<const Value>) {
    XmlNodeObject* node = NodeOf(self);
    if (!node)
        return {};
    if (!node->attributes)
        node->attributes = vm.newObject();
    return Value::object(node->attributes);
}

Value ChildNodes(Vm& vm, const Value& self, std::span<const Value>) {
    XmlNodeObject* node = NodeOf(self);
    if (!node)
        return {};
    if (!node->childList) {
        node->childList = vm.newArray();
        node->childrenChanged(vm);
    }
    return Value::object(node->childList);
}

Value SetNodeName(Vm& vm, const Value& self, std::span<const Value> args) {
    if (XmlNodeObject* node = NodeOf(self))
        node->name =
            Arg(args, 0).isNullish() ? std::nullopt : std::optional(vm.toString(Arg(args, 0)));
    return {};
}

Value SetNodeValue(Vm& vm, const Value& self, std::span<const Value> args) {
    if (XmlNodeObject* node = NodeOf(self))
        node->value =
            Arg(args, 0).isNullish() ? std::nullopt : std::optional(vm.toString(Arg(args, 0)));
    return {};
}

// Whether child may go under parent: not into itself or its own subtree,
// and not again under the parent it has, where Flash leaves it in place.
bool MayAdopt(XmlNodeObject* parent, XmlNodeObject* child) {
    if (child->parent == parent)
        return false;
    for (XmlNodeObject* at = parent; at; at = at->parent)
        if (at == child)
            return false;
    return true;
}

Value AppendChild(Vm& vm, const Value& self, std::span<const Value> args) {
    XmlNodeObject* node = NodeOf(self);
    XmlNodeObject* child = NodeOf(Arg(args, 0));
    if (!node || !child || !MayAdopt(node, child))
        return {};
    child->detach(vm);
    child->parent = node;
    node->children.push_back(child);
    node->childrenChanged(vm);
    return {};
}

Value InsertBefore(Vm& vm, const Value& self, std::span<const Value> args) {
    XmlNodeObject* node = NodeOf(self);
    XmlNodeObject* child = NodeOf(Arg(args, 0));
    XmlNodeObject* before = NodeOf(Arg(args, 1));
    if (!node || !child || !before || before->parent != node || child == before ||
        !MayAdopt(node, child))
        return {};
    child->detach(vm);
    auto at = std::find(node->children.begin(), node->children.end(), before);
    child->parent = node;
    node->children.insert(at, child);
    node->childrenChanged(vm);
    return {};
}

Value RemoveNode(Vm& vm, const Value& self, std::span<const Value>) {
    if (XmlNodeObject* node = NodeOf(self))
        node->detach(vm);
    return {};
}

XmlNodeObject* Clone(Vm& vm, const XmlNodeObject& source, bool deep, int depth) {
    vm.step();
    auto* copy = vm.make<XmlNodeObject>(source.proto());
    copy->type = source.type;
    copy->name = source.name;
    copy->value = source.value;
    if (source.attributes) {
        copy->attributes = vm.newObject();
        std::vector<std::string> names = vm.enumerate(source.attributes);
        for (auto name = names.rbegin(); name != names.rend(); ++name)
            vm.setMember(copy->attributes, *name, vm.getMember(source.attributes, *name));
    }
    if (deep && depth < 256) {
        for (const XmlNodeObject* child : source.children) {
            XmlNodeObject* childCopy = Clone(vm, *child, true, depth + 1);
            childCopy->parent = copy;
            copy->children.push_back(childCopy);
        }
    }
    return copy;
}

Value CloneNode(Vm& vm, const Value& self, std::span<const Value> args) {
    XmlNodeObject* node = NodeOf(self);
    return node ? Value::object(Clone(vm, *node, vm.toBoolean(Arg(args, 0)), 0)) : Value();
}

Value NodeToString(Vm& vm, const Value& self, std::span<const Value>) {
    XmlNodeObject* node = NodeOf(self);
    if (!node)
        return {};
    std::string text;
    // A document starts with its declarations.
    if (node->type == 1 && !node->name) {
        for (const char* part : {"xmlDecl", "docTypeDecl"}) {
            Value declaration = vm.getMember(node, part);
            if (!declaration.isNullish())
                text += vm.toString(declaration);
        }
    }
    return Value::string(vm.makeString(text + XmlText(vm, *node)));
}

Value ParseXmlText(Vm& vm, const Value& self, std::span<const Value> args) {
    XmlNodeObject* document = NodeOf(self);
    if (!document)
        return {};
    for (XmlNodeObject* child : document->children)
        child->parent = nullptr;
    document->children.clear();
    const std::string text = vm.toString(Arg(args, 0));
    XmlParseResult result =
        ParseXml(vm, *document, text, vm.toBoolean(vm.getMember(document, "ignoreWhite")), NewNode);
    document->childrenChanged(vm);
    vm.setMember(document, "status", Value::number(result.status));
    if (result.declaration)
        vm.setMember(document, "xmlDecl", Value::string(*result.declaration));
    if (result.doctype)
        vm.setMember(document, "docTypeDecl", Value::string(*result.doctype));
    return {};
}

Value XmlConstruct(Vm& vm, const Value&, std::span<const Value> args) {
    auto* document = vm.make<XmlNodeObject>(PrototypeOf(vm, "XML"));
    document->attributes = vm.newObject();
    if (!args.empty() && !args[0].isNullish())
        ParseXmlText(vm, Value::object(document), args);
    return Value::object(document);
}

Value CreateElement(Vm& vm, const Value&, std::span<const Value> args) {
    XmlNodeObject* node = NewNode(vm);
    node->name = vm.toString(Arg(args, 0));
    node->attributes = vm.newObject();
    return Value::object(node);
}

Value CreateTextNode(Vm& vm, const Value&, std::span<const Value> args) {
    XmlNodeObject* node = NewNode(vm);
    node->type = 3;
    node->value = vm.toString(Arg(args, 0));
    return Value::object(node);
}

// An element's name split at its colon: "svg:rect" is the local name rect
// with the prefix svg; a name without one has an empty prefix.
std::pair<std::string, std::string> SplitName(const std::string& name) {
    const std::size_t colon = name.find(':');
    if (colon == std::string::npos)
        return {std::string(), name};
    return {name.substr(0, colon), name.substr(colon + 1)};
}

// The namespace declarations of the node and then of its ancestors, in
// the order their attributes were written, until found() says stop. An
// attribute whose name starts "xmlns" declares one: "xmlns:p" for the
// prefix p, any other ("xmlns", "xmlns:", even "xmlnsfoo") the default.
template <typename Found> Value FindDeclaration(Vm& vm, const XmlNodeObject& node, Found found) {
    int depth = 0;
    for (const XmlNodeObject* at = &node; at && depth < 1024; at = at->parent, ++depth) {
        if (!at->attributes)
            continue;
        for (const std::string& name : vm.enumerate(at->attributes)) {
            if (!name.starts_with("xmlns"))
                continue;
            const std::string prefix =
                name.size() > 5 && name[5] == ':' ? name.substr(6) : std::string();
            Value result = found(prefix, vm.toString(vm.getMember(at->attributes, name)));
            if (!result.isUndefined())
                return result;
        }
    }
    return Value::null();
}

Value NamespaceFor(Vm& vm, const XmlNodeObject& node, const std::string& prefix) {
    return FindDeclaration(vm, node, [&](const std::string& declared, const std::string& uri) {
        return declared == prefix ? Value::string(uri) : Value();
    });
}

Value Prefix(Vm&, const Value& self, std::span<const Value>) {
    XmlNodeObject* node = NodeOf(self);
    if (!node)
        return {};
    return node->type == 1 && node->name ? Value::string(SplitName(*node->name).first)
                                         : Value::null();
}

Value LocalName(Vm&, const Value& self, std::span<const Value>) {
    XmlNodeObject* node = NodeOf(self);
    if (!node)
        return {};
    return node->type == 1 && node->name ? Value::string(SplitName(*node->name).second)
                                         : Value::null();
}

Value NamespaceUri(Vm& vm, const Value& self, std::span<const Value>) {
    XmlNodeObject* node = NodeOf(self);
    if (!node)
        return {};
    if (node->type != 1 || !node->name)
        return Value::null();
    return NamespaceFor(vm, *node, SplitName(*node->name).first);
}

Value GetNamespaceForPrefix(Vm& vm, const Value& self, std::span<const Value> args) {
    XmlNodeObject* node = NodeOf(self);
    if (!node)
        return {};
    return NamespaceFor(vm, *node, vm.toString(Arg(args, 0)));
}

// The prefix the nearest declaration of the namespace gives it, "" for
// the default; null when none declares it.
Value GetPrefixForNamespace(Vm& vm, const Value& self, std::span<const Value> args) {
    XmlNodeObject* node = NodeOf(self);
    if (!node)
        return {};
    const std::string wanted = vm.toString(Arg(args, 0));
    return FindDeclaration(vm, *node, [&](const std::string& declared, const std::string& uri) {
        return uri == wanted ? Value::string(declared) : Value();
    });
}

} // namespace

void InstallXmlClasses(Vm& vm) {
    Object* node = vm.newObject();
    Class(vm, "XMLNode", node, NodeConstruct, NodeConstruct);
    Getter(vm, node, "nodeType", NodeType);
    Accessor(vm, node, "nodeName", NodeName, SetNodeName);
    Accessor(vm, node, "nodeValue", NodeValue, SetNodeValue);
    Getter(vm, node, "attributes", Attributes);
    Getter(vm, node, "childNodes", ChildNodes);
    Getter(vm, node, "parentNode", ParentNode);
    Getter(vm, node, "firstChild", FirstChild);
    Getter(vm, node, "lastChild", LastChild);
    Getter(vm, node, "nextSibling", NextSibling);
    Getter(vm, node, "previousSibling", PreviousSibling);
    Getter(vm, node, "prefix", Prefix);
    Getter(vm, node, "localName", LocalName);
    Getter(vm, node, "namespaceURI", NamespaceUri);
    Method(vm, node, "getNamespaceForPrefix", GetNamespaceForPrefix);
    Method(vm, node, "getPrefixForNamespace", GetPrefixForNamespace);
    Method(vm, node, "hasChildNodes", HasChildNodes);
    Method(vm, node, "appendChild", AppendChild);
    Method(vm, node, "insertBefore", InsertBefore);
    Method(vm, node, "removeNode", RemoveNode);
    Method(vm, node, "cloneNode", CloneNode);
    Method(vm, node, "toString", NodeToString);

    Object* xml = vm.make<Object>(node);
    Class(vm, "XML", xml, XmlConstruct, XmlConstruct);
    Method(vm, xml, "parseXML", ParseXmlText);
    Method(vm, xml, "createElement", CreateElement);
    Method(vm, xml, "createTextNode", CreateTextNode);
    InstallOfflineTransfers(vm, xml);
    vm.defineValue(xml, "ignoreWhite", Value::boolean(false), kDontEnum);
    vm.defineValue(xml, "loaded", Value(), kDontEnum);
    vm.defineValue(xml, "status", Value::number(0), kDontEnum);
}

} // namespace vidorama::swf::avm1
