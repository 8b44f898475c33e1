// flash.utils.Proxy: property access a class answers with its own methods.

#include "avm2/Native.h"
#include "avm2/Proxy.h"
#include "avm2/Xml.h"

#include <string_view>

namespace vidorama::swf::avm2 {

namespace {

const char* const kProxyUri = "http://www.adobe.com/2006/actionscript/flash/proxy";

// The flash_proxy method of the object's class, run with the arguments.
Value Forward(Vm& vm, const Value& target, const char* method, Args args) {
    Name name;
    name.local = method;
    name.namespaces.push_back(Ns{Ns::Group::Public, kProxyUri, 0});
    return vm.callProperty(target, name, args);
}

// The name as the methods receive it: a QName of the namespace asked for.
Value NameArg(Vm& vm, const Name& name) {
    if (name.keyObject && name.keyObject->kind() == Object::Kind::QName)
        return Value(name.keyObject);
    std::string uri;
    for (const Ns& ns : name.namespaces)
        if (ns.group == Ns::Group::Public && !ns.uri.empty()) {
            uri = ns.uri;
            break;
        }
    if (name.namespaces.size() > 1 && name.hasPublic())
        uri.clear();
    return NewQName(vm, uri, name.local, false);
}

// Each method Proxy leaves to subclasses has its own error number in Flash.
Value Unimplemented(Vm& vm, const char* method) {
    static const std::pair<const char*, int> kCodes[] = {
        {"getProperty", 2088},   {"setProperty", 2089},    {"callProperty", 2090},
        {"hasProperty", 2091},   {"deleteProperty", 2092}, {"getDescendants", 2093},
        {"nextNameIndex", 2105}, {"nextName", 2106},       {"nextValue", 2107},
    };
    for (const auto& [name, code] : kCodes)
        if (std::string_view(name) == method)
            vm.throwError("IllegalOperationError", code, ErrorMessage(code));
    vm.throwError("IllegalOperationError", 2088, ErrorMessage(2088));
}

template <const char* Method> Value NotOverridden(Vm& vm, const Value&, Args) {
    return Unimplemented(vm, Method);
}

constexpr char kGetProperty[] = "getProperty";
constexpr char kSetProperty[] = "setProperty";
constexpr char kDeleteProperty[] = "deleteProperty";
constexpr char kHasProperty[] = "hasProperty";
constexpr char kCallProperty[] = "callProperty";
constexpr char kGetDescendants[] = "getDescendants";
constexpr char kNextNameIndex[] = "nextNameIndex";
constexpr char kNextName[] = "nextName";
constexpr char kNextValue[] = "nextValue";
constexpr char kIsAttribute[] = "isAttribute";

Value IsAttribute(Vm&, const Value&, Args args) {
    Value name = Arg(args, 0);
    return Value(name.isObject() && name.object->kind() == Object::Kind::QName &&
                 static_cast<QNameObject*>(name.object)->local.starts_with("@"));
}

Object* AllocateProxy(Vm& vm, ClassObject* cls) {
    Object* made = vm.make(Object::Kind::Proxy, cls, &cls->instanceTraits, cls->prototype);
    made->sealed = true;
    return made;
}

Value Nothing(Vm&, const Value&, Args) {
    return Value();
}

} // namespace

Value ProxyGet(Vm& vm, const Value& target, const Name& name) {
    Value arg[] = {NameArg(vm, name)};
    return Forward(vm, target, kGetProperty, arg);
}

void ProxySet(Vm& vm, const Value& target, const Name& name, const Value& value) {
    Value args[] = {NameArg(vm, name), value};
    Forward(vm, target, kSetProperty, args);
}

bool ProxyDelete(Vm& vm, const Value& target, const Name& name) {
    Value arg[] = {NameArg(vm, name)};
    return ToBoolean(Forward(vm, target, kDeleteProperty, arg));
}

bool ProxyHas(Vm& vm, const Value& target, const Name& name) {
    // hasProperty gets the name as text, a QName's as "uri::local".
    bool qualified = name.keyObject && name.keyObject->kind() == Object::Kind::QName;
    Value arg[] = {qualified ? Value(vm.toString(Value(name.keyObject))) : Value(name.local)};
    return ToBoolean(Forward(vm, target, kHasProperty, arg));
}

Value ProxyCall(Vm& vm, const Value& target, const Name& name, Args args) {
    std::vector<Value> all{NameArg(vm, name)};
    all.insert(all.end(), args.begin(), args.end());
    return Forward(vm, target, kCallProperty, all);
}

Value ProxyDescendants(Vm& vm, const Value& target, const Name& name) {
    Value arg[] = {NameArg(vm, name)};
    return Forward(vm, target, kGetDescendants, arg);
}

std::uint32_t ProxyNextIndex(Vm& vm, const Value& target, std::uint32_t index) {
    Value arg[] = {Value(double(index))};
    return ToUint32(vm.toNumber(Forward(vm, target, kNextNameIndex, arg)));
}

Value ProxyNameAt(Vm& vm, const Value& target, std::uint32_t index) {
    Value arg[] = {Value(double(index))};
    return Forward(vm, target, kNextName, arg);
}

Value ProxyValueAt(Vm& vm, const Value& target, std::uint32_t index) {
    Value arg[] = {Value(double(index))};
    return Forward(vm, target, kNextValue, arg);
}

void InstallProxy(Vm& vm) {
    ClassObject* proxy =
        vm.defineClass("flash.utils", "Proxy", vm.natives.object, AllocateProxy, Nothing);
    const Ns proxyNs{Ns::Group::Public, kProxyUri, 0};
    const std::pair<const char*, NativeFn> methods[] = {
        {kGetProperty, NotOverridden<kGetProperty>},
        {kSetProperty, NotOverridden<kSetProperty>},
        {kDeleteProperty, NotOverridden<kDeleteProperty>},
        {kHasProperty, NotOverridden<kHasProperty>},
        {kCallProperty, NotOverridden<kCallProperty>},
        {kGetDescendants, NotOverridden<kGetDescendants>},
        {kNextNameIndex, NotOverridden<kNextNameIndex>},
        {kNextName, NotOverridden<kNextName>},
        {kNextValue, NotOverridden<kNextValue>},
        {kIsAttribute, IsAttribute},
    };
    for (const auto& [name, fn] : methods) {
        Trait trait;
        trait.kind = Trait::Kind::Method;
        trait.ns = proxyNs;
        trait.method = {nullptr, 0, fn};
        trait.declarer = proxy;
        proxy->instanceTraits.add(name, trait);
    }
    vm.defineGlobalConstant("flash.utils", "flash_proxy", NewNamespace(vm, {"", kProxyUri, false}));
}

} // namespace vidorama::swf::avm2
