// String, Number, int, uint and Boolean.

#include "avm1/Utf16Text.h"
#include "avm2/Native.h"
#include "avm2/RegExpObject.h"
#include "avm2/StringCase.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace vidorama::swf::avm2 {

Value ThisPrimitive(const Value& self) {
    if (self.isObject() && self.object->kind() == Object::Kind::Boxed)
        return static_cast<BoxObject*>(self.object)->value;
    return self;
}

namespace {

using avm1::FromUtf16;
using avm1::ToUtf16;

std::u16string ThisText(Vm& vm, const Value& self) {
    return ToUtf16(vm.toString(ThisPrimitive(self)));
}

// A position argument clamped to 0..length, negative ones counting from the
// end. The parameters are typed Number: left out they take their default,
// while an undefined given converts to NaN, which counts as 0.
std::size_t Position(Vm& vm, Args args, std::size_t i, std::size_t length, bool fromEnd,
                     std::size_t fallback) {
    if (i >= args.size())
        return fallback;
    double n = vm.toNumber(args[i]);
    if (std::isnan(n))
        n = 0;
    n = std::trunc(n);
    if (fromEnd && n < 0)
        n += double(length);
    return std::size_t(std::clamp(n, 0.0, double(length)));
}

Value StringLength(Vm& vm, const Value& self, Args) {
    return Value(double(ThisText(vm, self).size()));
}

Value CharAt(Vm& vm, const Value& self, Args args) {
    std::u16string text = ThisText(vm, self);
    double i = args.empty() ? 0 : vm.toNumber(args[0]);
    if (std::isnan(i))
        i = 0;
    if (i < 0 || i >= double(text.size()))
        return Value("");
    return Value(FromUtf16(text.substr(std::size_t(i), 1)));
}

Value CharCodeAt(Vm& vm, const Value& self, Args args) {
    std::u16string text = ThisText(vm, self);
    double i = args.empty() ? 0 : vm.toNumber(args[0]);
    if (std::isnan(i))
        i = 0;
    if (i < 0 || i >= double(text.size()))
        return Value(std::nan(""));
    return Value(int(text[std::size_t(i)]));
}

Value IndexOf(Vm& vm, const Value& self, Args args) {
    // The parameter is a String: null and undefined become null, found nowhere.
    if (Arg(args, 0).isNullish())
        return Value(-1);
    std::u16string text = ThisText(vm, self);
    std::u16string needle = ToUtf16(vm.toString(Arg(args, 0)));
    std::size_t from = Position(vm, args, 1, text.size(), false, 0);
    std::size_t at = text.find(needle, from);
    return Value(at == std::u16string::npos ? -1.0 : double(at));
}

Value LastIndexOf(Vm& vm, const Value& self, Args args) {
    if (Arg(args, 0).isNullish())
        return Value(-1);
    std::u16string text = ThisText(vm, self);
    std::u16string needle = ToUtf16(vm.toString(Arg(args, 0)));
    // A NaN start (undefined included) searches from the end.
    bool fromEnd = args.size() < 2 || std::isnan(vm.toNumber(args[1]));
    std::size_t from =
        fromEnd ? text.size() : Position(vm, args, 1, text.size(), false, text.size());
    std::size_t at = text.rfind(needle, from);
    return Value(at == std::u16string::npos ? -1.0 : double(at));
}

Value Substr(Vm& vm, const Value& self, Args args) {
    std::u16string text = ThisText(vm, self);
    std::size_t start = Position(vm, args, 0, text.size(), true, 0);
    double count = args.size() < 2 ? double(text.size()) : std::trunc(vm.toNumber(args[1]));
    // Flash takes start + count as an end, which counts from the end of the
    // text when negative.
    if (count < 0) {
        double end = double(start) + count;
        if (end < 0)
            end += double(text.size());
        count = std::max(0.0, end - double(start));
    }
    if (std::isnan(count) || count < 0)
        count = 0;
    return Value(FromUtf16(text.substr(start, std::size_t(std::min(count, double(text.size()))))));
}

Value Substring(Vm& vm, const Value& self, Args args) {
    std::u16string text = ThisText(vm, self);
    std::size_t a = Position(vm, args, 0, text.size(), false, 0);
    std::size_t b = Position(vm, args, 1, text.size(), false, text.size());
    if (a > b)
        std::swap(a, b);
    return Value(FromUtf16(text.substr(a, b - a)));
}

Value Slice(Vm& vm, const Value& self, Args args) {
    std::u16string text = ThisText(vm, self);
    std::size_t a = Position(vm, args, 0, text.size(), true, 0);
    std::size_t b = Position(vm, args, 1, text.size(), true, text.size());
    return Value(b > a ? FromUtf16(text.substr(a, b - a)) : std::string());
}

Value ToUpper(Vm& vm, const Value& self, Args) {
    return Value(FromUtf16(FlashUpperCase(ThisText(vm, self))));
}

Value ToLower(Vm& vm, const Value& self, Args) {
    return Value(FromUtf16(FlashLowerCase(ThisText(vm, self))));
}

Value Split(Vm& vm, const Value& self, Args args) {
    std::u16string text = ThisText(vm, self);
    std::vector<Value> parts;
    Value separator = Arg(args, 0);
    double limit = Arg(args, 1).isUndefined() ? 4294967295.0 : vm.toNumber(args[1]);
    if (separator.isObject() && separator.object->kind() == Object::Kind::RegExp)
        return RegExpSplit(vm, FromUtf16(text), *static_cast<RegExpObject*>(separator.object),
                           limit);
    if (separator.isUndefined()) {
        parts.push_back(Value(FromUtf16(text)));
    } else {
        std::u16string sep = ToUtf16(vm.toString(separator));
        if (sep.empty()) {
            for (char16_t c : text)
                parts.push_back(Value(FromUtf16(std::u16string(1, c))));
        } else {
            std::size_t start = 0;
            while (true) {
                std::size_t at = text.find(sep, start);
                parts.push_back(Value(FromUtf16(text.substr(start, at - start))));
                if (at == std::u16string::npos)
                    break;
                start = at + sep.size();
            }
        }
    }
    if (double(parts.size()) > limit)
        parts.resize(std::size_t(std::max(0.0, limit)));
    return Value(vm.newArray(std::move(parts)));
}

Value Concat(Vm& vm, const Value& self, Args args) {
    std::string text = vm.toString(ThisPrimitive(self));
    for (const Value& v : args) {
        std::string more = vm.toString(v);
        vm.checkStringSize(text.size() + more.size());
        text += more;
    }
    return Value(text);
}

Value Replace(Vm& vm, const Value& self, Args args) {
    std::string text = vm.toString(ThisPrimitive(self));
    Value pattern = Arg(args, 0);
    if (pattern.isObject() && pattern.object->kind() == Object::Kind::RegExp)
        return RegExpReplace(vm, text, *static_cast<RegExpObject*>(pattern.object), Arg(args, 1));
    std::string needle = vm.toString(pattern);
    std::size_t at = text.find(needle);
    if (at == std::string::npos)
        return Value(text);
    Value with = Arg(args, 1);
    std::string replacement;
    if (with.isObject() && with.object->kind() == Object::Kind::Function) {
        Value callArgs[] = {Value(needle), Value(double(ToUtf16(text.substr(0, at)).size())),
                            Value(text)};
        replacement = vm.toString(vm.call(with, Value::null(), callArgs));
    } else {
        replacement = vm.toString(with);
    }
    vm.checkStringSize(text.size() + replacement.size());
    return Value(text.substr(0, at) + replacement + text.substr(at + needle.size()));
}

Value LocaleCompare(Vm& vm, const Value& self, Args args) {
    std::u16string a = ThisText(vm, self);
    std::u16string b = ToUtf16(vm.toString(Arg(args, 0)));
    // Flash answers the difference of the first units that differ, or of
    // the lengths.
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (a[i] != b[i])
            return Value(int(a[i]) - int(b[i]));
    return Value(double(a.size()) - double(b.size()));
}

Value FromCharCode(Vm& vm, const Value&, Args args) {
    std::u16string text;
    for (const Value& v : args)
        text += char16_t(ToUint32(vm.toNumber(v)) & 0xffff);
    return Value(FromUtf16(text));
}

Value StringToString(Vm& vm, const Value& self, Args) {
    Value v = ThisPrimitive(self);
    if (!v.isString())
        vm.throwError("TypeError", 1004,
                      "Method String.prototype.toString was invoked on an incompatible object.");
    return v;
}

Value StringCall(Vm& vm, const Value&, Args args) {
    return Value(args.empty() ? std::string() : vm.toString(args[0]));
}

Value NumberCall(Vm& vm, const Value&, Args args) {
    return Value(args.empty() ? 0.0 : vm.toNumber(args[0]));
}
Value IntCall(Vm& vm, const Value&, Args args) {
    return Value(args.empty() ? 0 : ToInt32(vm.toNumber(args[0])));
}
Value UintCall(Vm& vm, const Value&, Args args) {
    return Value(args.empty() ? 0u : ToUint32(vm.toNumber(args[0])));
}
Value BooleanCall(Vm&, const Value&, Args args) {
    return Value(!args.empty() && ToBoolean(args[0]));
}

double ThisNumber(Vm& vm, const Value& self) {
    return vm.toNumber(ThisPrimitive(self));
}

Value NumberToStringMethod(Vm& vm, const Value& self, Args args) {
    double n = ThisNumber(vm, self);
    int radix = Arg(args, 0).isUndefined() ? 10 : ToInt32(vm.toNumber(args[0]));
    if (radix < 2 || radix > 36)
        vm.throwError("RangeError", 1003,
                      "The radix argument must be between 2 and 36; got " + std::to_string(radix) +
                          ".");
    return Value(NumberToRadixString(n, radix));
}

Value NumberValueOf(Vm& vm, const Value& self, Args) {
    return Value(ThisNumber(vm, self));
}

Value ToFixed(Vm& vm, const Value& self, Args args) {
    double n = ThisNumber(vm, self);
    double digits = Arg(args, 0).isUndefined() ? 0 : vm.toNumber(args[0]);
    if (digits < 0 || digits > 20)
        vm.throwError("RangeError", 1002,
                      "Number.toFixed has a range of 0 to 20. " + NumberToString(digits) +
                          " is an invalid value.");
    if (!std::isfinite(n) || std::fabs(n) >= 1e21)
        return Value(NumberToString(n));
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.*f", int(digits), n);
    std::string text = buffer;
    if (text.find_first_not_of("-0.") == std::string::npos && text[0] == '-')
        text.erase(0, 1);
    return Value(text);
}

Value ToPrecision(Vm& vm, const Value& self, Args args) {
    double n = ThisNumber(vm, self);
    if (Arg(args, 0).isUndefined() || !std::isfinite(n))
        return Value(NumberToString(n));
    int precision = ToInt32(vm.toNumber(args[0]));
    if (precision < 1 || precision > 21)
        vm.throwError("RangeError", 1002,
                      "Number.toPrecision has a range of 1 to 21. " + std::to_string(precision) +
                          " is an invalid value.");
    int exponent = n == 0 ? 0 : int(std::floor(std::log10(std::fabs(n))));
    char buffer[512];
    if (exponent < -6 || exponent >= precision)
        std::snprintf(buffer, sizeof buffer, "%.*e", precision - 1, n);
    else
        std::snprintf(buffer, sizeof buffer, "%.*f", std::max(0, precision - 1 - exponent), n);
    std::string text = buffer;
    std::size_t e = text.find('e');
    if (e != std::string::npos) {
        std::string mantissa = text.substr(0, e);
        int exp = std::atoi(text.c_str() + e + 1);
        text = mantissa + (exp < 0 ? "e-" : "e+") + std::to_string(std::abs(exp));
    }
    return Value(text);
}

Value ToExponential(Vm& vm, const Value& self, Args args) {
    double n = ThisNumber(vm, self);
    if (!std::isfinite(n))
        return Value(NumberToString(n));
    int digits = Arg(args, 0).isUndefined() ? 6 : ToInt32(vm.toNumber(args[0]));
    if (digits < 0 || digits > 20)
        vm.throwError("RangeError", 1002,
                      "Number.toExponential has a range of 0 to 20. " + std::to_string(digits) +
                          " is an invalid value.");
    // Flash's digit generator never reaches an exact zero: it prints the
    // nearest tiny number it stopped at.
    if (n == 0)
        return Value(digits == 0 ? std::string("1e-15")
                                 : "0." + std::string(std::size_t(digits), '0') + "e-16");
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.*e", digits, n);
    std::string text = buffer;
    std::size_t e = text.find('e');
    int exp = std::atoi(text.c_str() + e + 1);
    return Value(text.substr(0, e) + (exp < 0 ? "e-" : "e+") + std::to_string(std::abs(exp)));
}

Value BooleanToString(Vm&, const Value& self, Args) {
    Value v = ThisPrimitive(self);
    return Value(v.isBoolean() && v.boolean ? "true" : "false");
}

Value BooleanValueOf(Vm&, const Value& self, Args) {
    Value v = ThisPrimitive(self);
    return Value(v.isBoolean() && v.boolean);
}

ClassObject* PrimitiveClass(Vm& vm, const char* name, NativeFn call) {
    ClassObject* cls = vm.defineClass("", name, vm.natives.object, nullptr, nullptr);
    cls->callAsFunction = call;
    cls->primitive = true;
    return cls;
}

void NumberMethods(Vm& vm, ClassObject* cls) {
    vm.defineMethod(cls, "toString", NumberToStringMethod);
    vm.defineMethod(cls, "toLocaleString", NumberToStringMethod);
    vm.defineMethod(cls, "valueOf", NumberValueOf);
    vm.defineMethod(cls, "toFixed", ToFixed);
    vm.defineMethod(cls, "toPrecision", ToPrecision);
    vm.defineMethod(cls, "toExponential", ToExponential);
}

} // namespace

