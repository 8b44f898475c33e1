// flash.geom.Rectangle, as scrollRect takes and gives it.

#include "avm1/Native.h"

#include <iterator>

namespace vidorama::swf::avm1 {

namespace {

constexpr const char* kRectangleMembers[] = {"x", "y", "width", "height"};

Value ConstructRectangle(Vm& vm, const Value& self, std::span<const Value> args) {
    Object* rectangle = self.asObject();
    if (!rectangle)
        return {};
    for (std::size_t i = 0; i < std::size(kRectangleMembers); ++i)
        vm.setMember(rectangle, kRectangleMembers[i], i < args.size() ? args[i] : Value::number(0));
    return {};
}

// A package object of the global object: flash, then flash.geom.
Object* Package(Vm& vm, Object* holder, const char* name) {
    if (Object* existing = vm.getMember(holder, name).asObject())
        return existing;
    Object* package = vm.newObject();
    vm.defineValue(holder, name, Value::object(package), kDontEnum);
    return package;
}

} // namespace

Object* NewRectangle(Vm& vm, double x, double y, double width, double height) {
    Object* rectangle = vm.make<Object>(vm.builtins().rectangle);
    const Value values[] = {Value::number(x), Value::number(y), Value::number(width),
                            Value::number(height)};
    ConstructRectangle(vm, Value::object(rectangle), values);
    return rectangle;
}

void InstallGeometryClasses(Vm& vm, Builtins& b) {
    Object* geom = Package(vm, Package(vm, b.global, "flash"), "geom");
    FunctionObject* rectangle = vm.newNative(ConstructRectangle);
    vm.linkPrototype(rectangle, b.rectangle);
    vm.defineValue(geom, "Rectangle", Value::object(rectangle), kDontEnum);
}

} // namespace vidorama::swf::avm1
