// The operators shared by the interpreter and Flash's script-written classes.

#include "avm1/ScriptOperators.h"

#include <cmath>
#include <utility>

namespace vidorama::swf::avm1 {

Value AddValues(Vm& vm, const Value& first, const Value& second) {
    // valueOf only, the second operand first: an operand it gives an object
    // stays itself, which is NaN unless the other is a string, and then its
    // own text.
    Value b = vm.valueOf(second);
    if (b.isObject())
        b = second;
    Value a = vm.valueOf(first);
    if (a.isObject())
        a = first;
    if (a.isString() || b.isString())
        return Value::string(vm.makeString(vm.toString(a) + vm.toString(b)));
    return Value::number(vm.toNumber(a) + vm.toNumber(b));
}

Value CompareValues(Vm& vm, const Value& first, const Value& second, bool greater) {
    // Only valueOf is asked; an operand it leaves a plain object makes the
    // comparison false, before the other operand is even converted. A clip
    // is no number.
    Value a = vm.valueOf(first);
    if (a.isObject() && !vm.displayObjectOf(a))
        return Value::boolean(false);
    Value b = vm.valueOf(second);
    if (b.isObject() && !vm.displayObjectOf(b))
        return Value::boolean(false);
    if (greater)
        std::swap(a, b);
    if (a.isString() && b.isString())
        return Value::boolean(a.asString() < b.asString());
    double x = vm.toNumber(a), y = vm.toNumber(b);
    if (std::isnan(x) || std::isnan(y))
        return {};
    return Value::boolean(x < y);
}

Value ScriptSteps::math(std::string_view name, std::span<const Value> args) {
    Value math = m_vm.getMember(m_vm.builtins().global, "Math");
    return m_vm.callMethod(math, name, args);
}

Value ScriptSteps::geomClass(std::string_view name) {
    Value flash = m_vm.getMember(m_vm.builtins().global, "flash");
    return get(get(flash, "geom"), name);
}

Value ScriptSteps::construct(std::string_view name, std::span<const Value> args) {
    return m_vm.construct(geomClass(name), args);
}

bool ScriptSteps::isInstance(const Value& object, std::string_view name) {
    Object* at = object.asObject();
    Object* proto = get(geomClass(name), "prototype").asObject();
    if (!at || !proto)
        return false;
    int depth = 0;
    for (at = at->proto(); at && depth < 256; at = at->proto(), ++depth)
        if (at == proto)
            return true;
    return false;
}

} // namespace vidorama::swf::avm1
