// The global object, Object and Function.

#include "avm1/ArrayElements.h"
#include "avm1/Native.h"
#include "avm1/NumberText.h"
#include "avm1/Selection.h"

#include <cmath>
#include <limits>

namespace vidorama::swf::avm1 {

namespace {

Value ObjectCall(Vm& vm, const Value& self, std::span<const Value> args) {
    Value value = Arg(args, 0);
    if (value.isNullish())
        return self.isObject() ? self : Value::object(vm.newObject());
    return Value::object(vm.toObject(value));
}

Value ObjectToString(Vm& vm, const Value& self, std::span<const Value>) {
    if (self.asObject() && self.asObject()->kind() == ObjectKind::Function)
        return Value::string("[type Function]");
    if (vm.displayObjectOf(self))
        return Value::string(vm.targetPath(*vm.displayObjectOf(self)));
    return Value::string("[object Object]");
}

Value ObjectValueOf(Vm&, const Value& self, std::span<const Value>) {
    return self;
}

Value HasOwnProperty(Vm& vm, const Value& self, std::span<const Value> args) {
    Object* object = self.asObject();
    if (!object || args.empty())
        return Value::boolean(false);
    std::string name = vm.toString(args[0]);
    if (name.empty())
        return Value::boolean(false);
    // __proto__ is an own property of every object until it is deleted.
    if (vm.key(name) == "__proto__")
        return Value::boolean(!object->protoValue().isUndefined());
    Value special;
    return Value::boolean(object->properties().find(vm.key(name)) ||
                          object->getSpecial(vm, name, special));
}

Value AddProperty(Vm& vm, const Value& self, std::span<const Value> args) {
    Object* object = self.asObject();
    auto* getter = dynamic_cast<FunctionObject*>(Arg(args, 1).asObject());
    std::string name = vm.toString(Arg(args, 0));
    if (!object || !getter || name.empty())
        return Value::boolean(false);
    vm.defineValue(object, name, Value());
    Property* property = object->properties().find(vm.key(name));
    property->getter = getter;
    property->setter = dynamic_cast<FunctionObject*>(Arg(args, 2).asObject());
    return Value::boolean(true);
}

Value IsPrototypeOf(Vm&, const Value& self, std::span<const Value> args) {
    Object* object = Arg(args, 0).asObject();
    int depth = 0;
    for (Object* at = object ? object->proto() : nullptr; at && depth < 256;
         at = at->proto(), ++depth)
        if (at == self.asObject())
            return Value::boolean(true);
    return Value::boolean(false);
}

Value Watch(Vm& vm, const Value& self, std::span<const Value> args) {
    return Value::boolean(vm.watch(self.asObject(), vm.toString(Arg(args, 0)),
                                   Arg(args, 1).asObject(), Arg(args, 2)));
}

Value Unwatch(Vm& vm, const Value& self, std::span<const Value> args) {
    return Value::boolean(vm.unwatch(self.asObject(), vm.toString(Arg(args, 0))));
}

Value ReturnTrue(Vm&, const Value&, std::span<const Value>) {
    return Value::boolean(true);
}

Value Nothing(Vm&, const Value&, std::span<const Value>) {
    return {};
}

// ASSetPropFlags(object, names, set, clear): names is a comma list, an
// array, or null for every property.
Value SetPropFlags(Vm& vm, const Value&, std::span<const Value> args) {
    Object* object = Arg(args, 0).asObject();
    if (!object)
        return {};
    auto set = static_cast<std::uint8_t>(ToInt32(vm.toNumber(Arg(args, 2))) & 7);
    auto clear = static_cast<std::uint8_t>(ToInt32(vm.toNumber(Arg(args, 3))) & 7);
    std::vector<std::string> names;
    if (auto* array = dynamic_cast<ArrayObject*>(Arg(args, 1).asObject())) {
        for (const Value& name : ArrayValues(vm, *array))
            names.push_back(vm.toString(name));
    } else if (Arg(args, 1).isString()) {
        std::string list = Arg(args, 1).asString();
        std::size_t start = 0;
        while (start <= list.size()) {
            std::size_t end = std::min(list.find(',', start), list.size());
            names.push_back(list.substr(start, end - start));
            start = end + 1;
        }
    } else {
        for (const Property& property : object->properties().entries())
            names.push_back(property.name);
    }
    auto apply = [set, clear](std::uint8_t flags) {
        return static_cast<std::uint8_t>((flags & ~clear) | set);
    };
    for (const std::string& name : names) {
        std::string key = vm.key(name);
        if (key == "__proto__")
            object->setProtoFlags(apply(object->protoFlags()));
        else if (Property* property = object->properties().find(key))
            property->flags = apply(property->flags);
    }
    return {};
}

Value FunctionCall(Vm& vm, const Value& self, std::span<const Value> args) {
    Value thisValue = Arg(args, 0);
    return vm.call(self, thisValue, args.size() > 1 ? args.subspan(1) : std::span<const Value>());
}

Value FunctionApply(Vm& vm, const Value& self, std::span<const Value> args) {
    std::vector<Value> list;
    if (auto* array = dynamic_cast<ArrayObject*>(Arg(args, 1).asObject()))
        list = ArrayValues(vm, *array);
    return vm.call(self, Arg(args, 0), list);
}

Value ParseInt(Vm& vm, const Value&, std::span<const Value> args) {
    std::optional<int> radix;
    if (args.size() > 1 && !Arg(args, 1).isUndefined())
        radix = ToInt32(vm.toNumber(Arg(args, 1)));
    return Value::number(ParseIntPrefix(vm.toString(Arg(args, 0)), radix));
}

Value ParseFloat(Vm& vm, const Value&, std::span<const Value> args) {
    return Value::number(ParseFloatPrefix(vm.toString(Arg(args, 0))));
}

Value IsNaN(Vm& vm, const Value&, std::span<const Value> args) {
    // A missing argument is no number, whatever undefined converts to.
    return Value::boolean(args.empty() || std::isnan(vm.toNumber(args[0])));
}

Value IsFinite(Vm& vm, const Value&, std::span<const Value> args) {
    return Value::boolean(!args.empty() && std::isfinite(vm.toNumber(args[0])));
}

Value Escape(Vm& vm, const Value&, std::span<const Value> args) {
    return Value::string(vm.makeString(EscapeUrl(vm.toString(Arg(args, 0)))));
}

// "+" is a space; "%" takes two hexadecimal digits. Flash drops a "%" whose
// first character is no digit together with that character, and one whose
// second is none together with both.
Value Unescape(Vm& vm, const Value&, std::span<const Value> args) {
    if (args.empty())
        return {};
    std::string text = vm.toString(args[0]), out;
    auto hex = [](char c) {
        return (c >= '0' && c <= '9')   ? c - '0'
               : (c >= 'a' && c <= 'f') ? c - 'a' + 10
               : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                        : -1;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] != '%') {
            out += text[i];
        } else if (i + 1 >= text.size() || hex(text[i + 1]) < 0) {
            ++i;
        } else if (i + 2 >= text.size() || hex(text[i + 2]) < 0) {
            i += 2;
        } else {
            out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
        }
    }
    return Value::string(std::move(out));
}

