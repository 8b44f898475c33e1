#pragma once

#include "avm1/Vm.h"

namespace vidorama::swf::avm1 {

// The operators that both the interpreter and the built-in classes written
// as Flash's own scripts (flash.geom) use, so that the two agree.

// ActionAdd2: concatenation when either side, after valueOf, is a string.
Value AddValues(Vm& vm, const Value& first, const Value& second);

// ActionLess2 (first < second) and ActionGreater (first > second): true,
// false, or undefined when either side is no number. The first operand
// converts first either way.
Value CompareValues(Vm& vm, const Value& first, const Value& second, bool greater);

// Flash's own scripts, step by step: every read and write goes through the
// object's properties (getters, watchers and all) in the order Flash's code
// makes them, so that a movie that watches the steps sees what it would in
// Flash.
class ScriptSteps {
public:
    explicit ScriptSteps(Vm& vm) : m_vm(vm) {}

    Value get(const Value& object, std::string_view name) { return m_vm.getProperty(object, name); }
    void set(const Value& object, std::string_view name, const Value& value) {
        if (Object* target = object.asObject())
            m_vm.setMember(target, name, value);
    }
    Value add(const Value& a, const Value& b) { return AddValues(m_vm, a, b); }
    Value sub(const Value& a, const Value& b) { return number(num(a) - num(b)); }
    Value mul(const Value& a, const Value& b) { return number(num(a) * num(b)); }
    Value div(const Value& a, const Value& b) { return number(num(a) / num(b)); }
    // Unary minus, which compiles to 0 - value.
    Value neg(const Value& a) { return number(0 - num(a)); }
    // The comparisons as the compiler emits them: a >= b is !(a < b), so an
    // undefined comparison makes it true.
    // a < b and a > b themselves may be undefined, which an && chain passes on.
    Value lessValue(const Value& a, const Value& b) { return CompareValues(m_vm, a, b, false); }
    Value greaterValue(const Value& a, const Value& b) { return CompareValues(m_vm, a, b, true); }
    bool less(const Value& a, const Value& b) { return truthy(lessValue(a, b)); }
    bool greater(const Value& a, const Value& b) { return truthy(greaterValue(a, b)); }
    bool lessOrEqual(const Value& a, const Value& b) { return !greater(a, b); }
    bool greaterOrEqual(const Value& a, const Value& b) { return !less(a, b); }
    bool equal(const Value& a, const Value& b) { return m_vm.looselyEqual(a, b); }
    bool truthy(const Value& value) { return m_vm.toBoolean(value); }
    Value call(const Value& object, std::string_view name, std::span<const Value> args = {}) {
        return m_vm.callMethod(object, name, args);
    }
    // A method of the global Math object, looked up when called as
    // Flash's own scripts do.
    Value math(std::string_view name, std::span<const Value> args);
    // new flash.geom.<name>(args), the class looked up when made.
    Value construct(std::string_view name, std::span<const Value> args);
    // object instanceof flash.geom.<name>.
    bool isInstance(const Value& object, std::string_view name);

    static Value number(double n) { return Value::number(n); }
    double num(const Value& value) { return m_vm.toNumber(value); }
    Vm& vm() { return m_vm; }

private:
    Value geomClass(std::string_view name);

    Vm& m_vm;
};

} // namespace vidorama::swf::avm1
