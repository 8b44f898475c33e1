// String, Number and Boolean. Strings are handled as bytes.
// FIXME: index and length count bytes, not characters, for text outside ASCII.

#include "avm1/Native.h"
#include "avm1/NumberText.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vidorama::swf::avm1 {

namespace {

Value Primitive(const Value& self) {
    if (auto* boxed = dynamic_cast<BoxedObject*>(self.asObject()))
        return boxed->primitive;
    return self;
}

std::string Text(Vm& vm, const Value& self) {
    return vm.toString(Primitive(self));
}

// Positions and lengths are 32-bit integers: 4294967297 is 1.
double Integer(Vm& vm, const Value& value, double otherwise) {
    return value.isUndefined() ? otherwise : ToInt32(vm.toNumber(value));
}

std::size_t Clamp(double n, std::size_t size) {
    return static_cast<std::size_t>(std::clamp(n, 0.0, double(size)));
}

Value StringCall(Vm& vm, const Value&, std::span<const Value> args) {
    return Value::string(args.empty() ? "" : vm.toString(args[0]));
}

Value StringConstruct(Vm& vm, const Value&, std::span<const Value> args) {
    Value text = Value::string(args.empty() ? "" : vm.toString(args[0]));
    return Value::object(vm.toObject(text));
}

Value StringValue(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::string(Text(vm, self));
}

Value CharAt(Vm& vm, const Value& self, std::span<const Value> args) {
    std::string text = Text(vm, self);
    double index = Integer(vm, Arg(args, 0), 0);
    if (index < 0 || index >= double(text.size()))
        return Value::string("");
    return Value::string(text.substr(static_cast<std::size_t>(index), 1));
}

Value CharCodeAt(Vm& vm, const Value& self, std::span<const Value> args) {
    std::string text = Text(vm, self);
    double index = Integer(vm, Arg(args, 0), 0);
    // SWF 5 reads 0 past the end of the text, but NaN before its start.
    if (index >= double(text.size()) && vm.version() < 6)
        return Value::number(0);
    if (index < 0 || index >= double(text.size()))
        return Value::number(std::numeric_limits<double>::quiet_NaN());
    return Value::number(static_cast<unsigned char>(text[static_cast<std::size_t>(index)]));
}

// The searching and cutting methods give undefined when called with nothing.
Value IndexOf(Vm& vm, const Value& self, std::span<const Value> args) {
    if (args.empty())
        return {};
    std::string text = Text(vm, self), needle = vm.toString(Arg(args, 0));
    double start = Integer(vm, Arg(args, 1), 0);
    if (start > double(text.size()))
        return Value::number(-1);
    std::size_t from = Clamp(start, text.size());
    std::size_t found = text.find(needle, from);
    return Value::number(found == std::string::npos ? -1 : double(found));
}

Value LastIndexOf(Vm& vm, const Value& self, std::span<const Value> args) {
    if (args.empty())
        return {};
    std::string text = Text(vm, self), needle = vm.toString(Arg(args, 0));
    std::size_t from = Clamp(Integer(vm, Arg(args, 1), double(text.size())), text.size());
    std::size_t found = text.rfind(needle, from);
    return Value::number(found == std::string::npos ? -1 : double(found));
}

Value Substr(Vm& vm, const Value& self, std::span<const Value> args) {
    if (args.empty())
        return {};
    std::string text = Text(vm, self);
    double start = Integer(vm, Arg(args, 0), 0);
    if (start < 0)
        start = std::max(0.0, double(text.size()) + start);
    std::size_t begin = Clamp(start, text.size());
    double length = Integer(vm, Arg(args, 1), double(text.size()));
    // A negative length counts back from the end of the whole text, and
    // Flash gives nothing when that reaches the end.
    if (length < 0) {
        length += double(text.size());
        if (length < 0 || double(begin) + length >= double(text.size()))
            return Value::string("");
    }
    return Value::string(text.substr(begin, Clamp(length, text.size() - begin)));
}

Value Substring(Vm& vm, const Value& self, std::span<const Value> args) {
    if (args.empty())
        return {};
    std::string text = Text(vm, self);
    std::size_t a = Clamp(Integer(vm, Arg(args, 0), 0), text.size());
    std::size_t b = Clamp(Integer(vm, Arg(args, 1), double(text.size())), text.size());
    if (a > b)
        std::swap(a, b);
    return Value::string(text.substr(a, b - a));
}

Value Slice(Vm& vm, const Value& self, std::span<const Value> args) {
    if (args.empty())
        return {};
    std::string text = Text(vm, self);
    auto position = [&](const Value& value, double otherwise) {
        double n = Integer(vm, value, otherwise);
        return Clamp(n < 0 ? double(text.size()) + n : n, text.size());
    };
    std::size_t a = position(Arg(args, 0), 0), b = position(Arg(args, 1), double(text.size()));
    return Value::string(a < b ? text.substr(a, b - a) : "");
}

Value Split(Vm& vm, const Value& self, std::span<const Value> args) {
    std::string text = Text(vm, self);
    std::vector<Value> parts;
    // SWF 5 splits at commas without a separator, and not at all at an
    // empty one.
    bool swf5 = vm.version() < 6;
    if (Arg(args, 0).isUndefined() && !swf5) {
        parts.push_back(Value::string(text));
    } else {
        std::string separator = Arg(args, 0).isUndefined() ? "," : vm.toString(Arg(args, 0));
        if (separator.empty() && swf5) {
            parts.push_back(Value::string(text));
        } else if (separator.empty()) {
            for (char c : text)
                parts.push_back(Value::string(std::string(1, c)));
        } else {
            std::size_t start = 0;
            while (true) {
                vm.step();
                std::size_t end = text.find(separator, start);
                parts.push_back(Value::string(text.substr(start, end - start)));
                if (end == std::string::npos)
                    break;
                start = end + separator.size();
            }
        }
    }
    if (!Arg(args, 1).isUndefined()) {
        double limit = Integer(vm, Arg(args, 1), 0);
        parts.resize(Clamp(limit, parts.size()));
    }
    return Value::object(vm.newArray(std::move(parts)));
}

Value ToUpper(Vm& vm, const Value& self, std::span<const Value>) {
    std::string text = Text(vm, self);
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return Value::string(std::move(text));
}

Value ToLower(Vm& vm, const Value& self, std::span<const Value>) {
    std::string text = Text(vm, self);
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return Value::string(std::move(text));
}

Value ConcatStrings(Vm& vm, const Value& self, std::span<const Value> args) {
    std::string text = Text(vm, self);
    for (const Value& arg : args)
        text += vm.toString(arg);
    return Value::string(vm.makeString(std::move(text)));
}

Value FromCharCode(Vm& vm, const Value&, std::span<const Value> args) {
    std::string text;
    for (const Value& arg : args) {
        auto code = static_cast<std::uint32_t>(ToInt32(vm.toNumber(arg))) & 0xffff;
        // Flash's strings end at a NUL character.
        if (code == 0)
            break;
        if (code < 0x80 || vm.version() < 6) {
            text += static_cast<char>(code & 0xff);
        } else if (code < 0x800) {
            text += static_cast<char>(0xc0 | (code >> 6));
            text += static_cast<char>(0x80 | (code & 0x3f));
        } else {
            text += static_cast<char>(0xe0 | (code >> 12));
            text += static_cast<char>(0x80 | ((code >> 6) & 0x3f));
            text += static_cast<char>(0x80 | (code & 0x3f));
        }
    }
    return Value::string(std::move(text));
}

Value NumberCall(Vm& vm, const Value&, std::span<const Value> args) {
    return Value::number(args.empty() ? 0 : vm.toNumber(args[0]));
}

Value NumberConstruct(Vm& vm, const Value&, std::span<const Value> args) {
    Value n = Value::number(args.empty() ? 0 : vm.toNumber(args[0]));
    return Value::object(vm.make<BoxedObject>(vm.builtins().number, n));
}

Value NumberToStringMethod(Vm& vm, const Value& self, std::span<const Value> args) {
    double n = vm.toNumber(Primitive(self));
    int radix = Arg(args, 0).isUndefined() ? 10 : ToInt32(vm.toNumber(Arg(args, 0)));
    return Value::string(NumberToRadixString(n, radix));
}

Value PrimitiveValueOf(Vm&, const Value& self, std::span<const Value>) {
    return Primitive(self);
}

// Boolean() without an argument is undefined, not false.
Value BooleanCall(Vm& vm, const Value&, std::span<const Value> args) {
    return args.empty() ? Value() : Value::boolean(vm.toBoolean(args[0]));
}

Value BooleanConstruct(Vm& vm, const Value&, std::span<const Value> args) {
    Value b = Value::boolean(!args.empty() && vm.toBoolean(args[0]));
    return Value::object(vm.make<BoxedObject>(vm.builtins().boolean, b));
}

Value BooleanToString(Vm& vm, const Value& self, std::span<const Value>) {
    return Value::string(vm.toBoolean(Primitive(self)) ? "true" : "false");
}

} // namespace

