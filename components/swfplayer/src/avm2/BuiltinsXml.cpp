// The XML and XMLList classes: construction, the settings of parsing and
// printing, and the E4X methods.

#include "avm2/Native.h"
#include "avm2/Xml.h"
#include "swf/Limits.h"

#include <algorithm>

namespace vidorama::swf::avm2 {

namespace {

using NodeKind = XmlObject::NodeKind;

Value Wrap(Object* object) {
    return Value(object);
}

XmlObject* ThisXml(Vm& vm, const Value& self) {
    XmlObject* node = AsXml(self);
    if (!node)
        vm.throwError("TypeError", 1034, ErrorMessage(1034, vm.describe(self), "XML"));
    return node;
}

// Takes over a parsed or copied node's contents, so that `new XML(...)`
// gives the object the constructor was called on.
void Become(XmlObject* self, XmlObject* source) {
    self->nodeKind = source->nodeKind;
    self->uri = source->uri;
    self->prefix = source->prefix;
    self->local = source->local;
    self->value = source->value;
    self->cdata = source->cdata;
    self->declarations = source->declarations;
    self->attributes = std::move(source->attributes);
    self->children = std::move(source->children);
    source->attributes.clear();
    source->children.clear();
    for (XmlObject* node : self->attributes)
        node->parent = self;
    for (XmlObject* node : self->children)
        node->parent = self;
}

Object* AllocateXml(Vm& vm, ClassObject*) {
    return NewXmlNode(vm, NodeKind::Text);
}

Object* AllocateXmlList(Vm& vm, ClassObject*) {
    return NewXmlList(vm);
}

Value XmlInit(Vm& vm, const Value& self, Args args) {
    XmlObject* node = ThisXml(vm, self);
    Value source = Arg(args, 0);
    if (source.isNullish())
        return Value();
    XmlObject* made = ToXml(vm, source);
    Become(node, IsXmlValue(source) ? DeepCopy(vm, made) : made);
    return Value();
}

Value XmlCall(Vm& vm, const Value&, Args args) {
    Value source = Arg(args, 0);
    if (source.isNullish())
        return Wrap(NewXmlNode(vm, NodeKind::Text));
    return Wrap(ToXml(vm, source));
}

Value XmlListInit(Vm& vm, const Value& self, Args args) {
    XmlListObject* list = AsXmlList(self);
    Value source = Arg(args, 0);
    if (!list || source.isNullish())
        return Value();
    if (IsXmlValue(source)) {
        for (XmlObject* node : XmlNodes(source))
            list->items.push_back(node);
        return Value();
    }
    list->items = ToXmlList(vm, source)->items;
    return Value();
}

Value XmlListCall(Vm& vm, const Value&, Args args) {
    Value source = Arg(args, 0);
    if (XmlListObject* list = AsXmlList(source))
        return Wrap(list);
    return Wrap(source.isNullish() ? NewXmlList(vm) : ToXmlList(vm, source));
}

// Methods both classes have, over the nodes the value stands for.
// The prototypes' own methods run on anything: on the prototype itself
// they give the empty text.
Value ToStringMethod(Vm& vm, const Value& self, Args) {
    return Value(IsXmlValue(self) ? XmlToString(vm, self) : std::string());
}

Value ToXmlStringMethod(Vm& vm, const Value& self, Args) {
    return Value(IsXmlValue(self) ? XmlToXmlString(vm, self) : std::string());
}

Value ValueOfMethod(Vm&, const Value& self, Args) {
    return self;
}

Value LengthMethod(Vm&, const Value& self, Args) {
    return Value(double(XmlNodes(self).size()));
}

XmlName NameArg(Vm& vm, Args args, bool attribute) {
    Value v = Arg(args, 0);
    if (args.empty()) {
        XmlName any;
        any.anyLocal = any.anyUri = true;
        any.attribute = attribute;
        return any;
    }
    return ToXmlName(vm, v, attribute);
}

Value AttributeMethod(Vm& vm, const Value& self, Args args) {
    return Wrap(XmlChildren(vm, self, ToXmlName(vm, Arg(args, 0), true)));
}

Value AttributesMethod(Vm& vm, const Value& self, Args args) {
    return Wrap(XmlChildren(vm, self, NameArg(vm, args.first(0), true)));
}

Value ChildMethod(Vm& vm, const Value& self, Args args) {
    Value which = Arg(args, 0);
    std::int64_t index = which.isNumber() ? ArrayIndex(vm.toString(which)) : -1;
    if (index >= 0) {
        XmlListObject* result = NewXmlList(vm);
        for (XmlObject* node : XmlNodes(self))
            if (std::size_t(index) < node->children.size())
                result->items.push_back(node->children[std::size_t(index)]);
        return Wrap(result);
    }
    std::string text = which.isObject() ? std::string() : vm.toString(which);
    bool attribute = text.starts_with("@");
    return Wrap(XmlChildren(vm, self,
                            attribute ? ToXmlName(vm, Value(text.substr(1)), true)
                                      : ToXmlName(vm, which, false)));
}

Value ChildrenMethod(Vm& vm, const Value& self, Args) {
    return Wrap(XmlChildren(vm, self, NameArg(vm, {}, false)));
}

Value FilterKind(Vm& vm, const Value& self, NodeKind kind, const XmlName* name) {
    XmlListObject* result = NewXmlList(vm);
    for (XmlObject* node : XmlNodes(self))
        for (XmlObject* child : node->children)
            if (child->nodeKind == kind && (!name || name->anyLocal || child->local == name->local))
                result->items.push_back(child);
    return Wrap(result);
}

Value ElementsMethod(Vm& vm, const Value& self, Args args) {
    XmlName name = NameArg(vm, args, false);
    XmlListObject* result = NewXmlList(vm);
    for (XmlObject* node : XmlNodes(self))
        for (XmlObject* child : node->children)
            if (child->isElement() && name.matches(*child))
                result->items.push_back(child);
    return Wrap(result);
}

Value TextMethod(Vm& vm, const Value& self, Args) {
    return FilterKind(vm, self, NodeKind::Text, nullptr);
}

Value CommentsMethod(Vm& vm, const Value& self, Args) {
    return FilterKind(vm, self, NodeKind::Comment, nullptr);
}

Value InstructionsMethod(Vm& vm, const Value& self, Args args) {
    XmlName name = NameArg(vm, args, false);
    return FilterKind(vm, self, NodeKind::Instruction, &name);
}

Value DescendantsMethod(Vm& vm, const Value& self, Args args) {
    return Wrap(XmlDescendants(vm, self, NameArg(vm, args, false)));
}

Value CopyMethod(Vm& vm, const Value& self, Args) {
    if (XmlObject* node = AsXml(self))
        return Wrap(DeepCopy(vm, node));
    XmlListObject* copy = NewXmlList(vm);
    for (XmlObject* node : XmlNodes(self))
        copy->items.push_back(DeepCopy(vm, node));
    return Wrap(copy);
}

Value ContainsMethod(Vm& vm, const Value& self, Args args) {
    for (XmlObject* node : XmlNodes(self))
        if (XmlEquals(vm, Wrap(node), Arg(args, 0)))
            return Value(true);
    return Value(false);
}

Value HasSimpleContentMethod(Vm&, const Value& self, Args) {
    if (XmlObject* node = AsXml(self))
        return Value(node->hasSimpleContent());
    std::vector<XmlObject*> nodes = XmlNodes(self);
    if (nodes.size() == 1)
        return Value(nodes[0]->hasSimpleContent());
    return Value(std::none_of(nodes.begin(), nodes.end(),
                              [](const XmlObject* n) { return n->isElement(); }));
}

Value HasComplexContentMethod(Vm&, const Value& self, Args) {
    if (XmlObject* node = AsXml(self))
        return Value(node->hasComplexContent());
    std::vector<XmlObject*> nodes = XmlNodes(self);
    if (nodes.size() == 1)
        return Value(nodes[0]->hasComplexContent());
    return Value(
        std::any_of(nodes.begin(), nodes.end(), [](const XmlObject* n) { return n->isElement(); }));
}

Value HasOwnPropertyMethod(Vm& vm, const Value& self, Args args) {
    Name name = Name::publicName(vm.toString(Arg(args, 0)));
    return Value(XmlHas(vm, self.object, name));
}

Value PropertyIsEnumerableMethod(Vm& vm, const Value& self, Args args) {
    std::int64_t index = ArrayIndex(vm.toString(Arg(args, 0)));
    return Value(index >= 0 && std::size_t(index) < XmlNodes(self).size());
}

Value ParentMethod(Vm&, const Value& self, Args) {
    XmlObject* parent = nullptr;
    std::vector<XmlObject*> nodes = XmlNodes(self);
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (i && nodes[i]->parent != parent)
            return Value();
        parent = nodes[i]->parent;
    }
    return parent ? Wrap(parent) : Value();
}

bool IsBlankText(const XmlObject* node) {
    return node->nodeKind == NodeKind::Text &&
           node->value.find_first_not_of(" \t\r\n") == std::string::npos;
}

// Adjacent texts become one and empty texts go, in an element's children
// (where texts of white space alone go too) or in a list's items (and their
// parents).
void NormalizeNodes(std::vector<XmlObject*>& nodes, XmlObject* owner) {
    auto remove = [&](std::size_t i) {
        XmlObject* node = nodes[i];
        if (owner) {
            XmlRemoveChild(owner, i);
            return;
        }
        if (XmlObject* parent = node->parent) {
            auto& siblings = parent->children;
            auto found = std::find(siblings.begin(), siblings.end(), node);
            if (found != siblings.end())
                XmlRemoveChild(parent, std::size_t(found - siblings.begin()));
        }
        nodes.erase(nodes.begin() + std::ptrdiff_t(i));
    };
    for (std::size_t i = 0; i < nodes.size();) {
        XmlObject* node = nodes[i];
        if (node->nodeKind != NodeKind::Text) {
            ++i;
            continue;
        }
        while (i + 1 < nodes.size() && nodes[i + 1]->nodeKind == NodeKind::Text) {
            node->value += nodes[i + 1]->value;
            remove(i + 1);
        }
        if (owner ? IsBlankText(node) : node->value.empty())
            remove(i);
        else
            ++i;
    }
}

Value NormalizeMethod(Vm& vm, const Value& self, Args) {
    std::vector<XmlObject*> work;
    if (XmlListObject* list = AsXmlList(self)) {
        NormalizeNodes(list->items, nullptr);
        work = list->items;
    } else {
        work = XmlNodes(self);
    }
    while (!work.empty()) {
        vm.spendSteps(1);
        XmlObject* node = work.back();
        work.pop_back();
        if (!node->isElement())
            continue;
        NormalizeNodes(node->children, node);
        for (XmlObject* child : node->children)
            if (child->isElement())
                work.push_back(child);
    }
    return self;
}

// XML's own methods.
Value NameMethod(Vm& vm, const Value& self, Args) {
    XmlObject* node = ThisXml(vm, self);
    if (node->nodeKind == NodeKind::Text || node->nodeKind == NodeKind::Comment)
        return Value::null();
    return NewQName(vm, node->uri, node->local, false);
}

Value LocalNameMethod(Vm& vm, const Value& self, Args) {
    XmlObject* node = ThisXml(vm, self);
    if (node->nodeKind == NodeKind::Text || node->nodeKind == NodeKind::Comment)
        return Value::null();
    return Value(node->local);
}

Value NamespaceMethod(Vm& vm, const Value& self, Args args) {
    XmlObject* node = ThisXml(vm, self);
    std::vector<XmlNamespace> scope = XmlInScopeNamespaces(node);
    if (!args.empty()) {
        std::string prefix = vm.toString(args[0]);
        for (const XmlNamespace& ns : scope)
            if (ns.prefix == prefix)
                return NewNamespace(vm, ns);
        return Value();
    }
    if (node->nodeKind == NodeKind::Text || node->nodeKind == NodeKind::Comment ||
        node->nodeKind == NodeKind::Instruction)
        return Value::null();
    for (const XmlNamespace& ns : scope)
        if (ns.uri == node->uri && ns.prefix == node->prefix)
            return NewNamespace(vm, ns);
    for (const XmlNamespace& ns : scope)
        if (ns.uri == node->uri)
            return NewNamespace(vm, ns);
    return NewNamespace(vm, {node->prefix, node->uri, true});
}

Value NamespaceList(Vm& vm, const std::vector<XmlNamespace>& list) {
    std::vector<Value> values;
    for (const XmlNamespace& ns : list)
        values.push_back(NewNamespace(vm, ns));
    return Wrap(vm.newArray(std::move(values)));
}

Value InScopeNamespacesMethod(Vm& vm, const Value& self, Args) {
    std::vector<XmlNamespace> scope = XmlInScopeNamespaces(ThisXml(vm, self));
    if (scope.empty())
        scope.push_back({"", "", true});
    return NamespaceList(vm, scope);
}

Value NamespaceDeclarationsMethod(Vm& vm, const Value& self, Args) {
    return NamespaceList(vm, ThisXml(vm, self)->declarations);
}

Value NodeKindMethod(Vm& vm, const Value& self, Args) {
    static const char* const kNames[] = {"element", "attribute", "text", "comment",
                                         "processing-instruction"};
    return Value(kNames[int(ThisXml(vm, self)->nodeKind)]);
}

Value ChildIndexMethod(Vm& vm, const Value& self, Args) {
    XmlObject* node = ThisXml(vm, self);
    if (!node->parent || node->nodeKind == NodeKind::Attribute)
        return Value(-1);
    auto& siblings = node->parent->children;
    auto found = std::find(siblings.begin(), siblings.end(), node);
    return Value(found == siblings.end() ? -1.0 : double(found - siblings.begin()));
}

// A child argument as the inserting methods take it: XML stays itself,
// anything else becomes text.
Value ChildArg(Vm& vm, const Value& v) {
    return IsXmlValue(v) ? v : Value(vm.toString(v));
}

// Appending text after an element repeats that element's name around the
// text, as assigning past the end of the children list does.
Value AppendChildMethod(Vm& vm, const Value& self, Args args) {
    XmlObject* node = ThisXml(vm, self);
    if (!node->isElement())
        return self;
    Value child = ChildArg(vm, Arg(args, 0));
    if (!IsXmlValue(child) && !node->children.empty() && node->children.back()->isElement()) {
        const XmlObject* last = node->children.back();
        XmlObject* element = NewXmlNode(vm, NodeKind::Element);
        element->uri = last->uri;
        element->prefix = last->prefix;
        element->local = last->local;
        XmlInsert(vm, element, 0, child);
        child = Wrap(element);
    }
    XmlInsert(vm, node, node->children.size(), child);
    return self;
}

Value PrependChildMethod(Vm& vm, const Value& self, Args args) {
    XmlObject* node = ThisXml(vm, self);
    if (node->isElement())
        XmlInsert(vm, node, 0, ChildArg(vm, Arg(args, 0)));
    return self;
}

Value InsertChild(Vm& vm, const Value& self, Args args, bool after) {
    XmlObject* node = ThisXml(vm, self);
    if (!node->isElement())
        return Value();
    Value reference = Arg(args, 0);
    Value child = ChildArg(vm, Arg(args, 1));
    if (reference.isNullish()) {
        XmlInsert(vm, node, after ? 0 : node->children.size(), child);
        return self;
    }
    std::vector<XmlObject*> refs = XmlNodes(reference);
    if (refs.size() != 1)
        return Value();
    auto& children = node->children;
    auto found = std::find(children.begin(), children.end(), refs[0]);
    if (found == children.end())
        return Value();
    XmlInsert(vm, node, std::size_t(found - children.begin()) + (after ? 1 : 0), child);
    return self;
}

Value InsertChildAfterMethod(Vm& vm, const Value& self, Args args) {
    return InsertChild(vm, self, args, true);
}

Value InsertChildBeforeMethod(Vm& vm, const Value& self, Args args) {
    return InsertChild(vm, self, args, false);
}

Value SetChildrenMethod(Vm& vm, const Value& self, Args args) {
    XmlObject* node = ThisXml(vm, self);
    Name any = Name::publicName("*");
    any.anyName = true;
    XmlPut(vm, node, any, Arg(args, 0));
    return self;
}

Value ReplaceMethod(Vm& vm, const Value& self, Args args) {
    XmlObject* node = ThisXml(vm, self);
    if (!node->isElement())
        return self;
    Value which = Arg(args, 0);
    Value value = Arg(args, 1);
    if (!IsXmlValue(value))
        value = Value(vm.toString(value));
    std::int64_t index = which.isNumber() ? ArrayIndex(vm.toString(which)) : -1;
    if (index >= 0) {
        XmlReplaceAt(vm, node, std::size_t(index), value);
        return self;
    }
    XmlName name = ToXmlName(vm, which, false);
    std::size_t found = std::size_t(-1);
    for (std::size_t i = node->children.size(); i-- > 0;) {
        if (!name.matches(*node->children[i]))
            continue;
        if (found != std::size_t(-1))
            XmlRemoveChild(node, found);
        found = i;
    }
    if (found != std::size_t(-1))
        XmlReplaceAt(vm, node, found, value);
    return self;
}

Value SetLocalNameMethod(Vm& vm, const Value& self, Args args) {
    XmlObject* node = ThisXml(vm, self);
    if (node->nodeKind == NodeKind::Text || node->nodeKind == NodeKind::Comment)
        return Value();
    std::string uri;
    std::string local;
    node->local = QNameParts(Arg(args, 0), uri, local) ? local : vm.toString(Arg(args, 0));
    return Value();
}

Value SetNameMethod(Vm& vm, const Value& self, Args args) {
    XmlObject* node = ThisXml(vm, self);
    if (node->nodeKind == NodeKind::Text || node->nodeKind == NodeKind::Comment)
        return Value();
    std::string uri;
    std::string local;
    if (QNameParts(Arg(args, 0), uri, local)) {
        node->local = local;
        node->uri = uri;
    } else {
        node->local = vm.toString(Arg(args, 0));
        node->uri.clear();
    }
    if (node->uri.empty())
        node->prefix.clear();
    return Value();
}

Value SetNamespaceMethod(Vm& vm, const Value& self, Args args) {
    XmlObject* node = ThisXml(vm, self);
    Value ns = Arg(args, 0);
    node->uri = NamespaceUri(vm, ns);
    Value prefix = ns.isObject() && ns.object->kind() == Object::Kind::Namespace
                       ? vm.getProperty(ns, Name::publicName("prefix"))
                       : Value();
    node->prefix = prefix.isString() ? prefix.string : std::string();
    XmlObject* declarer = node->nodeKind == NodeKind::Attribute ? node->parent : node;
    if (declarer && !node->uri.empty() &&
        std::none_of(declarer->declarations.begin(), declarer->declarations.end(),
                     [&](const XmlNamespace& d) { return d.uri == node->uri; }))
        declarer->declarations.push_back({node->prefix, node->uri, true});
    return Value();
}

Value AddNamespaceMethod(Vm& vm, const Value& self, Args args) {
    XmlObject* node = ThisXml(vm, self);
    Value ns = Arg(args, 0);
    XmlNamespace made{"", NamespaceUri(vm, ns), true};
    Value prefix = ns.isObject() && ns.object->kind() == Object::Kind::Namespace
                       ? vm.getProperty(ns, Name::publicName("prefix"))
                       : Value();
    made.prefix = prefix.isString() ? prefix.string : std::string();
    if (node->isElement() && !prefix.isUndefined()) {
        auto& list = node->declarations;
        list.erase(std::remove_if(list.begin(), list.end(),
                                  [&](const XmlNamespace& d) { return d.prefix == made.prefix; }),
                   list.end());
        list.push_back(made);
    }
    return self;
}

Value RemoveNamespaceMethod(Vm& vm, const Value& self, Args args) {
    XmlObject* node = ThisXml(vm, self);
    std::string uri = NamespaceUri(vm, Arg(args, 0));
    if (node->uri == uri)
        return self;
    auto& list = node->declarations;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const XmlNamespace& d) { return d.uri == uri; }),
               list.end());
    return self;
}

