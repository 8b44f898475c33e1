#include "avm1/Object.h"

#include "avm1/Code.h"
#include "avm1/Vm.h"

#include <charconv>

namespace vidorama::swf::avm1 {

Property* PropertyMap::find(const std::string& key) {
    auto found = m_index.find(key);
    return found == m_index.end() ? nullptr : &m_entries[found->second];
}

const Property* PropertyMap::find(const std::string& key) const {
    auto found = m_index.find(key);
    return found == m_index.end() ? nullptr : &m_entries[found->second];
}

Property& PropertyMap::insert(const std::string& key, std::string_view name) {
    auto [found, added] = m_index.try_emplace(key, m_entries.size());
    if (added) {
        m_entries.push_back(Property{std::string(name), Value(), 0, nullptr, nullptr});
        m_keys.push_back(key);
    }
    return m_entries[found->second];
}

bool PropertyMap::erase(const std::string& key) {
    auto found = m_index.find(key);
    if (found == m_index.end())
        return false;
    std::size_t at = found->second;
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(at));
    m_keys.erase(m_keys.begin() + static_cast<std::ptrdiff_t>(at));
    m_index.erase(found);
    for (auto& [name, index] : m_index)
        if (index > at)
            --index;
    return true;
}

void Object::references(std::vector<Object*>& out) const {
    if (Object* proto = m_proto.asObject())
        out.push_back(proto);
    out.insert(out.end(), m_interfaces.begin(), m_interfaces.end());
    for (const Watcher& watcher : m_watchers) {
        out.push_back(watcher.callback);
        if (Object* data = watcher.userData.asObject())
            out.push_back(data);
    }
    for (const Property& property : m_properties.entries()) {
        if (Object* object = property.value.asObject())
            out.push_back(object);
        if (property.getter)
            out.push_back(property.getter);
        if (property.setter)
            out.push_back(property.setter);
    }
}

FunctionObject::FunctionObject(Object* proto, std::shared_ptr<const ScriptFunction> script,
                               std::vector<ScopeEntry> scope, std::weak_ptr<DisplayObject> baseClip)
    : Object(proto), script(std::move(script)), scope(std::move(scope)),
      baseClip(std::move(baseClip)) {}

FunctionObject::~FunctionObject() = default;

void FunctionObject::references(std::vector<Object*>& out) const {
    Object::references(out);
    for (const ScopeEntry& entry : scope)
        out.push_back(entry.object);
}

void SuperObject::references(std::vector<Object*>& out) const {
    Object::references(out);
    out.push_back(self);
    out.push_back(home);
}

bool ParseIndex(std::string_view name, std::size_t& index) {
    if (name.empty() || name.size() > 10 || (name.size() > 1 && name[0] == '0'))
        return false;
    auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), index);
    return error == std::errc() && end == name.data() + name.size();
}

bool ArrayObject::getSpecial(Vm& vm, std::string_view name, Value& out) {
    std::size_t index = 0;
    if (ParseIndex(name, index)) {
        if (index >= elements.size())
            return false;
        out = elements[index];
        return true;
    }
    if (vm.sameName(name, "length")) {
        out = Value::number(static_cast<double>(elements.size()));
        return true;
    }
    return false;
}

bool ArrayObject::setSpecial(Vm& vm, std::string_view name, const Value& value) {
    std::size_t index = 0;
    if (ParseIndex(name, index)) {
        if (index >= elements.size())
            vm.resizeArray(*this, index + 1);
        elements[index] = value;
        return true;
    }
    if (vm.sameName(name, "length")) {
        double length = vm.toNumber(value);
        if (length >= 0 && length == static_cast<double>(static_cast<std::size_t>(length)))
            vm.resizeArray(*this, static_cast<std::size_t>(length));
        return true;
    }
    return false;
}

// Elements are listed newest first, as every property is: from the end.
void ArrayObject::specialNames(Vm&, std::vector<std::string>& out) {
    for (std::size_t i = elements.size(); i-- > 0;)
        out.push_back(std::to_string(i));
}

void ArrayObject::references(std::vector<Object*>& out) const {
    Object::references(out);
    for (const Value& value : elements)
        if (Object* object = value.asObject())
            out.push_back(object);
}

} // namespace vidorama::swf::avm1
