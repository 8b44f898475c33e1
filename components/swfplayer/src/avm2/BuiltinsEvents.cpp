// flash.events: Event and EventDispatcher, with the capture, target and
// bubble phases along the display tree.

#include "avm2/DisplayBinding.h"
#include "avm2/Native.h"
#include "player/MovieClip.h"

#include <algorithm>

namespace vidorama::swf::avm2 {

namespace {

// The slots of every Event.
enum EventSlot : std::uint32_t {
    kType,
    kBubbles,
    kCancelable,
    kTarget,
    kCurrentTarget,
    kPhase,
    kStopped,
    kStoppedNow,
    kPrevented,
    kEventSlots
};

const char* const kSlotNames[kEventSlots] = {
    "type", "bubbles", "cancelable", "target", "currentTarget", "eventPhase", "", "", ""};

Object* ThisEvent(Vm& vm, const Value& self) {
    if (!self.isObject() || !vm.isType(self, vm.eventClass) ||
        self.object->fields.size() < kEventSlots)
        vm.throwError("TypeError", 1034,
                      ErrorMessage(1034, vm.describe(self), "flash.events.Event"));
    return self.object;
}

Value EventInit(Vm& vm, const Value& self, Args args) {
    Object* event = ThisEvent(vm, self);
    event->fields[kType] = Value(vm.toString(Arg(args, 0)));
    event->fields[kBubbles] = Value(ToBoolean(Arg(args, 1)));
    event->fields[kCancelable] = Value(ToBoolean(Arg(args, 2)));
    return Value();
}

template <EventSlot Slot> Value EventField(Vm& vm, const Value& self, Args) {
    return ThisEvent(vm, self)->fields[Slot];
}

template <EventSlot Slot> Value SetFlag(Vm& vm, const Value& self, Args) {
    ThisEvent(vm, self)->fields[Slot] = Value(true);
    return Value();
}

Value PreventDefault(Vm& vm, const Value& self, Args) {
    Object* event = ThisEvent(vm, self);
    if (ToBoolean(event->fields[kCancelable]))
        event->fields[kPrevented] = Value(true);
    return Value();
}

Value FormatToString(Vm& vm, const Value& self, Args args) {
    std::string text = "[" + vm.toString(Arg(args, 0));
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string name = vm.toString(args[i]);
        Value v = vm.getProperty(self, Name::publicName(name));
        text += " " + name + "=" + (v.isString() ? "\"" + v.string + "\"" : vm.toString(v));
    }
    return Value(text + "]");
}

Value EventToString(Vm& vm, const Value& self, Args) {
    Value args[] = {Value("Event"), Value("type"), Value("bubbles"), Value("cancelable"),
                    Value("eventPhase")};
    return FormatToString(vm, self, args);
}

Value Clone(Vm& vm, const Value& self, Args) {
    Object* event = ThisEvent(vm, self);
    Value args[] = {event->fields[kType], event->fields[kBubbles], event->fields[kCancelable]};
    return vm.constructClass(vm.eventClass, args);
}

bool SameFunction(const Value& a, const Value& b) {
    if (!a.isObject() || !b.isObject())
        return false;
    if (a.object == b.object)
        return true;
    if (a.object->kind() != Object::Kind::Function || b.object->kind() != Object::Kind::Function)
        return false;
    auto* x = static_cast<FunctionObject*>(a.object);
    auto* y = static_cast<FunctionObject*>(b.object);
    return x->bound && y->bound && x->method.rt == y->method.rt &&
           x->method.index == y->method.index && x->method.native == y->method.native &&
           x->boundThis.object == y->boundThis.object;
}

Object* ThisDispatcher(Vm& vm, const Value& self) {
    if (!self.isObject())
        vm.throwError("TypeError", 1009, ErrorMessage(1009));
    return self.object;
}

Value AddEventListener(Vm& vm, const Value& self, Args args) {
    Object* target = ThisDispatcher(vm, self);
    Listener listener{vm.toString(Arg(args, 0)), Arg(args, 1), ToBoolean(Arg(args, 2)),
                      ToInt32(vm.toNumber(Arg(args, 3)))};
    if (!listener.function.isObject())
        vm.throwError("TypeError", 2007, "Parameter listener must be non-null.");
    auto& list = vm.listeners[target];
    for (const Listener& l : list)
        if (l.type == listener.type && l.capture == listener.capture &&
            SameFunction(l.function, listener.function))
            return Value();
    // Higher priorities first; equal ones in the order they were added.
    auto at = std::find_if(list.begin(), list.end(),
                           [&](const Listener& l) { return l.priority < listener.priority; });
    list.insert(at, listener);
    if (listener.type == "enterFrame" || listener.type == "exitFrame" ||
        listener.type == "frameConstructed")
        if (std::find(vm.enterFrameOrder.begin(), vm.enterFrameOrder.end(), target) ==
            vm.enterFrameOrder.end())
            vm.enterFrameOrder.push_back(target);
    return Value();
}

Value RemoveEventListener(Vm& vm, const Value& self, Args args) {
    auto found = vm.listeners.find(ThisDispatcher(vm, self));
    if (found == vm.listeners.end())
        return Value();
    std::string type = vm.toString(Arg(args, 0));
    bool capture = ToBoolean(Arg(args, 2));
    auto& list = found->second;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const Listener& l) {
                                  return l.type == type && l.capture == capture &&
                                         SameFunction(l.function, Arg(args, 1));
                              }),
               list.end());
    return Value();
}

