// Array and Vector.<T>, which share their methods.

#include "avm2/Native.h"
#include "swf/Limits.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf::avm2 {

ArrayObject* ThisList(Vm& vm, const Value& self) {
    if (!self.isObject() ||
        (self.object->kind() != Object::Kind::Array && self.object->kind() != Object::Kind::Vector))
        vm.throwError("TypeError", 1034, ErrorMessage(1034, vm.describe(self), "Array"));
    return static_cast<ArrayObject*>(self.object);
}

Value ElementAt(Vm& vm, ArrayObject* list, std::size_t i) {
    if (list->hasElement(i))
        return list->elements[i];
    return vm.getProperty(Value(static_cast<Object*>(list)), Name::publicName(std::to_string(i)));
}

namespace {

enum SortFlags : int {
    kCaseInsensitive = 1,
    kDescending = 2,
    kUniqueSort = 4,
    kReturnIndexedArray = 8,
    kNumeric = 16,
};

Value Store(Vm& vm, ArrayObject* list, const Value& v) {
    if (list->kind() != Object::Kind::Vector)
        return v;
    return list->elementClass ? vm.coerceTo(v, list->elementClass)
                              : vm.coerce(v, list->elementType);
}

void Resize(Vm& vm, ArrayObject* list, double length) {
    if (length < 0 || length > double(Limits::kMaxScriptCells) || length != std::trunc(length))
        vm.throwError("RangeError", 1005,
                      "Array index is not a positive integer (" + NumberToString(length) + ").");
    // Flash keeps only vectors of int, uint and Number apart, zero-filled;
    // every other vector holds objects and grows with nulls, Boolean and
    // String ones too.
    Value fill = ArrayObject::hole();
    if (list->kind() == Object::Kind::Vector) {
        bool numeric = list->elementType == SlotType::Int || list->elementType == SlotType::Uint ||
                       list->elementType == SlotType::Number;
        fill = numeric ? vm.coerce(Value(0), list->elementType) : Value::null();
    }
    list->elements.resize(std::size_t(length), fill);
}

// A position argument clamped to 0..length, negative ones from the end.
std::size_t Clamp(Vm& vm, const Value& v, std::size_t length, std::size_t fallback) {
    if (v.isUndefined())
        return fallback;
    double n = std::trunc(vm.toNumber(v));
    if (std::isnan(n))
        n = 0;
    if (n < 0)
        n += double(length);
    return std::size_t(std::clamp(n, 0.0, double(length)));
}

// A new list of the same kind; a Vector's elements are converted to its type.
Value Make(Vm& vm, ArrayObject* like, std::vector<Value> elements) {
    if (like->kind() == Object::Kind::Array)
        return Value(vm.newArray(std::move(elements)));
    Value made = vm.constructClass(like->cls(), {});
    auto* list = static_cast<ArrayObject*>(made.object);
    for (Value& element : elements)
        element = Store(vm, list, element);
    list->elements = std::move(elements);
    return made;
}

Value ArrayInit(Vm& vm, const Value& self, Args args) {
    ArrayObject* list = ThisList(vm, self);
    if (args.size() == 1 && args[0].isNumber())
        Resize(vm, list, args[0].number);
    else
        list->elements.assign(args.begin(), args.end());
    return Value();
}

Value VectorInit(Vm& vm, const Value& self, Args args) {
    ArrayObject* list = ThisList(vm, self);
    Resize(vm, list, args.empty() ? 0 : double(ToUint32(vm.toNumber(args[0]))));
    list->fixed = ToBoolean(Arg(args, 1));
    return Value();
}

Object* AllocateArray(Vm& vm, ClassObject* cls) {
    auto* list =
        vm.make<ArrayObject>(Object::Kind::Array, cls, &cls->instanceTraits, cls->prototype);
    list->sealed = false;
    return list;
}

Object* AllocateVector(Vm& vm, ClassObject* cls) {
    auto* list =
        vm.make<ArrayObject>(Object::Kind::Vector, cls, &cls->instanceTraits, cls->prototype);
    list->elementType = cls->vectorElement;
    list->elementClass = cls->vectorElement == SlotType::Object ? cls->vectorOf : nullptr;
    return list;
}

Value Length(Vm& vm, const Value& self, Args) {
    return Value(double(ThisList(vm, self)->elements.size()));
}

Value SetLength(Vm& vm, const Value& self, Args args) {
    ArrayObject* list = ThisList(vm, self);
    if (list->fixed)
        vm.throwError("RangeError", 1126, ErrorMessage(1126));
    Resize(vm, list, vm.toNumber(Arg(args, 0)));
    return Value();
}

void CheckGrowable(Vm& vm, ArrayObject* list) {
    if (list->fixed)
        vm.throwError("RangeError", 1126, ErrorMessage(1126));
}

Value Push(Vm& vm, const Value& self, Args args) {
    ArrayObject* list = ThisList(vm, self);
    CheckGrowable(vm, list);
    vm.checkListSize(list->elements.size() + args.size());
    for (const Value& v : args)
        list->elements.push_back(Store(vm, list, v));
    return Value(double(list->elements.size()));
}

Value Pop(Vm& vm, const Value& self, Args) {
    ArrayObject* list = ThisList(vm, self);
    CheckGrowable(vm, list);
    if (list->elements.empty())
        return Value();
    // Flash keeps an array's elements packed from index 0 and pops the last
    // one it holds, even where holes follow it; the length drops by one.
    if (list->kind() == Object::Kind::Array) {
        for (std::size_t i = list->elements.size(); i-- > 0;) {
            if (ArrayObject::isHole(list->elements[i]))
                continue;
            Value held = list->elements[i];
            list->elements[i] = ArrayObject::hole();
            list->elements.pop_back();
            return held;
        }
    }
    Value last = ElementAt(vm, list, list->elements.size() - 1);
    list->elements.pop_back();
    return last;
}

Value Shift(Vm& vm, const Value& self, Args) {
    ArrayObject* list = ThisList(vm, self);
    CheckGrowable(vm, list);
    if (list->elements.empty())
        return Value();
    Value first = ElementAt(vm, list, 0);
    list->elements.erase(list->elements.begin());
    return first;
}

Value Unshift(Vm& vm, const Value& self, Args args) {
    ArrayObject* list = ThisList(vm, self);
    CheckGrowable(vm, list);
    vm.checkListSize(list->elements.size() + args.size());
    std::vector<Value> front;
    for (const Value& v : args)
        front.push_back(Store(vm, list, v));
    list->elements.insert(list->elements.begin(), front.begin(), front.end());
    return Value(double(list->elements.size()));
}

Value SliceList(Vm& vm, const Value& self, Args args) {
    ArrayObject* list = ThisList(vm, self);
    std::size_t size = list->elements.size();
    std::size_t a = Clamp(vm, Arg(args, 0), size, 0);
    std::size_t b = Clamp(vm, Arg(args, 1), size, size);
    std::vector<Value> part;
    if (b > a)
        part.assign(list->elements.begin() + std::ptrdiff_t(a),
                    list->elements.begin() + std::ptrdiff_t(b));
    return Make(vm, list, std::move(part));
}

Value Splice(Vm& vm, const Value& self, Args args) {
    ArrayObject* list = ThisList(vm, self);
    // Flash answers undefined to a splice() without arguments.
    if (args.empty())
        return Value();
    std::size_t size = list->elements.size();
    std::size_t start = Clamp(vm, args[0], size, 0);
    double countArg = args.size() < 2 ? double(size - start) : std::trunc(vm.toNumber(args[1]));
    std::size_t count =
        std::size_t(std::clamp(std::isnan(countArg) ? 0.0 : countArg, 0.0, double(size - start)));
    // Elements move as reading and writing them would: a hole the prototype
    // has a value for becomes that value, in what is removed and what moves.
    if (list->kind() == Object::Kind::Array)
        for (std::size_t i = start; i < size; ++i)
            if (ArrayObject::isHole(list->elements[i]))
                if (Value inherited = ElementAt(vm, list, i); !inherited.isUndefined())
                    list->elements[i] = inherited;
    auto first = list->elements.begin() + std::ptrdiff_t(start);
    std::vector<Value> removed(first, first + std::ptrdiff_t(count));
    list->elements.erase(first, first + std::ptrdiff_t(count));
    std::vector<Value> inserted;
    vm.checkListSize(list->elements.size() + args.size());
    for (std::size_t i = 2; i < args.size(); ++i)
        inserted.push_back(Store(vm, list, args[i]));
    list->elements.insert(list->elements.begin() + std::ptrdiff_t(start), inserted.begin(),
                          inserted.end());
    return Make(vm, list, std::move(removed));
}

// insertAt and removeAt: an index from the end when negative.
std::size_t AtIndex(Vm& vm, const Value& v, std::size_t size) {
    double n = std::trunc(vm.toNumber(v));
    if (std::isnan(n))
        n = 0;
    if (n < 0)
        n = std::max(0.0, n + double(size));
    return std::size_t(std::min(n, double(size)));
}

Value InsertAt(Vm& vm, const Value& self, Args args) {
    ArrayObject* list = ThisList(vm, self);
    CheckGrowable(vm, list);
    std::size_t at = AtIndex(vm, Arg(args, 0), list->elements.size());
    vm.checkListSize(list->elements.size() + 1);
    Value stored = Store(vm, list, Arg(args, 1));
    list->elements.insert(list->elements.begin() + std::ptrdiff_t(at), std::move(stored));
    return Value();
}

Value RemoveAt(Vm& vm, const Value& self, Args args) {
    ArrayObject* list = ThisList(vm, self);
    CheckGrowable(vm, list);
    double asked = std::trunc(vm.toNumber(Arg(args, 0)));
    std::size_t size = list->elements.size();
    double index = asked < 0 ? std::max(0.0, asked + double(size)) : asked;
    if (std::isnan(index) || index < 0 || index >= double(size)) {
        if (list->kind() == Object::Kind::Vector)
            vm.throwError("RangeError", 1125,
                          ErrorMessage(1125, NumberToString(asked), std::to_string(size)));
        return Value();
    }
    auto at = list->elements.begin() + std::ptrdiff_t(index);
    Value removed = std::move(*at);
    list->elements.erase(at);
    return removed;
}

Value ConcatList(Vm& vm, const Value& self, Args args) {
    ArrayObject* list = ThisList(vm, self);
    std::vector<Value> all = list->elements;
    for (const Value& v : args) {
        if (v.isObject() &&
            (v.object->kind() == Object::Kind::Array || v.object->kind() == Object::Kind::Vector))
            vm.checkListSize(all.size() + static_cast<ArrayObject*>(v.object)->elements.size());
        if (v.isObject() &&
            (v.object->kind() == Object::Kind::Array || v.object->kind() == Object::Kind::Vector)) {
            for (const Value& e : static_cast<ArrayObject*>(v.object)->elements)
                all.push_back(Store(vm, list, e));
        } else {
            all.push_back(Store(vm, list, v));
        }
    }
    return Make(vm, list, std::move(all));
}

std::string JoinList(Vm& vm, ArrayObject* list, const std::string& separator) {
    std::string text;
    for (std::size_t i = 0; i < list->elements.size(); ++i) {
        if (i)
            text += separator;
        const Value& v = list->elements[i];
        if (!v.isNullish())
            text += vm.toString(v);
        if (text.size() > Limits::kMaxScriptStringBytes)
            vm.throwError("Error", 1000, "The system is out of memory.");
    }
    return text;
}

Value Join(Vm& vm, const Value& self, Args args) {
    ArrayObject* list = ThisList(vm, self);
    std::string separator = Arg(args, 0).isUndefined() ? "," : vm.toString(args[0]);
    return Value(JoinList(vm, list, separator));
}

Value ListToString(Vm& vm, const Value& self, Args) {
    return Value(JoinList(vm, ThisList(vm, self), ","));
}

// Each element's own toLocaleString(); a String has none of its own, so it
// answers Object's "[object String]", as in Flash.
Value ListToLocaleString(Vm& vm, const Value& self, Args) {
    ArrayObject* list = ThisList(vm, self);
    std::string text;
    for (std::size_t i = 0; i < list->elements.size(); ++i) {
        if (i)
            text += ",";
        Value element = list->elements[i];
        if (!element.isNullish())
            text += vm.toString(vm.callProperty(element, Name::publicName("toLocaleString"), {}));
        vm.checkStringSize(text.size());
    }
    return Value(text);
}

Value Reverse(Vm& vm, const Value& self, Args) {
    ArrayObject* list = ThisList(vm, self);
    // An Array turns over only the elements it holds packed from index 0:
    // holes after the last of them stay where they are, as in Flash.
    auto end = list->elements.end();
    if (list->kind() == Object::Kind::Array)
        while (end != list->elements.begin() && ArrayObject::isHole(*(end - 1)))
            --end;
    std::reverse(list->elements.begin(), end);
    return self;
}

Value IndexOfList(Vm& vm, const Value& self, Args args) {
    ArrayObject* list = ThisList(vm, self);
    std::size_t from = Clamp(vm, Arg(args, 1), list->elements.size(), 0);
    for (std::size_t i = from; i < list->elements.size(); ++i)
        if (vm.strictEquals(list->elements[i], Arg(args, 0)))
            return Value(double(i));
    return Value(-1);
}

Value LastIndexOfList(Vm& vm, const Value& self, Args args) {
    ArrayObject* list = ThisList(vm, self);
    if (list->elements.empty())
        return Value(-1);
    double size = double(list->elements.size());
    double start = args.size() < 2 ? size - 1 : std::trunc(vm.toNumber(args[1]));
    if (std::isnan(start))
        start = 0;
    if (start < 0)
        start = std::max(0.0, start + size);
    std::size_t from = std::size_t(std::min(start, size - 1));
    for (std::size_t i = from + 1; i-- > 0;)
        if (vm.strictEquals(list->elements[i], Arg(args, 0)))
            return Value(double(i));
    return Value(-1);
}

// Calls fn(element, index, list) for each element, as the iteration methods do.
template <typename Visit> void EachElement(Vm& vm, const Value& self, Args args, Visit visit) {
    ArrayObject* list = ThisList(vm, self);
    Value fn = Arg(args, 0);
    Value receiver = Arg(args, 1);
    if (fn.isNullish())
        return;
    for (std::size_t i = 0; i < list->elements.size(); ++i) {
        Value element = list->elements[i];
        Value callArgs[] = {element, Value(double(i)), self};
        if (!visit(element, vm.call(fn, receiver, callArgs)))
            return;
    }
}

Value ForEach(Vm& vm, const Value& self, Args args) {
    EachElement(vm, self, args, [](const Value&, const Value&) { return true; });
    return Value();
}

Value Map(Vm& vm, const Value& self, Args args) {
    std::vector<Value> out;
    EachElement(vm, self, args, [&](const Value&, const Value& r) {
        out.push_back(r);
        return true;
    });
    return Make(vm, ThisList(vm, self), std::move(out));
}

Value Filter(Vm& vm, const Value& self, Args args) {
    std::vector<Value> out;
    EachElement(vm, self, args, [&](const Value& e, const Value& r) {
        if (ToBoolean(r))
            out.push_back(e);
        return true;
    });
    return Make(vm, ThisList(vm, self), std::move(out));
}

Value Some(Vm& vm, const Value& self, Args args) {
    bool any = false;
    EachElement(vm, self, args, [&](const Value&, const Value& r) {
        any = ToBoolean(r);
        return !any;
    });
    return Value(any);
}

Value Every(Vm& vm, const Value& self, Args args) {
    bool all = true;
    EachElement(vm, self, args, [&](const Value&, const Value& r) {
        all = ToBoolean(r);
        return all;
    });
    return Value(all);
}

// A merge sort: safe with comparison functions that contradict themselves.
template <typename Less> void MergeSort(std::vector<std::size_t>& order, Less less) {
    std::vector<std::size_t> buffer(order.size());
    for (std::size_t width = 1; width < order.size(); width *= 2) {
        for (std::size_t lo = 0; lo < order.size(); lo += 2 * width) {
            std::size_t mid = std::min(lo + width, order.size());
            std::size_t hi = std::min(lo + 2 * width, order.size());
            std::size_t a = lo, b = mid, out = lo;
            while (a < mid && b < hi)
                buffer[out++] = less(order[b], order[a]) ? order[b++] : order[a++];
            while (a < mid)
                buffer[out++] = order[a++];
            while (b < hi)
                buffer[out++] = order[b++];
        }
        order.swap(buffer);
    }
}

// Whole numbers Flash keeps in its 29-bit integer form.
bool IsSmallInteger(double n) {
    constexpr double kLimit = double(1 << 28);
    return n == std::trunc(n) && n >= -kLimit && n < kLimit && !(n == 0 && std::signbit(n));
}

int CompareDefault(Vm& vm, const Value& a, const Value& b, int flags) {
    if (flags & kNumeric) {
        double x = vm.toNumber(a), y = vm.toNumber(b);
        // Flash orders two such integers by subtracting their tagged forms
        // (the value shifted left by three) in 32 bits, so values far apart
        // wrap around and sort the wrong way, as its players do.
        if (IsSmallInteger(x) && IsSmallInteger(y)) {
            std::uint32_t tx = std::uint32_t(std::int32_t(x)) << 3;
            std::uint32_t ty = std::uint32_t(std::int32_t(y)) << 3;
            auto difference = std::int32_t(tx - ty);
            return difference < 0 ? -1 : difference > 0 ? 1 : 0;
        }
        return x < y ? -1 : x > y ? 1 : 0;
    }
    std::string x = vm.toString(a), y = vm.toString(b);
    if (flags & kCaseInsensitive) {
        for (auto& c : x)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        for (auto& c : y)
            c = char(std::tolower(static_cast<unsigned char>(c)));
    }
    return x < y ? -1 : x > y ? 1 : 0;
}

Value SortWith(Vm& vm, const Value& self, const std::vector<Value>& keys, const Value& compare,
               int flags) {
    ArrayObject* list = ThisList(vm, self);
    std::vector<std::size_t> order(list->elements.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    bool duplicate = false;
    auto cmp = [&](std::size_t i, std::size_t j) {
        const Value& a = keys[i];
        const Value& b = keys[j];
        int r;
        if (a.isUndefined() || b.isUndefined())
            r = a.isUndefined() == b.isUndefined() ? 0 : a.isUndefined() ? 1 : -1;
        else if (compare.isObject()) {
            Value args[] = {a, b};
            double d = vm.toNumber(vm.call(compare, Value::null(), args));
            r = d < 0 ? -1 : d > 0 ? 1 : 0;
        } else {
            r = CompareDefault(vm, a, b, flags);
        }
        if (r == 0 && i != j)
            duplicate = true;
        return r;
    };
    MergeSort(order, [&](std::size_t i, std::size_t j) {
        int r = cmp(i, j);
        return (flags & kDescending) ? r > 0 : r < 0;
    });
    if ((flags & kUniqueSort) && duplicate)
        return Value(0);
    if (flags & kReturnIndexedArray) {
        std::vector<Value> indices;
        for (std::size_t i : order)
            indices.push_back(Value(double(i)));
        return Value(vm.newArray(std::move(indices)));
    }
    std::vector<Value> sorted;
    for (std::size_t i : order)
        sorted.push_back(list->elements[i]);
    list->elements = std::move(sorted);
    return self;
}

Value Sort(Vm& vm, const Value& self, Args args) {
    ArrayObject* list = ThisList(vm, self);
    Value compare;
    int flags = 0;
    for (const Value& arg : args) {
        if (arg.isObject() && arg.object->kind() == Object::Kind::Function)
            compare = arg;
        else if (arg.isNumber())
            flags = ToInt32(arg.number);
    }
    return SortWith(vm, self, list->elements, compare, flags);
}

Value SortOn(Vm& vm, const Value& self, Args args) {
    ArrayObject* list = ThisList(vm, self);
    Value field = Arg(args, 0);
    if (field.isObject() && field.object->kind() == Object::Kind::Array) {
        auto& names = static_cast<ArrayObject*>(field.object)->elements;
        field = names.empty() ? Value() : names[0];
    }
    Name name = Name::publicName(vm.toString(field));
    int flags = 0;
    Value option = Arg(args, 1);
    if (option.isNumber())
        flags = ToInt32(option.number);
    else if (option.isObject() && option.object->kind() == Object::Kind::Array &&
             !static_cast<ArrayObject*>(option.object)->elements.empty())
        flags = ToInt32(vm.toNumber(static_cast<ArrayObject*>(option.object)->elements[0]));
    std::vector<Value> keys;
    for (const Value& e : list->elements)
        keys.push_back(e.isObject() ? vm.getProperty(e, name) : Value());
    return SortWith(vm, self, keys, Value(), flags);
}

Value Fixed(Vm& vm, const Value& self, Args) {
    return Value(ThisList(vm, self)->fixed);
}

Value SetFixed(Vm& vm, const Value& self, Args args) {
    ThisList(vm, self)->fixed = ToBoolean(Arg(args, 0));
    return Value();
}

Value ArrayCall(Vm& vm, const Value&, Args args) {
    return vm.constructClass(vm.natives.array, args);
}

void ListMethods(Vm& vm, ClassObject* cls) {
    vm.defineAccessor(cls, "length", Length, SetLength);
    vm.defineMethod(cls, "push", Push);
    vm.defineMethod(cls, "pop", Pop);
    vm.defineMethod(cls, "shift", Shift);
    vm.defineMethod(cls, "unshift", Unshift);
    vm.defineMethod(cls, "slice", SliceList);
    vm.defineMethod(cls, "splice", Splice);
    vm.defineMethod(cls, "insertAt", InsertAt);
    vm.defineMethod(cls, "removeAt", RemoveAt);
    vm.defineMethod(cls, "concat", ConcatList);
    vm.defineMethod(cls, "join", Join);
    vm.defineMethod(cls, "toString", ListToString);
    vm.defineMethod(cls, "toLocaleString", ListToLocaleString);
    vm.defineMethod(cls, "reverse", Reverse);
    vm.defineMethod(cls, "indexOf", IndexOfList);
    vm.defineMethod(cls, "lastIndexOf", LastIndexOfList);
    vm.defineMethod(cls, "forEach", ForEach);
    vm.defineMethod(cls, "map", Map);
    vm.defineMethod(cls, "filter", Filter);
    vm.defineMethod(cls, "some", Some);
    vm.defineMethod(cls, "every", Every);
    vm.defineMethod(cls, "sort", Sort);
}

} // namespace

Value VectorFromList(Vm& vm, ClassObject* cls, Args args) {
    if (args.size() != 1)
        vm.throwError("ArgumentError", 1112, ErrorMessage(1112, std::to_string(args.size())));
    const Value& from = args[0];
    if (!from.isObject() ||
        (from.object->kind() != Object::Kind::Array && from.object->kind() != Object::Kind::Vector))
        vm.throwError("TypeError", 1034,
                      ErrorMessage(1034, vm.describe(from), cls->qualifiedName()));
    auto* source = static_cast<ArrayObject*>(from.object);
    Value made = vm.constructClass(cls, {});
    auto* list = static_cast<ArrayObject*>(made.object);
    for (std::size_t i = 0; i < source->elements.size(); ++i) {
        Value element =
            source->kind() == Object::Kind::Array ? ElementAt(vm, source, i) : source->elements[i];
        list->elements.push_back(Store(vm, list, element));
    }
    return made;
}

void InstallArray(Vm& vm) {
    auto& n = vm.natives;
    n.array = vm.defineClass("", "Array", n.object, AllocateArray, ArrayInit);
    n.array->sealedInstances = false;
    n.array->callAsFunction = ArrayCall;
    ListMethods(vm, n.array);
    vm.defineMethod(n.array, "sortOn", SortOn);
    const std::pair<const char*, int> flags[] = {{"CASEINSENSITIVE", kCaseInsensitive},
                                                 {"DESCENDING", kDescending},
                                                 {"UNIQUESORT", kUniqueSort},
                                                 {"RETURNINDEXEDARRAY", kReturnIndexedArray},
                                                 {"NUMERIC", kNumeric}};
    for (const auto& [name, value] : flags)
        vm.defineConstant(n.array, name, Value(value));
    n.vector = vm.defineClass("__AS3__.vec", "Vector", n.object, AllocateVector, VectorInit);
    ListMethods(vm, n.vector);
    vm.defineAccessor(n.vector, "fixed", Fixed, SetFixed);
}

} // namespace vidorama::swf::avm2