Value ToJsonMethod(Vm&, const Value&, Args) {
    return Value("XML");
}

// The XML methods an XMLList of one item runs on that item.
template <NativeFn Method> Value OnSingleItem(Vm& vm, const Value& self, Args args) {
    XmlListObject* list = AsXmlList(self);
    if (!list)
        return Method(vm, self, args);
    if (list->items.size() != 1) {
        static const std::pair<NativeFn, const char*> kNames[] = {
            {NameMethod, "name"},
            {LocalNameMethod, "localName"},
            {NamespaceMethod, "namespace"},
            {NodeKindMethod, "nodeKind"},
            {ChildIndexMethod, "childIndex"},
            {AppendChildMethod, "appendChild"},
            {PrependChildMethod, "prependChild"},
            {InsertChildAfterMethod, "insertChildAfter"},
            {InsertChildBeforeMethod, "insertChildBefore"},
            {SetChildrenMethod, "setChildren"},
            {ReplaceMethod, "replace"},
            {SetNameMethod, "setName"},
            {SetLocalNameMethod, "setLocalName"},
            {SetNamespaceMethod, "setNamespace"},
            {AddNamespaceMethod, "addNamespace"},
            {RemoveNamespaceMethod, "removeNamespace"},
            {InScopeNamespacesMethod, "inScopeNamespaces"},
            {NamespaceDeclarationsMethod, "namespaceDeclarations"}};
        const char* name = "";
        for (const auto& [fn, text] : kNames)
            if (fn == Method)
                name = text;
        ThrowXmlError(vm, 1086, name);
    }
    return Method(vm, Wrap(list->items[0]), args);
}

