// Array.sort and Array.sortOn: one ordering of the elements, taken from a
// comparison function or from flags, that the methods apply, check for
// duplicates or report as indexes.

#include "avm1/BuiltinsArraySort.h"

#include "avm1/ArrayElements.h"
#include "avm1/Utf16Text.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>

namespace vidorama::swf::avm1 {

namespace {

using Compare = std::function<int(const Value&, const Value&)>;

// Case is folded for Latin letters, the ASCII ones and those of Latin-1.
std::u16string Folded(std::string_view text) {
    std::u16string units = ToUtf16(text);
    for (char16_t& unit : units)
        if ((unit >= u'A' && unit <= u'Z') || (unit >= 0xC0 && unit <= 0xDE && unit != 0xD7))
            unit = static_cast<char16_t>(unit + 0x20);
    return units;
}

int Sign(double n) {
    return n < 0 ? -1 : n > 0 ? 1 : 0;
}

// With NUMERIC two numbers compare as numbers, NaN after all others; any
// other pair, even under NUMERIC, compares by its text.
int CompareByFlags(Vm& vm, const Value& a, const Value& b, int flags) {
    if ((flags & kSortNumeric) && a.isNumber() && b.isNumber()) {
        double x = vm.toNumber(a), y = vm.toNumber(b);
        if (std::isnan(x) || std::isnan(y))
            return std::isnan(x) - std::isnan(y);
        return Sign(x - y);
    }
    std::string x = vm.toString(a), y = vm.toString(b);
    if (flags & kSortCaseInsensitive) {
        std::u16string fx = Folded(x), fy = Folded(y);
        return fx.compare(fy) < 0 ? -1 : fx == fy ? 0 : 1;
    }
    return x.compare(y) < 0 ? -1 : x == y ? 0 : 1;
}

// Orders the array by compare; with UNIQUESORT two equal elements leave it
// as it was and give 0, with RETURNINDEXEDARRAY the order comes back as the
// elements' indexes and the array stays as it was.
Value Apply(Vm& vm, Object& array, const Value& self, const Compare& compare, int flags) {
    std::vector<Value> elements = ArrayValues(vm, array);
    std::vector<std::size_t> order(elements.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    auto compareAt = [&](std::size_t i, std::size_t j) {
        vm.step();
        int c = compare(elements[i], elements[j]);
        return (flags & kSortDescending) ? -c : c;
    };
    // A comparison that is not a strict order must not break the sort.
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t i, std::size_t j) { return compareAt(i, j) < 0; });
    if (flags & kSortUnique)
        for (std::size_t k = 1; k < order.size(); ++k)
            if (compareAt(order[k - 1], order[k]) == 0)
                return Value::number(0);
    if (flags & kSortReturnIndexedArray) {
        std::vector<Value> indexes;
        for (std::size_t i : order)
            indexes.push_back(Value::number(double(i)));
        return Value::object(vm.newArray(std::move(indexes)));
    }
    std::vector<Value> sorted;
    sorted.reserve(order.size());
    for (std::size_t k : order)
        sorted.push_back(elements[k]);
    ReplaceArrayElements(vm, array, sorted);
    return self;
}

} // namespace

// sort(), sort(flags), sort(compareFunction[, flags]). A first argument of
// another kind makes Flash give up: undefined for primitives, the unsorted
// array for an object that is not a function.
Value SortArray(Vm& vm, Object& array, const Value& self, std::span<const Value> args) {
    const Value& first = args.empty() ? Value::number(0) : args[0];
    bool function = first.isObject() && first.asObject()->kind() == ObjectKind::Function;
    if (first.isObject() && !function)
        return self;
    if (!first.isObject() && !first.isNumber())
        return {};
    int flags = ToInt32(vm.toNumber(args.size() > 1 ? args[1] : function ? Value() : first));
    Compare compare = [&](const Value& a, const Value& b) {
        if (!function)
            return CompareByFlags(vm, a, b, flags);
        Value pair[2] = {a, b};
        double n = vm.toNumber(vm.call(first, Value(), pair));
        return std::isnan(n) ? 0 : Sign(n);
    };
    return Apply(vm, array, self, compare, flags);
}

// sortOn(name or names[, flags or a flags per name]): elements compare by
// their named properties, the first name first.
Value SortArrayOn(Vm& vm, Object& array, const Value& self, std::span<const Value> args) {
    if (args.empty())
        return {};
    std::vector<std::string> names;
    std::vector<int> fieldFlags;
    if (auto* list = dynamic_cast<ArrayObject*>(args[0].asObject()))
        for (const Value& name : ArrayValues(vm, *list))
            names.push_back(vm.toString(name));
    else
        names.push_back(vm.toString(args[0]));
    const Value& options = args.size() > 1 ? args[1] : Value::number(0);
    // A list of flags that does not give one per name is ignored.
    auto* optionList = dynamic_cast<ArrayObject*>(options.asObject());
    std::vector<Value> optionValues =
        optionList ? ArrayValues(vm, *optionList) : std::vector<Value>();
    bool perName = optionList && optionValues.size() == names.size();
    for (std::size_t i = 0; i < names.size(); ++i)
        fieldFlags.push_back(optionList ? (perName ? ToInt32(vm.toNumber(optionValues[i])) : 0)
                                        : ToInt32(vm.toNumber(options)));
    int flags = fieldFlags.empty() ? 0 : fieldFlags.front();
    Compare compare = [&](const Value& a, const Value& b) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            int c = CompareByFlags(vm, vm.getProperty(a, names[i]), vm.getProperty(b, names[i]),
                                   fieldFlags[i]);
            // Each name's own DESCENDING turns its order; the first name's
            // turns the whole sort in Apply.
            if (i > 0 && ((fieldFlags[i] ^ flags) & kSortDescending))
                c = -c;
            if (c != 0)
                return c;
        }
        return 0;
    };
    return Apply(vm, array, self, compare, flags);
}

} // namespace vidorama::swf::avm1
