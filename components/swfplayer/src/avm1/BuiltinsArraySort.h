#pragma once

#include "avm1/Native.h"

#include <span>

namespace vidorama::swf::avm1 {

// Array's sort flags, as the Array class names them.
enum SortFlag {
    kSortCaseInsensitive = 1,
    kSortDescending = 2,
    kSortUnique = 4,
    kSortReturnIndexedArray = 8,
    kSortNumeric = 16,
};

Value SortArray(Vm& vm, Object& array, const Value& self, std::span<const Value> args);
Value SortArrayOn(Vm& vm, Object& array, const Value& self, std::span<const Value> args);

} // namespace vidorama::swf::avm1
