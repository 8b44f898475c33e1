// Control flow, the stack, registers and scopes.

#include "avm2/Activation.h"
#include "avm2/Opcodes.h"

#include <cmath>

namespace vidorama::swf::avm2 {

bool Activation::step(const AbcMethod& method, Value& result) {
    vm.spendSteps(1);
    std::size_t start = pc;
    std::uint8_t op = u8();
    switch (op) {
    case kOpNop:
    case kOpLabel:
    case kOpBkpt:
    case kOpTimestamp:
        return false;
    case kOpDebug:
        u8();
        u30();
        u8();
        u30();
        return false;
    case kOpDebugLine:
    case kOpDebugFile:
    case kOpBkptLine:
        u30();
        return false;
    case kOpThrow:
        throw ScriptThrow{pop()};
    case kOpJump: {
        std::int32_t offset = s24();
        jump(std::int64_t(pc) + offset);
        return false;
    }
    case kOpIfTrue:
    case kOpIfFalse: {
        std::int32_t offset = s24();
        if (ToBoolean(pop()) == (op == kOpIfTrue))
            jump(std::int64_t(pc) + offset);
        return false;
    }
    case kOpIfNlt:
    case kOpIfNle:
    case kOpIfNgt:
    case kOpIfNge:
    case kOpIfEq:
    case kOpIfNe:
    case kOpIfLt:
    case kOpIfLe:
    case kOpIfGt:
    case kOpIfGe:
    case kOpIfStrictEq:
    case kOpIfStrictNe: {
        std::int32_t offset = s24();
        Value b = pop();
        Value a = pop();
        if (compareBranch(op, a, b))
            jump(std::int64_t(pc) + offset);
        return false;
    }
    case kOpLookupSwitch: {
        std::int32_t fallback = s24();
        std::uint32_t count = u30();
        if (count > body.code.size())
            verifyError(1021);
        double index = vm.toNumber(pop());
        std::int32_t chosen = fallback;
        for (std::uint32_t i = 0; i <= count; ++i) {
            std::int32_t offset = s24();
            if (index >= 0 && index == double(i))
                chosen = offset;
        }
        jump(std::int64_t(start) + chosen);
        return false;
    }
    case kOpReturnVoid:
        result = Value();
        return true;
    case kOpReturnValue:
        result = vm.coerceToType(rt, method.returnType, pop());
        return true;
    case kOpPushWith:
    case kOpPushScope: {
        Value scope = pop();
        if (scope.isNullish())
            vm.throwError("TypeError", scope.isNull() ? 1009 : 1010,
                          ErrorMessage(scope.isNull() ? 1009 : 1010));
        if (scopes.size() >= Limits::kMaxAbcScopeDepth)
            verifyError(1017);
        scopes.push_back(std::move(scope));
        withScopes.push_back(op == kOpPushWith);
        return false;
    }
    case kOpPopScope:
        if (scopes.empty())
            verifyError(1018);
        scopes.pop_back();
        withScopes.pop_back();
        return false;
    case kOpGetGlobalScope:
        push(global());
        return false;
    case kOpGetScopeObject: {
        std::uint8_t index = u8();
        if (index >= scopes.size())
            verifyError(1019, std::to_string(index));
        push(scopes[index]);
        return false;
    }
    case kOpGetOuterScope: {
        std::uint32_t index = u30();
        if (index >= outer.size())
            verifyError(1019, std::to_string(index));
        push(outer[index]);
        return false;
    }
    case kOpPushNull:
        push(Value::null());
        return false;
    case kOpPushUndefined:
        push(Value());
        return false;
    case kOpPushTrue:
    case kOpPushFalse:
        push(Value(op == kOpPushTrue));
        return false;
    case kOpPushNan:
        push(Value(std::nan("")));
        return false;
    case kOpPushByte:
        push(Value(int(static_cast<std::int8_t>(u8()))));
        return false;
    case kOpPushShort:
        push(Value(int(static_cast<std::int16_t>(u30()))));
        return false;
    case kOpPushInt:
        push(Value(constant(abc.ints, u30())));
        return false;
    case kOpPushUint:
        push(Value(constant(abc.uints, u30())));
        return false;
    case kOpPushDouble:
        push(Value(constant(abc.doubles, u30())));
        return false;
    case kOpPushString:
        push(Value(constant(abc.strings, u30())));
        return false;
    case kOpPushNamespace:
        push(vm.constantValue(rt,
                              {0x08, static_cast<std::uint32_t>(&constant(abc.namespaces, u30()) -
                                                                abc.namespaces.data())}));
        return false;
    case kOpPop:
        pop();
        return false;
    case kOpDup: {
        Value copy = top();
        push(std::move(copy));
        return false;
    }
    case kOpSwap: {
        Value b = pop();
        Value a = pop();
        push(std::move(b));
        push(std::move(a));
        return false;
    }
    case kOpGetLocal:
        push(local(u30()));
        return false;
    case kOpSetLocal: {
        std::uint32_t index = u30();
        local(index) = pop();
        return false;
    }
    case kOpKill:
        local(u30()) = Value();
        return false;
    case kOpIncLocal:
    case kOpDecLocal:
    case kOpIncLocalI:
    case kOpDecLocalI: {
        Value& reg = local(u30());
        double n = vm.toNumber(reg);
        double delta = (op == kOpIncLocal || op == kOpIncLocalI) ? 1 : -1;
        reg = (op == kOpIncLocalI || op == kOpDecLocalI) ? Value(ToInt32(n + delta))
                                                         : Value(n + delta);
        return false;
    }
    case kOpHasNext2: {
        std::uint32_t objectReg = u30();
        std::uint32_t indexReg = u30();
        Value& object = local(objectReg);
        std::uint32_t index = ToUint32(vm.toNumber(local(indexReg)));
        std::uint32_t next = vm.nextIndex(object, index);
        if (next == 0)
            object = Value::null();
        local(indexReg) = Value(next);
        push(Value(next != 0));
        return false;
    }
    case kOpHasNext: {
        std::uint32_t index = ToUint32(vm.toNumber(pop()));
        Value object = pop();
        push(Value(vm.nextIndex(object, index)));
        return false;
    }
    case kOpNextName:
    case kOpNextValue: {
        std::uint32_t index = ToUint32(vm.toNumber(pop()));
        Value object = pop();
        push(op == kOpNextName ? vm.nameAt(object, index) : vm.valueAt(object, index));
        return false;
    }
    default:
        if (op >= kOpGetLocal0 && op <= kOpGetLocal3) {
            push(local(op - kOpGetLocal0));
            return false;
        }
        if (op >= kOpSetLocal0 && op <= kOpSetLocal3) {
            local(op - kOpSetLocal0) = pop();
            return false;
        }
        if (stepValues(op) || stepObjects(op, method))
            return false;
        if (op >= kOpLi8 && op <= kOpSf64)
            vm.noteMissing("domain memory instructions");
        verifyError(1011);
    }
}

} // namespace vidorama::swf::avm2
