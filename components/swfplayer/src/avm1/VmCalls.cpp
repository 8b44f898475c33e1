#include "avm1/Vm.h"
#include "swf/Limits.h"

namespace vidorama::swf::avm1 {

Value Vm::call(const Value& function, const Value& self, std::span<const Value> args,
               Object* home) {
    auto* fn = dynamic_cast<FunctionObject*>(function.asObject());
    if (!fn)
        return {};
    if (m_callDepth >= Limits::kMaxScriptCallDepth) {
        m_frameCut = true;
        throw ScriptCut{};
    }
    ++m_callDepth;
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{m_callDepth};
    if (fn->native)
        return fn->native(*this, self, args);
    if (fn->script)
        return runFunction(*fn, self, args, home);
    return {};
}

Value Vm::callMethod(const Value& target, std::string_view name, std::span<const Value> args) {
    return call(getProperty(target, name), target, args);
}

Value Vm::construct(const Value& constructor, std::span<const Value> args) {
    auto* fn = dynamic_cast<FunctionObject*>(constructor.asObject());
    if (!fn)
        return {};
    if (fn->construct)
        return fn->construct(*this, Value(), args);
    Object* object = newObject();
    Value proto = getMember(fn, "prototype");
    object->setProto(proto.asObject());
    defineValue(object, "__constructor__", constructor, kDontEnum);
    if (m_version < 7)
        defineValue(object, "constructor", constructor, kDontEnum);
    call(constructor, Value::object(object), args);
    return Value::object(object);
}

} // namespace vidorama::swf::avm1
