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
void InstallGeometryClasses(Vm& vm, Builtins& builtins);

// A flash.geom.Rectangle of the given pixels.
Object* NewRectangle(Vm& vm, double x, double y, double width, double height);

} // namespace vidorama::swf::avm1
