#pragma once

#include "avm2/AbcFile.h"
#include "avm2/Value.h"

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace vidorama::swf {
class DisplayObject;
}

namespace vidorama::swf::avm2 {

class Vm;
class ClassObject;
struct AbcRuntime;

// A namespace as the machine compares them: private namespaces by the block
// and index that made them, every other kind by its group and URI.
struct Ns {
    enum class Group : std::uint8_t {
        Public,
        PackageInternal,
        Protected,
        StaticProtected,
        Private
    };
    Group group = Group::Public;
    std::string uri;
    std::uint64_t privateId = 0;

    bool operator==(const Ns& other) const {
        return group == other.group &&
               (group == Group::Private ? privateId == other.privateId : uri == other.uri);
    }
    bool isPublic() const { return group == Group::Public && uri.empty(); }
};

// A name as code asks for it: a local name in one of several namespaces.
struct Name {
    std::string local;
    std::vector<Ns> namespaces;
    bool attribute = false;
    bool anyName = false;
    bool anyNamespace = false;
    // An object given as a run-time name: a Dictionary key.
    Object* keyObject = nullptr;
    // The type parameter of Vector.<T>, for names made by a TypeName.
    std::vector<Name> typeParams;

    bool hasPublic() const;
    bool matches(const Ns& ns) const;
    static Name publicName(std::string local);
};

using Args = std::span<const Value>;
// A method written in C++: receives this and the arguments.
using NativeFn = Value (*)(Vm& vm, const Value& self, Args args);

// A method to call: code in an ABC block or a native one.
struct MethodRef {
    AbcRuntime* rt = nullptr;
    std::uint32_t index = 0;
    NativeFn native = nullptr;
    explicit operator bool() const { return rt || native; }
};

// How a slot converts what is stored in it.
enum class SlotType : std::uint8_t { Any, Int, Uint, Number, Boolean, String, Object };

struct Trait {
    enum class Kind : std::uint8_t { Slot, Const, Method, Accessor };
    Ns ns;
    Kind kind = Kind::Slot;
    std::uint32_t slot = 0;
    MethodRef method, getter, setter;
    // The class whose traits declared the method: super calls start above it.
    ClassObject* declarer = nullptr;
};

// The fixed properties of a kind of object: an instance's, a class's statics,
// a script's globals or an activation's.
struct Traits {
    std::unordered_map<std::string, std::vector<Trait>> byName;
    std::vector<Value> slotDefaults;
    std::vector<SlotType> slotTypes;
    std::vector<std::string> slotTypeNames;

    const Trait* find(const Name& name) const;
    Trait* findExact(const std::string& local, const Ns& ns);
    void add(const std::string& local, Trait trait);
    std::uint32_t addSlot(Value initial, SlotType type, std::string typeName = {});
};

// Every script object. Objects live in the machine's heap, which owns them,
// and refer to each other by plain pointers.
class Object {
public:
    enum class Kind : std::uint8_t {
        Plain,
        Function,
        Class,
        Array,
        Vector,
        Boxed,
        Error,
        Date,
        RegExp,
        Dictionary,
        ByteArray,
        Namespace,
        QName,
        Xml,
        XmlList,
        Proxy,
        Activation,
        Global,
        Display,
        Event,
        Other
    };

    Object(Kind kind, ClassObject* cls, const Traits* traits, Object* proto);
    virtual ~Object() = default;

    Kind kind() const { return m_kind; }
    ClassObject* cls() const { return m_cls; }
    const Traits* traits() const { return m_traits; }
    Object* proto() const { return m_proto; }
    void setProto(Object* proto) { m_proto = proto; }
    void setClass(ClassObject* cls) { m_cls = cls; }
    void setTraits(const Traits* traits) {
        m_traits = traits;
        fields = traits->slotDefaults;
    }

    std::vector<Value> fields;
    // Dynamic properties in the order they were made.
    std::vector<std::pair<std::string, Value>> dynamic;
    bool sealed = false;
    // The display object this script object stands for, if any.
    std::weak_ptr<DisplayObject> display;

    Value* findDynamic(const std::string& name);
    void setDynamic(const std::string& name, Value value);
    bool deleteDynamic(const std::string& name);

private:
    std::unordered_map<std::string, std::size_t> m_dynamicIndex;
    Kind m_kind;
    ClassObject* m_cls;
    const Traits* m_traits;
    Object* m_proto;
};

using ScopeChain = std::vector<Value>;

class FunctionObject final : public Object {
public:
    using Object::Object;
    MethodRef method;
    ScopeChain scope;
    // A method closure keeps the object it was taken from.
    Value boundThis;
    bool bound = false;
    ClassObject* declarer = nullptr;
    std::string name;
    // The prototype given to objects made by `new f()`, made when first used.
    Object* prototype = nullptr;
};

class ArrayObject final : public Object {
public:
    using Object::Object;
    // An Array's index that was never set, or was deleted, holds a hole: it
    // reads as undefined unless the prototype has that index, and neither
    // enumeration nor hasOwnProperty sees it.
    static Value hole() {
        Value v;
        v.boolean = true;
        return v;
    }
    static bool isHole(const Value& v) { return v.isUndefined() && v.boolean; }
    bool hasElement(std::size_t i) const { return i < elements.size() && !isHole(elements[i]); }

    std::vector<Value> elements;
    // Vector.<T>: the element type, and whether the length is fixed.
    SlotType elementType = SlotType::Any;
    ClassObject* elementClass = nullptr;
    bool fixed = false;
};

// Number, String and Boolean wrappers, Date (its time value) and the others
// that keep one value.
class BoxObject final : public Object {
public:
    using Object::Object;
    Value value;
};

// flash.utils.Dictionary: the objects used as keys, by the names that stand
// for them.
class DictionaryObject final : public Object {
public:
    using Object::Object;
    std::unordered_map<std::string, Object*> keys;
};

using Allocator = Object* (*)(Vm& vm, ClassObject* cls);

class ClassObject final : public Object {
public:
    using Object::Object;
    std::string name;
    std::string packageName;
    Ns ns;
    ClassObject* base = nullptr;
    std::vector<ClassObject*> interfaces;
    Traits instanceTraits;
    Traits staticTraits;
    Object* prototype = nullptr;
    ScopeChain scope;
    MethodRef instanceInit;
    // A native class's constructor when called as a function (String(x)).
    NativeFn callAsFunction = nullptr;
    Allocator allocator = nullptr;
    bool sealedInstances = true;
    // String, Number, int, uint and Boolean: `new` makes a primitive too.
    bool primitive = false;
    bool isInterface = false;
    int depth = 0;
    // Vector.<T> classes: the element type the class was applied to.
    ClassObject* vectorOf = nullptr;
    SlotType vectorElement = SlotType::Any;

    std::string qualifiedName() const {
        return packageName.empty() ? name : packageName + "::" + name;
    }
    bool isSubclassOf(const ClassObject* other) const;
};

} // namespace vidorama::swf::avm2
