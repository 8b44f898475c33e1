#include "avm2/DisplayBinding.h"

#include "player/MovieClip.h"

namespace vidorama::swf::avm2 {

DisplayObject& DisplayOf(Vm& vm, const Value& self) {
    if (self.isObject())
        if (auto display = self.object->display.lock())
            return *display;
    vm.throwError("TypeError", 1009, ErrorMessage(1009));
}

MovieClip* ClipOf(Vm& vm, const Value& self) {
    return DisplayOf(vm, self).asClip();
}

void Bind(Vm& vm, DisplayScriptObject* script, const std::shared_ptr<DisplayObject>& object) {
    script->display = object;
    if (object->createdByScript() || !object->parent())
        script->owned = object;
    vm.displayObjects[object.get()] = script;
}

void NameInstance(Vm& vm, DisplayObject& object) {
    if (object.properties().name.empty() && &object != &vm.host().rootClip())
        object.properties().name = "instance" + std::to_string(++vm.instancesNamed);
}

Value ScriptObjectOf(Vm& vm, DisplayObject* object) {
    if (!object)
        return Value::null();
    auto found = vm.displayObjects.find(object);
    if (found != vm.displayObjects.end() && found->second->display.lock().get() == object)
        return Value(found->second);
    // Objects the timeline placed get an object of the built-in class that
    // fits them when a script first reaches them.
    Name name;
    name.local = object->asClip() ? "MovieClip" : "Shape";
    name.namespaces.push_back(Ns{Ns::Group::Public, "flash.display", 0});
    ClassObject* cls = vm.classByName(name);
    if (!cls)
        return Value::null();
    auto* script = static_cast<DisplayScriptObject*>(cls->allocator(vm, cls));
    Bind(vm, script, object->shared_from_this());
    return Value(script);
}

} // namespace vidorama::swf::avm2
