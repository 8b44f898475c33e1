#include "avm2/ByteArrayObject.h"
#include "avm2/Native.h"
#include "avm2/Proxy.h"
#include "avm2/Vm.h"
#include "avm2/Xml.h"
#include "swf/Limits.h"

#include <cmath>

namespace vidorama::swf::avm2 {

namespace {

bool IsList(const Object* object) {
    return object->kind() == Object::Kind::Array || object->kind() == Object::Kind::Vector;
}

// ByteArray[i] reads and writes one byte.
ByteArrayObject* IndexedBytes(Object* object, const Name& name, std::int64_t& index) {
    if (object->kind() != Object::Kind::ByteArray || name.attribute || !name.hasPublic())
        return nullptr;
    index = ArrayIndex(name.local);
    return index >= 0 ? static_cast<ByteArrayObject*>(object) : nullptr;
}

std::int64_t ElementIndex(const Object* object, const Name& name) {
    if (!IsList(object) || name.attribute || !name.hasPublic())
        return -1;
    return ArrayIndex(name.local);
}

// The built-in classes' public methods stand for those Flash keeps on the
// prototypes: a dynamic object may set its own (toString, valueOf), which
// then hide them.
bool NativeMethodShadowed(const Trait* trait, Object* object, const Name& name) {
    return trait->kind == Trait::Kind::Method && trait->method.native && !object->sealed &&
           name.hasPublic() && !name.attribute && object->findDynamic(name.local);
}

// A class's own statics, then what every Class instance has; a function's
// own traits are those of Function.
const Trait* FindTrait(Vm& vm, const Value& target, const Name& name) {
    if (!target.isObject()) {
        ClassObject* cls = vm.classOf(target);
        return cls ? cls->instanceTraits.find(name) : nullptr;
    }
    Object* object = target.object;
    if (const Traits* traits = object->traits())
        if (const Trait* trait = traits->find(name))
            return NativeMethodShadowed(trait, object, name) ? nullptr : trait;
    // Globals, classes and the like keep traits of their own; what their
    // class gives every instance (toString) is behind them.
    ClassObject* cls = object->cls();
    if (cls && object->traits() != &cls->instanceTraits) {
        const Trait* trait = cls->instanceTraits.find(name);
        return trait && NativeMethodShadowed(trait, object, name) ? nullptr : trait;
    }
    return nullptr;
}

// A Dictionary tells object keys apart by identity: each stands for a name
// of its own, which enumeration turns back into the object.
const Name& Keyed(const Value& target, const Name& asked, Name& keyed) {
    if (!asked.keyObject || !target.isObject() || target.object->kind() != Object::Kind::Dictionary)
        return asked;
    keyed = asked;
    keyed.local = "\x01" + std::to_string(reinterpret_cast<std::uintptr_t>(asked.keyObject));
    static_cast<DictionaryObject*>(target.object)->keys[keyed.local] = asked.keyObject;
    keyed.keyObject = nullptr;
    return keyed;
}

// Properties of undefined and null are Flash's errors 1010 and 1009.
void RefuseNullish(Vm& vm, const Value& target) {
    if (target.isUndefined())
        vm.throwError("TypeError", 1010, ErrorMessage(1010));
    if (target.isNull())
        vm.throwError("TypeError", 1009, ErrorMessage(1009));
}

} // namespace

Value Vm::getProperty(const Value& target, const Name& asked) {
    Name keyed;
    const Name& name = Keyed(target, asked, keyed);
    RefuseNullish(*this, target);
    Object* object = target.isObject() ? target.object : nullptr;
    if (IsXmlValue(target) && IsXmlQuery(name))
        return XmlGet(*this, object, name);
    if (object) {
        std::int64_t index = ElementIndex(object, name);
        if (ByteArrayObject* bytes = IndexedBytes(object, name, index))
            return ByteAt(*bytes, std::size_t(index));
        if (index >= 0) {
            auto* list = static_cast<ArrayObject*>(object);
            if (list->hasElement(std::size_t(index)))
                return list->elements[std::size_t(index)];
            if (object->kind() == Object::Kind::Vector)
                throwError("RangeError", 1125,
                           ErrorMessage(1125, name.local, std::to_string(list->elements.size())));
            for (Object* proto = object->proto(); proto; proto = proto->proto())
                if (Value* inherited = proto->findDynamic(name.local))
                    return *inherited;
            return Value();
        }
    }
    if (const Trait* trait = FindTrait(*this, target, name)) {
        switch (trait->kind) {
        case Trait::Kind::Slot:
        case Trait::Kind::Const:
            return object && trait->slot < object->fields.size() ? object->fields[trait->slot]
                                                                 : Value();
        case Trait::Kind::Method:
            return Value(methodClosure(*trait, target));
        case Trait::Kind::Accessor:
            if (!trait->getter)
                throwError("ReferenceError", 1077,
                           ErrorMessage(1077, name.local, describe(target)));
            return invoke(trait->getter, target, {},
                          trait->declarer ? trait->declarer->scope : ScopeChain{}, trait->declarer);
        }
    }
    if (IsProxy(target))
        return ProxyGet(*this, target, name);
    if (name.hasPublic() && !name.attribute) {
        if (object)
            if (Value* own = object->findDynamic(name.local))
                return *own;
        ClassObject* cls = classOf(target);
        Object* proto = object ? object->proto() : (cls ? cls->prototype : nullptr);
        for (; proto; proto = proto->proto())
            if (Value* inherited = proto->findDynamic(name.local))
                return *inherited;
    }
    if (object && object->sealed && object->kind() != Object::Kind::Global)
        throwError("ReferenceError", 1069, ErrorMessage(1069, name.local, describe(target)));
    return Value();
}

void Vm::setProperty(const Value& target, const Name& asked, Value value, bool init) {
    Name keyed;
    const Name& name = Keyed(target, asked, keyed);
    RefuseNullish(*this, target);
    Object* object = target.isObject() ? target.object : nullptr;
    if (IsXmlValue(target) && IsXmlQuery(name)) {
        XmlPut(*this, object, name, value);
        return;
    }
    if (object) {
        std::int64_t index = ElementIndex(object, name);
        if (ByteArrayObject* bytes = IndexedBytes(object, name, index)) {
            SetByteAt(*this, *bytes, std::size_t(index), value);
            return;
        }
        if (index >= 0) {
            auto* list = static_cast<ArrayObject*>(object);
            std::size_t i = std::size_t(index);
            if (object->kind() == Object::Kind::Vector) {
                if (i > list->elements.size() || (i == list->elements.size() && list->fixed))
                    throwError(
                        "RangeError", 1125,
                        ErrorMessage(1125, name.local, std::to_string(list->elements.size())));
                value = list->elementClass ? coerceTo(value, list->elementClass)
                                           : coerce(value, list->elementType);
            }
            if (i >= list->elements.size()) {
                if (i >= Limits::kMaxScriptCells)
                    throwError("RangeError", 1125, ErrorMessage(1125, name.local, "0"));
                list->elements.resize(
                    i + 1, object->kind() == Object::Kind::Array ? ArrayObject::hole() : Value());
            }
            list->elements[i] = std::move(value);
            return;
        }
    }
    if (const Trait* trait = FindTrait(*this, target, name)) {
        switch (trait->kind) {
        case Trait::Kind::Slot:
        case Trait::Kind::Const:
            if (trait->kind == Trait::Kind::Const && !init)
                throwError("ReferenceError", 1074,
                           ErrorMessage(1074, name.local, describe(target)));
            if (object && trait->slot < object->fields.size()) {
                SlotType type = object->traits()->slotTypes[trait->slot];
                object->fields[trait->slot] = coerce(value, type);
            }
            return;
        case Trait::Kind::Method:
            if (object && trait->method.native && !object->sealed && name.hasPublic()) {
                object->setDynamic(name.local, std::move(value));
                return;
            }
            throwError("ReferenceError", 1037, ErrorMessage(1037, name.local, describe(target)));
        case Trait::Kind::Accessor:
            if (!trait->setter)
                throwError("ReferenceError", 1074,
                           ErrorMessage(1074, name.local, describe(target)));
            {
                Value arg[] = {std::move(value)};
                invoke(trait->setter, target, arg,
                       trait->declarer ? trait->declarer->scope : ScopeChain{}, trait->declarer);
            }
            return;
        }
    }
    if (IsProxy(target)) {
        ProxySet(*this, target, name, value);
        return;
    }
    if (object && !object->sealed && name.hasPublic() && !name.attribute) {
        object->setDynamic(name.local, std::move(value));
        return;
    }
    throwError("ReferenceError", 1056, ErrorMessage(1056, name.local, describe(target)));
}

bool Vm::deleteProperty(const Value& target, const Name& asked) {
    Name keyed;
    const Name& name = Keyed(target, asked, keyed);
    if (target.isNullish())
        throwError("TypeError", target.isNull() ? 1009 : 1010,
                   ErrorMessage(target.isNull() ? 1009 : 1010));
    if (!target.isObject())
        return false;
    Object* object = target.object;
    if (IsXmlValue(target) && IsXmlQuery(name))
        return XmlDelete(*this, object, name);
    std::int64_t index = ElementIndex(object, name);
    if (index >= 0) {
        // A Vector's elements cannot be deleted: Flash answers true and
        // keeps them.
        auto* list = static_cast<ArrayObject*>(object);
        if (object->kind() == Object::Kind::Array && std::size_t(index) < list->elements.size())
            list->elements[std::size_t(index)] = ArrayObject::hole();
        return true;
    }
    if (FindTrait(*this, target, name))
        return false;
    if (IsProxy(target))
        return ProxyDelete(*this, target, name);
    object->deleteDynamic(name.local);
    return true;
}

bool Vm::hasProperty(const Value& target, const Name& asked) {
    Name keyed;
    const Name& name = Keyed(target, asked, keyed);
    if (target.isNullish())
        return false;
    Object* object = target.isObject() ? target.object : nullptr;
    // Besides its children and attributes, XML has what its prototypes have.
    if (IsXmlValue(target) && IsXmlQuery(name)) {
        if (XmlHas(*this, object, name))
            return true;
        for (Object* proto = object->proto(); proto && name.hasPublic(); proto = proto->proto())
            if (proto->findDynamic(name.local))
                return true;
        return false;
    }
    if (object) {
        std::int64_t index = ElementIndex(object, name);
        if (index >= 0)
            return static_cast<ArrayObject*>(object)->hasElement(std::size_t(index));
    }
    if (FindTrait(*this, target, name))
        return true;
    if (IsProxy(target))
        return ProxyHas(*this, target, name);
    if (!name.hasPublic())
        return false;
    if (object && object->findDynamic(name.local))
        return true;
    ClassObject* cls = classOf(target);
    for (Object* proto = object ? object->proto() : (cls ? cls->prototype : nullptr); proto;
         proto = proto->proto())
        if (proto->findDynamic(name.local))
            return true;
    return false;
}

Value Vm::callProperty(const Value& target, const Name& name, Args args) {
    if (target.isUndefined())
        throwError("TypeError", 1010, ErrorMessage(1010));
    if (target.isNull())
        throwError("TypeError", 1009, ErrorMessage(1009));
    if (const Trait* trait = FindTrait(*this, target, name);
        trait && trait->kind == Trait::Kind::Method)
        return invoke(trait->method, target, args,
                      trait->declarer ? trait->declarer->scope : ScopeChain{}, trait->declarer);
    if (IsXmlValue(target) && IsXmlQuery(name))
        return callProperty(XmlMethodReceiver(*this, target, name), name, args);
    if (IsProxy(target) && !FindTrait(*this, target, name))
        return ProxyCall(*this, target, name, args);
    Value fn = getProperty(target, name);
    if (!fn.isObject() ||
        (fn.object->kind() != Object::Kind::Function && fn.object->kind() != Object::Kind::Class))
        throwError("TypeError", 1006, ErrorMessage(1006, name.local));
    return call(fn, target, args);
}

Value Vm::getSuper(const Value& target, ClassObject* declarer, const Name& name) {
    ClassObject* base = declarer ? declarer->base : nullptr;
    const Trait* trait = base ? base->instanceTraits.find(name) : nullptr;
    if (!trait)
        return getProperty(target, name);
    switch (trait->kind) {
    case Trait::Kind::Method:
        return Value(methodClosure(*trait, target));
    case Trait::Kind::Accessor:
        if (trait->getter)
            return invoke(trait->getter, target, {}, trait->declarer->scope, trait->declarer);
        return Value();
    default:
        return getProperty(target, name);
    }
}

void Vm::setSuper(const Value& target, ClassObject* declarer, const Name& name, Value value) {
    ClassObject* base = declarer ? declarer->base : nullptr;
    const Trait* trait = base ? base->instanceTraits.find(name) : nullptr;
    if (trait && trait->kind == Trait::Kind::Accessor && trait->setter) {
        Value arg[] = {std::move(value)};
        invoke(trait->setter, target, arg, trait->declarer->scope, trait->declarer);
        return;
    }
    setProperty(target, name, std::move(value));
}

Value Vm::callSuper(const Value& target, ClassObject* declarer, const Name& name, Args args) {
    ClassObject* base = declarer ? declarer->base : nullptr;
    const Trait* trait = base ? base->instanceTraits.find(name) : nullptr;
    if (trait && trait->kind == Trait::Kind::Method)
        return invoke(trait->method, target, args,
                      trait->declarer ? trait->declarer->scope : ScopeChain{}, trait->declarer);
    return call(getSuper(target, declarer, name), target, args);
}

Value Vm::call(const Value& fn, const Value& self, Args args) {
    if (fn.isObject() && fn.object->kind() == Object::Kind::Function) {
        auto* function = static_cast<FunctionObject*>(fn.object);
        Value receiver = function->bound ? function->boundThis : self;
        if (receiver.isNullish() && !function->scope.empty() && !function->bound)
            receiver = function->scope.front();
        return invoke(function->method, receiver, args, function->scope, function->declarer,
                      function);
    }
    if (fn.isObject() && fn.object->kind() == Object::Kind::Class) {
        auto* cls = static_cast<ClassObject*>(fn.object);
        if (cls->callAsFunction)
            return cls->callAsFunction(*this, self, args);
        if (cls->allocator && cls->allocator == natives.vector->allocator)
            return VectorFromList(*this, cls, args);
        if (args.size() != 1)
            throwError("ArgumentError", 1112, ErrorMessage(1112, cls->qualifiedName()));
        return coerceTo(args[0], cls);
    }
    throwError("TypeError", 1006, ErrorMessage(1006, "value"));
}

Value Vm::construct(const Value& ctor, Args args) {
    if (ctor.isObject() && ctor.object->kind() == Object::Kind::Class)
        return constructClass(static_cast<ClassObject*>(ctor.object), args);
    if (ctor.isObject() && ctor.object->kind() == Object::Kind::Function) {
        auto* function = static_cast<FunctionObject*>(ctor.object);
        if (function->bound || function->method.native)
            throwError("TypeError", 1115, ErrorMessage(1115, "function"));
        Object* made = newObject();
        Value proto = getProperty(ctor, Name::publicName("prototype"));
        if (proto.isObject())
            made->setProto(proto.object);
        Value result =
            invoke(function->method, Value(made), args, function->scope, nullptr, function);
        return result.isObject() ? result : Value(made);
    }
    throwError("TypeError", 1007, ErrorMessage(1007));
}

std::uint32_t Vm::nextIndex(const Value& target, std::uint32_t index) {
    if (!target.isObject())
        return 0;
    Object* object = target.object;
    if (IsProxy(target))
        return ProxyNextIndex(*this, target, index);
    if (std::uint32_t entries = NameObjectEntries(target))
        return index < entries ? index + 1 : 0;
    if (IsXmlValue(target))
        return index < XmlNodes(target).size() ? index + 1 : 0;
    std::size_t elements = IsList(object) ? static_cast<ArrayObject*>(object)->elements.size() : 0;
    // Holes are passed over.
    while (index < elements &&
           ArrayObject::isHole(static_cast<ArrayObject*>(object)->elements[index]))
        ++index;
    return index < elements + object->dynamic.size() ? index + 1 : 0;
}

Value Vm::nameAt(const Value& target, std::uint32_t index) {
    if (!target.isObject() || index == 0)
        return Value();
    Object* object = target.object;
    if (IsProxy(target))
        return ProxyNameAt(*this, target, index);
    if (index <= NameObjectEntries(target))
        return NameObjectKey(target, index - 1);
    if (IsXmlValue(target))
        return Value(double(index - 1));
    std::size_t elements = IsList(object) ? static_cast<ArrayObject*>(object)->elements.size() : 0;
    if (index <= elements)
        return Value(double(index - 1));
    std::size_t i = index - 1 - elements;
    if (i >= object->dynamic.size())
        return Value();
    const std::string& name = object->dynamic[i].first;
    if (object->kind() == Object::Kind::Dictionary) {
        auto& keys = static_cast<DictionaryObject*>(object)->keys;
        if (auto found = keys.find(name); found != keys.end())
            return Value(found->second);
    }
    return Value(name);
}

Value Vm::valueAt(const Value& target, std::uint32_t index) {
    if (!target.isObject() || index == 0)
        return Value();
    Object* object = target.object;
    if (IsProxy(target))
        return ProxyValueAt(*this, target, index);
    if (index <= NameObjectEntries(target))
        return NameObjectValue(target, index - 1);
    if (IsXmlValue(target)) {
        std::vector<XmlObject*> nodes = XmlNodes(target);
        return index <= nodes.size() ? Value(static_cast<Object*>(nodes[index - 1])) : Value();
    }
    std::size_t elements = IsList(object) ? static_cast<ArrayObject*>(object)->elements.size() : 0;
    if (index <= elements)
        return static_cast<ArrayObject*>(object)->elements[index - 1];
    std::size_t i = index - 1 - elements;
    return i < object->dynamic.size() ? object->dynamic[i].second : Value();
}

} // namespace vidorama::swf::avm2
