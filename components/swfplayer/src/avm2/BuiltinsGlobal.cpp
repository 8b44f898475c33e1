// The top-level functions and flash.utils's.

#include "avm1/NumberText.h"
#include "avm2/Native.h"

#include <cmath>

namespace vidorama::swf::avm2 {

namespace {

Value Trace(Vm& vm, const Value&, Args args) {
    std::string line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i)
            line += ' ';
        line += vm.toString(args[i]);
    }
    // Flash's log drops NUL characters a string may hold.
    std::erase(line, '\0');
    vm.host().trace(line);
    return Value();
}

Value IsNaN(Vm& vm, const Value&, Args args) {
    return Value(std::isnan(vm.toNumber(Arg(args, 0))));
}
Value IsFinite(Vm& vm, const Value&, Args args) {
    return Value(std::isfinite(vm.toNumber(Arg(args, 0))));
}

Value ParseFloat(Vm& vm, const Value&, Args args) {
    return Value(avm1::ParseFloatPrefix(vm.toString(Arg(args, 0))));
}

Value GetTimer(Vm& vm, const Value&, Args) {
    return Value(std::floor(vm.host().timerMs()));
}

std::string QualifiedClassName(Vm& vm, const Value& v) {
    switch (v.kind) {
    case Value::Kind::Undefined:
        return "void";
    case Value::Kind::Null:
        return "null";
    case Value::Kind::Number:
        return IsIntValue(v.number) ? "int" : "Number";
    default:
        break;
    }
    ClassObject* cls = v.isObject() && v.object->kind() == Object::Kind::Class
                           ? static_cast<ClassObject*>(v.object)
                           : vm.classOf(v);
    return cls ? cls->qualifiedName() : "Object";
}

Value GetQualifiedClassName(Vm& vm, const Value&, Args args) {
    return Value(QualifiedClassName(vm, Arg(args, 0)));
}

Value GetQualifiedSuperclassName(Vm& vm, const Value&, Args args) {
    Value v = Arg(args, 0);
    ClassObject* cls = v.isObject() && v.object->kind() == Object::Kind::Class
                           ? static_cast<ClassObject*>(v.object)
                           : vm.classOf(v);
    if (!cls || !cls->base)
        return Value::null();
    return Value(cls->base->qualifiedName());
}

Value GetDefinitionByName(Vm& vm, const Value&, Args args) {
    // Classes, and the package-level functions and constants as well.
    std::string text = vm.toString(Arg(args, 0));
    Name name = Vm::qualifiedName(text);
    Object* global = vm.findGlobal(name);
    if (!global)
        vm.throwError("ReferenceError", 1065, ErrorMessage(1065, text));
    return vm.getProperty(Value(global), name);
}

Object* AllocateDictionary(Vm& vm, ClassObject* cls) {
    auto* dictionary = vm.make<DictionaryObject>(Object::Kind::Dictionary, cls,
                                                 &cls->instanceTraits, cls->prototype);
    dictionary->sealed = false;
    return dictionary;
}

Value Nothing(Vm&, const Value&, Args) {
    return Value();
}

} // namespace

void InstallGlobals(Vm& vm) {
    vm.defineClass("flash.utils", "Dictionary", vm.natives.object, AllocateDictionary, Nothing);
    vm.defineGlobalFunction("", "trace", Trace);
    vm.defineGlobalFunction("", "isNaN", IsNaN);
    vm.defineGlobalFunction("", "isFinite", IsFinite);
    vm.defineGlobalFunction("", "parseFloat", ParseFloat);
    vm.defineGlobalConstant("", "NaN", Value(std::nan("")));
    vm.defineGlobalConstant("", "Infinity", Value(INFINITY));
    vm.defineGlobalConstant("", "undefined", Value());
    vm.defineGlobalFunction("flash.utils", "getTimer", GetTimer);
    // The avmplus package has the same functions under the same names.
    for (const char* package : {"flash.utils", "avmplus"}) {
        vm.defineGlobalFunction(package, "getQualifiedClassName", GetQualifiedClassName);
        vm.defineGlobalFunction(package, "getQualifiedSuperclassName", GetQualifiedSuperclassName);
    }
    vm.defineGlobalFunction("flash.utils", "getDefinitionByName", GetDefinitionByName);
}

} // namespace vidorama::swf::avm2
