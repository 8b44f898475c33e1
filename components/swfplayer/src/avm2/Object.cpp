#include "avm2/Object.h"

#include <algorithm>

namespace vidorama::swf::avm2 {

bool Name::hasPublic() const {
    return anyNamespace || std::any_of(namespaces.begin(), namespaces.end(),
                                       [](const Ns& ns) { return ns.isPublic(); });
}

bool Name::matches(const Ns& ns) const {
    return anyNamespace || std::find(namespaces.begin(), namespaces.end(), ns) != namespaces.end();
}

Name Name::publicName(std::string local) {
    Name name;
    name.local = std::move(local);
    name.namespaces.push_back(Ns{});
    return name;
}

const Trait* Traits::find(const Name& name) const {
    auto found = byName.find(name.local);
    if (found == byName.end())
        return nullptr;
    for (const Trait& trait : found->second)
        if (name.matches(trait.ns))
            return &trait;
    return nullptr;
}

Trait* Traits::findExact(const std::string& local, const Ns& ns) {
    auto found = byName.find(local);
    if (found == byName.end())
        return nullptr;
    for (Trait& trait : found->second)
        if (trait.ns == ns)
            return &trait;
    return nullptr;
}

// A trait of the same name and namespace is replaced: a subclass overrides.
void Traits::add(const std::string& local, Trait trait) {
    if (Trait* existing = findExact(local, trait.ns)) {
        if (trait.kind == Trait::Kind::Accessor && existing->kind == Trait::Kind::Accessor) {
            if (trait.getter)
                existing->getter = trait.getter;
            if (trait.setter)
                existing->setter = trait.setter;
            existing->declarer = trait.declarer;
            return;
        }
        *existing = std::move(trait);
        return;
    }
    byName[local].push_back(std::move(trait));
}

std::uint32_t Traits::addSlot(Value initial, SlotType type, std::string typeName) {
    slotDefaults.push_back(std::move(initial));
    slotTypes.push_back(type);
    slotTypeNames.push_back(std::move(typeName));
    return static_cast<std::uint32_t>(slotDefaults.size() - 1);
}

Object::Object(Kind kind, ClassObject* cls, const Traits* traits, Object* proto)
    : m_kind(kind), m_cls(cls), m_traits(traits), m_proto(proto) {
    if (traits)
        fields = traits->slotDefaults;
}

Value* Object::findDynamic(const std::string& name) {
    auto found = m_dynamicIndex.find(name);
    return found == m_dynamicIndex.end() ? nullptr : &dynamic[found->second].second;
}

void Object::setDynamic(const std::string& name, Value value) {
    if (Value* existing = findDynamic(name)) {
        *existing = std::move(value);
        return;
    }
    m_dynamicIndex.emplace(name, dynamic.size());
    dynamic.emplace_back(name, std::move(value));
}

bool Object::deleteDynamic(const std::string& name) {
    auto found = m_dynamicIndex.find(name);
    if (found == m_dynamicIndex.end())
        return false;
    dynamic.erase(dynamic.begin() + static_cast<std::ptrdiff_t>(found->second));
    m_dynamicIndex.clear();
    for (std::size_t i = 0; i < dynamic.size(); ++i)
        m_dynamicIndex.emplace(dynamic[i].first, i);
    return true;
}

bool ClassObject::isSubclassOf(const ClassObject* other) const {
    for (const ClassObject* c = this; c; c = c->base) {
        if (c == other)
            return true;
        for (const ClassObject* i : c->interfaces)
            if (i == other || i->isSubclassOf(other))
                return true;
    }
    return false;
}

} // namespace vidorama::swf::avm2
