// Error and its subclasses, which carry Flash's messages and numbers.

#include "avm2/ErrorObject.h"
#include "avm2/Native.h"
#include "avm2/StackTrace.h"

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

// The stack is taken when the error is made, as Flash's debugger does,
// not where it is thrown.
Object* AllocateError(Vm& vm, ClassObject* cls) {
    auto* error =
        vm.make<ErrorObject>(Object::Kind::Error, cls, &cls->instanceTraits, cls->prototype);
    error->sealed = cls->sealedInstances;
    error->stack = vm.callStack();
    return error;
}

// Any object may borrow it: a prototype without name or message gives
// "undefined: undefined", as in Flash.
Value ErrorToString(Vm& vm, const Value& self, Args) {
    Value message = vm.getProperty(self, Name::publicName("message"));
    std::string name = vm.toString(vm.getProperty(self, Name::publicName("name")));
    if (message.isString() && message.string.empty())
        return Value(name);
    return Value(name + ": " + vm.toString(message));
}

// Flash keeps Error's toString on the prototype only; here the built-in
// classes' methods are traits, so this one defers to whatever function the
// prototype chain holds now, which a movie may have replaced.
Value ErrorToStringTrait(Vm& vm, const Value& self, Args args) {
    if (self.isObject())
        for (Object* proto = self.object->proto(); proto; proto = proto->proto())
            if (Value* found = proto->findDynamic("toString"))
                if (found->isObject() && found->object->kind() == Object::Kind::Function)
                    return vm.call(*found, self, args);
    return ErrorToString(vm, self, args);
}

// flash.errors.DRMManagerError(message, id, subErrorID).
Value DrmErrorInit(Vm& vm, const Value& self, Args args) {
    ErrorInit(vm, self, args);
    vm.setProperty(self, Name::publicName("subErrorID"), Value(ToInt32(vm.toNumber(Arg(args, 2)))));
    return Value();
}

Value DrmErrorToString(Vm& vm, const Value& self, Args) {
    auto field = [&](const char* name) {
        return vm.toString(vm.getProperty(self, Name::publicName(name)));
    };
    return Value("DRMManagerError: '" + field("message") + "', error ID:'" + field("errorID") +
                 "', subErrorID:'" + field("subErrorID") + "'");
}

Value ErrorId(Vm& vm, const Value& self, Args) {
    return ThisError(vm, self)->fields[kIdSlot];
}

Value StackTrace(Vm& vm, const Value& self, Args) {
    ThisError(vm, self);
    return Value(StackTraceText(vm, self));
}

Value GetErrorMessage(Vm& vm, const Value&, Args args) {
    return Value(ErrorMessageWithNumber(ToInt32(vm.toNumber(Arg(args, 0)))));
}

// Error.throwError(type, number, ...details): an error of that class with
// Flash's text for the number, its placeholders filled from the details.
Value ThrowError(Vm& vm, const Value&, Args args) {
    int code = ToInt32(vm.toNumber(Arg(args, 1)));
    std::string details[3];
    for (std::size_t i = 0; i < 3 && i + 2 < args.size(); ++i)
        details[i] = vm.toString(args[i + 2]);
    std::string message = "Error #" + std::to_string(code) + ": " +
                          ErrorMessage(code, details[0], details[1], details[2]);
    Value ctorArgs[] = {Value(message), Value(code)};
    throw ScriptThrow{vm.construct(Arg(args, 0), ctorArgs)};
}

} // namespace

void InstallErrors(Vm& vm) {
    auto& n = vm.natives;
    n.error = vm.defineClass("", "Error", n.object, AllocateError, ErrorInit);
    n.error->sealedInstances = false;
    vm.defineSlot(n.error, "message", Value(""));
    vm.defineSlot(n.error, "name", Value("Error"));
    vm.defineSlot(n.error, "errorID", Value(0));
    vm.defineAccessor(n.error, "errorID", ErrorId, nullptr);
    vm.defineMethod(n.error, "toString", ErrorToStringTrait);
    vm.defineMethod(n.error, "getStackTrace", StackTrace);
    vm.defineMethod(n.error, "getErrorMessage", GetErrorMessage, true);
    vm.defineMethod(n.error, "throwError", ThrowError, true);
    // Error.prototype is an Error itself, its name and message "Error". Its
    // variables are no dynamic properties, so the prototypes below it do not
    // inherit them.
    Object* prototype = AllocateError(vm, n.error);
    prototype->setProto(n.object->prototype);
    prototype->sealed = false;
    prototype->fields[kMessageSlot] = Value("Error");
    prototype->setDynamic("toString",
                          Value(vm.newFunction({nullptr, 0, ErrorToString}, {}, "toString")));
    n.error->prototype = prototype;
    // Each built-in kind names itself on its prototype; the errors of
    // flash.errors still call their instances "Error".
    auto defineKind = [&](const char* package, const char* name, NativeFn init) {
        ClassObject* cls = vm.defineClass(package, name, n.error, nullptr, init);
        cls->sealedInstances = false;
        cls->prototype->setDynamic("name", Value(name));
        return cls;
    };
    for (const char* name :
         {"EvalError", "RangeError", "ReferenceError", "SecurityError", "SyntaxError", "TypeError",
          "URIError", "VerifyError", "ArgumentError", "DefinitionError", "UninitializedError"})
        defineKind("", name, ErrorInit);
    for (const char* name : {"IOError", "EOFError", "IllegalOperationError", "MemoryError",
                             "InvalidSWFError", "ScriptTimeoutError", "StackOverflowError"})
        defineKind("flash.errors", name, ErrorInit);
    ClassObject* drm =
        vm.defineClass("flash.errors", "DRMManagerError", n.error, nullptr, DrmErrorInit);
    drm->sealedInstances = false;
    vm.defineSlot(drm, "subErrorID", Value(0));
    vm.defineMethod(drm, "toString", DrmErrorToString);
}

} // namespace vidorama::swf::avm2