// XML.settings and the static properties behind it.
Value SettingsObject(Vm& vm, const XmlSettings& settings) {
    Object* object = vm.newObject();
    object->setDynamic("ignoreComments", Value(settings.ignoreComments));
    object->setDynamic("ignoreProcessingInstructions",
                       Value(settings.ignoreProcessingInstructions));
    object->setDynamic("ignoreWhitespace", Value(settings.ignoreWhitespace));
    object->setDynamic("prettyIndent", Value(settings.prettyIndent));
    object->setDynamic("prettyPrinting", Value(settings.prettyPrinting));
    return Wrap(object);
}

Value Settings(Vm& vm, const Value&, Args) {
    return SettingsObject(vm, vm.xml.settings);
}

Value DefaultSettings(Vm& vm, const Value&, Args) {
    return SettingsObject(vm, XmlSettings{});
}

Value SetSettings(Vm& vm, const Value&, Args args) {
    Value given = Arg(args, 0);
    XmlSettings& settings = vm.xml.settings;
    if (!given.isObject()) {
        if (given.isNullish())
            settings = XmlSettings{};
        return Value();
    }
    Object* object = given.object;
    auto flag = [&](const char* name, bool& field) {
        if (Value* v = object->findDynamic(name); v && v->isBoolean())
            field = v->boolean;
    };
    flag("ignoreComments", settings.ignoreComments);
    flag("ignoreProcessingInstructions", settings.ignoreProcessingInstructions);
    flag("ignoreWhitespace", settings.ignoreWhitespace);
    flag("prettyPrinting", settings.prettyPrinting);
    if (Value* v = object->findDynamic("prettyIndent"); v && v->isNumber())
        settings.prettyIndent = ToInt32(v->number);
    return Value();
}