Value HasEventListener(Vm& vm, const Value& self, Args args) {
    auto found = vm.listeners.find(ThisDispatcher(vm, self));
    std::string type = vm.toString(Arg(args, 0));
    return Value(found != vm.listeners.end() &&
                 std::any_of(found->second.begin(), found->second.end(),
                             [&](const Listener& l) { return l.type == type; }));
}

// Calls the listeners of one object for the event's current phase.
void Deliver(Vm& vm, Object* object, Object* event, bool capturePhase) {
    auto found = vm.listeners.find(object);
    if (found == vm.listeners.end())
        return;
    std::vector<Listener> list = found->second;
    std::string type = vm.toString(event->fields[kType]);
    event->fields[kCurrentTarget] = Value(object);
    for (const Listener& l : list) {
        if (l.type != type || l.capture != capturePhase)
            continue;
        Value arg[] = {Value(event)};
        vm.call(l.function, Value::null(), arg);
        if (ToBoolean(event->fields[kStoppedNow]))
            return;
    }
}

// new EventDispatcher(target): the dispatcher sends its events for the
// target, which they name and along whose display ancestors they travel.
constexpr std::uint32_t kDispatcherTarget = 0;

Value DispatcherInit(Vm&, const Value& self, Args args) {
    if (self.isObject() && self.object->fields.size() > kDispatcherTarget &&
        Arg(args, 0).isObject())
        self.object->fields[kDispatcherTarget] = Arg(args, 0);
    return Value();
}

Object* DispatchTarget(Object* dispatcher) {
    if (dispatcher->fields.size() > kDispatcherTarget &&
        dispatcher->fields[kDispatcherTarget].isObject())
        return dispatcher->fields[kDispatcherTarget].object;
    return dispatcher;
}

