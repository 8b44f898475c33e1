// Array.

#include "avm1/ArrayElements.h"
#include "avm1/BuiltinsArraySort.h"
#include "avm1/Native.h"
#include "avm1/NumberText.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf::avm1 {

namespace {

// The object an Array method works on: Flash's methods take any object and
// go through its length and indexed properties.
Object* This(const Value& self) {
    return self.asObject();
}

// A relative index as slice and splice read them: negative counts from the end.
std::size_t Position(Vm& vm, const Value& value, std::size_t size, std::size_t otherwise) {
    if (value.isUndefined())
        return otherwise;
    double n = std::trunc(vm.toNumber(value));
    if (std::isnan(n))
        return 0;
    if (n < 0)
        n = std::max(0.0, double(size) + n);
    return static_cast<std::size_t>(std::min(n, double(size)));
}

std::int32_t Count(std::size_t n) {
    return static_cast<std::int32_t>(n);
}

// Array(n) with one number makes n holes (a negative length is kept as it
// is); any other arguments become the elements.
Value Construct(Vm& vm, const Value&, std::span<const Value> args) {
    ArrayObject* array = vm.newArray();
    if (args.size() == 1 && args[0].isNumber())
        SetArrayLength(vm, *array, ToInt32(args[0].asNumber()));
    else
        ReplaceArrayElements(vm, *array, args);
    return Value::object(array);
}

std::string Join(Vm& vm, Object& array, const std::string& separator) {
    std::string out;
    std::vector<Value> values = ArrayValues(vm, array);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i)
            out += separator;
        const Value& element = values[i];
        out +=
            element.isUndefined() ? (vm.version() >= 7 ? "undefined" : "") : vm.toString(element);
        vm.chargeString(out.size());
    }
    return out;
}

Value JoinMethod(Vm& vm, const Value& self, std::span<const Value> args) {
    Object* array = This(self);
    if (!array)
        return {};
    std::string separator = Arg(args, 0).isUndefined() ? "," : vm.toString(Arg(args, 0));
    return Value::string(Join(vm, *array, separator));
}

Value ToStringMethod(Vm& vm, const Value& self, std::span<const Value>) {
    Object* array = This(self);
    return array ? Value::string(Join(vm, *array, ",")) : Value();
}

Value Push(Vm& vm, const Value& self, std::span<const Value> args) {
    Object* array = This(self);
    if (!array)
        return {};
    std::int32_t length = std::max(ArrayLength(vm, *array), 0);
    for (std::size_t i = 0; i < args.size(); ++i)
        SetArrayElement(vm, *array, length + Count(i), args[i]);
    SetArrayLength(vm, *array, length + Count(args.size()));
    return Value::number(length + Count(args.size()));
}

Value Pop(Vm& vm, const Value& self, std::span<const Value>) {
    Object* array = This(self);
    if (!array)
        return {};
    std::int32_t length = ArrayLength(vm, *array);
    if (length <= 0)
        return {};
    Value last = ArrayElement(vm, *array, length - 1);
    DeleteArrayElement(vm, *array, length - 1);
    SetArrayLength(vm, *array, length - 1);
    return last;
}

Value Shift(Vm& vm, const Value& self, std::span<const Value>) {
    Object* array = This(self);
    if (!array)
        return {};
    std::vector<Value> values = ArrayValues(vm, *array);
    if (values.empty())
        return {};
    Value first = values.front();
    ReplaceArrayElements(vm, *array, std::span(values).subspan(1));
    return first;
}

// The elements move up from the top down, holes becoming undefined, after
// every old one was removed; then the new ones are set from the first.
Value Unshift(Vm& vm, const Value& self, std::span<const Value> args) {
    Object* array = This(self);
    if (!array)
        return {};
    std::vector<Value> values = ArrayValues(vm, *array);
    RemoveArrayElements(vm, *array);
    for (std::size_t i = values.size(); i-- > 0;)
        SetArrayElement(vm, *array, Count(i + args.size()), values[i]);
    for (std::size_t i = 0; i < args.size(); ++i)
        SetArrayElement(vm, *array, Count(i), args[i]);
    SetArrayLength(vm, *array, Count(values.size() + args.size()));
    return Value::number(double(values.size() + args.size()));
}

