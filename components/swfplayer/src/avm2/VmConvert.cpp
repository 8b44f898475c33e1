#include "avm1/Utf16Text.h"
#include "avm2/Vm.h"
#include "avm2/Xml.h"
#include "swf/Limits.h"

#include <cmath>

namespace vidorama::swf::avm2 {

double Vm::toNumber(const Value& v) {
    switch (v.kind) {
    case Value::Kind::Undefined:
        return NAN;
    case Value::Kind::Null:
        return 0;
    case Value::Kind::Boolean:
        return v.boolean ? 1 : 0;
    case Value::Kind::Number:
        return v.number;
    case Value::Kind::String:
        return StringToNumber(v.string);
    case Value::Kind::Object:
        return toNumber(toPrimitive(v, false));
    }
    return NAN;
}

std::string Vm::toString(const Value& v) {
    switch (v.kind) {
    case Value::Kind::Undefined:
        return "undefined";
    case Value::Kind::Null:
        return "null";
    case Value::Kind::Boolean:
        return v.boolean ? "true" : "false";
    case Value::Kind::Number:
        return NumberToString(v.number);
    case Value::Kind::String:
        return v.string;
    case Value::Kind::Object:
        return toString(toPrimitive(v, true));
    }
    return {};
}

Value Vm::toPrimitive(const Value& v, bool preferString) {
    if (!v.isObject())
        return v;
    if (IsXmlValue(v))
        return Value(XmlToString(*this, v));
    const char* order[2] = {preferString ? "toString" : "valueOf",
                            preferString ? "valueOf" : "toString"};
    for (const char* method : order) {
        Name name = Name::publicName(method);
        Value fn = getProperty(v, name);
        if (fn.isObject() && (fn.object->kind() == Object::Kind::Function ||
                              fn.object->kind() == Object::Kind::Class)) {
            Value result = call(fn, v, {});
            if (!result.isObject())
                return result;
        }
    }
    throwError("TypeError", 1050, ErrorMessage(1050, describe(v)));
}

Object* Vm::toObject(const Value& v) {
    if (v.isObject())
        return v.object;
    if (v.isUndefined())
        throwError("TypeError", 1010, ErrorMessage(1010));
    if (v.isNull())
        throwError("TypeError", 1009, ErrorMessage(1009));
    ClassObject* cls = classOf(v);
    auto* box = make<BoxObject>(Object::Kind::Boxed, cls, &cls->instanceTraits, cls->prototype);
    box->value = v;
    return box;
}

Value Vm::coerce(const Value& v, SlotType type) {
    switch (type) {
    case SlotType::Any:
        return v;
    case SlotType::Int:
        return Value(ToInt32(toNumber(v)));
    case SlotType::Uint:
        return Value(ToUint32(toNumber(v)));
    case SlotType::Number:
        return Value(toNumber(v));
    case SlotType::Boolean:
        return Value(ToBoolean(v));
    case SlotType::String:
        return v.isNullish() ? Value::null() : Value(toString(v));
    case SlotType::Object:
        return v.isUndefined() ? Value::null() : v;
    }
    return v;
}

Value Vm::coerceTo(const Value& v, ClassObject* cls) {
    if (!cls)
        return v;
    if (cls == natives.intClass)
        return coerce(v, SlotType::Int);
    if (cls == natives.uintClass)
        return coerce(v, SlotType::Uint);
    if (cls == natives.number)
        return coerce(v, SlotType::Number);
    if (cls == natives.boolean)
        return coerce(v, SlotType::Boolean);
    if (cls == natives.string)
        return coerce(v, SlotType::String);
    if (v.isNullish())
        return Value::null();
    if (cls == natives.object || isType(v, cls))
        return v;
    // Flash quotes a string it could not convert.
    std::string from = v.isString() ? "\"" + v.string + "\"" : describe(v);
    throwError("TypeError", 1034, ErrorMessage(1034, from, describe(Value(cls))));
}

bool Vm::isType(const Value& v, ClassObject* cls) {
    if (!cls)
        return false;
    switch (v.kind) {
    case Value::Kind::Undefined:
    case Value::Kind::Null:
        return false;
    case Value::Kind::Number:
        if (cls == natives.intClass)
            return IsIntValue(v.number) || (v.number == 0);
        if (cls == natives.uintClass)
            return IsUintValue(v.number) || (v.number == 0);
        return cls == natives.number || cls == natives.object;
    case Value::Kind::Boolean:
        return cls == natives.boolean || cls == natives.object;
    case Value::Kind::String:
        return cls == natives.string || cls == natives.object;
    case Value::Kind::Object:
        // Every Vector.<T> is a Vector.<*>.
        if (v.object->kind() == Object::Kind::Vector &&
            cls->allocator == natives.vector->allocator && !cls->vectorOf && cls != natives.vector)
            return true;
        return v.object->cls() && v.object->cls()->isSubclassOf(cls);
    }
    return false;
}

ClassObject* Vm::classOf(const Value& v) {
    switch (v.kind) {
    case Value::Kind::Boolean:
        return natives.boolean;
    case Value::Kind::Number:
        return natives.number;
    case Value::Kind::String:
        return natives.string;
    case Value::Kind::Object:
        return v.object->cls();
    default:
        return nullptr;
    }
}

bool Vm::strictEquals(const Value& a, const Value& b) {
    if (a.kind != b.kind)
        return false;
    switch (a.kind) {
    case Value::Kind::Undefined:
    case Value::Kind::Null:
        return true;
    case Value::Kind::Boolean:
        return a.boolean == b.boolean;
    case Value::Kind::Number:
        return a.number == b.number;
    case Value::Kind::String:
        return a.string == b.string;
    case Value::Kind::Object:
        return a.object == b.object;
    }
    return false;
}

bool Vm::looseEquals(const Value& a, const Value& b) {
    if (XmlComparable(a, b))
        return XmlEquals(*this, a, b);
    if (a.kind == b.kind)
        return strictEquals(a, b);
    if (a.isNullish() && b.isNullish())
        return true;
    if (a.isNullish() || b.isNullish())
        return false;
    if (a.isNumber() && b.isString())
        return a.number == toNumber(b);
    if (a.isString() && b.isNumber())
        return toNumber(a) == b.number;
    if (a.isBoolean())
        return looseEquals(Value(a.boolean ? 1.0 : 0.0), b);
    if (b.isBoolean())
        return looseEquals(a, Value(b.boolean ? 1.0 : 0.0));
    if (a.isObject() && !b.isObject())
        return looseEquals(toPrimitive(a, false), b);
    if (b.isObject() && !a.isObject())
        return looseEquals(a, toPrimitive(b, false));
    return false;
}

Value Vm::lessThan(const Value& a, const Value& b) {
    Value pa = toPrimitive(a, false);
    Value pb = toPrimitive(b, false);
    // Strings compare by their UTF-16 units, as Flash keeps them.
    if (pa.isString() && pb.isString())
        return Value(avm1::ToUtf16(pa.string) < avm1::ToUtf16(pb.string));
    double x = toNumber(pa), y = toNumber(pb);
    if (std::isnan(x) || std::isnan(y))
        return Value();
    return Value(x < y);
}

Value Vm::add(const Value& a, const Value& b) {
    if (a.isNumber() && b.isNumber())
        return Value(a.number + b.number);
    if (IsXmlValue(a) && IsXmlValue(b))
        return XmlConcat(*this, a, b);
    // A Date with no hint becomes its text, as ECMAScript's + asks.
    auto isDate = [](const Value& v) {
        return v.isObject() && v.object->kind() == Object::Kind::Date;
    };
    Value pa = toPrimitive(a, isDate(a));
    Value pb = toPrimitive(b, isDate(b));
    if (pa.isString() || pb.isString()) {
        std::string left = toString(pa);
        std::string right = toString(pb);
        checkStringSize(left.size() + right.size());
        return Value(left + right);
    }
    return Value(toNumber(pa) + toNumber(pb));
}

// Strings that double themselves would take all memory in a few dozen steps.
void Vm::checkStringSize(std::size_t bytes) {
    if (bytes > Limits::kMaxScriptStringBytes)
        throwError("Error", 1000, "The system is out of memory.");
    m_bytesMadeSinceCollect += bytes;
}

void Vm::checkListSize(std::size_t elements) {
    if (elements > Limits::kMaxScriptCells)
        throwError("RangeError", 1005,
                   "Array index is not a positive integer (" + std::to_string(elements) + ").");
}

std::string Vm::typeOf(const Value& v) {
    switch (v.kind) {
    case Value::Kind::Undefined:
        return "undefined";
    case Value::Kind::Null:
        return "object";
    case Value::Kind::Boolean:
        return "boolean";
    case Value::Kind::Number:
        return "number";
    case Value::Kind::String:
        return "string";
    case Value::Kind::Object:
        if (IsXmlValue(v))
            return "xml";
        return v.object->kind() == Object::Kind::Function ? "function" : "object";
    }
    return "object";
}

// Error messages name a class with a dot after its package
// ("flash.display.Sprite"), where other texts use "::".
std::string Vm::describe(const Value& v) {
    if (!v.isObject())
        return toString(v);
    ClassObject* cls = v.object->cls();
    if (v.object->kind() == Object::Kind::Class)
        cls = static_cast<ClassObject*>(v.object);
    if (!cls)
        return "Object";
    return cls->packageName.empty() ? cls->name : cls->packageName + "." + cls->name;
}

} // namespace vidorama::swf::avm2