Value DispatchEvent(Vm& vm, const Value& self, Args args) {
    Object* dispatcher = ThisDispatcher(vm, self);
    Object* target = DispatchTarget(dispatcher);
    Value eventValue = Arg(args, 0);
    if (eventValue.isNullish())
        vm.throwError("TypeError", 2007, "Parameter event must be non-null.");
    Object* event = ThisEvent(vm, eventValue);
    std::vector<Object*> ancestors;
    if (target->kind() == Object::Kind::Display)
        if (auto display = target->display.lock())
            for (MovieClip* p = display->parent(); p; p = p->parent()) {
                Value script = ScriptObjectOf(vm, p);
                if (script.isObject())
                    ancestors.push_back(script.object);
            }
    // An event nobody listens to is not sent, so a dispatched one is not
    // cloned for it either.
    std::string type = vm.toString(event->fields[kType]);
    auto listens = [&](Object* o) {
        auto found = vm.listeners.find(o);
        return found != vm.listeners.end() &&
               std::any_of(found->second.begin(), found->second.end(),
                           [&](const Listener& l) { return l.type == type; });
    };
    if (!listens(dispatcher) && std::none_of(ancestors.begin(), ancestors.end(), listens))
        return Value(true);
    if (!event->fields[kTarget].isNullish()) {
        Value clone = vm.callProperty(eventValue, Name::publicName("clone"), {});
        if (clone.isNullish())
            vm.throwError("TypeError", 2007, "Parameter event must be non-null.");
        event = ThisEvent(vm, clone);
    }
    event->fields[kTarget] = Value(target);
    event->fields[kPhase] = Value(1);
    for (std::size_t i = ancestors.size(); i-- > 0 && !ToBoolean(event->fields[kStopped]);)
        Deliver(vm, ancestors[i], event, true);
    if (!ToBoolean(event->fields[kStopped])) {
        event->fields[kPhase] = Value(2);
        Deliver(vm, dispatcher, event, false);
    }
    if (ToBoolean(event->fields[kBubbles])) {
        event->fields[kPhase] = Value(3);
        for (Object* ancestor : ancestors) {
            if (ToBoolean(event->fields[kStopped]))
                break;
            Deliver(vm, ancestor, event, false);
        }
    }
    event->fields[kCurrentTarget] = Value::null();
    return Value(!ToBoolean(event->fields[kPrevented]));
}

} // namespace

void DispatchSimple(Vm& vm, Object* target, const std::string& type) {
    // Only the display list's events bubble to the containers above.
    bool bubbles = type == "added" || type == "removed";
    if (vm.listeners.find(target) == vm.listeners.end() && !bubbles)
        return;
    Value args[] = {Value(type), Value(bubbles)};
    Value event = vm.constructClass(vm.eventClass, args);
    Value dispatchArgs[] = {event};
    DispatchEvent(vm, Value(target), dispatchArgs);
}

ClassObject* DefineEventClass(Vm& vm, const char* name,
                              std::initializer_list<std::pair<const char*, const char*>> types) {
    ClassObject* cls = vm.defineClass("flash.events", name, vm.eventClass, nullptr,
                                      vm.eventClass->instanceInit.native);
    for (const auto& [constant, type] : types)
        vm.defineConstant(cls, constant, Value(type));
    return cls;
}

