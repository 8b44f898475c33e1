// Array.

#include "avm1/BuiltinsArraySort.h"
#include "avm1/Native.h"
#include "avm1/NumberText.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf::avm1 {

namespace {

ArrayObject* This(const Value& self) {
    return dynamic_cast<ArrayObject*>(self.asObject());
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

Value Construct(Vm& vm, const Value&, std::span<const Value> args) {
    ArrayObject* array = vm.newArray();
    if (args.size() == 1 && args[0].isNumber()) {
        double length = args[0].asNumber();
        if (length >= 0 && length == std::trunc(length))
            vm.resizeArray(*array, static_cast<std::size_t>(length));
    } else {
        vm.resizeArray(*array, args.size());
        std::copy(args.begin(), args.end(), array->elements.begin());
    }
    return Value::object(array);
}

std::string Join(Vm& vm, ArrayObject& array, const std::string& separator) {
    std::string out;
    for (std::size_t i = 0; i < array.elements.size(); ++i) {
        if (i)
            out += separator;
        const Value& element = array.elements[i];
        out +=
            element.isUndefined() ? (vm.version() >= 7 ? "undefined" : "") : vm.toString(element);
        vm.chargeString(out.size());
    }
    return out;
}

Value JoinMethod(Vm& vm, const Value& self, std::span<const Value> args) {
    ArrayObject* array = This(self);
    if (!array)
        return {};
    std::string separator = Arg(args, 0).isUndefined() ? "," : vm.toString(Arg(args, 0));
    return Value::string(Join(vm, *array, separator));
}

Value ToStringMethod(Vm& vm, const Value& self, std::span<const Value>) {
    ArrayObject* array = This(self);
    return array ? Value::string(Join(vm, *array, ",")) : Value();
}

Value Push(Vm& vm, const Value& self, std::span<const Value> args) {
    ArrayObject* array = This(self);
    if (!array)
        return {};
    std::size_t at = array->elements.size();
    vm.resizeArray(*array, at + args.size());
    std::copy(args.begin(), args.end(), array->elements.begin() + std::ptrdiff_t(at));
    return Value::number(double(array->elements.size()));
}

Value Pop(Vm&, const Value& self, std::span<const Value>) {
    ArrayObject* array = This(self);
    if (!array || array->elements.empty())
        return {};
    Value last = array->elements.back();
    array->elements.pop_back();
    return last;
}

Value Shift(Vm&, const Value& self, std::span<const Value>) {
    ArrayObject* array = This(self);
    if (!array || array->elements.empty())
        return {};
    Value first = array->elements.front();
    array->elements.erase(array->elements.begin());
    return first;
}

Value Unshift(Vm& vm, const Value& self, std::span<const Value> args) {
    ArrayObject* array = This(self);
    if (!array)
        return {};
    std::vector<Value> elements(args.begin(), args.end());
    elements.insert(elements.end(), array->elements.begin(), array->elements.end());
    vm.resizeArray(*array, elements.size());
    array->elements = std::move(elements);
    return Value::number(double(array->elements.size()));
}

Value Slice(Vm& vm, const Value& self, std::span<const Value> args) {
    ArrayObject* array = This(self);
    if (!array)
        return {};
    std::size_t size = array->elements.size();
    std::size_t begin = Position(vm, Arg(args, 0), size, 0);
    std::size_t end = Position(vm, Arg(args, 1), size, size);
    std::vector<Value> part;
    if (begin < end)
        part.assign(array->elements.begin() + std::ptrdiff_t(begin),
                    array->elements.begin() + std::ptrdiff_t(end));
    return Value::object(vm.newArray(std::move(part)));
}

Value Splice(Vm& vm, const Value& self, std::span<const Value> args) {
    ArrayObject* array = This(self);
    // Without a start, or with a count that is not a number of elements,
    // Flash changes nothing and gives undefined.
    if (!array || Arg(args, 0).isUndefined())
        return {};
    std::size_t size = array->elements.size();
    std::size_t begin = Position(vm, Arg(args, 0), size, 0);
    double count = double(size - begin);
    if (args.size() > 1) {
        count = args[1].isUndefined() ? std::nan("") : std::trunc(vm.toNumber(args[1]));
        if (std::isnan(count) || count < 0)
            return {};
    }
    std::size_t removed = std::min<std::size_t>(size - begin, std::size_t(count));
    auto first = array->elements.begin() + std::ptrdiff_t(begin);
    std::vector<Value> taken(first, first + std::ptrdiff_t(removed));
    array->elements.erase(first, first + std::ptrdiff_t(removed));
    if (args.size() > 2) {
        vm.resizeArray(*array, array->elements.size());
        array->elements.insert(array->elements.begin() + std::ptrdiff_t(begin), args.begin() + 2,
                               args.end());
        vm.resizeArray(*array, array->elements.size());
    }
    return Value::object(vm.newArray(std::move(taken)));
}

Value Concat(Vm& vm, const Value& self, std::span<const Value> args) {
    ArrayObject* array = This(self);
    std::vector<Value> all = array ? array->elements : std::vector<Value>();
    for (const Value& arg : args) {
        if (auto* other = dynamic_cast<ArrayObject*>(arg.asObject()))
            all.insert(all.end(), other->elements.begin(), other->elements.end());
        else
            all.push_back(arg);
    }
    return Value::object(vm.newArray(std::move(all)));
}

Value Reverse(Vm&, const Value& self, std::span<const Value>) {
    if (ArrayObject* array = This(self))
        std::reverse(array->elements.begin(), array->elements.end());
    return self;
}

Value Sort(Vm& vm, const Value& self, std::span<const Value> args) {
    ArrayObject* array = This(self);
    return array ? SortArray(vm, *array, self, args) : Value();
}

Value SortOn(Vm& vm, const Value& self, std::span<const Value> args) {
    ArrayObject* array = This(self);
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
