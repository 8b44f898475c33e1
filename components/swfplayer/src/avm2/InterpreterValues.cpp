// Arithmetic, comparisons, conversions and type tests.

#include "avm2/Activation.h"
#include "avm2/Opcodes.h"
#include "avm2/XmlParser.h"

#include <cmath>

namespace vidorama::swf::avm2 {

namespace {

Value IsTrue(const Value& v) {
    return Value(v.isBoolean() && v.boolean);
}

} // namespace

bool Activation::stepValues(std::uint8_t op) {
    switch (op) {
    case kOpAdd: {
        Value b = pop();
        Value a = pop();
        push(vm.add(a, b));
        return true;
    }
    case kOpSubtract:
    case kOpMultiply:
    case kOpDivide:
    case kOpModulo: {
        double b = vm.toNumber(pop());
        double a = vm.toNumber(pop());
        double r = op == kOpSubtract   ? a - b
                   : op == kOpMultiply ? a * b
                   : op == kOpDivide   ? a / b
                                       : std::fmod(a, b);
        push(Value(r));
        return true;
    }
    case kOpAddI:
    case kOpSubtractI:
    case kOpMultiplyI: {
        std::int64_t b = ToInt32(vm.toNumber(pop()));
        std::int64_t a = ToInt32(vm.toNumber(pop()));
        std::int64_t r = op == kOpAddI ? a + b : op == kOpSubtractI ? a - b : a * b;
        push(Value(ToInt32(double(r))));
        return true;
    }
    case kOpLShift:
    case kOpRShift:
    case kOpURShift:
    case kOpBitAnd:
    case kOpBitOr:
    case kOpBitXor: {
        double bn = vm.toNumber(pop());
        double an = vm.toNumber(pop());
        std::int32_t a = ToInt32(an), b = ToInt32(bn);
        std::uint32_t shift = std::uint32_t(b) & 31;
        switch (op) {
        case kOpLShift:
            push(Value(std::int32_t(std::uint32_t(a) << shift)));
            break;
        case kOpRShift:
            push(Value(a >> shift));
            break;
        case kOpURShift:
            push(Value(std::uint32_t(a) >> shift));
            break;
        case kOpBitAnd:
            push(Value(a & b));
            break;
        case kOpBitOr:
            push(Value(a | b));
            break;
        default:
            push(Value(a ^ b));
            break;
        }
        return true;
    }
    case kOpNegate:
        push(Value(-vm.toNumber(pop())));
        return true;
    case kOpNegateI:
        push(Value(ToInt32(-double(ToInt32(vm.toNumber(pop()))))));
        return true;
    case kOpIncrement:
    case kOpDecrement:
        push(Value(vm.toNumber(pop()) + (op == kOpIncrement ? 1 : -1)));
        return true;
    case kOpIncrementI:
    case kOpDecrementI:
        push(Value(ToInt32(double(ToInt32(vm.toNumber(pop()))) + (op == kOpIncrementI ? 1 : -1))));
        return true;
    case kOpBitNot:
        push(Value(~ToInt32(vm.toNumber(pop()))));
        return true;
    case kOpNot:
        push(Value(!ToBoolean(pop())));
        return true;
    case kOpEquals:
    case kOpStrictEquals:
    case kOpLessThan:
    case kOpLessEquals:
    case kOpGreaterThan:
    case kOpGreaterEquals: {
        Value b = pop();
        Value a = pop();
        switch (op) {
        case kOpEquals:
            push(Value(vm.looseEquals(a, b)));
            break;
        case kOpStrictEquals:
            push(Value(vm.strictEquals(a, b)));
            break;
        case kOpLessThan:
            push(IsTrue(vm.lessThan(a, b)));
            break;
        case kOpGreaterThan:
            push(IsTrue(vm.lessThan(b, a)));
            break;
        case kOpLessEquals: {
            Value r = vm.lessThan(b, a);
            push(Value(r.isBoolean() && !r.boolean));
            break;
        }
        default: {
            Value r = vm.lessThan(a, b);
            push(Value(r.isBoolean() && !r.boolean));
            break;
        }
        }
        return true;
    }
    case kOpTypeOf:
        push(Value(vm.typeOf(pop())));
        return true;
    case kOpConvertS:
        push(Value(vm.toString(pop())));
        return true;
    case kOpEscXElem: {
        Value v = pop();
        push(Value(IsXmlValue(v) ? XmlToXmlString(vm, v) : EscapeXmlText(vm.toString(v))));
        return true;
    }
    case kOpEscXAttr:
        push(Value(EscapeXmlAttribute(vm.toString(pop()))));
        return true;
    case kOpConvertI:
    case kOpCoerceI:
        push(vm.coerce(pop(), SlotType::Int));
        return true;
    case kOpConvertU:
    case kOpCoerceU:
        push(vm.coerce(pop(), SlotType::Uint));
        return true;
    case kOpConvertD:
    case kOpCoerceD:
        push(vm.coerce(pop(), SlotType::Number));
        return true;
    case kOpConvertB:
    case kOpCoerceB:
        push(vm.coerce(pop(), SlotType::Boolean));
        return true;
    case kOpConvertO: {
        Value& v = top();
        if (v.isNullish())
            vm.throwError("TypeError", v.isNull() ? 1009 : 1010,
                          ErrorMessage(v.isNull() ? 1009 : 1010));
        return true;
    }
    case kOpCoerceS:
        push(vm.coerce(pop(), SlotType::String));
        return true;
    case kOpCoerceO:
        push(vm.coerce(pop(), SlotType::Object));
        return true;
    case kOpCoerceA:
        top();
        return true;
    case kOpCheckFilter:
        if (!IsXmlValue(top())) {
            ClassObject* cls = vm.classOf(top());
            vm.throwError("TypeError", 1123,
                          ErrorMessage(1123, cls ? cls->qualifiedName() : vm.typeOf(top())));
        }
        return true;
    case kOpSxi1:
        push(Value(-(ToInt32(vm.toNumber(pop())) & 1)));
        return true;
    case kOpSxi8:
        push(Value(int(static_cast<std::int8_t>(ToInt32(vm.toNumber(pop()))))));
        return true;
    case kOpSxi16:
        push(Value(int(static_cast<std::int16_t>(ToInt32(vm.toNumber(pop()))))));
        return true;
    case kOpCoerce: {
        std::uint32_t type = u30();
        push(vm.coerceToType(rt, type, pop()));
        return true;
    }
    case kOpAsType:
    case kOpIsType: {
        ClassObject* cls = vm.typeClass(rt, u30());
        Value v = pop();
        bool is = vm.isType(v, cls);
        push(op == kOpIsType ? Value(is) : (is ? v : Value::null()));
        return true;
    }
    case kOpAsTypeLate:
    case kOpIsTypeLate: {
        Value type = pop();
        Value v = pop();
        if (!type.isObject() || type.object->kind() != Object::Kind::Class)
            vm.throwError("TypeError", 1041, ErrorMessage(1041));
        bool is = vm.isType(v, static_cast<ClassObject*>(type.object));
        push(op == kOpIsTypeLate ? Value(is) : (is ? v : Value::null()));
        return true;
    }
    case kOpInstanceOf: {
        Value type = pop();
        Value v = pop();
        if (type.isNullish() || !type.isObject())
            vm.throwError("TypeError", 1040, ErrorMessage(1040));
        Value proto = vm.getProperty(type, Name::publicName("prototype"));
        bool found = false;
        if (v.isObject() && proto.isObject())
            for (Object* p = v.object->proto(); p && !found; p = p->proto())
                found = p == proto.object;
        if (!found && !v.isObject() && type.object->kind() == Object::Kind::Class)
            found = vm.isType(v, static_cast<ClassObject*>(type.object));
        push(Value(found));
        return true;
    }
    case kOpIn: {
        Value object = pop();
        Value name = pop();
        Name asked = Name::publicName(vm.toString(name));
        if (name.isObject())
            asked.keyObject = name.object;
        push(Value(vm.hasProperty(object, asked)));
        return true;
    }
    default:
        return false;
    }
}

} // namespace vidorama::swf::avm2