void InstallPrimitives(Vm& vm) {
    auto& n = vm.natives;
    n.string = PrimitiveClass(vm, "String", StringCall);
    vm.defineAccessor(n.string, "length", StringLength, nullptr);
    vm.defineMethod(n.string, "charAt", CharAt);
    vm.defineMethod(n.string, "charCodeAt", CharCodeAt);
    vm.defineMethod(n.string, "indexOf", IndexOf);
    vm.defineMethod(n.string, "lastIndexOf", LastIndexOf);
    vm.defineMethod(n.string, "substr", Substr);
    vm.defineMethod(n.string, "substring", Substring);
    vm.defineMethod(n.string, "slice", Slice);
    vm.defineMethod(n.string, "toUpperCase", ToUpper);
    vm.defineMethod(n.string, "toLowerCase", ToLower);
    vm.defineMethod(n.string, "toLocaleUpperCase", ToUpper);
    vm.defineMethod(n.string, "toLocaleLowerCase", ToLower);
    vm.defineMethod(n.string, "split", Split);
    vm.defineMethod(n.string, "concat", Concat);
    vm.defineMethod(n.string, "replace", Replace);
    vm.defineMethod(n.string, "localeCompare", LocaleCompare);
    vm.defineMethod(n.string, "toString", StringToString);
    vm.defineMethod(n.string, "valueOf", StringToString);
    vm.defineMethod(n.string, "fromCharCode", FromCharCode, true);

    n.number = PrimitiveClass(vm, "Number", NumberCall);
    n.intClass = PrimitiveClass(vm, "int", IntCall);
    n.uintClass = PrimitiveClass(vm, "uint", UintCall);
    for (ClassObject* cls : {n.number, n.intClass, n.uintClass})
        NumberMethods(vm, cls);
    vm.defineConstant(n.number, "MAX_VALUE", Value(std::numeric_limits<double>::max()));
    vm.defineConstant(n.number, "MIN_VALUE", Value(std::numeric_limits<double>::denorm_min()));
    vm.defineConstant(n.number, "NaN", Value(std::nan("")));
    vm.defineConstant(n.number, "POSITIVE_INFINITY", Value(INFINITY));
    vm.defineConstant(n.number, "NEGATIVE_INFINITY", Value(-INFINITY));
    vm.defineConstant(n.intClass, "MAX_VALUE", Value(2147483647));
    vm.defineConstant(n.intClass, "MIN_VALUE", Value(-2147483647 - 1));
    vm.defineConstant(n.uintClass, "MAX_VALUE", Value(4294967295u));
    vm.defineConstant(n.uintClass, "MIN_VALUE", Value(0));

    n.boolean = PrimitiveClass(vm, "Boolean", BooleanCall);
    vm.defineMethod(n.boolean, "toString", BooleanToString);
    vm.defineMethod(n.boolean, "valueOf", BooleanValueOf);
}

} // namespace vidorama::swf::avm2
