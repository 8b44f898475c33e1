#pragma once

#include "avm1/Value.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vidorama::swf {
class DisplayObject;
}

namespace vidorama::swf::avm1 {

class Vm;
struct ScriptFunction;

enum PropertyFlag : std::uint8_t {
    kDontEnum = 1,
    kDontDelete = 2,
    kReadOnly = 4,
    // A built-in property of a later Flash version than the movie's: reads,
    // writes and deletes pass it by, though for..in still lists it.
    kVersionHidden = 8,
};

struct Property {
    std::string name; // as first written, for enumeration
    Value value;
    std::uint8_t flags = 0;
    // addProperty: calls instead of a stored value.
    Object* getter = nullptr;
    Object* setter = nullptr;
};

// An object's own properties in the order they were made. Keys are names as
// the movie's version compares them (lower case before SWF 7).
class PropertyMap {
public:
    Property* find(const std::string& key);
    const Property* find(const std::string& key) const;
    // The property of the key, made empty when it is new.
    Property& insert(const std::string& key, std::string_view name);
    bool erase(const std::string& key);
    // Removes several at once, in one pass over the rest.
    void erase(std::span<const std::string> keys);
    std::size_t size() const { return m_entries.size() - m_erasedCount; }
    // The properties in order. Reading them closes the gaps erasures left,
    // which moves the properties that find() gave.
    const std::vector<Property>& entries() const;

private:
    // Erasures only mark their entries, so that a script deleting the
    // properties of a large object one by one takes linear time, not
    // quadratic; the gaps close once they outnumber the properties, or
    // when the order is read.
    void closeGaps() const;

    mutable std::vector<Property> m_entries;
    mutable std::vector<std::string> m_keys;
    mutable std::vector<bool> m_erased;
    mutable std::size_t m_erasedCount = 0;
    mutable std::unordered_map<std::string, std::size_t> m_index;
};

// Object.watch(): a function called as (name, old value, new value, user
// data) when the property is assigned; what it returns is stored instead.
struct Watcher {
    std::string key;
    Object* callback = nullptr;
    Value userData;
    // Set while the handler runs, so that its own assignment is stored.
    bool running = false;
};

enum class ObjectKind : std::uint8_t { Plain, Function, Array, Clip, Boxed, Super };

// A script object: own properties and a prototype. Kinds with properties
// that are not stored (array elements, a clip's _x) answer them through the
// special hooks, which the virtual machine consults before the map.
class Object {
public:
    explicit Object(Object* proto) : m_proto(Value::object(proto)) {}
    virtual ~Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    virtual ObjectKind kind() const { return ObjectKind::Plain; }
    // __proto__ is an ordinary, hidden property: it may hold any value (only
    // an object makes a prototype to inherit from) and, once its flags
    // allow, be deleted.
    Object* proto() const { return m_proto.asObject(); }
    const Value& protoValue() const { return m_proto; }
    void setProto(Object* proto) { m_proto = Value::object(proto); }
    void setProtoValue(Value proto) { m_proto = std::move(proto); }
    std::vector<Watcher>& watchers() { return m_watchers; }
    std::uint8_t protoFlags() const { return m_protoFlags; }
    void setProtoFlags(std::uint8_t flags) { m_protoFlags = flags; }
    PropertyMap& properties() { return m_properties; }
    const PropertyMap& properties() const { return m_properties; }
    // The interfaces a class prototype implements (ActionImplementsOp), which
    // instanceof and casts accept as well as the prototype chain.
    std::vector<Object*>& interfaces() { return m_interfaces; }

    // A property that is not stored in the map; false when there is none.
    virtual bool getSpecial(Vm&, std::string_view, Value&) { return false; }
    // True when the object took the value itself.
    virtual bool setSpecial(Vm&, std::string_view, const Value&) { return false; }
    // Names of enumerable properties not stored in the map.
    virtual void specialNames(Vm&, std::vector<std::string>&) {}
    // Everything this object keeps alive, for the collector.
    virtual void references(std::vector<Object*>& out) const;

    bool marked = false;

private:
    Value m_proto;
    std::uint8_t m_protoFlags = kDontEnum | kDontDelete;
    PropertyMap m_properties;
    std::vector<Watcher> m_watchers;
    std::vector<Object*> m_interfaces;
};

using NativeFunction = Value (*)(Vm& vm, const Value& self, std::span<const Value> args);

// The scopes a name is looked up in, innermost last: the timeline a piece of
// code runs on (SetTarget changes it), a function's locals, and with blocks.
struct ScopeEntry {
    enum class Kind : std::uint8_t { Target, Local, With };
    Kind kind;
    Object* object;
};

// A function: native, or script code with the scope it was defined in.
class FunctionObject final : public Object {
public:
    FunctionObject(Object* proto, NativeFunction native) : Object(proto), native(native) {}
    FunctionObject(Object* proto, std::shared_ptr<const ScriptFunction> script,
                   std::vector<ScopeEntry> scope, std::weak_ptr<DisplayObject> baseClip);
    ~FunctionObject() override;
    ObjectKind kind() const override { return ObjectKind::Function; }
    void references(std::vector<Object*>& out) const override;

    NativeFunction native = nullptr;
    // Native constructors that make an object of their own kind (Array,
    // String...) rather than filling in the one NewObject made.
    NativeFunction construct = nullptr;
    std::shared_ptr<const ScriptFunction> script;
    std::vector<ScopeEntry> scope;
    std::weak_ptr<DisplayObject> baseClip;
};

// An array keeps its elements as ordinary properties named by their index,
// as Flash does, so holes, property flags and for..in order behave as with
// any other property. Only "length", a stored property too, is kept in step:
// see ArrayElements.h.
class ArrayObject final : public Object {
public:
    explicit ArrayObject(Object* proto) : Object(proto) {}
    ObjectKind kind() const override { return ObjectKind::Array; }
};

// What `super` names inside a method: the object the method runs on, seen
// from above `home`, the prototype the method was found on. Properties are
// looked up from home's prototype on; a method called through it keeps the
// object as `this`; calling it runs home's __constructor__.
class SuperObject final : public Object {
public:
    SuperObject(Object* self, Object* home) : Object(nullptr), self(self), home(home) {}
    ObjectKind kind() const override { return ObjectKind::Super; }
    void references(std::vector<Object*>& out) const override;

    Object* self;
    Object* home;
};

// A String, Number or Boolean object around its primitive value.
class BoxedObject final : public Object {
public:
    BoxedObject(Object* proto, Value primitive) : Object(proto), primitive(std::move(primitive)) {}
    ObjectKind kind() const override { return ObjectKind::Boxed; }

    Value primitive;
};

// The script side of a display object: its timeline variables live here, and
// its display properties (_x, _alpha...) and named children answer through
// the special hooks. A reference outlives its clip harmlessly.
class ClipObject final : public Object {
public:
    ClipObject(Object* proto, std::weak_ptr<DisplayObject> clip)
        : Object(proto), clip(std::move(clip)) {}
    ~ClipObject() override;
    ObjectKind kind() const override { return ObjectKind::Clip; }
    bool getSpecial(Vm& vm, std::string_view name, Value& out) override;
    bool setSpecial(Vm& vm, std::string_view name, const Value& value) override;
    void specialNames(Vm& vm, std::vector<std::string>& out) override;

    std::weak_ptr<DisplayObject> clip;
};

} // namespace vidorama::swf::avm1