// setInterval(function, ms, args...) or setInterval(object, "method", ms,
// args...); undefined when the first argument is neither.
Value StartTimer(Vm& vm, std::span<const Value> args, bool once) {
    const Value& first = Arg(args, 0);
    if (!first.isObject())
        return {};
    const bool method = first.asObject()->kind() != ObjectKind::Function;
    const std::size_t rest = method ? 3 : 2;
    if (args.size() < rest)
        return {};
    std::vector<Value> extra(args.begin() + static_cast<std::ptrdiff_t>(rest), args.end());
    double id = vm.addTimer(method ? first : Value(), method ? args[1] : first, std::move(extra),
                            vm.toNumber(args[rest - 1]), once);
    return id > 0 ? Value::number(id) : Value();
}

Value SetInterval(Vm& vm, const Value&, std::span<const Value> args) {
    return StartTimer(vm, args, false);
}

Value SetTimeout(Vm& vm, const Value&, std::span<const Value> args) {
    return StartTimer(vm, args, true);
}

Value ClearTimer(Vm& vm, const Value&, std::span<const Value> args) {
    vm.clearTimer(vm.toNumber(Arg(args, 0)));
    return {};
}

} // namespace

void InstallObjectClasses(Vm& vm, Builtins& b) {
    Object* global = b.global;
    FunctionObject* objectClass = Class(vm, "Object", b.object, ObjectCall, ObjectCall);
    Method(vm, b.object, "toString", ObjectToString);
    Method(vm, b.object, "toLocaleString", ObjectToString);
    Method(vm, b.object, "valueOf", ObjectValueOf);
    Method(vm, b.object, "hasOwnProperty", HasOwnProperty);
    Method(vm, b.object, "addProperty", AddProperty);
    Method(vm, b.object, "isPrototypeOf", IsPrototypeOf);
    Method(vm, b.object, "watch", Watch);
    Method(vm, b.object, "unwatch", Unwatch);
    Method(vm, objectClass, "registerClass", ReturnTrue);

    Class(vm, "Function", b.function, Nothing);
    Method(vm, b.function, "call", FunctionCall);
    Method(vm, b.function, "apply", FunctionApply);
    Method(vm, b.function, "toString", ObjectToString);

    Method(vm, global, "parseInt", ParseInt);
    Method(vm, global, "parseFloat", ParseFloat);
    Method(vm, global, "isNaN", IsNaN);
    Method(vm, global, "isFinite", IsFinite);
    Method(vm, global, "escape", Escape);
    Method(vm, global, "unescape", Unescape);
    Method(vm, global, "ASSetPropFlags", SetPropFlags);
    Method(vm, global, "updateAfterEvent", Nothing);
    Method(vm, global, "setInterval", SetInterval);
    Method(vm, global, "setTimeout", SetTimeout);
    Method(vm, global, "clearInterval", ClearTimer);
    Method(vm, global, "clearTimeout", ClearTimer);
    Method(vm, global, "fscommand", Nothing);
    Constant(vm, global, "NaN", std::numeric_limits<double>::quiet_NaN());
    Constant(vm, global, "Infinity", std::numeric_limits<double>::infinity());
}

