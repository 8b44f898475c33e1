// Object, Class, Function and Namespace: the classes every other one needs.

#include "avm2/Native.h"
#include "avm2/Proxy.h"
#include "avm2/Xml.h"

namespace vidorama::swf::avm2 {

namespace {

Value ObjectInit(Vm&, const Value&, Args) {
    return Value();
}

Value ObjectToString(Vm& vm, const Value& self, Args) {
    if (self.isObject() && self.object->kind() == Object::Kind::Class)
        return Value("[class " + static_cast<ClassObject*>(self.object)->name + "]");
    if (self.isObject() && self.object->kind() == Object::Kind::Function)
        return Value("function Function() {}");
    if (self.isObject() && self.object->kind() == Object::Kind::Global)
        return Value("[object global]");
    ClassObject* cls = vm.classOf(self);
    return Value("[object " + (cls ? cls->name : std::string("Object")) + "]");
}

// new Function() makes a function with no body: Flash compiles no source
// at run time, so any arguments are ignored and a call gives undefined.
Value EmptyFunctionBody(Vm&, const Value&, Args) {
    return Value();
}

Object* AllocateEmptyFunction(Vm& vm, ClassObject*) {
    return vm.newFunction({nullptr, 0, EmptyFunctionBody}, {}, "");
}

Value ObjectValueOf(Vm&, const Value& self, Args) {
    return self;
}

Value HasOwnProperty(Vm& vm, const Value& self, Args args) {
    if (!self.isObject())
        return Value(false);
    Name name = Name::publicName(vm.toString(Arg(args, 0)));
    Object* object = self.object;
    if (object->findDynamic(name.local))
        return Value(true);
    if (object->kind() == Object::Kind::Array || object->kind() == Object::Kind::Vector) {
        std::int64_t index = ArrayIndex(name.local);
        return Value(index >= 0 &&
                     static_cast<ArrayObject*>(object)->hasElement(std::size_t(index)));
    }
    return Value(object->traits() && object->traits()->find(name) != nullptr);
}

Value PropertyIsEnumerable(Vm& vm, const Value& self, Args args) {
    if (!self.isObject())
        return Value(false);
    std::string name = vm.toString(Arg(args, 0));
    Object* object = self.object;
    if (object->kind() == Object::Kind::Array || object->kind() == Object::Kind::Vector) {
        std::int64_t index = ArrayIndex(name);
        if (index >= 0)
            return Value(static_cast<ArrayObject*>(object)->hasElement(std::size_t(index)));
    }
    return Value(object->findDynamic(name) != nullptr);
}

Value IsPrototypeOf(Vm&, const Value& self, Args args) {
    Value v = Arg(args, 0);
    if (!self.isObject() || !v.isObject())
        return Value(false);
    for (Object* p = v.object->proto(); p; p = p->proto())
        if (p == self.object)
            return Value(true);
    return Value(false);
}

Value SetPropertyIsEnumerable(Vm& vm, const Value&, Args) {
    vm.noteMissing("Object.setPropertyIsEnumerable");
    return Value();
}

Value Constructor(Vm& vm, const Value& self, Args) {
    ClassObject* cls = vm.classOf(self);
    return cls ? Value(static_cast<Object*>(cls)) : Value();
}

Value ClassPrototype(Vm&, const Value& self, Args) {
    if (self.isObject() && self.object->kind() == Object::Kind::Class)
        return Value(static_cast<ClassObject*>(self.object)->prototype);
    return Value();
}

FunctionObject* ThisFunction(Vm& vm, const Value& self) {
    if (!self.isObject() || self.object->kind() != Object::Kind::Function)
        vm.throwError("TypeError", 1034, ErrorMessage(1034, vm.describe(self), "Function"));
    return static_cast<FunctionObject*>(self.object);
}

// Calls fn with the receiver call() or apply() names. Flash keeps the
// built-in methods of dynamic objects on prototypes, unbound: a built-in
// method taken from a plain object (Object.prototype.toString) runs on the
// receiver given, where a class's method closure keeps its own.
Value CallWithReceiver(Vm& vm, const Value& fn, const Value& receiver, Args args) {
    if (fn.isObject() && fn.object->kind() == Object::Kind::Function) {
        auto* closure = static_cast<FunctionObject*>(fn.object);
        const Value& bound = closure->boundThis;
        if (closure->bound && closure->method.native && bound.isObject() &&
            bound.object->kind() == Object::Kind::Plain && !bound.object->sealed)
            return closure->method.native(vm, receiver, args);
    }
    return vm.call(fn, receiver, args);
}

Value FunctionCall(Vm& vm, const Value& self, Args args) {
    Value receiver = Arg(args, 0);
    return CallWithReceiver(vm, self, receiver, args.empty() ? args : args.subspan(1));
}

Value FunctionApply(Vm& vm, const Value& self, Args args) {
    Value receiver = Arg(args, 0);
    Value list = Arg(args, 1);
    std::vector<Value> spread;
    if (list.isObject() && list.object->kind() == Object::Kind::Array) {
        auto* array = static_cast<ArrayObject*>(list.object);
        for (std::size_t i = 0; i < array->elements.size(); ++i)
            spread.push_back(ElementAt(vm, array, i));
    }
    return CallWithReceiver(vm, self, receiver, spread);
}

Value FunctionLength(Vm& vm, const Value& self, Args) {
    FunctionObject* fn = ThisFunction(vm, self);
    if (!fn->method.rt)
        return Value(0);
    return Value(int(fn->method.rt->abc->methods[fn->method.index].paramTypes.size()));
}

Value FunctionPrototype(Vm& vm, const Value& self, Args) {
    FunctionObject* fn = ThisFunction(vm, self);
    if (!fn->prototype)
        fn->prototype = vm.newObject();
    return Value(fn->prototype);
}

Value SetFunctionPrototype(Vm& vm, const Value& self, Args args) {
    FunctionObject* fn = ThisFunction(vm, self);
    Value proto = Arg(args, 0);
    fn->prototype = proto.isObject() ? proto.object : nullptr;
    return Value();
}

} // namespace

void InstallObjectClasses(Vm& vm) {
    auto& n = vm.natives;
    n.object = vm.defineClass("", "Object", nullptr, nullptr, ObjectInit);
    n.object->sealedInstances = false;
    vm.defineMethod(n.object, "toString", ObjectToString);
    vm.defineMethod(n.object, "toLocaleString", ObjectToString);
    vm.defineMethod(n.object, "valueOf", ObjectValueOf);
    vm.defineMethod(n.object, "hasOwnProperty", HasOwnProperty);
    vm.defineMethod(n.object, "propertyIsEnumerable", PropertyIsEnumerable);
    vm.defineMethod(n.object, "isPrototypeOf", IsPrototypeOf);
    vm.defineMethod(n.object, "setPropertyIsEnumerable", SetPropertyIsEnumerable);
    vm.defineAccessor(n.object, "constructor", Constructor, nullptr);
    n.klass = vm.defineClass("", "Class", n.object, nullptr, nullptr);
    vm.defineAccessor(n.klass, "prototype", ClassPrototype, nullptr);
    for (ClassObject* cls : {n.object, n.klass}) {
        cls->setClass(n.klass);
        cls->setProto(n.klass->prototype);
    }
    n.object->prototype->setClass(n.object);
    n.klass->prototype->setClass(n.object);
    n.function = vm.defineClass("", "Function", n.object, AllocateEmptyFunction, nullptr);
    vm.defineMethod(n.function, "call", FunctionCall);
    vm.defineMethod(n.function, "apply", FunctionApply);
    vm.defineAccessor(n.function, "length", FunctionLength, nullptr);
    vm.defineAccessor(n.function, "prototype", FunctionPrototype, SetFunctionPrototype);
    InstallXmlNames(vm);
}

namespace {

// The core classes carry their constructors' parameter counts as a static
// constant, as ECMAScript's constructors do.
void InstallConstructorLengths(Vm& vm) {
    static const std::pair<const char*, int> kLengths[] = {
        {"Object", 1},
        {"Function", 1},
        {"Namespace", 2},
        {"QName", 2},
        {"Boolean", 1},
        {"Number", 1},
        {"int", 1},
        {"uint", 1},
        {"String", 1},
        {"Array", 1},
        {"Date", 7},
        {"RegExp", 1},
        {"XML", 1},
        {"XMLList", 1},
        {"Error", 1},
        {"EvalError", 1},
        {"RangeError", 1},
        {"ReferenceError", 1},
        {"SecurityError", 1},
        {"SyntaxError", 1},
        {"TypeError", 1},
        {"URIError", 1},
        {"VerifyError", 1},
        {"ArgumentError", 1},
        {"DefinitionError", 1},
        {"UninitializedError", 1},
    };
    for (const auto& [name, length] : kLengths)
        if (ClassObject* cls = vm.classByName(Name::publicName(name)))
            vm.defineConstant(cls, "length", Value(length));
}

} // namespace

void InstallBuiltins(Vm& vm) {
    InstallObjectClasses(vm);
    InstallPrimitives(vm);
    InstallArray(vm);
    InstallRegExp(vm);
    InstallMath(vm);
    InstallErrors(vm);
    InstallGlobals(vm);
    InstallByteArray(vm);
    InstallBitmapData(vm);
    InstallDate(vm);
    InstallTextFunctions(vm);
    InstallDisplay(vm);
    InstallTimers(vm);
    InstallXml(vm);
    InstallProxy(vm);
    InstallConstructorLengths(vm);
}

} // namespace vidorama::swf::avm2
