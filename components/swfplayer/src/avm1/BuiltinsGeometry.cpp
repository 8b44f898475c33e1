// The flash packages: geom, display and external.

#include "avm1/Native.h"

namespace vidorama::swf::avm1 {

namespace {

// A package object of the global object: flash, then flash.geom.
Object* Package(Vm& vm, Object* holder, const char* name) {
    if (Object* existing = vm.getMember(holder, name).asObject())
        return existing;
    Object* package = vm.newObject();
    vm.defineValue(holder, name, Value::object(package), kDontEnum);
    return package;
}

} // namespace

void InstallGeometryClasses(Vm& vm, Builtins& b) {
    b.bitmapData = vm.make<Object>(b.object);
    // The packages came with Flash 8: older movies see no `flash`.
    if (vm.version() < 8)
        return;
    Object* flash = Package(vm, b.global, "flash");
    Object* geom = Package(vm, flash, "geom");
    InstallPointClass(vm, geom);
    InstallRectangleClass(vm, geom, b.rectangle);
    InstallMatrixClass(vm, geom);
    InstallTransformClasses(vm, geom);
    InstallBitmapDataClass(vm, Package(vm, flash, "display"), b.bitmapData);
    InstallExternalInterface(vm, Package(vm, flash, "external"));
}

} // namespace vidorama::swf::avm1
