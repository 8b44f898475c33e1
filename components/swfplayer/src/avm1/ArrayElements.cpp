#include "avm1/ArrayElements.h"

#include "avm1/NumberText.h"
#include "avm1/Vm.h"

#include <algorithm>

namespace vidorama::swf::avm1 {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

// Stored without a getter and visible to the movie's version.
const Property* StoredElement(Vm& vm, Object& object, std::int32_t index) {
    const Property* property = object.properties().find(vm.key(IndexName(index)));
    if (!property || property->getter || (property->flags & kVersionHidden))
        return nullptr;
    return property;
}

// Removes the elements from `from` up to the old length, by index when
// there are fewer of those than properties, else through the properties: a
// length may be two billion.
void RemoveElementsFrom(Vm& vm, Object& object, std::int32_t from, std::int32_t oldLength) {
    from = std::max(from, 0);
    if (from >= oldLength)
        return;
    auto removable = [](const Property* property) {
        return property && !(property->flags & kDontDelete);
    };
    auto span = static_cast<std::uint32_t>(oldLength - from);
    std::vector<std::string> doomed;
    if (span <= object.properties().size()) {
        vm.chargeNameSearch(span);
        for (std::int32_t i = from; i < oldLength; ++i)
            if (std::string key = vm.key(IndexName(i)); removable(object.properties().find(key)))
                doomed.push_back(std::move(key));
    } else {
        vm.chargeNameSearch(object.properties().size());
        for (const Property& property : object.properties().entries()) {
            auto index = ArrayIndex(property.name);
            if (index && *index >= from && *index < oldLength &&
                IndexName(*index) == property.name && removable(&property))
                doomed.push_back(vm.key(property.name));
        }
    }
    object.properties().erase(doomed);
}

// The length property of an array, made as Flash makes it if missing.
Property& LengthProperty(Vm& vm, ArrayObject& array) {
    if (Property* length = array.properties().find(vm.key("length")))
        return *length;
    vm.defineValue(&array, "length", Value::number(0), kDontEnum | kDontDelete);
    return *array.properties().find(vm.key("length"));
}

std::int32_t StoredLength(Vm& vm, ArrayObject& array) {
    const Value& length = LengthProperty(vm, array).value;
    return length.isNumber() ? ToInt32(length.asNumber()) : 0;
}

} // namespace

std::optional<std::int32_t> ArrayIndex(std::string_view name) {
    std::size_t at = 0;
    while (at < name.size() && IsSpace(name[at]))
        ++at;
    bool negative = at < name.size() && name[at] == '-';
    if (negative)
        ++at;
    std::uint32_t index = 0;
    for (; at < name.size(); ++at) {
        if (name[at] < '0' || name[at] > '9')
            return std::nullopt;
        index = index * 10u + std::uint32_t(name[at] - '0');
    }
    if (negative)
        index = 0u - index;
    return static_cast<std::int32_t>(index);
}

std::string IndexName(std::int32_t index) {
    return std::to_string(index);
}

std::int32_t ArrayLength(Vm& vm, Object& object) {
    return ToInt32(vm.toNumber(vm.getMember(&object, "length")));
}

Value ArrayElement(Vm& vm, Object& object, std::int32_t index) {
    const Property* property = StoredElement(vm, object, index);
    return property ? property->value : Value();
}

bool HasArrayElement(Vm& vm, Object& object, std::int32_t index) {
    return StoredElement(vm, object, index) != nullptr;
}

std::vector<Value> ArrayValues(Vm& vm, Object& object) {
    std::int32_t length = ArrayLength(vm, object);
    std::vector<Value> values;
    if (length <= 0)
        return values;
    vm.chargeNameSearch(static_cast<std::size_t>(length));
    values.reserve(static_cast<std::size_t>(length));
    for (std::int32_t i = 0; i < length; ++i)
        values.push_back(ArrayElement(vm, object, i));
    return values;
}

void SetArrayElement(Vm& vm, Object& object, std::int32_t index, const Value& value) {
    vm.setMember(&object, IndexName(index), value);
}

void DeleteArrayElement(Vm& vm, Object& object, std::int32_t index) {
    vm.deleteMember(&object, IndexName(index));
}

void SetArrayLength(Vm& vm, Object& object, std::int32_t length) {
    vm.setMember(&object, "length", Value::number(length));
}

void RemoveArrayElements(Vm& vm, Object& object) {
    RemoveElementsFrom(vm, object, 0, ArrayLength(vm, object));
}

void ReplaceArrayElements(Vm& vm, Object& object, std::span<const Value> values) {
    RemoveArrayElements(vm, object);
    for (std::size_t i = 0; i < values.size(); ++i)
        SetArrayElement(vm, object, static_cast<std::int32_t>(i), values[i]);
    SetArrayLength(vm, object, static_cast<std::int32_t>(values.size()));
}

void KeepArrayLength(Vm& vm, ArrayObject& array, std::string_view name, const Value& value) {
    if (vm.sameName(name, "length")) {
        std::int32_t length = ToInt32(vm.toNumber(value));
        RemoveElementsFrom(vm, array, length, StoredLength(vm, array));
        return;
    }
    auto index = ArrayIndex(name);
    std::int32_t length = StoredLength(vm, array);
    if (!index || *index < length)
        return;
    auto longer = static_cast<std::int32_t>(static_cast<std::uint32_t>(*index) + 1u);
    RemoveElementsFrom(vm, array, longer, length);
    LengthProperty(vm, array).value = Value::number(longer);
}

} // namespace vidorama::swf::avm1
