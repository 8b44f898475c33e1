#include "avm2/Activation.h"
#include "avm2/CodeCheck.h"
#include "avm2/Opcodes.h"
#include "swf/Limits.h"

#include <cmath>

namespace vidorama::swf::avm2 {

ClassObject* Vm::typeClass(AbcRuntime& rt, std::uint32_t typeName) {
    if (typeName == 0 || typeName >= rt.names.size())
        return nullptr;
    auto found = rt.typeCache.find(typeName);
    if (found != rt.typeCache.end())
        return found->second;
    ClassObject* cls = classByName(rt.names[typeName]);
    if (cls)
        rt.typeCache.emplace(typeName, cls);
    return cls;
}

Value Vm::coerceToType(AbcRuntime& rt, std::uint32_t typeName, const Value& v) {
    SlotType type = slotTypeOf(rt, typeName, nullptr);
    if (type != SlotType::Object)
        return coerce(v, type);
    ClassObject* cls = typeClass(rt, typeName);
    return cls ? coerceTo(v, cls) : v;
}

namespace {

// A method as Flash names it in errors: the block's "pkg:Class/member"
// becomes "pkg::Class/member()", and a constructor "pkg::Class()".
std::string FlashMethodName(const std::string& name) {
    std::size_t slash = name.find('/');
    if (slash == std::string::npos)
        return name + "()";
    std::size_t colon = name.rfind(':', slash);
    std::string package;
    std::string cls = name.substr(0, slash);
    if (colon != std::string::npos) {
        std::size_t packageEnd = colon > 0 && name[colon - 1] == ':' ? colon - 1 : colon;
        package = name.substr(0, packageEnd) + "::";
        cls = name.substr(colon + 1, slash - colon - 1);
    }
    std::string member = name.substr(slash + 1);
    return package + cls + (member == cls ? std::string() : "/" + member) + "()";
}

} // namespace

void Activation::setup(const AbcMethod& method, const Value& self, Args args,
                       FunctionObject* callee) {
    std::size_t params = method.paramTypes.size();
    std::size_t required = params - method.optionals.size();
    // Only methods of classes check their argument count; functions take
    // what they are given.
    bool checked = declarer != nullptr;
    if (checked && (args.size() < required ||
                    (args.size() > params && !(method.flags & (kNeedRest | kNeedArguments))))) {
        std::string what =
            callee && !callee->name.empty() ? callee->name : "Function/<anonymous>()";
        if (method.name && method.name < abc.strings.size() && !abc.strings[method.name].empty())
            what = FlashMethodName(abc.strings[method.name]);
        vm.throwError(
            "ArgumentError", 1063,
            ErrorMessage(1063, what, std::to_string(required), std::to_string(args.size())));
    }
    std::size_t count = std::max<std::size_t>(body.localCount, params + 2);
    locals.assign(count, Value());
    locals[0] = self;
    for (std::size_t i = 0; i < params; ++i) {
        Value arg = i < args.size() ? args[i]
                    : i >= required ? vm.constantValue(rt, method.optionals[i - required])
                                    : Value();
        locals[i + 1] = vm.coerceToType(rt, method.paramTypes[i], arg);
    }
    if (method.flags & kNeedRest) {
        std::vector<Value> rest;
        for (std::size_t i = params; i < args.size(); ++i)
            rest.push_back(args[i]);
        locals[params + 1] = Value(vm.newArray(std::move(rest)));
    } else if (method.flags & kNeedArguments) {
        ArrayObject* arguments = vm.newArray({args.begin(), args.end()});
        if (callee)
            arguments->setDynamic("callee", Value(static_cast<Object*>(callee)));
        locals[params + 1] = Value(arguments);
    }
    stack.reserve(std::min<std::size_t>(body.maxStack, 256));
}

bool Activation::handle(const ScriptThrow& thrown, std::size_t at) {
    if (refused)
        return false;
    for (const AbcException& handler : body.exceptions) {
        if (at < handler.from || at >= handler.to)
            continue;
        if (handler.type != 0) {
            ClassObject* type = vm.typeClass(rt, handler.type);
            if (!type || !vm.isType(thrown.value, type))
                continue;
        }
        stack.clear();
        scopes.clear();
        withScopes.clear();
        stack.push_back(thrown.value);
        pc = handler.target;
        return true;
    }
    return false;
}

Value Activation::run(const AbcMethod& method, const Value& self, Args args,
                      FunctionObject* callee) {
    setup(method, self, args, callee);
    Value result;
    while (true) {
        std::size_t at = pc;
        try {
            while (true) {
                at = pc;
                if (step(method, result))
                    return result;
            }
        } catch (const ScriptThrow& thrown) {
            if (!handle(thrown, at))
                throw;
        }
    }
}

bool Activation::compareBranch(std::uint8_t op, const Value& a, const Value& b) {
    auto isTrue = [](const Value& v) {
        return v.isBoolean() && v.boolean;
    };
    switch (op) {
    case kOpIfNlt:
        return !isTrue(vm.lessThan(a, b));
    case kOpIfNle: {
        Value r = vm.lessThan(b, a);
        return r.isUndefined() || r.boolean;
    }
    case kOpIfNgt:
        return !isTrue(vm.lessThan(b, a));
    case kOpIfNge: {
        Value r = vm.lessThan(a, b);
        return r.isUndefined() || r.boolean;
    }
    case kOpIfEq:
        return vm.looseEquals(a, b);
    case kOpIfNe:
        return !vm.looseEquals(a, b);
    case kOpIfLt:
        return isTrue(vm.lessThan(a, b));
    case kOpIfLe: {
        Value r = vm.lessThan(b, a);
        return r.isBoolean() && !r.boolean;
    }
    case kOpIfGt:
        return isTrue(vm.lessThan(b, a));
    case kOpIfGe: {
        Value r = vm.lessThan(a, b);
        return r.isBoolean() && !r.boolean;
    }
    case kOpIfStrictEq:
        return vm.strictEquals(a, b);
    case kOpIfStrictNe:
        return !vm.strictEquals(a, b);
    default:
        return false;
    }
}

Value Vm::interpret(AbcRuntime& rt, const AbcMethod& method, const Value& self, Args args,
                    const ScopeChain& scope, ClassObject* declarer, FunctionObject* callee) {
    if (method.body < 0)
        return Value();
    const AbcMethodBody& body = rt.abc->bodies[std::size_t(method.body)];
    if (rt.bodiesChecked.size() != rt.abc->bodies.size())
        rt.bodiesChecked.assign(rt.abc->bodies.size(), false);
    if (!rt.bodiesChecked[std::size_t(method.body)]) {
        if (auto fault = CheckCode(*rt.abc, body))
            throwError("VerifyError", fault->code,
                       ErrorMessage(fault->code, fault->detail, fault->more));
        rt.bodiesChecked[std::size_t(method.body)] = true;
    }
    Activation activation(*this, rt, body, scope, declarer);
    return activation.run(method, self, args, callee);
}

} // namespace vidorama::swf::avm2