Value Slice(Vm& vm, const Value& self, std::span<const Value> args) {
    Object* array = This(self);
    if (!array)
        return {};
    std::vector<Value> values = ArrayValues(vm, *array);
    std::size_t size = values.size();
    std::size_t begin = Position(vm, Arg(args, 0), size, 0);
    std::size_t end = Position(vm, Arg(args, 1), size, size);
    std::vector<Value> part;
    if (begin < end)
        part.assign(values.begin() + std::ptrdiff_t(begin), values.begin() + std::ptrdiff_t(end));
    return Value::object(vm.newArray(std::move(part)));
}

Value Splice(Vm& vm, const Value& self, std::span<const Value> args) {
    Object* array = This(self);
    // Without a start, or with a count that is not a number of elements,
    // Flash changes nothing and gives undefined.
    if (!array || Arg(args, 0).isUndefined())
        return {};
    std::vector<Value> values = ArrayValues(vm, *array);
    std::size_t size = values.size();
    std::size_t begin = Position(vm, Arg(args, 0), size, 0);
    double count = double(size - begin);
    if (args.size() > 1) {
        count = args[1].isUndefined() ? std::nan("") : std::trunc(vm.toNumber(args[1]));
        if (std::isnan(count) || count < 0)
            return {};
    }
    std::size_t removed = std::min<std::size_t>(size - begin, std::size_t(count));
    auto first = values.begin() + std::ptrdiff_t(begin);
    std::vector<Value> taken(first, first + std::ptrdiff_t(removed));
    values.erase(first, first + std::ptrdiff_t(removed));
    if (args.size() > 2)
        values.insert(values.begin() + std::ptrdiff_t(begin), args.begin() + 2, args.end());
    ReplaceArrayElements(vm, *array, values);
    return Value::object(vm.newArray(std::move(taken)));
}

Value Concat(Vm& vm, const Value& self, std::span<const Value> args) {
    Object* array = This(self);
    std::vector<Value> all = array ? ArrayValues(vm, *array) : std::vector<Value>();
    for (const Value& arg : args) {
        if (auto* other = dynamic_cast<ArrayObject*>(arg.asObject())) {
            std::vector<Value> more = ArrayValues(vm, *other);
            all.insert(all.end(), more.begin(), more.end());
        } else {
            all.push_back(arg);
        }
    }
    return Value::object(vm.newArray(std::move(all)));
}

// Pairs from the ends swap: both are removed, then the lower and the upper
// set, so a hole becomes undefined and the middle element stays as it was.
Value Reverse(Vm& vm, const Value& self, std::span<const Value>) {
    Object* array = This(self);
    if (!array)
        return self;
    std::vector<Value> values = ArrayValues(vm, *array);
    for (std::size_t low = 0, high = values.size(); low + 1 < high--; ++low) {
        DeleteArrayElement(vm, *array, Count(low));
        DeleteArrayElement(vm, *array, Count(high));
        SetArrayElement(vm, *array, Count(low), values[high]);
        SetArrayElement(vm, *array, Count(high), values[low]);
    }
    return self;
}

Value Sort(Vm& vm, const Value& self, std::span<const Value> args) {
    Object* array = This(self);
    return array ? SortArray(vm, *array, self, args) : Value();
}

Value SortOn(Vm& vm, const Value& self, std::span<const Value> args) {
    Object* array = This(self);
    return array ? SortArrayOn(vm, *array, self, args) : Value();
}

} // namespace

void InstallArrayClass(Vm& vm, Builtins& b) {
    FunctionObject* array = Class(vm, "Array", b.array, Construct, Construct);
    Constant(vm, array, "CASEINSENSITIVE", kSortCaseInsensitive);
    Constant(vm, array, "DESCENDING", kSortDescending);
    Constant(vm, array, "UNIQUESORT", kSortUnique);
    Constant(vm, array, "RETURNINDEXEDARRAY", kSortReturnIndexedArray);
    Constant(vm, array, "NUMERIC", kSortNumeric);
    Method(vm, b.array, "join", JoinMethod);
    Method(vm, b.array, "toString", ToStringMethod);
    Method(vm, b.array, "push", Push);
    Method(vm, b.array, "pop", Pop);
    Method(vm, b.array, "shift", Shift);
    Method(vm, b.array, "unshift", Unshift);
    Method(vm, b.array, "slice", Slice);
    Method(vm, b.array, "splice", Splice);
    Method(vm, b.array, "concat", Concat);
    Method(vm, b.array, "reverse", Reverse);
    Method(vm, b.array, "sort", Sort);
    Method(vm, b.array, "sortOn", SortOn);
}

} // namespace vidorama::swf::avm1