template <bool XmlSettings::*Field> Value GetFlag(Vm& vm, const Value&, Args) {
    return Value(vm.xml.settings.*Field);
}

template <bool XmlSettings::*Field> Value SetFlag(Vm& vm, const Value&, Args args) {
    vm.xml.settings.*Field = ToBoolean(Arg(args, 0));
    return Value();
}

Value GetIndent(Vm& vm, const Value&, Args) {
    return Value(vm.xml.settings.prettyIndent);
}

Value SetIndent(Vm& vm, const Value&, Args args) {
    vm.xml.settings.prettyIndent = ToInt32(vm.toNumber(Arg(args, 0)));
    return Value();
}

void DefineShared(Vm& vm, ClassObject* cls) {
    const std::pair<const char*, NativeFn> methods[] = {
        {"toString", ToStringMethod},
        {"toXMLString", ToXmlStringMethod},
        {"valueOf", ValueOfMethod},
        {"length", LengthMethod},
        {"attribute", AttributeMethod},
        {"attributes", AttributesMethod},
        {"child", ChildMethod},
        {"children", ChildrenMethod},
        {"elements", ElementsMethod},
        {"text", TextMethod},
        {"comments", CommentsMethod},
        {"processingInstructions", InstructionsMethod},
        {"descendants", DescendantsMethod},
        {"copy", CopyMethod},
        {"contains", ContainsMethod},
        {"hasSimpleContent", HasSimpleContentMethod},
        {"hasComplexContent", HasComplexContentMethod},
        {"hasOwnProperty", HasOwnPropertyMethod},
        {"propertyIsEnumerable", PropertyIsEnumerableMethod},
        {"parent", ParentMethod},
        {"normalize", NormalizeMethod},
        {"toJSON", ToJsonMethod},
        {"name", OnSingleItem<NameMethod>},
        {"localName", OnSingleItem<LocalNameMethod>},
        {"namespace", OnSingleItem<NamespaceMethod>},
        {"nodeKind", OnSingleItem<NodeKindMethod>},
        {"childIndex", OnSingleItem<ChildIndexMethod>},
        {"appendChild", OnSingleItem<AppendChildMethod>},
        {"prependChild", OnSingleItem<PrependChildMethod>},
        {"insertChildAfter", OnSingleItem<InsertChildAfterMethod>},
        {"insertChildBefore", OnSingleItem<InsertChildBeforeMethod>},
        {"setChildren", OnSingleItem<SetChildrenMethod>},
        {"replace", OnSingleItem<ReplaceMethod>},
        {"setName", OnSingleItem<SetNameMethod>},
        {"setLocalName", OnSingleItem<SetLocalNameMethod>},
        {"setNamespace", OnSingleItem<SetNamespaceMethod>},
        {"addNamespace", OnSingleItem<AddNamespaceMethod>},
        {"removeNamespace", OnSingleItem<RemoveNamespaceMethod>},
        {"inScopeNamespaces", OnSingleItem<InScopeNamespacesMethod>},
        {"namespaceDeclarations", OnSingleItem<NamespaceDeclarationsMethod>},
    };
    // Flash keeps them on the prototype too, where call() and apply() reach
    // them unbound.
    for (const auto& [name, fn] : methods) {
        vm.defineMethod(cls, name, fn);
        cls->prototype->setDynamic(name, Value(vm.newFunction({nullptr, 0, fn}, {}, name)));
    }
}

} // namespace

