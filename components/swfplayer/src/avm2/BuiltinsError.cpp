// Error and its subclasses, which carry Flash's messages and numbers.

#include "avm2/Native.h"

namespace vidorama::swf::avm2 {

namespace {

// The fields every Error has: message, name and errorID.
constexpr std::uint32_t kMessageSlot = 0;
constexpr std::uint32_t kNameSlot = 1;
constexpr std::uint32_t kIdSlot = 2;

Object* ThisError(Vm& vm, const Value& self) {
    if (!self.isObject() || !self.object->cls() ||
        !self.object->cls()->isSubclassOf(vm.natives.error))
        vm.throwError("TypeError", 1034, ErrorMessage(1034, vm.describe(self), "Error"));
    return self.object;
}

Value ErrorInit(Vm& vm, const Value& self, Args args) {
    Object* error = ThisError(vm, self);
    Value message = Arg(args, 0);
    error->fields[kMessageSlot] =
        Value(message.isUndefined() ? std::string() : vm.toString(message));
    // The name is the class's own, from the first built-in class up.
    ClassObject* cls = error->cls();
    while (cls && cls->scope.size() != 1)
        cls = cls->base;
    // The errors of flash.errors keep Error's name, as in Flash.
    bool ownName = cls && cls->packageName != "flash.errors";
    error->fields[kNameSlot] = Value(ownName ? cls->name : std::string("Error"));
    error->fields[kIdSlot] = Value(ToInt32(vm.toNumber(Arg(args, 1))));
    return Value();
}

Value ErrorToString(Vm& vm, const Value& self, Args) {
    Object* error = ThisError(vm, self);
    std::string message = vm.toString(vm.getProperty(self, Name::publicName("message")));
    std::string name = vm.toString(vm.getProperty(self, Name::publicName("name")));
    (void)error;
    return Value(message.empty() ? name : name + ": " + message);
}

Value ErrorId(Vm& vm, const Value& self, Args) {
    return ThisError(vm, self)->fields[kIdSlot];
}

Value StackTrace(Vm&, const Value&, Args) {
    return Value::null();
}

} // namespace

void InstallErrors(Vm& vm) {
    auto& n = vm.natives;
    n.error = vm.defineClass("", "Error", n.object, nullptr, ErrorInit);
    n.error->sealedInstances = false;
    vm.defineSlot(n.error, "message", Value(""));
    vm.defineSlot(n.error, "name", Value("Error"));
    vm.defineSlot(n.error, "errorID", Value(0));
    vm.defineAccessor(n.error, "errorID", ErrorId, nullptr);
    vm.defineMethod(n.error, "toString", ErrorToString);
    vm.defineMethod(n.error, "getStackTrace", StackTrace);
    for (const char* name :
         {"EvalError", "RangeError", "ReferenceError", "SecurityError", "SyntaxError", "TypeError",
          "URIError", "VerifyError", "ArgumentError", "DefinitionError", "UninitializedError"}) {
        ClassObject* cls = vm.defineClass("", name, n.error, nullptr, ErrorInit);
        cls->sealedInstances = false;
    }
    for (const char* name : {"IOError", "EOFError", "IllegalOperationError", "MemoryError",
                             "InvalidSWFError", "ScriptTimeoutError", "StackOverflowError"}) {
        ClassObject* cls = vm.defineClass("flash.errors", name, n.error, nullptr, ErrorInit);
        cls->sealedInstances = false;
    }
}

} // namespace vidorama::swf::avm2
