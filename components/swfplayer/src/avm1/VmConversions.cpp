#include "avm1/NumberText.h"
#include "avm1/Vm.h"
#include "player/MovieClip.h"

#include <cmath>

namespace vidorama::swf::avm1 {

double Vm::toNumber(const Value& value) {
    switch (value.type()) {
    case Value::Type::Undefined:
    case Value::Type::Null:
        return m_version >= 7 ? std::nan("") : 0;
    case Value::Type::Boolean:
        return value.asBoolean() ? 1 : 0;
    case Value::Type::Number:
        return value.asNumber();
    case Value::Type::String:
        return StringToNumber(value.asString(), m_version);
    case Value::Type::Object: {
        // Only valueOf is asked; an object it gives is no number.
        Value primitive = valueOf(value);
        return primitive.isObject() ? std::nan("") : toNumber(primitive);
    }
    }
    return 0;
}

std::string Vm::toString(const Value& value) {
    switch (value.type()) {
    case Value::Type::Undefined:
        return m_version >= 7 ? "undefined" : "";
    case Value::Type::Null:
        return "null";
    case Value::Type::Boolean:
        return value.asBoolean() ? "true" : "false";
    case Value::Type::Number:
        return NumberToString(value.asNumber());
    case Value::Type::String:
        return value.asString();
    case Value::Type::Object: {
        if (dynamic_cast<const ClipObject*>(value.asObject())) {
            // A clip that has left the stage reads as nothing.
            const DisplayObject* clip = displayObjectOf(value);
            return clip ? targetPath(*clip) : std::string();
        }
        // Only toString is asked; without one that gives a string, Flash
        // names the type.
        Value function = getMember(value.asObject(), "toString");
        if (function.isObject() && function.asObject()->kind() == ObjectKind::Function) {
            Value text = call(function, value, {});
            if (text.isString())
                return text.asString();
        }
        return value.asObject()->kind() == ObjectKind::Function ? "[type Function]"
                                                                : "[type Object]";
    }
    }
    return {};
}

bool Vm::toBoolean(const Value& value) const {
    switch (value.type()) {
    case Value::Type::Boolean:
        return value.asBoolean();
    case Value::Type::Number:
        return value.asNumber() != 0 && !std::isnan(value.asNumber());
    case Value::Type::String: {
        if (m_version >= 7)
            return !value.asString().empty();
        double n = StringToNumber(value.asString(), m_version);
        return n != 0 && !std::isnan(n);
    }
    case Value::Type::Object:
        return true;
    default:
        return false;
    }
}

Value Vm::toPrimitive(const Value& value, bool preferString) {
    if (!value.isObject())
        return value;
    const char* order[2] = {"valueOf", "toString"};
    if (preferString)
        std::swap(order[0], order[1]);
    bool callable = false;
    for (const char* method : order) {
        Value function = getMember(value.asObject(), method);
        if (function.isObject() && function.asObject()->kind() == ObjectKind::Function) {
            callable = true;
            Value result = call(function, value, {});
            if (!result.isObject() || displayObjectOf(result))
                return result;
        }
    }
    // An object with neither method (one without a prototype) is undefined
    // to the operators.
    return callable ? value : Value();
}

Value Vm::valueOf(const Value& value) {
    if (!value.isObject())
        return value;
    Value function = getMember(value.asObject(), "valueOf");
    if (function.isObject() && function.asObject()->kind() == ObjectKind::Function)
        return call(function, value, {});
    return {};
}

Object* Vm::toObject(const Value& value) {
    switch (value.type()) {
    case Value::Type::Object:
        return value.asObject();
    case Value::Type::String: {
        // A String object's length is its own property, hidden from for..in,
        // which scripts may set but not delete.
        Object* boxed = make<BoxedObject>(m_builtins.string, value);
        defineValue(boxed, "length", Value::number(static_cast<double>(value.asString().size())),
                    kDontEnum | kDontDelete);
        return boxed;
    }
    case Value::Type::Number:
        return make<BoxedObject>(m_builtins.number, value);
    case Value::Type::Boolean:
        return make<BoxedObject>(m_builtins.boolean, value);
    default:
        return nullptr;
    }
}

std::string Vm::typeOf(const Value& value) const {
    switch (value.type()) {
    case Value::Type::Undefined:
        return "undefined";
    case Value::Type::Null:
        return "null";
    case Value::Type::Boolean:
        return "boolean";
    case Value::Type::Number:
        return "number";
    case Value::Type::String:
        return "string";
    case Value::Type::Object:
        if (value.asObject()->kind() == ObjectKind::Function)
            return "function";
        if (clipOf(value))
            return "movieclip";
        return "object";
    }
    return "undefined";
}

bool Vm::strictlyEqual(const Value& a, const Value& b) {
    if (a.type() != b.type())
        return false;
    switch (a.type()) {
    case Value::Type::Undefined:
    case Value::Type::Null:
        return true;
    case Value::Type::Boolean:
        return a.asBoolean() == b.asBoolean();
    case Value::Type::Number:
        // Flash's equality holds NaN equal to itself.
        return a.asNumber() == b.asNumber() ||
               (std::isnan(a.asNumber()) && std::isnan(b.asNumber()));
    case Value::Type::String:
        return a.asString() == b.asString();
    case Value::Type::Object:
        return a.asObject() == b.asObject();
    }
    return false;
}

bool Vm::looselyEqual(const Value& a, const Value& b) {
    if (a.type() == b.type())
        return strictlyEqual(a, b);
    if (a.isNullish() && b.isNullish())
        return true;
    // An object whose valueOf gives undefined or null equals them.
    if (a.isObject() && b.isNullish())
        return valueOf(a).isNullish();
    if (b.isObject() && a.isNullish())
        return valueOf(b).isNullish();
    if (a.isNullish() || b.isNullish())
        return false;
    if (a.isObject() && b.isObject())
        return false;
    if (a.isObject())
        return !toPrimitive(a).isObject() && looselyEqual(toPrimitive(a), b);
    if (b.isObject())
        return !toPrimitive(b).isObject() && looselyEqual(a, toPrimitive(b));
    if (a.isString() && b.isString())
        return a.asString() == b.asString();
    // Only two numbers that are NaN already are equal: one made NaN by the
    // conversion equals nothing.
    return toNumber(a) == toNumber(b);
}

} // namespace vidorama::swf::avm1