void InstallXml(Vm& vm) {
    auto& n = vm.natives;
    ClassObject* xml = vm.defineClass("", "XML", n.object, AllocateXml, XmlInit);
    xml->callAsFunction = XmlCall;
    vm.xml.xmlClass = xml;
    DefineShared(vm, xml);
    vm.defineMethod(xml, "settings", Settings, true);
    vm.defineMethod(xml, "setSettings", SetSettings, true);
    vm.defineMethod(xml, "defaultSettings", DefaultSettings, true);
    vm.defineAccessor(xml, "ignoreComments", GetFlag<&XmlSettings::ignoreComments>,
                      SetFlag<&XmlSettings::ignoreComments>, true);
    vm.defineAccessor(xml, "ignoreProcessingInstructions",
                      GetFlag<&XmlSettings::ignoreProcessingInstructions>,
                      SetFlag<&XmlSettings::ignoreProcessingInstructions>, true);
    vm.defineAccessor(xml, "ignoreWhitespace", GetFlag<&XmlSettings::ignoreWhitespace>,
                      SetFlag<&XmlSettings::ignoreWhitespace>, true);
    vm.defineAccessor(xml, "prettyPrinting", GetFlag<&XmlSettings::prettyPrinting>,
                      SetFlag<&XmlSettings::prettyPrinting>, true);
    vm.defineAccessor(xml, "prettyIndent", GetIndent, SetIndent, true);
    ClassObject* list = vm.defineClass("", "XMLList", n.object, AllocateXmlList, XmlListInit);
    list->callAsFunction = XmlListCall;
    vm.xml.listClass = list;
    DefineShared(vm, list);
}

} // namespace vidorama::swf::avm2