void InstallEvents(Vm& vm) {
    ClassObject* dispatcher = vm.defineClass("flash.events", "EventDispatcher", vm.natives.object,
                                             nullptr, DispatcherInit);
    // The first slot of every dispatcher: EventDispatcher's base has none.
    vm.defineSlot(dispatcher, " target", Value::null());
    vm.defineMethod(dispatcher, "addEventListener", AddEventListener);
    vm.defineMethod(dispatcher, "removeEventListener", RemoveEventListener);
    vm.defineMethod(dispatcher, "hasEventListener", HasEventListener);
    vm.defineMethod(dispatcher, "willTrigger", HasEventListener);
    vm.defineMethod(dispatcher, "dispatchEvent", DispatchEvent);
    ClassObject* event =
        vm.defineClass("flash.events", "Event", vm.natives.object, nullptr, EventInit);
    vm.eventClass = event;
    for (std::uint32_t slot = 0; slot < kEventSlots; ++slot) {
        Value initial = slot == kBubbles || slot == kCancelable || slot >= kStopped ? Value(false)
                                                                                    : Value::null();
        if (slot == kPhase)
            initial = Value(2);
        std::string name =
            kSlotNames[slot][0] ? kSlotNames[slot] : " hidden" + std::to_string(slot);
        vm.defineSlot(event, name, initial);
    }
    vm.defineAccessor(event, "type", EventField<kType>, nullptr);
    vm.defineAccessor(event, "bubbles", EventField<kBubbles>, nullptr);
    vm.defineAccessor(event, "cancelable", EventField<kCancelable>, nullptr);
    vm.defineAccessor(event, "target", EventField<kTarget>, nullptr);
    vm.defineAccessor(event, "currentTarget", EventField<kCurrentTarget>, nullptr);
    vm.defineAccessor(event, "eventPhase", EventField<kPhase>, nullptr);
    vm.defineMethod(event, "stopPropagation", SetFlag<kStopped>);
    vm.defineMethod(event, "stopImmediatePropagation", [](Vm& v, const Value& self, Args) {
        ThisEvent(v, self)->fields[kStopped] = Value(true);
        ThisEvent(v, self)->fields[kStoppedNow] = Value(true);
        return Value();
    });
    vm.defineMethod(event, "preventDefault", PreventDefault);
    vm.defineMethod(event, "isDefaultPrevented", EventField<kPrevented>);
    vm.defineMethod(event, "formatToString", FormatToString);
    vm.defineMethod(event, "toString", EventToString);
    vm.defineMethod(event, "clone", Clone);
    const std::pair<const char*, const char*> types[] = {{"ENTER_FRAME", "enterFrame"},
                                                         {"EXIT_FRAME", "exitFrame"},
                                                         {"FRAME_CONSTRUCTED", "frameConstructed"},
                                                         {"ADDED", "added"},
                                                         {"ADDED_TO_STAGE", "addedToStage"},
                                                         {"REMOVED", "removed"},
                                                         {"REMOVED_FROM_STAGE", "removedFromStage"},
                                                         {"COMPLETE", "complete"},
                                                         {"INIT", "init"},
                                                         {"RENDER", "render"},
                                                         {"CHANGE", "change"},
                                                         {"RESIZE", "resize"},
                                                         {"ACTIVATE", "activate"},
                                                         {"DEACTIVATE", "deactivate"},
                                                         {"OPEN", "open"},
                                                         {"CLOSE", "close"},
                                                         {"SELECT", "select"},
                                                         {"UNLOAD", "unload"},
                                                         {"CANCEL", "cancel"},
                                                         {"CONNECT", "connect"},
                                                         {"SCROLL", "scroll"}};
    for (const auto& [name, value] : types)
        vm.defineConstant(event, name, Value(value));
    // Input never reaches a converted movie, but its scripts still name the
    // events they would listen to.
    DefineEventClass(vm, "MouseEvent",
                     {{"CLICK", "click"},
                      {"DOUBLE_CLICK", "doubleClick"},
                      {"MOUSE_DOWN", "mouseDown"},
                      {"MOUSE_UP", "mouseUp"},
                      {"MOUSE_MOVE", "mouseMove"},
                      {"MOUSE_OVER", "mouseOver"},
                      {"MOUSE_OUT", "mouseOut"},
                      {"MOUSE_WHEEL", "mouseWheel"},
                      {"ROLL_OVER", "rollOver"},
                      {"ROLL_OUT", "rollOut"}});
    DefineEventClass(vm, "KeyboardEvent", {{"KEY_DOWN", "keyDown"}, {"KEY_UP", "keyUp"}});
    DefineEventClass(vm, "FocusEvent",
                     {{"FOCUS_IN", "focusIn"},
                      {"FOCUS_OUT", "focusOut"},
                      {"KEY_FOCUS_CHANGE", "keyFocusChange"},
                      {"MOUSE_FOCUS_CHANGE", "mouseFocusChange"}});
    DefineEventClass(vm, "ProgressEvent", {{"PROGRESS", "progress"}});
    DefineEventClass(vm, "IOErrorEvent", {{"IO_ERROR", "ioError"}});
}

} // namespace vidorama::swf::avm2
