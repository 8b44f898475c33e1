// AsBroadcaster: objects that keep a list of listeners and call a method of
// each of them, as Key, Mouse, Stage and scripts' own classes do.

#include "avm1/ArrayElements.h"
#include "avm1/Native.h"

#include <algorithm>

namespace vidorama::swf::avm1 {

namespace {

constexpr const char* kListeners = "_listeners";

ArrayObject* Listeners(Vm& vm, const Value& self) {
    return self.isObject()
               ? dynamic_cast<ArrayObject*>(vm.getMember(self.asObject(), kListeners).asObject())
               : nullptr;
}

// Takes out the first listener equal (==) to the value; false when none is.
bool RemoveFirst(Vm& vm, ArrayObject& listeners, const Value& listener) {
    std::vector<Value> elements = ArrayValues(vm, listeners);
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (vm.looselyEqual(elements[i], listener)) {
            elements.erase(elements.begin() + static_cast<std::ptrdiff_t>(i));
            ReplaceArrayElements(vm, listeners, elements);
            return true;
        }
    }
    return false;
}

Value AddListener(Vm& vm, const Value& self, std::span<const Value> args) {
    ArrayObject* listeners = Listeners(vm, self);
    if (!listeners)
        return {};
    RemoveFirst(vm, *listeners, Arg(args, 0));
    std::int32_t length = std::max(ArrayLength(vm, *listeners), 0);
    SetArrayElement(vm, *listeners, length, Arg(args, 0));
    return Value::boolean(true);
}

Value RemoveListener(Vm& vm, const Value& self, std::span<const Value> args) {
    ArrayObject* listeners = Listeners(vm, self);
    if (!listeners)
        return {};
    return Value::boolean(RemoveFirst(vm, *listeners, Arg(args, 0)));
}

// Calls the named method of every listener, on a copy of the list so that a
// listener may add or remove listeners.
Value BroadcastMessage(Vm& vm, const Value& self, std::span<const Value> args) {
    ArrayObject* listeners = Listeners(vm, self);
    if (!listeners || args.empty())
        return {};
    const std::string name = vm.toString(args[0]);
    const std::vector<Value> each = ArrayValues(vm, *listeners);
    for (const Value& listener : each)
        vm.callMethod(listener, name, args.subspan(1));
    return Value::boolean(!each.empty());
}

// AsBroadcaster.initialize(object): an empty list and the three methods,
// hidden from for..in.
Value Initialize(Vm& vm, const Value& self, std::span<const Value> args) {
    Object* target = Arg(args, 0).asObject();
    if (target && self.isObject())
        MakeBroadcaster(vm, self.asObject(), target);
    return {};
}

Value Construct(Vm&, const Value&, std::span<const Value>) {
    return {};
}

} // namespace

void MakeBroadcaster(Vm& vm, Object* broadcaster, Object* target) {
    for (const char* method : {"broadcastMessage", "addListener", "removeListener"})
        vm.defineValue(target, method, vm.getMember(broadcaster, method), kDontEnum);
    vm.defineValue(target, kListeners, Value::object(vm.newArray()), kDontEnum);
}

FunctionObject* InstallBroadcaster(Vm& vm) {
    FunctionObject* broadcaster = Class(vm, "AsBroadcaster", vm.newObject(), Construct);
    Method(vm, broadcaster, "initialize", Initialize);
    Method(vm, broadcaster, "addListener", AddListener);
    Method(vm, broadcaster, "removeListener", RemoveListener);
    Method(vm, broadcaster, "broadcastMessage", BroadcastMessage);
    return broadcaster;
}

} // namespace vidorama::swf::avm1
