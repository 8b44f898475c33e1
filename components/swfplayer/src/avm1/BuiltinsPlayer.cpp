// The player's own objects as a movie sees them during a conversion, with
// nobody at the keyboard or the mouse: Key, Mouse, Stage and System.

#include "avm1/Native.h"

#include <cmath>

namespace vidorama::swf::avm1 {

namespace {

Value False(Vm&, const Value&, std::span<const Value>) {
    return Value::boolean(false);
}

Value Zero(Vm&, const Value&, std::span<const Value>) {
    return Value::number(0);
}

// Mouse.show() and hide() answer whether the pointer was shown before.
Value Shown(Vm&, const Value&, std::span<const Value>) {
    return Value::boolean(true);
}

Value StageWidth(Vm& vm, const Value&, std::span<const Value>) {
    return Value::number(std::round(vm.host().stageWidth()));
}

Value StageHeight(Vm& vm, const Value&, std::span<const Value>) {
    return Value::number(std::round(vm.host().stageHeight()));
}

// An object on the global object, hidden from for..in.
Object* GlobalObject(Vm& vm, const char* name) {
    Object* object = vm.newObject();
    vm.defineValue(vm.builtins().global, name, Value::object(object), kDontEnum);
    return object;
}

void InstallKey(Vm& vm, Object* broadcaster) {
    Object* key = GlobalObject(vm, "Key");
    MakeBroadcaster(vm, broadcaster, key);
    static const std::pair<const char*, double> kCodes[] = {
        {"BACKSPACE", 8}, {"CAPSLOCK", 20}, {"CONTROL", 17}, {"DELETEKEY", 46}, {"DOWN", 40},
        {"END", 35},      {"ENTER", 13},    {"ESCAPE", 27},  {"HOME", 36},      {"INSERT", 45},
        {"LEFT", 37},     {"PGDN", 34},     {"PGUP", 33},    {"RIGHT", 39},     {"SHIFT", 16},
        {"SPACE", 32},    {"TAB", 9},       {"UP", 38},      {"ALT", 18},
    };
    for (const auto& [name, code] : kCodes)
        Constant(vm, key, name, code);
    Method(vm, key, "isDown", False);
    Method(vm, key, "isToggled", False);
    Method(vm, key, "getCode", Zero);
    Method(vm, key, "getAscii", Zero);
}

void InstallMouse(Vm& vm, Object* broadcaster) {
    Object* mouse = GlobalObject(vm, "Mouse");
    MakeBroadcaster(vm, broadcaster, mouse);
    Method(vm, mouse, "show", Shown);
    Method(vm, mouse, "hide", Shown);
}

void InstallStage(Vm& vm, Object* broadcaster) {
    Object* stage = GlobalObject(vm, "Stage");
    MakeBroadcaster(vm, broadcaster, stage);
    Getter(vm, stage, "width", StageWidth);
    Getter(vm, stage, "height", StageHeight);
    vm.defineValue(stage, "scaleMode", Value::string("showAll"), kDontEnum);
    vm.defineValue(stage, "align", Value::string(""), kDontEnum);
    vm.defineValue(stage, "showMenu", Value::boolean(true), kDontEnum);
    vm.defineValue(stage, "displayState", Value::string("normal"), kDontEnum);
}

void InstallSystem(Vm& vm, Object* broadcaster) {
    Object* system = GlobalObject(vm, "System");
    Object* ime = vm.newObject();
    MakeBroadcaster(vm, broadcaster, ime);
    vm.defineValue(system, "IME", Value::object(ime), kDontEnum);
    Object* security = vm.newObject();
    vm.defineValue(security, "sandboxType", Value::string("localTrusted"), kDontEnum);
    vm.defineValue(system, "security", Value::object(security), kDontEnum);
    vm.defineValue(system, "capabilities", Value::object(vm.newObject()), kDontEnum);
}

// A MovieClipLoader starts as its own listener.
Value LoaderConstruct(Vm& vm, const Value& self, std::span<const Value>) {
    if (!self.isObject())
        return {};
    ArrayObject* listeners = vm.newArray({self});
    vm.defineValue(self.asObject(), "_listeners", Value::object(listeners), kDontEnum);
    return {};
}

void InstallMovieClipLoader(Vm& vm, Object* broadcaster) {
    Object* proto = vm.newObject();
    Class(vm, "MovieClipLoader", proto, LoaderConstruct);
    for (const char* method : {"broadcastMessage", "addListener", "removeListener"})
        vm.defineValue(proto, method, vm.getMember(broadcaster, method), kDontEnum);
}

} // namespace

void InstallPlayerObjects(Vm& vm, Object* broadcaster) {
    InstallMovieClipLoader(vm, broadcaster);
    InstallKey(vm, broadcaster);
    InstallMouse(vm, broadcaster);
    InstallStage(vm, broadcaster);
    InstallSystem(vm, broadcaster);
}

} // namespace vidorama::swf::avm1
