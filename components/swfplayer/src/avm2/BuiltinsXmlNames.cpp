// QName and Namespace: the names XML nodes carry, as script objects.

#include "avm2/Native.h"
#include "avm2/Xml.h"

#include <cctype>

namespace vidorama::swf::avm2 {

namespace {

Object* AllocateQName(Vm& vm, ClassObject* cls) {
    return vm.make<QNameObject>(Object::Kind::QName, cls, &cls->instanceTraits, cls->prototype);
}

Object* AllocateNamespace(Vm& vm, ClassObject* cls) {
    return vm.make<NamespaceObject>(Object::Kind::Namespace, cls, &cls->instanceTraits,
                                    cls->prototype);
}

QNameObject* ThisQName(Vm& vm, const Value& self) {
    if (!self.isObject() || self.object->kind() != Object::Kind::QName)
        vm.throwError("TypeError", 1034, ErrorMessage(1034, vm.describe(self), "QName"));
    return static_cast<QNameObject*>(self.object);
}

NamespaceObject* AsNamespace(const Value& v) {
    return v.isObject() && v.object->kind() == Object::Kind::Namespace
               ? static_cast<NamespaceObject*>(v.object)
               : nullptr;
}

NamespaceObject* ThisNamespace(Vm& vm, const Value& self) {
    NamespaceObject* ns = AsNamespace(self);
    if (!ns)
        vm.throwError("TypeError", 1034, ErrorMessage(1034, vm.describe(self), "Namespace"));
    return ns;
}

void FillQName(Vm& vm, QNameObject* q, Args args) {
    Value nameArg = args.size() >= 2 ? args[1] : Arg(args, 0);
    std::string uri;
    std::string local;
    if (QNameParts(nameArg, uri, local) && args.size() < 2) {
        auto* source = static_cast<QNameObject*>(nameArg.object);
        q->uri = source->uri;
        q->local = source->local;
        q->anyNamespace = source->anyNamespace;
        return;
    }
    q->local = nameArg.isUndefined()
                   ? ""
                   : (QNameParts(nameArg, uri, local) ? local : vm.toString(nameArg));
    if (args.size() >= 2) {
        const Value& ns = args[0];
        q->anyNamespace = ns.isNull();
        q->uri = ns.isNullish() ? "" : NamespaceUri(vm, ns);
    } else {
        q->anyNamespace = q->local == "*";
        q->uri = q->anyNamespace ? "" : vm.xml.defaultNamespace;
    }
}

Value QNameInit(Vm& vm, const Value& self, Args args) {
    FillQName(vm, ThisQName(vm, self), args);
    return Value();
}

Value QNameCall(Vm& vm, const Value&, Args args) {
    if (args.size() == 1 && args[0].isObject() && args[0].object->kind() == Object::Kind::QName)
        return args[0];
    return vm.constructClass(vm.xml.qnameClass, args);
}

Value QNameLocalName(Vm& vm, const Value& self, Args) {
    return Value(ThisQName(vm, self)->local);
}

Value QNameUri(Vm& vm, const Value& self, Args) {
    QNameObject* q = ThisQName(vm, self);
    return q->anyNamespace ? Value::null() : Value(q->uri);
}

Value QNameToString(Vm& vm, const Value& self, Args) {
    QNameObject* q = ThisQName(vm, self);
    if (q->anyNamespace)
        return Value("*::" + q->local);
    return Value(q->uri.empty() ? q->local : q->uri + "::" + q->local);
}

Value QNameValueOf(Vm& vm, const Value& self, Args) {
    ThisQName(vm, self);
    return self;
}

bool IsXmlName(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        bool letter = std::isalpha(c) || c == '_' || c >= 0x80;
        if (!letter && (i == 0 || !(std::isdigit(c) || c == '.' || c == '-')))
            return false;
    }
    return !text.empty();
}

void FillNamespace(Vm& vm, NamespaceObject* ns, Args args) {
    if (args.empty()) {
        ns->ns = {"", "", true};
        return;
    }
    if (args.size() == 1) {
        if (NamespaceObject* source = AsNamespace(args[0])) {
            ns->ns = source->ns;
            return;
        }
        ns->ns.uri = NamespaceUri(vm, args[0]);
        ns->ns.prefix.clear();
        ns->ns.prefixKnown = ns->ns.uri.empty();
        return;
    }
    ns->ns.uri = NamespaceUri(vm, args[1]);
    const Value& prefix = args[0];
    std::string text = vm.toString(prefix);
    if (ns->ns.uri.empty()) {
        if (!text.empty())
            vm.throwError("TypeError", 1098, ErrorMessage(1098, text));
        return;
    }
    // A prefix that is not an XML name leaves the prefix unknown.
    ns->ns.prefixKnown = !prefix.isNullish() && (text.empty() || IsXmlName(text));
    ns->ns.prefix = ns->ns.prefixKnown ? text : std::string();
}

Value NamespaceInit(Vm& vm, const Value& self, Args args) {
    FillNamespace(vm, ThisNamespace(vm, self), args);
    return Value();
}

Value NamespaceCall(Vm& vm, const Value&, Args args) {
    if (args.size() == 1 && AsNamespace(args[0]))
        return args[0];
    return vm.constructClass(vm.natives.namespaceClass, args);
}

Value NamespaceUriGetter(Vm& vm, const Value& self, Args) {
    return Value(ThisNamespace(vm, self)->ns.uri);
}

Value NamespacePrefix(Vm& vm, const Value& self, Args) {
    const XmlNamespace& ns = ThisNamespace(vm, self)->ns;
    return ns.prefixKnown ? Value(ns.prefix) : Value();
}

Value NamespaceValueOf(Vm& vm, const Value& self, Args) {
    return Value(ThisNamespace(vm, self)->ns.uri);
}

} // namespace

