// Properties, calls, construction and the objects code makes.

#include "avm2/Activation.h"
#include "avm2/Opcodes.h"
#include "avm2/Proxy.h"

namespace vidorama::swf::avm2 {

namespace {

Value& SlotOf(Vm& vm, const Value& target, std::uint32_t slot) {
    if (!target.isObject())
        vm.throwError("TypeError", target.isNull() ? 1009 : 1010,
                      ErrorMessage(target.isNull() ? 1009 : 1010));
    Object* object = target.object;
    if (slot == 0 || slot > object->fields.size())
        vm.throwError("VerifyError", 1026,
                      ErrorMessage(1026, std::to_string(slot),
                                   std::to_string(object->fields.size()),
                                   object->cls() ? object->cls()->qualifiedName() : "Object"));
    return object->fields[slot - 1];
}

} // namespace

bool Activation::stepObjects(std::uint8_t op, const AbcMethod& method) {
    switch (op) {
    case kOpGetProperty: {
        Name n = name(u30());
        Value target = pop();
        push(vm.getProperty(target, n));
        return true;
    }
    case kOpSetProperty:
    case kOpInitProperty: {
        std::uint32_t index = u30();
        Value value = pop();
        Name n = name(index);
        Value target = pop();
        vm.setProperty(target, n, std::move(value), op == kOpInitProperty);
        return true;
    }
    case kOpDeleteProperty: {
        Name n = name(u30());
        Value target = pop();
        push(Value(vm.deleteProperty(target, n)));
        return true;
    }
    case kOpGetSuper: {
        Name n = name(u30());
        Value target = pop();
        push(vm.getSuper(target, declarer, n));
        return true;
    }
    case kOpSetSuper: {
        std::uint32_t index = u30();
        Value value = pop();
        Name n = name(index);
        Value target = pop();
        vm.setSuper(target, declarer, n, std::move(value));
        return true;
    }
    case kOpFindPropStrict:
    case kOpFindProperty: {
        Name n = name(u30());
        push(findProperty(n, op == kOpFindPropStrict));
        return true;
    }
    case kOpFindDef: {
        std::uint32_t index = u30();
        pool(abc.multinames, index);
        Object* found = vm.findGlobal(rt.names[index]);
        if (!found)
            vm.throwError("ReferenceError", 1065, ErrorMessage(1065, rt.names[index].local));
        push(Value(found));
        return true;
    }
    case kOpGetLex: {
        std::uint32_t index = u30();
        pool(abc.multinames, index);
        Name n = rt.names[index];
        Value scope = findProperty(n, true);
        push(vm.getProperty(scope, n));
        return true;
    }
    case kOpGetSlot: {
        std::uint32_t slot = u30();
        Value target = pop();
        push(SlotOf(vm, target, slot));
        return true;
    }
    case kOpSetSlot: {
        std::uint32_t slot = u30();
        Value value = pop();
        Value target = pop();
        Value& cell = SlotOf(vm, target, slot);
        cell = vm.coerce(value, target.object->traits()->slotTypes[slot - 1]);
        return true;
    }
    case kOpGetGlobalSlot:
        push(SlotOf(vm, global(), u30()));
        return true;
    case kOpSetGlobalSlot: {
        std::uint32_t slot = u30();
        SlotOf(vm, global(), slot) = pop();
        return true;
    }
    case kOpCallProperty:
    case kOpCallPropLex:
    case kOpCallPropVoid: {
        std::uint32_t index = u30();
        std::vector<Value> args = popArgs(u30());
        Name n = name(index);
        Value target = pop();
        Value r = vm.callProperty(target, n, args);
        if (op != kOpCallPropVoid)
            push(std::move(r));
        return true;
    }
    case kOpCallSuper:
    case kOpCallSuperVoid: {
        std::uint32_t index = u30();
        std::vector<Value> args = popArgs(u30());
        Name n = name(index);
        Value target = pop();
        Value r = vm.callSuper(target, declarer, n, args);
        if (op == kOpCallSuper)
            push(std::move(r));
        return true;
    }
    case kOpCall: {
        std::vector<Value> args = popArgs(u30());
        Value self = pop();
        Value fn = pop();
        push(vm.call(fn, self, args));
        return true;
    }
    case kOpCallStatic: {
        std::uint32_t methodIndex = u30();
        std::vector<Value> args = popArgs(u30());
        Value self = pop();
        pool(abc.methods, methodIndex);
        push(vm.invoke({&rt, methodIndex, nullptr}, self, args, captureScope(), declarer));
        return true;
    }
    case kOpConstruct: {
        std::vector<Value> args = popArgs(u30());
        Value ctor = pop();
        push(vm.construct(ctor, args));
        return true;
    }
    case kOpConstructProp: {
        std::uint32_t index = u30();
        std::vector<Value> args = popArgs(u30());
        Name n = name(index);
        Value target = pop();
        Value ctor = vm.getProperty(target, n);
        if (!ctor.isObject())
            vm.throwError("TypeError", 1007, ErrorMessage(1007));
        push(vm.construct(ctor, args));
        return true;
    }
    case kOpConstructSuper: {
        std::vector<Value> args = popArgs(u30());
        Value self = pop();
        if (declarer && declarer->base && declarer->base->instanceInit)
            vm.invoke(declarer->base->instanceInit, self, args, declarer->base->scope,
                      declarer->base);
        return true;
    }
    case kOpApplyType: {
        std::vector<Value> params = popArgs(u30());
        Value generic = pop();
        if (!generic.isObject() || generic.object != vm.natives.vector || params.size() != 1)
            vm.throwError("TypeError", 1127, ErrorMessage(1127));
        ClassObject* element =
            params[0].isObject() && params[0].object->kind() == Object::Kind::Class
                ? static_cast<ClassObject*>(params[0].object)
                : nullptr;
        push(vm.vectorClass(element));
        return true;
    }
    case kOpNewObject: {
        std::uint32_t count = u30();
        std::vector<Value> pairs = popArgs(count * 2);
        Object* object = vm.newObject();
        for (std::size_t i = 0; i + 1 < pairs.size(); i += 2)
            object->setDynamic(vm.toString(pairs[i]), pairs[i + 1]);
        push(Value(object));
        return true;
    }
    case kOpNewArray:
        push(Value(vm.newArray(popArgs(u30()))));
        return true;
    case kOpNewActivation:
        push(Value(vm.newActivation(rt, std::uint32_t(method.body))));
        return true;
    case kOpNewFunction: {
        std::uint32_t index = u30();
        pool(abc.methods, index);
        push(Value(vm.newFunction({&rt, index, nullptr}, captureScope(), "")));
        return true;
    }
    case kOpNewClass: {
        std::uint32_t index = u30();
        pool(abc.instances, index);
        Value base = pop();
        ClassObject* baseClass = base.isObject() && base.object->kind() == Object::Kind::Class
                                     ? static_cast<ClassObject*>(base.object)
                                     : nullptr;
        push(Value(vm.newClass(rt, index, baseClass, captureScope())));
        return true;
    }
    case kOpNewCatch: {
        std::uint32_t index = u30();
        const AbcException& handler = pool(body.exceptions, index);
        std::uint64_t key = (std::uint64_t(method.body) << 32) | index;
        auto found = rt.catchTraits.find(key);
        if (found == rt.catchTraits.end()) {
            Traits traits;
            Trait trait;
            trait.slot = traits.addSlot(Value(), SlotType::Any);
            const Name& varName = rt.names[handler.varName];
            trait.ns = varName.namespaces.empty() ? Ns{} : varName.namespaces[0];
            traits.add(varName.local, trait);
            found = rt.catchTraits.emplace(key, std::move(traits)).first;
        }
        push(Value(vm.make(Object::Kind::Activation, nullptr, &found->second, nullptr)));
        return true;
    }
    case kOpGetDescendants: {
        Name asked = name(u30());
        Value target = pop();
        if (IsProxy(target)) {
            push(ProxyDescendants(vm, target, asked));
            return true;
        }
        if (!IsXmlValue(target))
            vm.throwError("TypeError", 1016, ErrorMessage(1016, vm.describe(target)));
        push(Value(static_cast<Object*>(XmlDescendants(vm, target, ToXmlName(vm, asked)))));
        return true;
    }
    case kOpDxns:
        vm.xml.defaultNamespace = pool(abc.strings, u30());
        return true;
    case kOpDxnsLate:
        vm.xml.defaultNamespace = NamespaceUri(vm, pop());
        return true;
    case kOpCallMethod:
    case kOpCallSuperId:
    case kOpCallInterface:
        verifyError(1011);
    default:
        return false;
    }
}

} // namespace vidorama::swf::avm2
