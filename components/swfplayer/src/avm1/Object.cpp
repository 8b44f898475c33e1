#include "avm1/Object.h"

#include "avm1/Code.h"
#include "avm1/Vm.h"

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
        m_erased.push_back(false);
    }
    return m_entries[found->second];
}

bool PropertyMap::erase(const std::string& key) {
    auto found = m_index.find(key);
    if (found == m_index.end())
        return false;
    std::size_t at = found->second;
    m_index.erase(found);
    m_entries[at] = Property{};
    m_erased[at] = true;
    ++m_erasedCount;
    if (m_erasedCount * 2 > m_entries.size())
        closeGaps();
    return true;
}

void PropertyMap::erase(std::span<const std::string> keys) {
    for (const std::string& key : keys)
        if (auto found = m_index.find(key); found != m_index.end()) {
            m_erased[found->second] = true;
            m_entries[found->second] = Property{};
            ++m_erasedCount;
            m_index.erase(found);
        }
    closeGaps();
}

const std::vector<Property>& PropertyMap::entries() const {
    closeGaps();
    return m_entries;
}

void PropertyMap::closeGaps() const {
    if (m_erasedCount == 0)
        return;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_erased[i])
            continue;
        if (kept != i) {
            m_entries[kept] = std::move(m_entries[i]);
            m_keys[kept] = std::move(m_keys[i]);
            m_index[m_keys[kept]] = kept;
        }
        ++kept;
    }
    m_entries.resize(kept);
    m_keys.resize(kept);
    m_erased.assign(kept, false);
    m_erasedCount = 0;
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

} // namespace vidorama::swf::avm1