Value NewQName(Vm& vm, const std::string& uri, const std::string& local, bool anyNamespace) {
    auto* q = static_cast<QNameObject*>(AllocateQName(vm, vm.xml.qnameClass));
    q->uri = uri;
    q->local = local;
    q->anyNamespace = anyNamespace;
    return Value(static_cast<Object*>(q));
}

Value NewNamespace(Vm& vm, const XmlNamespace& ns) {
    auto* made = static_cast<NamespaceObject*>(AllocateNamespace(vm, vm.natives.namespaceClass));
    made->ns = ns;
    return Value(static_cast<Object*>(made));
}

std::string NamespaceUri(Vm& vm, const Value& v) {
    if (NamespaceObject* ns = AsNamespace(v))
        return ns->ns.uri;
    std::string uri;
    std::string local;
    if (QNameParts(v, uri, local))
        return uri;
    return vm.toString(v);
}

bool QNameParts(const Value& v, std::string& uri, std::string& local) {
    if (!v.isObject() || v.object->kind() != Object::Kind::QName)
        return false;
    auto* q = static_cast<QNameObject*>(v.object);
    uri = q->uri;
    local = q->local;
    return true;
}

std::uint32_t NameObjectEntries(const Value& v) {
    return AsNamespace(v) || (v.isObject() && v.object->kind() == Object::Kind::QName) ? 2 : 0;
}

Value NameObjectKey(const Value& v, std::uint32_t index) {
    if (index == 0)
        return Value("uri");
    return Value(AsNamespace(v) ? "prefix" : "localName");
}

// A QName gives its local name first, though it lists its URI first.
Value NameObjectValue(const Value& v, std::uint32_t index) {
    if (NamespaceObject* ns = AsNamespace(v)) {
        if (index == 0)
            return Value(ns->ns.uri);
        return ns->ns.prefixKnown ? Value(ns->ns.prefix) : Value();
    }
    auto* q = static_cast<QNameObject*>(v.object);
    if (index == 0)
        return Value(q->local);
    return q->anyNamespace ? Value::null() : Value(q->uri);
}

void InstallXmlNames(Vm& vm) {
    auto& n = vm.natives;
    n.namespaceClass = vm.defineClass("", "Namespace", n.object, AllocateNamespace, NamespaceInit);
    n.namespaceClass->callAsFunction = NamespaceCall;
    vm.defineMethod(n.namespaceClass, "toString", NamespaceValueOf);
    vm.defineMethod(n.namespaceClass, "valueOf", NamespaceValueOf);
    vm.defineAccessor(n.namespaceClass, "uri", NamespaceUriGetter, nullptr);
    vm.defineAccessor(n.namespaceClass, "prefix", NamespacePrefix, nullptr);
    ClassObject* qname = vm.defineClass("", "QName", n.object, AllocateQName, QNameInit);
    qname->callAsFunction = QNameCall;
    vm.xml.qnameClass = qname;
    vm.defineMethod(qname, "toString", QNameToString);
    vm.defineMethod(qname, "valueOf", QNameValueOf);
    vm.defineAccessor(qname, "localName", QNameLocalName, nullptr);
    vm.defineAccessor(qname, "uri", QNameUri, nullptr);
}

} // namespace vidorama::swf::avm2
