// Selection: which object has the keyboard focus. Without a user nothing
// takes it but scripts; no text is ever selected.

#include "avm1/Native.h"
#include "avm1/Selection.h"
#include "avm1/TextFieldProperties.h"
#include "player/MovieClip.h"
#include "text/TextDef.h"
#include "text/TextFieldSource.h"

namespace vidorama::swf::avm1 {

namespace {

class SelectionObject final : public Object {
public:
    explicit SelectionObject(Object* proto) : Object(proto) {}
    std::weak_ptr<DisplayObject> focus;
};

SelectionObject* SelectionOf(Vm& vm) {
    return static_cast<SelectionObject*>(vm.builtins().selection);
}

DisplayObject* Focused(Vm& vm) {
    auto focus = SelectionOf(vm)->focus.lock();
    return focus && !focus->removed() ? focus.get() : nullptr;
}

Value ObjectValue(Vm& vm, DisplayObject* object) {
    return object ? Value::object(vm.clipObject(*object)) : Value::null();
}

// Text fields take the focus while they may be selected or typed into;
// clips when they ask for it with focusEnabled or handle presses.
bool Focusable(Vm& vm, DisplayObject& object) {
    if (const TextDef* field = TextFieldOf(object)) {
        const EditTextRecord& r = field->data().field->record;
        return r.selectable || !r.readOnly;
    }
    if (!object.asClip())
        return false;
    Object* clip = vm.clipObject(object);
    for (const char* name : {"focusEnabled", "onPress", "onRelease", "onRollOver"})
        if (vm.toBoolean(vm.getMember(clip, name)))
            return true;
    return false;
}

void ChangeFocus(Vm& vm, DisplayObject* to) {
    DisplayObject* from = Focused(vm);
    if (from == to)
        return;
    Value old = ObjectValue(vm, from);
    SelectionOf(vm)->focus = to ? to->weak_from_this() : std::weak_ptr<DisplayObject>();
    Value args[] = {Value::string("onSetFocus"), old, ObjectValue(vm, to)};
    vm.callMethod(Value::object(SelectionOf(vm)), "broadcastMessage", args);
}

Value GetFocus(Vm& vm, const Value&, std::span<const Value>) {
    DisplayObject* focus = Focused(vm);
    return focus ? Value::string(vm.toString(ObjectValue(vm, focus))) : Value::null();
}

// A path or an object; null or undefined takes the focus away.
Value SetFocus(Vm& vm, const Value&, std::span<const Value> args) {
    if (args.empty())
        return Value::boolean(false);
    if (args[0].isNullish()) {
        ChangeFocus(vm, nullptr);
        return Value::boolean(true);
    }
    DisplayObject* object = vm.displayObjectOf(args[0]);
    if (!object && args[0].isString())
        object = vm.displayObjectOf(
            Value::object(vm.resolvePath(vm.clipObject(vm.host().rootClip()), args[0].asString())));
    if (!object || !Focusable(vm, *object))
        return Value::boolean(false);
    ChangeFocus(vm, object);
    return Value::boolean(true);
}

Value NoIndex(Vm&, const Value&, std::span<const Value>) {
    return Value::number(-1);
}

Value Nothing(Vm&, const Value&, std::span<const Value>) {
    return {};
}

bool Contains(const DisplayObject& ancestor, const DisplayObject* object) {
    for (; object; object = object->parent())
        if (object == &ancestor)
            return true;
    return false;
}

} // namespace

void InstallSelection(Vm& vm, Builtins& b, Object* broadcaster) {
    auto* selection = vm.make<SelectionObject>(b.object);
    b.selection = selection;
    MakeBroadcaster(vm, broadcaster, selection);
    vm.defineValue(b.global, "Selection", Value::object(selection), kDontEnum);
    constexpr std::uint8_t kFlags = kDontEnum | kDontDelete | kReadOnly;
    const std::pair<const char*, NativeFunction> methods[] = {
        {"getBeginIndex", NoIndex}, {"getEndIndex", NoIndex}, {"getCaretIndex", NoIndex},
        {"getFocus", GetFocus},     {"setFocus", SetFocus},   {"setSelection", Nothing}};
    for (const auto& [name, native] : methods)
        vm.defineValue(selection, name, Value::object(vm.newNative(native)), kFlags);
}

void LoseFocusWith(Vm& vm, const DisplayObject& removed) {
    if (vm.builtins().selection && Contains(removed, Focused(vm)))
        ChangeFocus(vm, nullptr);
}

} // namespace vidorama::swf::avm1
