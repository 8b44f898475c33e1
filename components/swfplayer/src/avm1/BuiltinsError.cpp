// Error: what scripts throw. Its text is its message; an Error made
// without one says "Error", from its prototype.

#include "avm1/Native.h"

namespace vidorama::swf::avm1 {

namespace {

Value ConstructError(Vm& vm, const Value& self, std::span<const Value> args) {
    if (Object* error = self.asObject(); error && !Arg(args, 0).isUndefined())
        vm.setMember(error, "message", args[0]);
    return {};
}

Value ErrorToString(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::string(vm.toString(vm.getProperty(self, "message")));
}

} // namespace

void InstallErrorClass(Vm& vm) {
    Object* proto = vm.newObject();
    Class(vm, "Error", proto, ConstructError);
    vm.defineValue(proto, "name", Value::string("Error"), kDontEnum);
    vm.defineValue(proto, "message", Value::string("Error"), kDontEnum);
    Method(vm, proto, "toString", ErrorToString);
}

} // namespace vidorama::swf::avm1
