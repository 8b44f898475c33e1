// E4X's property operations: reading, assigning, deleting and finding the
// children and attributes of XML and XMLList values by name.

#include "avm2/Xml.h"
#include "avm2/XmlParser.h"
#include "swf/Limits.h"

#include <algorithm>

namespace vidorama::swf::avm2 {

namespace {

const char* const kAs3Uri = "http://adobe.com/AS3/2006/builtin";

bool IsXmlNamespace(const Ns& ns) {
    return ns.group == Ns::Group::Public && ns.uri != kAs3Uri;
}

XmlObject* ParentChain(XmlObject* node, const XmlObject* candidate) {
    for (int depth = 0; node && depth <= Limits::kMaxXmlDepth; node = node->parent, ++depth)
        if (node == candidate)
            return node;
    return nullptr;
}

void Append(std::vector<XmlObject*>& items, const Value& v) {
    std::vector<XmlObject*> nodes = XmlNodes(v);
    items.insert(items.end(), nodes.begin(), nodes.end());
}

void Detach(XmlObject* node) {
    node->parent = nullptr;
}

std::size_t IndexInParent(const XmlObject* node) {
    if (!node->parent)
        return std::size_t(-1);
    const auto& siblings = node->parent->children;
    auto found = std::find(siblings.begin(), siblings.end(), node);
    return found == siblings.end() ? std::size_t(-1) : std::size_t(found - siblings.begin());
}

void CollectDescendants(Vm& vm, const XmlObject* node, const XmlName& name,
                        std::vector<XmlObject*>& out, int depth) {
    if (depth > Limits::kMaxXmlDepth)
        ThrowXmlError(vm, 1090);
    if (name.attribute)
        for (XmlObject* attribute : node->attributes)
            if (name.matches(*attribute))
                out.push_back(attribute);
    for (XmlObject* child : node->children) {
        if (!name.attribute && name.matches(*child))
            out.push_back(child);
        CollectDescendants(vm, child, name, out, depth + 1);
    }
}

bool NodesEqual(const XmlObject* a, const XmlObject* b, int depth) {
    if (depth > Limits::kMaxXmlDepth || a->nodeKind != b->nodeKind || a->local != b->local ||
        a->uri != b->uri || a->value != b->value || a->children.size() != b->children.size() ||
        a->attributes.size() != b->attributes.size())
        return false;
    for (const XmlObject* attribute : a->attributes) {
        bool found = false;
        for (const XmlObject* other : b->attributes)
            found = found || (other->local == attribute->local && other->uri == attribute->uri &&
                              other->value == attribute->value);
        if (!found)
            return false;
    }
    for (std::size_t i = 0; i < a->children.size(); ++i)
        if (!NodesEqual(a->children[i], b->children[i], depth + 1))
            return false;
    return true;
}

// The object an empty query list stands for, made when a value is
// assigned through it (x.a.b = v makes <a> first).
XmlObject* ResolveTarget(Vm& vm, XmlListObject* list, int depth) {
    if (list->items.size() == 1)
        return list->items[0];
    if (!list->items.empty() || !list->target || depth > Limits::kMaxXmlDepth)
        return nullptr;
    Object* base = list->target;
    if (base->kind() == Object::Kind::XmlList) {
        XmlObject* resolved = ResolveTarget(vm, static_cast<XmlListObject*>(base), depth + 1);
        if (!resolved)
            return nullptr;
        base = resolved;
    }
    if (base->kind() != Object::Kind::Xml)
        return nullptr;
    XmlName name = ToXmlName(vm, list->targetName);
    if (name.anyLocal)
        return nullptr;
    XmlPut(vm, base, list->targetName, Value(""));
    Value made = XmlGet(vm, base, list->targetName);
    XmlListObject* again = AsXmlList(made);
    return again && again->items.size() == 1 ? again->items[0] : nullptr;
}

} // namespace

void ThrowXmlError(Vm& vm, int code, const std::string& a, const std::string& b) {
    vm.throwError("TypeError", code, ErrorMessage(code, a, b));
}

bool XmlName::matches(const XmlObject& node) const {
    bool isAttribute = node.nodeKind == XmlObject::NodeKind::Attribute;
    if (attribute != isAttribute)
        return false;
    if (!anyLocal && (node.local != local || (!isAttribute && !node.isElement())))
        return false;
    if (anyUri)
        return true;
    if (!isAttribute && !node.isElement())
        return false;
    return std::find(uris.begin(), uris.end(), node.uri) != uris.end();
}

std::string XmlName::creationUri() const {
    return anyUri || uris.empty() ? std::string() : uris.front();
}

bool IsXmlQuery(const Name& name) {
    if (name.attribute || name.anyName || name.anyNamespace)
        return true;
    if (name.keyObject && name.keyObject->kind() == Object::Kind::QName)
        return true;
    return std::any_of(name.namespaces.begin(), name.namespaces.end(), IsXmlNamespace);
}

XmlName ToXmlName(Vm& vm, const Name& name) {
    XmlName result;
    result.attribute = name.attribute;
    if (name.keyObject && name.keyObject->kind() == Object::Kind::QName) {
        auto* qname = static_cast<QNameObject*>(name.keyObject);
        result.local = qname->local;
        result.anyLocal = qname->local == "*";
        result.anyUri = qname->anyNamespace;
        result.uris = {qname->uri};
        return result;
    }
    result.local = name.local;
    if (!result.attribute && result.local.starts_with("@")) {
        result.attribute = true;
        result.local.erase(0, 1);
    }
    result.anyLocal = name.anyName || result.local == "*";
    result.anyUri = name.anyNamespace;
    for (const Ns& ns : name.namespaces) {
        if (!IsXmlNamespace(ns))
            continue;
        // An unqualified element name is in the default namespace; an
        // unqualified attribute name in none.
        if (ns.uri.empty() && !result.attribute) {
            if (result.anyLocal)
                result.anyUri = true;
            result.uris.push_back(vm.xml.defaultNamespace);
        } else {
            result.uris.push_back(ns.uri);
        }
    }
    return result;
}

XmlName ToXmlName(Vm& vm, const Value& v, bool attribute) {
    Name name = Name::publicName(
        v.isObject() && v.object->kind() == Object::Kind::QName ? std::string() : vm.toString(v));
    if (v.isObject() && v.object->kind() == Object::Kind::QName)
        name.keyObject = v.object;
    name.attribute = attribute;
    return ToXmlName(vm, name);
}

XmlObject* NewXmlNode(Vm& vm, XmlObject::NodeKind kind) {
    ClassObject* cls = vm.xml.xmlClass;
    auto* node = vm.make<XmlObject>(Object::Kind::Xml, cls, &cls->instanceTraits, cls->prototype);
    node->nodeKind = kind;
    return node;
}

XmlListObject* NewXmlList(Vm& vm, Object* target, Name targetName) {
    ClassObject* cls = vm.xml.listClass;
    auto* list =
        vm.make<XmlListObject>(Object::Kind::XmlList, cls, &cls->instanceTraits, cls->prototype);
    list->target = target;
    list->targetName = std::move(targetName);
    return list;
}

namespace {

std::vector<XmlObject*> ParseNodes(Vm& vm, const std::string& text) {
    const XmlSettings& settings = vm.xml.settings;
    XmlParseOptions options;
    options.ignoreComments = settings.ignoreComments;
    options.ignoreInstructions = settings.ignoreProcessingInstructions;
    options.ignoreWhitespace = settings.ignoreWhitespace;
    options.defaultUri = vm.xml.defaultNamespace;
    std::vector<XmlObject*> nodes;
    std::optional<XmlParseError> error = ParseXml(
        text, options, [&](XmlObject::NodeKind kind) { return NewXmlNode(vm, kind); }, nodes);
    if (error)
        ThrowXmlError(vm, error->code, error->first, error->second);
    return nodes;
}

} // namespace

XmlObject* ToXml(Vm& vm, const Value& v) {
    if (v.isNullish())
        vm.throwError("TypeError", 1088, ErrorMessage(1088));
    if (XmlObject* node = AsXml(v))
        return node;
    if (XmlListObject* list = AsXmlList(v)) {
        if (list->items.size() != 1)
            vm.throwError("TypeError", 1088, ErrorMessage(1088));
        return list->items[0];
    }
    std::vector<XmlObject*> nodes = ParseNodes(vm, vm.toString(v));
    if (nodes.empty())
        return NewXmlNode(vm, XmlObject::NodeKind::Text);
    if (nodes.size() > 1)
        vm.throwError("TypeError", 1088, ErrorMessage(1088));
    return nodes[0];
}

XmlListObject* ToXmlList(Vm& vm, const Value& v) {
    if (XmlListObject* list = AsXmlList(v))
        return list;
    XmlListObject* list = NewXmlList(vm);
    if (XmlObject* node = AsXml(v))
        list->items.push_back(node);
    else if (!v.isNullish())
        list->items = ParseNodes(vm, vm.toString(v));
    return list;
}

std::vector<XmlObject*> XmlNodes(const Value& v) {
    if (XmlObject* node = AsXml(v))
        return {node};
    if (XmlListObject* list = AsXmlList(v))
        return list->items;
    return {};
}

XmlObject* DeepCopy(Vm& vm, const XmlObject* node) {
    std::vector<std::pair<const XmlObject*, XmlObject*>> work;
    XmlObject* root = NewXmlNode(vm, node->nodeKind);
    work.emplace_back(node, root);
    while (!work.empty()) {
        auto [from, to] = work.back();
        work.pop_back();
        to->nodeKind = from->nodeKind;
        to->uri = from->uri;
        to->prefix = from->prefix;
        to->local = from->local;
        to->value = from->value;
        to->cdata = from->cdata;
        to->declarations = from->declarations;
        for (const XmlObject* attribute : from->attributes) {
            XmlObject* copy = NewXmlNode(vm, attribute->nodeKind);
            work.emplace_back(attribute, copy);
            copy->parent = to;
            to->attributes.push_back(copy);
        }
        for (const XmlObject* child : from->children) {
            XmlObject* copy = NewXmlNode(vm, child->nodeKind);
            work.emplace_back(child, copy);
            copy->parent = to;
            to->children.push_back(copy);
        }
    }
    return root;
}

Value XmlGet(Vm& vm, Object* object, const Name& name) {
    std::int64_t index = name.attribute || name.keyObject ? -1 : ArrayIndex(name.local);
    if (object->kind() == Object::Kind::XmlList) {
        auto* list = static_cast<XmlListObject*>(object);
        if (index >= 0)
            return std::size_t(index) < list->items.size()
                       ? Value(static_cast<Object*>(list->items[std::size_t(index)]))
                       : Value();
        XmlListObject* result = NewXmlList(vm, list, name);
        for (XmlObject* item : list->items)
            if (item->isElement())
                Append(result->items, XmlGet(vm, item, name));
        return Value(static_cast<Object*>(result));
    }
    auto* node = static_cast<XmlObject*>(object);
    if (index >= 0)
        return index == 0 ? Value(object) : Value();
    XmlName query = ToXmlName(vm, name);
    XmlListObject* result = NewXmlList(vm, node, name);
    for (XmlObject* candidate : query.attribute ? node->attributes : node->children)
        if (query.matches(*candidate))
            result->items.push_back(candidate);
    return Value(static_cast<Object*>(result));
}

void XmlRemoveChild(XmlObject* parent, std::size_t at) {
    if (at >= parent->children.size())
        return;
    Detach(parent->children[at]);
    parent->children.erase(parent->children.begin() + std::ptrdiff_t(at));
}

void XmlInsert(Vm& vm, XmlObject* parent, std::size_t at, const Value& value) {
    std::vector<XmlObject*> nodes;
    if (IsXmlValue(value)) {
        nodes = XmlNodes(value);
    } else {
        XmlObject* text = NewXmlNode(vm, XmlObject::NodeKind::Text);
        text->value = vm.toString(value);
        nodes = {text};
    }
    at = std::min(at, parent->children.size());
    for (XmlObject* node : nodes) {
        if (ParentChain(parent, node))
            ThrowXmlError(vm, 1118);
        if (node->nodeKind == XmlObject::NodeKind::Attribute)
            continue;
        if (node->parent && node->parent != parent) {
            std::size_t old = IndexInParent(node);
            if (old != std::size_t(-1))
                XmlRemoveChild(node->parent, old);
        }
        node->parent = parent;
        parent->children.insert(parent->children.begin() + std::ptrdiff_t(at++), node);
    }
}

void XmlReplaceAt(Vm& vm, XmlObject* parent, std::size_t at, const Value& value) {
    if (at < parent->children.size()) {
        XmlRemoveChild(parent, at);
    } else {
        at = parent->children.size();
    }
    XmlInsert(vm, parent, at, value);
}

namespace {

std::string AttributeText(Vm& vm, const Value& value) {
    if (XmlListObject* list = AsXmlList(value)) {
        std::string joined;
        for (std::size_t i = 0; i < list->items.size(); ++i)
            joined += (i ? " " : "") + XmlToString(vm, Value(static_cast<Object*>(list->items[i])));
        return joined;
    }
    return vm.toString(value);
}

void PutOnNode(Vm& vm, XmlObject* node, const Name& name, const Value& value) {
    if (!name.attribute && !name.keyObject && ArrayIndex(name.local) >= 0)
        ThrowXmlError(vm, 1087);
    if (!node->isElement())
        return;
    XmlName query = ToXmlName(vm, name);
    if (query.attribute) {
        std::string text = AttributeText(vm, value);
        XmlObject* kept = nullptr;
        for (std::size_t i = 0; i < node->attributes.size();) {
            XmlObject* attribute = node->attributes[i];
            if (!query.matches(*attribute)) {
                ++i;
            } else if (!kept) {
                kept = attribute;
                ++i;
            } else {
                Detach(attribute);
                node->attributes.erase(node->attributes.begin() + std::ptrdiff_t(i));
            }
        }
        if (!kept) {
            if (query.anyLocal)
                return;
            kept = NewXmlNode(vm, XmlObject::NodeKind::Attribute);
            kept->local = query.local;
            kept->uri = query.anyUri || query.uris.empty() ? "" : query.uris.front();
            kept->parent = node;
            node->attributes.push_back(kept);
        }
        kept->value = std::move(text);
        return;
    }
    bool primitive = !IsXmlValue(value) && !query.anyLocal;
    std::size_t found = std::size_t(-1);
    for (std::size_t i = node->children.size(); i-- > 0;) {
        if (!query.matches(*node->children[i]))
            continue;
        if (found != std::size_t(-1))
            XmlRemoveChild(node, found);
        found = i;
    }
    if (found == std::size_t(-1)) {
        found = node->children.size();
        if (primitive) {
            XmlObject* element = NewXmlNode(vm, XmlObject::NodeKind::Element);
            element->local = query.local;
            element->uri = query.creationUri();
            element->parent = node;
            node->children.push_back(element);
        }
    }
    if (!primitive) {
        Value copy = value;
        if (XmlObject* single = AsXml(value); single && single->parent)
            copy = Value(static_cast<Object*>(DeepCopy(vm, single)));
        XmlReplaceAt(vm, node, found, copy);
        return;
    }
    XmlObject* target = node->children[found];
    while (!target->children.empty())
        XmlRemoveChild(target, target->children.size() - 1);
    std::string text = vm.toString(value);
    if (!text.empty())
        XmlInsert(vm, target, 0, Value(text));
}

} // namespace

void XmlPut(Vm& vm, Object* object, const Name& name, const Value& value) {
    if (object->kind() == Object::Kind::Xml) {
        PutOnNode(vm, static_cast<XmlObject*>(object), name, value);
        return;
    }
    auto* list = static_cast<XmlListObject*>(object);
    std::int64_t index = name.attribute || name.keyObject ? -1 : ArrayIndex(name.local);
    if (index < 0) {
        if (list->items.size() > 1)
            ThrowXmlError(vm, 1089);
        if (XmlObject* target = ResolveTarget(vm, list, 0))
            PutOnNode(vm, target, name, value);
        return;
    }
    std::size_t i = std::size_t(index);
    if (i >= list->items.size()) {
        XmlObject* parent = nullptr;
        if (list->target && list->target->kind() == Object::Kind::Xml)
            parent = static_cast<XmlObject*>(list->target);
        std::vector<XmlObject*> nodes;
        if (IsXmlValue(value)) {
            nodes = XmlNodes(value);
        } else {
            XmlName query = ToXmlName(vm, list->targetName);
            XmlObject* made = NewXmlNode(vm, parent && !query.anyLocal
                                                 ? (query.attribute ? XmlObject::NodeKind::Attribute
                                                                    : XmlObject::NodeKind::Element)
                                                 : XmlObject::NodeKind::Text);
            if (made->nodeKind == XmlObject::NodeKind::Element) {
                made->local = query.local;
                made->uri = query.creationUri();
                XmlInsert(vm, made, 0, value);
            } else {
                made->local = query.local;
                made->value = vm.toString(value);
            }
            nodes = {made};
        }
        if (parent) {
            std::size_t at = parent->children.size();
            if (!list->items.empty()) {
                std::size_t last = IndexInParent(list->items.back());
                if (last != std::size_t(-1))
                    at = last + 1;
            }
            for (XmlObject* node : nodes) {
                if (node->nodeKind == XmlObject::NodeKind::Attribute) {
                    node->parent = parent;
                    parent->attributes.push_back(node);
                } else {
                    XmlInsert(vm, parent, at++, Value(static_cast<Object*>(node)));
                }
            }
        }
        vm.checkListSize(list->items.size() + nodes.size());
        list->items.insert(list->items.end(), nodes.begin(), nodes.end());
        return;
    }
    XmlObject* item = list->items[i];
    if (item->nodeKind == XmlObject::NodeKind::Attribute) {
        item->value = AttributeText(vm, value);
        return;
    }
    std::size_t at = IndexInParent(item);
    if (at != std::size_t(-1)) {
        XmlObject* parent = item->parent;
        XmlReplaceAt(vm, parent, at, value);
        if (IsXmlValue(value)) {
            std::vector<XmlObject*> nodes = XmlNodes(value);
            list->items.erase(list->items.begin() + std::ptrdiff_t(i));
            list->items.insert(list->items.begin() + std::ptrdiff_t(i), nodes.begin(), nodes.end());
        } else {
            list->items[i] = parent->children[at];
        }
        return;
    }
    if (IsXmlValue(value)) {
        std::vector<XmlObject*> nodes = XmlNodes(value);
        list->items.erase(list->items.begin() + std::ptrdiff_t(i));
        list->items.insert(list->items.begin() + std::ptrdiff_t(i), nodes.begin(), nodes.end());
    } else if (item->isElement()) {
        while (!item->children.empty())
            XmlRemoveChild(item, item->children.size() - 1);
        XmlInsert(vm, item, 0, value);
    } else {
        item->value = vm.toString(value);
    }
}

bool XmlDelete(Vm& vm, Object* object, const Name& name) {
    std::int64_t index = name.attribute || name.keyObject ? -1 : ArrayIndex(name.local);
    if (object->kind() == Object::Kind::XmlList) {
        auto* list = static_cast<XmlListObject*>(object);
        if (index >= 0) {
            if (std::size_t(index) >= list->items.size())
                return true;
            XmlObject* item = list->items[std::size_t(index)];
            if (XmlObject* parent = item->parent) {
                if (item->nodeKind == XmlObject::NodeKind::Attribute) {
                    auto& attributes = parent->attributes;
                    attributes.erase(std::remove(attributes.begin(), attributes.end(), item),
                                     attributes.end());
                    Detach(item);
                } else if (std::size_t at = IndexInParent(item); at != std::size_t(-1)) {
                    XmlRemoveChild(parent, at);
                }
            }
            list->items.erase(list->items.begin() + index);
            return true;
        }
        for (XmlObject* item : list->items)
            if (item->isElement())
                XmlDelete(vm, item, name);
        return true;
    }
    auto* node = static_cast<XmlObject*>(object);
    if (index >= 0)
        return true;
    XmlName query = ToXmlName(vm, name);
    auto& nodes = query.attribute ? node->attributes : node->children;
    for (std::size_t i = 0; i < nodes.size();) {
        if (query.matches(*nodes[i])) {
            Detach(nodes[i]);
            nodes.erase(nodes.begin() + std::ptrdiff_t(i));
        } else {
            ++i;
        }
    }
    return true;
}

bool XmlHas(Vm& vm, Object* object, const Name& name) {
    std::int64_t index = name.attribute || name.keyObject ? -1 : ArrayIndex(name.local);
    if (object->kind() == Object::Kind::XmlList) {
        auto* list = static_cast<XmlListObject*>(object);
        if (index >= 0)
            return std::size_t(index) < list->items.size();
        for (XmlObject* item : list->items)
            if (item->isElement() && XmlHas(vm, item, name))
                return true;
        return false;
    }
    if (index >= 0)
        return index == 0;
    auto* node = static_cast<XmlObject*>(object);
    XmlName query = ToXmlName(vm, name);
    for (XmlObject* candidate : query.attribute ? node->attributes : node->children)
        if (query.matches(*candidate))
            return true;
    return false;
}

XmlListObject* XmlDescendants(Vm& vm, const Value& v, const XmlName& name) {
    XmlListObject* result = NewXmlList(vm);
    for (XmlObject* node : XmlNodes(v))
        CollectDescendants(vm, node, name, result->items, 0);
    return result;
}

XmlListObject* XmlChildren(Vm& vm, const Value& v, const XmlName& name) {
    XmlListObject* result = NewXmlList(vm);
    for (XmlObject* node : XmlNodes(v))
        for (XmlObject* candidate : name.attribute ? node->attributes : node->children)
            if (name.matches(*candidate))
                result->items.push_back(candidate);
    return result;
}

bool XmlComparable(const Value& a, const Value& b) {
    auto isName = [](const Value& v) {
        return v.isObject() && (v.object->kind() == Object::Kind::Namespace ||
                                v.object->kind() == Object::Kind::QName);
    };
    return IsXmlValue(a) || IsXmlValue(b) || (isName(a) && isName(b));
}

bool XmlEquals(Vm& vm, const Value& a, const Value& b) {
    if (!IsXmlValue(a) && !IsXmlValue(b)) {
        if (a.object->kind() != b.object->kind())
            return false;
        if (a.object->kind() == Object::Kind::Namespace)
            return static_cast<NamespaceObject*>(a.object)->ns.uri ==
                   static_cast<NamespaceObject*>(b.object)->ns.uri;
        auto* qa = static_cast<QNameObject*>(a.object);
        auto* qb = static_cast<QNameObject*>(b.object);
        return qa->local == qb->local && qa->uri == qb->uri && qa->anyNamespace == qb->anyNamespace;
    }
    XmlListObject* listA = AsXmlList(a);
    XmlListObject* listB = AsXmlList(b);
    if (listA && listA->items.size() == 1)
        return XmlEquals(vm, Value(static_cast<Object*>(listA->items[0])), b);
    if (listB && listB->items.size() == 1)
        return XmlEquals(vm, a, Value(static_cast<Object*>(listB->items[0])));
    if (listA || listB) {
        if (b.isUndefined() || a.isUndefined())
            return (listA ? listA : listB)->items.empty();
        if (listA && listB) {
            if (listA->items.size() != listB->items.size())
                return false;
            for (std::size_t i = 0; i < listA->items.size(); ++i)
                if (!NodesEqual(listA->items[i], listB->items[i], 0))
                    return false;
            return true;
        }
        return false;
    }
    XmlObject* nodeA = AsXml(a);
    XmlObject* nodeB = AsXml(b);
    if (nodeA && nodeB) {
        if (nodeA->hasSimpleContent() && nodeB->hasSimpleContent() &&
            !(nodeA->isElement() && nodeB->isElement()))
            return XmlToString(vm, a) == XmlToString(vm, b);
        return NodesEqual(nodeA, nodeB, 0);
    }
    XmlObject* node = nodeA ? nodeA : nodeB;
    const Value& other = nodeA ? b : a;
    if (other.isNullish())
        return false;
    if (node->hasSimpleContent()) {
        std::string text = XmlToString(vm, Value(static_cast<Object*>(node)));
        if (other.isNumber())
            return vm.toNumber(Value(text)) == other.number;
        return text == vm.toString(other);
    }
    return false;
}

Value XmlMethodReceiver(Vm& vm, const Value& target, const Name& name) {
    std::vector<XmlObject*> nodes = XmlNodes(target);
    bool simple = nodes.size() == 1
                      ? nodes[0]->hasSimpleContent()
                      : std::none_of(nodes.begin(), nodes.end(),
                                     [](const XmlObject* n) { return n->isElement(); });
    if (!simple)
        vm.throwError("TypeError", 1006, ErrorMessage(1006, name.local));
    return Value(XmlToString(vm, target));
}

Value XmlConcat(Vm& vm, const Value& a, const Value& b) {
    XmlListObject* list = NewXmlList(vm);
    Append(list->items, a);
    Append(list->items, b);
    return Value(static_cast<Object*>(list));
}

} // namespace vidorama::swf::avm2
