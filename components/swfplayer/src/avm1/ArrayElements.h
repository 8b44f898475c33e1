// Elements of arrays and of array-like objects, as Flash's Array methods
// reach them: through the "length" property and properties named by index.
#pragma once

#include "avm1/Object.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vidorama::swf::avm1 {

class Vm;

// The index a property name stands for in an array. Flash reads it loosely:
// leading spaces, a minus sign and then only digits, wrapping to 32 bits
// ("4294967296" is 0). Anything else is no index.
std::optional<std::int32_t> ArrayIndex(std::string_view name);
std::string IndexName(std::int32_t index);

// "length" as a 32-bit count; a negative one holds no elements.
std::int32_t ArrayLength(Vm& vm, Object& object);
// The element as the Array methods read it: the object's own stored value,
// not one from a prototype or a getter; a hole reads as undefined.
Value ArrayElement(Vm& vm, Object& object, std::int32_t index);
bool HasArrayElement(Vm& vm, Object& object, std::int32_t index);
// Every element from 0 to length - 1; holes are undefined.
std::vector<Value> ArrayValues(Vm& vm, Object& object);

// Assignment of an element or the length, as the methods make it: for an
// array, the length follows.
void SetArrayElement(Vm& vm, Object& object, std::int32_t index, const Value& value);
void DeleteArrayElement(Vm& vm, Object& object, std::int32_t index);
void SetArrayLength(Vm& vm, Object& object, std::int32_t length);
// Removes every element below the length that may be deleted.
void RemoveArrayElements(Vm& vm, Object& object);
// Makes the elements and length of object those of values, from 0 on.
void ReplaceArrayElements(Vm& vm, Object& object, std::span<const Value> values);

// Keeps an array's length in step with a property about to be stored:
// "length" itself removes the elements at and above the new length, and
// an index at or above the length makes the length one more than it.
void KeepArrayLength(Vm& vm, ArrayObject& array, std::string_view name, const Value& value);

} // namespace vidorama::swf::avm1