void InstallPrimitiveClasses(Vm& vm, Builtins& b) {
    FunctionObject* string = Class(vm, "String", b.string, StringCall, StringConstruct);
    Method(vm, string, "fromCharCode", FromCharCode);
    Method(vm, b.string, "toString", StringValue);
    Method(vm, b.string, "valueOf", StringValue);
    Method(vm, b.string, "charAt", CharAt);
    Method(vm, b.string, "charCodeAt", CharCodeAt);
    Method(vm, b.string, "indexOf", IndexOf);
    Method(vm, b.string, "lastIndexOf", LastIndexOf);
    Method(vm, b.string, "substr", Substr);
    Method(vm, b.string, "substring", Substring);
    Method(vm, b.string, "slice", Slice);
    Method(vm, b.string, "split", Split);
    Method(vm, b.string, "toUpperCase", ToUpper);
    Method(vm, b.string, "toLowerCase", ToLower);
    Method(vm, b.string, "concat", ConcatStrings);

    FunctionObject* number = Class(vm, "Number", b.number, NumberCall, NumberConstruct);
    Method(vm, b.number, "toString", NumberToStringMethod);
    Method(vm, b.number, "valueOf", PrimitiveValueOf);
    Constant(vm, number, "MAX_VALUE", std::numeric_limits<double>::max());
    Constant(vm, number, "MIN_VALUE", std::numeric_limits<double>::denorm_min());
    Constant(vm, number, "NaN", std::numeric_limits<double>::quiet_NaN());
    Constant(vm, number, "POSITIVE_INFINITY", std::numeric_limits<double>::infinity());
    Constant(vm, number, "NEGATIVE_INFINITY", -std::numeric_limits<double>::infinity());

    Class(vm, "Boolean", b.boolean, BooleanCall, BooleanConstruct);
    Method(vm, b.boolean, "toString", BooleanToString);
    Method(vm, b.boolean, "valueOf", PrimitiveValueOf);
}

} // namespace vidorama::swf::avm1
