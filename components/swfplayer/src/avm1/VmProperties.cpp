#include "avm1/ArrayElements.h"
#include "avm1/Vm.h"
#include "swf/Limits.h"

#include <algorithm>
#include <unordered_set>

namespace vidorama::swf::avm1 {

namespace {

// Prototype chains are followed at most this far, so that a cycle made by
// assigning __proto__ cannot loop.
constexpr int kMaxProtoDepth = 256;

Property* Visible(Property* property) {
    return property && !(property->flags & kVersionHidden) ? property : nullptr;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

} // namespace

std::string Vm::key(std::string_view name) const {
    std::string key(name);
    if (m_version < 7)
        for (char& c : key)
            c = Lower(c);
    return key;
}

bool Vm::sameName(std::string_view a, std::string_view b) const {
    if (a.size() != b.size())
        return false;
    if (m_version >= 7)
        return a == b;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

Value Vm::getMember(Object* object, std::string_view name, Object** found) {
    Object* receiver = object;
    if (object && object->kind() == ObjectKind::Super) {
        auto* super = static_cast<SuperObject*>(object);
        receiver = super->self;
        object = super->home ? super->home->proto() : nullptr;
    }
    if (!object)
        return {};
    std::string k = key(name);
    if (k == "__proto__")
        return object->protoValue();
    Object* holder = object;
    for (int depth = 0; holder && depth < kMaxProtoDepth; ++depth, holder = holder->proto()) {
        if (Property* property = Visible(holder->properties().find(k))) {
            if (found)
                *found = holder;
            if (property->getter)
                return call(Value::object(property->getter), Value::object(receiver), {}, holder);
            return property->value;
        }
        Value special;
        if (holder->getSpecial(*this, name, special)) {
            if (found)
                *found = holder;
            return special;
        }
    }
    return {};
}

bool Vm::hasProperty(Object* object, std::string_view name) {
    std::string k = key(name);
    Object* holder = object;
    for (int depth = 0; holder && depth < kMaxProtoDepth; ++depth, holder = holder->proto()) {
        Value special;
        if (Visible(holder->properties().find(k)) || holder->getSpecial(*this, name, special))
            return true;
    }
    return false;
}

bool Vm::watch(Object* object, std::string_view name, Object* callback, const Value& userData) {
    if (!object || !dynamic_cast<FunctionObject*>(callback))
        return false;
    std::string k = key(name);
    auto& watchers = object->watchers();
    auto found = std::find_if(watchers.begin(), watchers.end(),
                              [&](const Watcher& w) { return w.key == k; });
    if (found != watchers.end()) {
        found->callback = callback;
        found->userData = userData;
        return true;
    }
    if (watchers.size() >= Limits::kMaxScriptWatchersPerObject)
        return false;
    watchers.push_back({k, callback, userData});
    return true;
}

bool Vm::unwatch(Object* object, std::string_view name) {
    if (!object)
        return false;
    std::string k = key(name);
    return std::erase_if(object->watchers(), [&](const Watcher& w) { return w.key == k; }) > 0;
}

void Vm::setMember(Object* object, std::string_view name, const Value& value) {
    if (object && object->kind() == ObjectKind::Super) {
        setThroughSuper(static_cast<SuperObject&>(*object), name, value);
        return;
    }
    if (!object)
        return;
    std::string k = key(name);
    auto watcherOf = [&]() -> Watcher* {
        for (Watcher& watcher : object->watchers())
            if (watcher.key == k)
                return &watcher;
        return nullptr;
    };
    Watcher* watcher = watcherOf();
    if (!watcher || watcher->running) {
        storeMember(object, name, value);
        return;
    }
    // Getters and the handler may add or remove watchers: their entry is
    // looked up again after each call into script code.
    Value old = getMember(object, name);
    if (!(watcher = watcherOf()) || watcher->running) {
        storeMember(object, name, value);
        return;
    }
    watcher->running = true;
    auto release = [&] {
        if ((watcher = watcherOf()))
            watcher->running = false;
    };
    Value args[] = {Value::string(std::string(name)), old, value, watcher->userData};
    Value stored;
    try {
        stored = call(Value::object(watcher->callback), Value::object(object), args);
    } catch (const ScriptThrow&) {
        // A handler that throws leaves the property undefined, and keeps
        // watching it.
        release();
        storeMember(object, name, Value());
        throw;
    } catch (const ScriptCut&) {
        release();
        throw;
    }
    release();
    storeMember(object, name, stored);
}

// A setter above the method's own prototype runs on the object; anything
// else is an ordinary assignment to the object.
void Vm::setThroughSuper(SuperObject& super, std::string_view name, const Value& value) {
    std::string k = key(name);
    Object* holder = super.home ? super.home->proto() : nullptr;
    for (int depth = 0; holder && depth < kMaxProtoDepth; ++depth, holder = holder->proto()) {
        Property* property = holder->properties().find(k);
        if (property && property->setter) {
            call(Value::object(property->setter), Value::object(super.self), std::span(&value, 1),
                 holder);
            return;
        }
        if (property)
            break;
    }
    setMember(super.self, name, value);
}

void Vm::storeMember(Object* object, std::string_view name, const Value& value) {
    std::string k = key(name);
    if (k == "__proto__") {
        if (!(object->protoFlags() & kReadOnly))
            object->setProtoValue(value);
        return;
    }
    if (object->kind() == ObjectKind::Array)
        KeepArrayLength(*this, static_cast<ArrayObject&>(*object), name, value);
    if (Property* property = Visible(object->properties().find(k))) {
        if (property->setter)
            call(Value::object(property->setter), Value::object(object), std::span(&value, 1));
        else if (!(property->flags & kReadOnly) && !property->getter)
            property->value = value;
        return;
    }
    // A property made by addProperty on a prototype is set through it; one
    // made without a setter is read-only for every object inheriting it.
    Object* holder = object->proto();
    for (int depth = 0; holder && depth < kMaxProtoDepth; ++depth, holder = holder->proto()) {
        Property* property = Visible(holder->properties().find(k));
        if (property && property->setter) {
            call(Value::object(property->setter), Value::object(object), std::span(&value, 1));
            return;
        }
        if (property && property->getter)
            return;
        if (property)
            break;
    }
    if (object->setSpecial(*this, name, value))
        return;
    defineValue(object, name, value);
}

void Vm::defineValue(Object* object, std::string_view name, const Value& value,
                     std::uint8_t flags) {
    std::string k = key(name);
    if (!object->properties().find(k)) {
        if (++m_cellsInUse > Limits::kMaxScriptCells)
            cut();
        // A new property keeps its name and key in three copies, so a long
        // name made into properties costs as much as the strings it holds.
        chargeString(k.size() + 3 * name.size());
    }
    Property& property = object->properties().insert(k, name);
    property.value = value;
    property.flags = flags;
    property.getter = nullptr;
    property.setter = nullptr;
}

bool Vm::deleteMember(Object* object, std::string_view name) {
    if (!object)
        return false;
    std::string k = key(name);
    if (k == "__proto__") {
        if (object->protoFlags() & kDontDelete)
            return false;
        object->setProtoValue(Value());
        return true;
    }
    Property* property = Visible(object->properties().find(k));
    if (!property || (property->flags & kDontDelete))
        return false;
    return object->properties().erase(k);
}

Value Vm::getProperty(const Value& target, std::string_view name) {
    switch (target.type()) {
    case Value::Type::Object:
        return getMember(target.asObject(), name);
    case Value::Type::String:
        if (sameName(name, "length"))
            return Value::number(static_cast<double>(target.asString().size()));
        return getMember(m_builtins.string, name);
    case Value::Type::Number:
        return getMember(m_builtins.number, name);
    case Value::Type::Boolean:
        return getMember(m_builtins.boolean, name);
    default:
        return {};
    }
}

std::vector<std::string> Vm::enumerate(Object* object) {
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    Object* holder = object;
    for (int depth = 0; holder && depth < kMaxProtoDepth; ++depth, holder = holder->proto()) {
        const auto& entries = holder->properties().entries();
        // Flash lists the newest properties first, then a clip's children.
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            bool fresh = seen.insert(key(it->name)).second;
            if (fresh && !(it->flags & kDontEnum))
                names.push_back(it->name);
        }
        std::vector<std::string> special;
        holder->specialNames(*this, special);
        for (auto& name : special)
            if (seen.insert(key(name)).second)
                names.push_back(name);
    }
    return names;
}

} // namespace vidorama::swf::avm1
