// The object records of the interpreter: members, calls, construction,
// functions, with and try blocks.

#include "avm1/ActionCodes.h"
#include "avm1/Interpreter.h"
#include "player/MovieClip.h"
#include "swf/ByteReader.h"

#include <cstdint>
#include <limits>

namespace vidorama::swf::avm1 {

namespace {

constexpr std::uint8_t kTryCatchInRegister = 0x04;
constexpr std::uint8_t kTryHasFinally = 0x02;
constexpr std::uint8_t kTryHasCatch = 0x01;
// Prototypes and interfaces instanceof looks through at most, so that a
// cycle made by assigning __proto__ cannot loop.
constexpr int kMaxInstanceOfVisits = 1024;

} // namespace

Interpreter::Flow Interpreter::executeObjects(std::uint8_t code, ByteReader& record,
                                              std::size_t& next, bool& handled) {
    switch (code) {
    case kActionGetMember: {
        std::string name = m_vm.toString(pop());
        push(m_vm.getProperty(pop(), name));
        break;
    }
    case kActionSetMember: {
        Value value = pop();
        std::string name = m_vm.toString(pop());
        m_vm.setMember(pop().asObject(), name, value);
        break;
    }
    case kActionCallFunction:
        callFunction();
        break;
    case kActionCallMethod:
        callMethod();
        break;
    case kActionNewObject:
        newObject(false);
        break;
    case kActionNewMethod:
        newObject(true);
        break;
    case kActionInitArray: {
        // A count that is no 32-bit length makes undefined, and the values
        // stay on the stack.
        double count = m_vm.toNumber(pop());
        if (!(count >= 0 && count <= double(std::numeric_limits<std::int32_t>::max()))) {
            push(Value());
            break;
        }
        push(Value::object(m_vm.newArray(popArguments(count))));
        break;
    }
    case kActionInitObject: {
        double count = m_vm.toNumber(pop());
        Object* object = m_vm.newObject();
        for (double i = 0; i < count && m_vm.stack().size() > m_a.stackBase; ++i) {
            Value value = pop();
            m_vm.setMember(object, m_vm.toString(pop()), value);
        }
        push(Value::object(object));
        break;
    }
    case kActionDefineLocal: {
        Value value = pop();
        m_vm.setMember(localScope(), m_vm.toString(pop()), value);
        break;
    }
    case kActionDefineLocal2: {
        std::string name = m_vm.toString(pop());
        Object* scope = localScope();
        if (!scope->properties().find(m_vm.key(name)))
            m_vm.defineValue(scope, name, Value());
        break;
    }
    case kActionDelete: {
        std::string name = m_vm.toString(pop());
        push(Value::boolean(m_vm.deleteMember(pop().asObject(), name)));
        break;
    }
    case kActionDelete2: {
        std::string name = m_vm.toString(pop());
        bool deleted = false;
        if (IsPath(name)) {
            // A path names the member of the object it leads to.
            Object* holder = nullptr;
            std::string_view member;
            splitPath(name, holder, member);
            push(Value::boolean(holder && !member.empty() && m_vm.deleteMember(holder, member)));
            break;
        }
        for (auto it = m_a.scope.rbegin(); it != m_a.scope.rend() && !deleted; ++it)
            deleted = m_vm.deleteMember(it->object, name);
        if (!deleted)
            deleted = m_vm.deleteMember(m_vm.builtins().global, name);
        push(Value::boolean(deleted));
        break;
    }
    case kActionReturn:
        m_pending = {Outcome::Kind::Return, next, pop()};
        return Flow::Return;
    case kActionEnumerate:
        enumerate(getVariable(m_vm.toString(pop())));
        break;
    case kActionEnumerate2:
        enumerate(pop());
        break;
    case kActionInstanceOf: {
        Value constructor = pop(), object = pop();
        push(Value::boolean(instanceOf(object, constructor)));
        break;
    }
    case kActionCastOp: {
        Value object = pop(), constructor = pop();
        push(instanceOf(object, constructor) ? object : Value::null());
        break;
    }
    case kActionImplementsOp: {
        Value constructor = pop();
        std::vector<Value> interfaces = popArguments();
        Object* proto = m_vm.getMember(constructor.asObject(), "prototype").asObject();
        if (!proto)
            break;
        proto->interfaces().clear();
        for (const Value& interface : interfaces)
            if (Object* object = interface.asObject())
                proto->interfaces().push_back(object);
        break;
    }
    case kActionExtends:
        extends();
        break;
    case kActionThrow:
        throw ScriptThrow{pop()};
    case kActionDefineFunction:
    case kActionDefineFunction2:
        defineFunction(record, next, code == kActionDefineFunction2);
        break;
    case kActionWith:
    case kActionTry: {
        Outcome inner;
        Flow flow =
            code == kActionWith ? runWith(record, next, inner) : runTry(record, next, inner);
        if (inner.kind == Outcome::Kind::Return) {
            m_pending = inner;
            return Flow::Return;
        }
        if (inner.kind == Outcome::Kind::Jump)
            next = inner.pc;
        return flow;
    }
    default:
        handled = false;
        break;
    }
    return Flow::Next;
}

void Interpreter::callFunction() {
    std::string name = m_vm.toString(pop());
    std::vector<Value> args = popArguments();
    Value function = getVariable(name);
    if (Object* object = function.asObject(); object && object->kind() == ObjectKind::Super)
        push(callSuper(static_cast<SuperObject&>(*object), args));
    else
        push(m_vm.call(function, Value::object(targetScope()), args));
}

void Interpreter::callMethod() {
    Value name = pop();
    Value object = pop();
    std::vector<Value> args = popArguments();
    auto* super = object.asObject() && object.asObject()->kind() == ObjectKind::Super
                      ? static_cast<SuperObject*>(object.asObject())
                      : nullptr;
    // No name, or one whose text is empty (an object's toString too), calls
    // the object itself.
    std::string method = name.isUndefined() ? std::string() : m_vm.toString(name);
    if (method.empty()) {
        push(super ? callSuper(*super, args)
                   : m_vm.call(object, Value::object(targetScope()), args));
        return;
    }
    if (!object.isObject()) {
        push(m_vm.call(m_vm.getProperty(object, method), object, args));
        return;
    }
    Object* holder = nullptr;
    Value function = m_vm.getMember(object.asObject(), method, &holder);
    push(m_vm.call(function, super ? Value::object(super->self) : object, args, holder));
}

// super(): the constructor of the class above the running one, on the same
// object.
Value Interpreter::callSuper(SuperObject& super, std::span<const Value> args) {
    Value constructor = m_vm.getMember(super.home, "__constructor__");
    return m_vm.call(constructor, Value::object(super.self), args, super.home->proto());
}

void Interpreter::newObject(bool method) {
    Value constructor;
    if (method) {
        Value name = pop();
        Value object = pop();
        bool unnamed = name.isUndefined() || (name.isString() && name.asString().empty());
        constructor = unnamed ? object : m_vm.getProperty(object, m_vm.toString(name));
    } else {
        constructor = getVariable(m_vm.toString(pop()));
    }
    std::vector<Value> args = popArguments();
    push(m_vm.construct(constructor, args));
}

void Interpreter::enumerate(const Value& object) {
    push(Value::null());
    // Pushed last to first, so that the loop takes the names in order.
    if (Object* o = object.asObject()) {
        std::vector<std::string> names = m_vm.enumerate(o);
        for (auto name = names.rbegin(); name != names.rend(); ++name)
            push(Value::string(std::move(*name)));
    }
}

bool Interpreter::instanceOf(const Value& object, const Value& constructor) {
    Object* o = object.asObject();
    Object* ctor = constructor.asObject();
    if (!o || !ctor)
        return false;
    Object* proto = m_vm.getMember(ctor, "prototype").asObject();
    // The prototype chain, and the prototypes of the interfaces each link
    // implements, which may extend further interfaces.
    std::vector<Object*> pending{o->proto()};
    for (int visited = 0; !pending.empty() && visited < kMaxInstanceOfVisits; ++visited) {
        Object* at = pending.back();
        pending.pop_back();
        if (!at)
            continue;
        if (at == proto)
            return true;
        pending.push_back(at->proto());
        for (Object* interface : at->interfaces()) {
            if (interface == ctor)
                return true;
            pending.push_back(m_vm.getMember(interface, "prototype").asObject());
        }
    }
    return false;
}

void Interpreter::extends() {
    Value superclass = pop();
    Value subclass = pop();
    Object* sub = subclass.asObject();
    Object* super = superclass.asObject();
    if (!sub || !super)
        return;
    Object* proto = m_vm.newObject();
    proto->setProto(m_vm.getMember(super, "prototype").asObject());
    m_vm.defineValue(proto, "__constructor__", superclass, kDontEnum);
    m_vm.defineValue(proto, "constructor", superclass, kDontEnum);
    m_vm.setMember(sub, "prototype", Value::object(proto));
}

void Interpreter::defineFunction(ByteReader& record, std::size_t& next, bool version2) {
    auto function = std::make_shared<ScriptFunction>();
    function->name = record.string();
    std::uint16_t parameters = record.u16();
    function->isFunction2 = version2;
    if (version2) {
        function->registerCount = record.u8();
        function->flags = record.u16();
    }
    for (std::uint16_t i = 0; i < parameters && !record.overrun(); ++i) {
        ScriptFunction::Parameter parameter;
        if (version2)
            parameter.reg = record.u8();
        parameter.name = record.string();
        function->parameters.push_back(std::move(parameter));
    }
    std::size_t size = record.u16();
    if (record.overrun())
        return;
    // The body follows the record; one that claims more than the code has
    // takes what there is.
    std::size_t available = m_a.code.bytes.size() - std::min(next, m_a.code.bytes.size());
    size = std::min(size, available);
    function->body = m_a.code.sub(next, size);
    function->pool = m_a.pool;
    next += size;
    std::weak_ptr<DisplayObject> base = m_a.baseClip;
    if (DisplayObject* clip = m_vm.displayObjectOf(Value::object(targetScope())))
        base = clip->weak_from_this();
    FunctionObject* object = m_vm.newScriptFunction(function, m_a.scope, base);
    if (function->name.empty())
        push(Value::object(object));
    else
        m_vm.setMember(localScope(), function->name, Value::object(object));
}

Interpreter::Flow Interpreter::runWith(ByteReader& record, std::size_t& next, Outcome& inner) {
    std::size_t size = record.u16();
    Object* object = m_vm.toObject(pop());
    std::size_t begin = next;
    std::size_t end = std::min(begin + size, m_a.code.bytes.size());
    next = end;
    if (!object || record.overrun())
        return Flow::Next;
    m_a.scope.push_back({ScopeEntry::Kind::With, object});
    std::size_t depth = m_a.scope.size();
    try {
        inner = runRange(begin, end);
    } catch (...) {
        m_a.scope.resize(depth - 1);
        throw;
    }
    m_a.scope.resize(depth - 1);
    return Flow::Next;
}

Interpreter::Flow Interpreter::runTry(ByteReader& record, std::size_t& next, Outcome& inner) {
    std::uint8_t flags = record.u8();
    std::size_t trySize = record.u16(), catchSize = record.u16(), finallySize = record.u16();
    std::string catchName;
    std::uint8_t catchRegister = 0;
    if (flags & kTryCatchInRegister)
        catchRegister = record.u8();
    else
        catchName = record.string();
    std::size_t codeSize = m_a.code.bytes.size();
    std::size_t tryBegin = std::min(next, codeSize);
    std::size_t catchBegin = std::min(tryBegin + trySize, codeSize);
    std::size_t finallyBegin = std::min(catchBegin + catchSize, codeSize);
    std::size_t end = std::min(finallyBegin + finallySize, codeSize);
    next = end;
    if (record.overrun())
        return Flow::Next;
    try {
        inner = runTryAndCatch(flags, catchName, catchRegister, tryBegin, catchBegin, finallyBegin);
    } catch (const ScriptThrow&) {
        // A throw that leaves the try or the catch runs the finally block on
        // its way out, unless that block leaves by return or jump itself.
        if (flags & kTryHasFinally) {
            Outcome finallyOutcome = runRange(finallyBegin, end);
            if (finallyOutcome.kind != Outcome::Kind::Done) {
                inner = finallyOutcome;
                return Flow::Next;
            }
        }
        throw;
    }
    if (flags & kTryHasFinally) {
        Outcome finallyOutcome = runRange(finallyBegin, end);
        if (finallyOutcome.kind != Outcome::Kind::Done)
            inner = finallyOutcome;
    }
    return Flow::Next;
}

Interpreter::Outcome Interpreter::runTryAndCatch(std::uint8_t flags, const std::string& catchName,
                                                 std::uint8_t catchRegister, std::size_t tryBegin,
                                                 std::size_t catchBegin, std::size_t finallyBegin) {
    Outcome inner;
    std::size_t stackDepth = m_vm.stack().size();
    try {
        inner = runRange(tryBegin, catchBegin);
    } catch (ScriptThrow& thrown) {
        if (!(flags & kTryHasCatch))
            throw;
        // The catch block sees the stack as the throw left it, less anything
        // pushed since the try began (by this code or by the calls it made).
        if (m_vm.stack().size() > stackDepth)
            m_vm.stack().resize(stackDepth);
        if (flags & kTryCatchInRegister) {
            if (catchRegister < m_a.registers.size())
                m_a.registers[catchRegister] = thrown.value;
        } else {
            m_vm.setMember(localScope(), catchName, thrown.value);
        }
        inner = runRange(catchBegin, finallyBegin);
    }
    return inner;
}

} // namespace vidorama::swf::avm1
