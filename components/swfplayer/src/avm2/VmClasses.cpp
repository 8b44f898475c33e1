#include "avm2/Vm.h"
#include "avm2/Xml.h"
#include "swf/Limits.h"

#include <cmath>

namespace vidorama::swf::avm2 {

namespace {

const Ns kAs3Namespace{Ns::Group::Public, "http://adobe.com/AS3/2006/builtin", 0};

Value DefaultFor(SlotType type) {
    switch (type) {
    case SlotType::Int:
    case SlotType::Uint:
        return Value(0);
    case SlotType::Number:
        return Value(std::nan(""));
    case SlotType::Boolean:
        return Value(false);
    case SlotType::Any:
        return Value();
    default:
        return Value::null();
    }
}

// The slot a trait asks for by id (counted from base), or the next free one.
std::uint32_t PlaceSlot(Traits& traits, std::size_t base, std::uint32_t slotId, Value initial,
                        SlotType type, std::string typeName) {
    if (slotId == 0)
        return traits.addSlot(std::move(initial), type, std::move(typeName));
    std::size_t index = base + slotId - 1;
    if (index >= Limits::kMaxAbcTraits + base)
        return traits.addSlot(std::move(initial), type, std::move(typeName));
    if (index >= traits.slotDefaults.size()) {
        traits.slotDefaults.resize(index + 1);
        traits.slotTypes.resize(index + 1, SlotType::Any);
        traits.slotTypeNames.resize(index + 1);
    }
    traits.slotDefaults[index] = std::move(initial);
    traits.slotTypes[index] = type;
    traits.slotTypeNames[index] = std::move(typeName);
    return static_cast<std::uint32_t>(index);
}

} // namespace

SlotType Vm::slotTypeOf(AbcRuntime& rt, std::uint32_t typeName, std::string* name) {
    if (typeName == 0 || typeName >= rt.names.size())
        return SlotType::Any;
    const Name& type = rt.names[typeName];
    if (name)
        *name = type.local;
    bool builtin = type.namespaces.size() == 1 && type.namespaces[0].isPublic();
    if (!builtin)
        return SlotType::Object;
    if (type.local == "int")
        return SlotType::Int;
    if (type.local == "uint")
        return SlotType::Uint;
    if (type.local == "Number")
        return SlotType::Number;
    if (type.local == "Boolean")
        return SlotType::Boolean;
    if (type.local == "String")
        return SlotType::String;
    if (type.local == "*")
        return SlotType::Any;
    return SlotType::Object;
}

Value Vm::constantValue(AbcRuntime& rt, const AbcConstant& constant) {
    const AbcFile& abc = *rt.abc;
    switch (constant.kind) {
    case 0x03:
        return Value(abc.ints[constant.index]);
    case 0x04:
        return Value(abc.uints[constant.index]);
    case 0x06:
        return Value(abc.doubles[constant.index]);
    case 0x01:
        return Value(abc.strings[constant.index]);
    case 0x0b:
        return Value(true);
    case 0x0a:
        return Value(false);
    case 0x0c:
        return Value::null();
    case 0x00:
        return Value();
    default: {
        return NewNamespace(*this, {"", rt.namespaces[constant.index].uri, false});
    }
    }
}

void Vm::buildTraits(AbcRuntime& rt, Traits& traits, const std::vector<AbcTrait>& abcTraits,
                     ClassObject* declarer, bool fromZero) {
    std::size_t base = fromZero ? 0 : traits.slotDefaults.size();
    for (const AbcTrait& source : abcTraits) {
        const Name& name = rt.names[source.name];
        Trait trait;
        trait.ns = name.namespaces.empty() ? Ns{} : name.namespaces[0];
        trait.declarer = declarer;
        switch (source.kind) {
        case TraitKind::Slot:
        case TraitKind::Const: {
            std::string typeName;
            SlotType type = slotTypeOf(rt, source.index, &typeName);
            Value initial = source.value.index || source.value.kind
                                ? coerce(constantValue(rt, source.value), type)
                                : DefaultFor(type);
            trait.kind = source.kind == TraitKind::Const ? Trait::Kind::Const : Trait::Kind::Slot;
            trait.slot = PlaceSlot(traits, base, source.slotId, std::move(initial), type, typeName);
            break;
        }
        case TraitKind::Class:
        case TraitKind::Function:
            trait.kind = Trait::Kind::Const;
            trait.slot = PlaceSlot(traits, base, source.slotId, Value::null(), SlotType::Any, {});
            if (source.kind == TraitKind::Function)
                trait.kind = Trait::Kind::Slot;
            break;
        case TraitKind::Method:
            trait.kind = Trait::Kind::Method;
            trait.method = {&rt, source.index, nullptr};
            break;
        case TraitKind::Getter:
            trait.kind = Trait::Kind::Accessor;
            trait.getter = {&rt, source.index, nullptr};
            break;
        case TraitKind::Setter:
            trait.kind = Trait::Kind::Accessor;
            trait.setter = {&rt, source.index, nullptr};
            break;
        }
        traits.add(name.local, std::move(trait));
    }
}

ClassObject* Vm::newClass(AbcRuntime& rt, std::uint32_t index, ClassObject* base,
                          const ScopeChain& scope) {
    const AbcInstance& instance = rt.abc->instances[index];
    const AbcClass& statics = rt.abc->classes[index];
    if (base && base->depth + 1 > Limits::kMaxAbcClassDepth)
        throwError("VerifyError", 1023, ErrorMessage(1023));
    const Name& name = rt.names[instance.name];
    auto* cls =
        make<ClassObject>(Object::Kind::Class, natives.klass, nullptr, natives.klass->prototype);
    cls->name = name.local;
    cls->ns = name.namespaces.empty() ? Ns{} : name.namespaces[0];
    cls->packageName = cls->ns.uri;
    cls->base = base;
    cls->depth = base ? base->depth + 1 : 0;
    cls->isInterface = (instance.flags & kClassInterface) != 0;
    cls->sealedInstances = (instance.flags & kClassSealed) != 0;
    cls->allocator = base ? base->allocator : nullptr;
    for (std::uint32_t interfaceName : instance.interfaces)
        if (ClassObject* implemented = classByName(rt.names[interfaceName]))
            cls->interfaces.push_back(implemented);
    if (base)
        cls->instanceTraits = base->instanceTraits;
    buildTraits(rt, cls->instanceTraits, instance.traits, cls, false);
    // A class's public methods answer to the namespaces of the interfaces it
    // implements, as code typed by the interface asks for them there.
    for (ClassObject* implemented : cls->interfaces)
        for (const auto& [local, list] : implemented->instanceTraits.byName)
            for (const Trait& wanted : list)
                if (const Trait* own = cls->instanceTraits.find(Name::publicName(local))) {
                    Trait alias = *own;
                    alias.ns = wanted.ns;
                    cls->instanceTraits.add(local, alias);
                }
    buildTraits(rt, cls->staticTraits, statics.traits, cls, true);
    cls->setTraits(&cls->staticTraits);
    cls->prototype = make(Object::Kind::Plain, natives.object, &natives.object->instanceTraits,
                          base ? base->prototype : natives.object->prototype);
    cls->prototype->sealed = false;
    cls->scope = scope;
    cls->scope.push_back(Value(cls));
    cls->instanceInit = {&rt, instance.init, nullptr};
    rt.classes[index] = cls;
    invoke({&rt, statics.init, nullptr}, Value(cls), {}, cls->scope, cls);
    return cls;
}

Object* Vm::newActivation(AbcRuntime& rt, std::uint32_t bodyIndex) {
    auto found = rt.activationTraits.find(bodyIndex);
    if (found == rt.activationTraits.end()) {
        Traits traits;
        buildTraits(rt, traits, rt.abc->bodies[bodyIndex].traits, nullptr, true);
        found = rt.activationTraits.emplace(bodyIndex, std::move(traits)).first;
    }
    Object* activation = make(Object::Kind::Activation, nullptr, &found->second, nullptr);
    return activation;
}

Value Vm::constructClass(ClassObject* cls, Args args) {
    if (cls->isInterface)
        throwError("TypeError", 1115, ErrorMessage(1115, cls->qualifiedName()));
    if (cls->primitive)
        return cls->callAsFunction(*this, Value(), args);
    Object* made = nullptr;
    if (cls->allocator) {
        made = cls->allocator(*this, cls);
    } else {
        made = make(Object::Kind::Plain, cls, &cls->instanceTraits, cls->prototype);
        made->sealed = cls->sealedInstances;
    }
    if (cls->instanceInit)
        invoke(cls->instanceInit, Value(made), args, cls->scope, cls);
    return Value(made);
}

Value Vm::invoke(const MethodRef& method, const Value& self, Args args, const ScopeChain& scope,
                 ClassObject* declarer, FunctionObject* callee) {
    if (m_depth >= Limits::kMaxScriptCallDepth)
        throwError("Error", 1023, ErrorMessage(1023));
    ++m_depth;
    struct DepthGuard {
        int& depth;
        ~DepthGuard() { --depth; }
    } guard{m_depth};
    if (method.native)
        return method.native(*this, self, args);
    if (!method.rt)
        return Value();
    AbcRuntime& rt = *method.rt;
    m_callStack.push_back(method);
    struct StackGuard {
        std::vector<MethodRef>& stack;
        ~StackGuard() { stack.pop_back(); }
    } stackGuard{m_callStack};
    return interpret(rt, rt.abc->methods[method.index], self, args, scope, declarer, callee);
}

ClassObject* Vm::defineClass(const std::string& package, const std::string& name, ClassObject* base,
                             Allocator allocator, NativeFn init) {
    auto* cls = make<ClassObject>(Object::Kind::Class, natives.klass, nullptr,
                                  natives.klass ? natives.klass->prototype : nullptr);
    cls->name = name;
    cls->packageName = package;
    cls->ns = Ns{Ns::Group::Public, package, 0};
    cls->base = base;
    cls->depth = base ? base->depth + 1 : 0;
    cls->allocator = allocator ? allocator : (base ? base->allocator : nullptr);
    if (base)
        cls->instanceTraits = base->instanceTraits;
    cls->setTraits(&cls->staticTraits);
    cls->prototype =
        make(Object::Kind::Plain, natives.object, nullptr,
             base ? base->prototype : (natives.object ? natives.object->prototype : nullptr));
    cls->prototype->sealed = false;
    cls->scope = {Value(natives.global)};
    cls->instanceInit = {nullptr, 0, init};
    cls->sealedInstances = true;
    Trait trait;
    trait.ns = cls->ns;
    trait.kind = Trait::Kind::Const;
    trait.slot = m_globalTraits.addSlot(Value(cls), SlotType::Any);
    natives.global->fields.push_back(Value(cls));
    m_globalTraits.add(name, trait);
    return cls;
}

void Vm::defineMethod(ClassObject* cls, const std::string& name, NativeFn fn, bool isStatic) {
    Trait trait;
    trait.kind = Trait::Kind::Method;
    trait.method = {nullptr, 0, fn};
    trait.declarer = cls;
    Traits& traits = isStatic ? cls->staticTraits : cls->instanceTraits;
    traits.add(name, trait);
    trait.ns = kAs3Namespace;
    traits.add(name, trait);
}

void Vm::defineAccessor(ClassObject* cls, const std::string& name, NativeFn getter, NativeFn setter,
                        bool isStatic) {
    Trait trait;
    trait.kind = Trait::Kind::Accessor;
    trait.getter = {nullptr, 0, getter};
    if (setter)
        trait.setter = {nullptr, 0, setter};
    trait.declarer = cls;
    (isStatic ? cls->staticTraits : cls->instanceTraits).add(name, trait);
}

std::uint32_t Vm::defineSlot(ClassObject* cls, const std::string& name, Value initial) {
    Trait trait;
    trait.kind = Trait::Kind::Slot;
    trait.slot = cls->instanceTraits.addSlot(std::move(initial), SlotType::Any);
    cls->instanceTraits.add(name, trait);
    return trait.slot;
}

void Vm::defineConstant(ClassObject* cls, const std::string& name, Value value) {
    Trait trait;
    trait.kind = Trait::Kind::Const;
    trait.slot = cls->staticTraits.addSlot(value, SlotType::Any);
    cls->fields.push_back(std::move(value));
    cls->staticTraits.add(name, trait);
}

void Vm::defineGlobalFunction(const std::string& package, const std::string& name, NativeFn fn) {
    defineGlobalConstant(package, name,
                         Value(newFunction({nullptr, 0, fn}, {Value(natives.global)}, name)));
}

void Vm::defineGlobalConstant(const std::string& package, const std::string& name, Value value) {
    Trait trait;
    trait.ns = Ns{Ns::Group::Public, package, 0};
    trait.kind = Trait::Kind::Const;
    trait.slot = m_globalTraits.addSlot(value, SlotType::Any);
    natives.global->fields.push_back(std::move(value));
    m_globalTraits.add(name, trait);
}

Value Vm::vectorClass(ClassObject* elementClass) {
    std::string key = elementClass ? elementClass->qualifiedName() : "*";
    auto found = m_vectorClasses.find(key);
    if (found != m_vectorClasses.end())
        return found->second;
    ClassObject* generic = natives.vector;
    auto* cls =
        make<ClassObject>(Object::Kind::Class, natives.klass, nullptr, natives.klass->prototype);
    cls->name = "Vector.<" + key + ">";
    cls->packageName = "__AS3__.vec";
    cls->ns = Ns{Ns::Group::Public, "__AS3__.vec", 0};
    cls->base = natives.object;
    cls->allocator = generic->allocator;
    cls->instanceTraits = generic->instanceTraits;
    cls->staticTraits = generic->staticTraits;
    cls->setTraits(&cls->staticTraits);
    cls->prototype = generic->prototype;
    cls->scope = generic->scope;
    cls->instanceInit = generic->instanceInit;
    cls->vectorOf = elementClass;
    if (elementClass == natives.intClass)
        cls->vectorElement = SlotType::Int;
    else if (elementClass == natives.uintClass)
        cls->vectorElement = SlotType::Uint;
    else if (elementClass == natives.number)
        cls->vectorElement = SlotType::Number;
    else if (elementClass == natives.boolean)
        cls->vectorElement = SlotType::Boolean;
    else if (elementClass == natives.string)
        cls->vectorElement = SlotType::String;
    else if (elementClass)
        cls->vectorElement = SlotType::Object;
    m_vectorClasses[key] = Value(cls);
    return Value(cls);
}

} // namespace vidorama::swf::avm2