std::string EscapeUrl(std::string_view text) {
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            out += static_cast<char>(c);
        } else {
            char buffer[4];
            std::snprintf(buffer, sizeof buffer, "%%%02X", c);
            out += buffer;
        }
    }
    return out;
}

void InstallBuiltins(Vm& vm, Builtins& b) {
    // Object.prototype first: every other object is made with it.
    b.object = vm.make<Object>(nullptr);
    b.function = vm.make<Object>(b.object);
    // The global object has no prototype: _global.toString is undefined.
    b.global = vm.make<Object>(nullptr);
    b.array = vm.make<Object>(b.object);
    b.string = vm.make<Object>(b.object);
    b.number = vm.make<Object>(b.object);
    b.boolean = vm.make<Object>(b.object);
    b.movieClip = vm.make<Object>(b.object);
    b.button = vm.make<Object>(b.object);
    b.color = vm.make<Object>(b.object);
    b.textField = vm.make<Object>(b.object);
    b.textFormat = vm.make<Object>(b.object);
    b.textSnapshot = vm.make<Object>(b.object);
    b.rectangle = vm.make<Object>(b.object);
    InstallObjectClasses(vm, b);
    InstallArrayClass(vm, b);
    InstallPrimitiveClasses(vm, b);
    InstallMath(vm, b);
    InstallMovieClipClass(vm, b);
    InstallColorClass(vm, b);
    InstallTextFieldClasses(vm, b);
    InstallTextSnapshotClass(vm, b);
    InstallGeometryClasses(vm, b);
    InstallSoundClass(vm, b);
    Object* broadcaster = InstallBroadcaster(vm);
    InstallPlayerObjects(vm, broadcaster);
    InstallSelection(vm, b, broadcaster);
    InstallXmlClasses(vm);
    InstallLoadVarsClass(vm);
    InstallErrorClass(vm);
    InstallDateClass(vm);
}

} // namespace vidorama::swf::avm1
