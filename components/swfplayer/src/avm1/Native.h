#pragma once

#include "avm1/NumberText.h"
#include "avm1/Vm.h"

#include <span>

namespace vidorama::swf::avm1 {

// Helpers for the built-in classes.

inline const Value& Arg(std::span<const Value> args, std::size_t index) {
    static const Value kUndefined;
    return index < args.size() ? args[index] : kUndefined;
}

// Defines a native method, hidden from for..in as Flash's own are.
inline FunctionObject* Method(Vm& vm, Object* holder, const char* name, NativeFunction native) {
    FunctionObject* function = vm.newNative(native);
    vm.defineValue(holder, name, Value::object(function), kDontEnum);
    return function;
}

// A read-only property computed by a native function, as addProperty makes.
inline void Getter(Vm& vm, Object* holder, const char* name, NativeFunction get) {
    vm.defineValue(holder, name, Value(), kDontEnum);
    holder->properties().find(vm.key(name))->getter = vm.newNative(get);
}

// A property computed and set by native functions.
inline void Accessor(Vm& vm, Object* holder, const char* name, NativeFunction get,
                     NativeFunction set) {
    Getter(vm, holder, name, get);
    holder->properties().find(vm.key(name))->setter = vm.newNative(set);
}

inline void Constant(Vm& vm, Object* holder, const char* name, double value) {
    vm.defineValue(holder, name, Value::number(value), kDontEnum | kDontDelete | kReadOnly);
}

// A class: its constructor on the global object with the given prototype.
inline FunctionObject* Class(Vm& vm, const char* name, Object* proto, NativeFunction call,
                             NativeFunction construct = nullptr) {
    FunctionObject* constructor = vm.newNative(call, construct);
    vm.linkPrototype(constructor, proto);
    vm.defineValue(vm.builtins().global, name, Value::object(constructor), kDontEnum);
    return constructor;
}

void InstallObjectClasses(Vm& vm, Builtins& builtins);
void InstallArrayClass(Vm& vm, Builtins& builtins);
void InstallPrimitiveClasses(Vm& vm, Builtins& builtins);
void InstallMath(Vm& vm, Builtins& builtins);
void InstallMovieClipClass(Vm& vm, Builtins& builtins);
void InstallDrawingMethods(Vm& vm, Object* movieClipProto);
void InstallColorClass(Vm& vm, Builtins& builtins);
void InstallTextFieldClasses(Vm& vm, Builtins& builtins);
// TextSnapshot, and MovieClip's getTextSnapshot that makes one.
void InstallTextSnapshotClass(Vm& vm, Builtins& builtins);
void InstallGeometryClasses(Vm& vm, Builtins& builtins);
// The flash.geom classes, on the package object.
void InstallPointClass(Vm& vm, Object* geom);
void InstallRectangleClass(Vm& vm, Object* geom, Object* proto);
void InstallMatrixClass(Vm& vm, Object* geom);
void InstallTransformClasses(Vm& vm, Object* geom);
// MovieClip.transform: a flash.geom.Transform of the object, and setting
// one, which takes its matrix and colour transform.
Value ClipTransform(Vm& vm, DisplayObject& object);
void SetClipTransform(Vm& vm, DisplayObject& object, const Value& transform);
// transform, blendMode and cacheAsBitmap of a clip, from Flash 8 on; false
// for any other name.
bool GetFlash8Property(Vm& vm, DisplayObject& object, std::string_view name, Value& out);
bool SetFlash8Property(Vm& vm, DisplayObject& object, std::string_view name, const Value& value);
// flash.display.BitmapData, on the package object.
void InstallBitmapDataClass(Vm& vm, Object* display, Object* proto);

// A flash.geom.Rectangle of the given pixels.
Object* NewRectangle(Vm& vm, double x, double y, double width, double height);
void InstallSoundClass(Vm& vm, Builtins& builtins);
// AsBroadcaster, which the player's own broadcasters (Key, Mouse, Stage)
// are made with.
FunctionObject* InstallBroadcaster(Vm& vm);
void InstallXmlClasses(Vm& vm);
// LoadVars: name and value pairs that a movie sends or loads as a query.
void InstallLoadVarsClass(Vm& vm);
// load, send and sendAndLoad of XML and LoadVars, which fail with no network,
// and the content type they would send.
void InstallOfflineTransfers(Vm& vm, Object* proto);
// escape(): every byte but ASCII letters and digits as %XX.
std::string EscapeUrl(std::string_view text);
void InstallErrorClass(Vm& vm);
void InstallDateClass(Vm& vm);
// flash.external.ExternalInterface, on the package object.
void InstallExternalInterface(Vm& vm, Object* external);
void MakeBroadcaster(Vm& vm, Object* broadcaster, Object* target);
// Key, Mouse, Stage and System as a movie sees them without any input.
void InstallPlayerObjects(Vm& vm, Object* broadcaster);

} // namespace vidorama::swf::avm1
