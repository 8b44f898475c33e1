#include "avm1/Vm.h"

#include "avm1/Activation.h"
#include "avm1/NumberText.h"
#include "player/MovieClip.h"
#include "swf/Limits.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace vidorama::swf::avm1 {

namespace {

// Prototype chains are followed at most this far, so that a cycle made by
// assigning __proto__ cannot loop.
constexpr int kMaxProtoDepth = 256;
constexpr std::size_t kCollectSlack = 20000;

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

} // namespace

Vm::Vm(ScriptHost& host, int swfVersion) : m_host(host), m_version(swfVersion) {
    InstallBuiltins(*this, m_builtins);
    m_objectsAfterCollect = m_objects.size();
}

Vm::~Vm() = default;

void Vm::beginFrame() {
    m_stepsThisFrame = 0;
    m_stringBytesThisFrame = 0;
    m_namesSearchedThisFrame = 0;
    m_frameCut = false;
}

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

void Vm::step() {
    if (++m_stepsThisFrame > Limits::kMaxScriptStepsPerFrame) {
        m_frameCut = true;
        throw ScriptCut{};
    }
}

void Vm::chargeNameSearch(std::size_t names) {
    m_namesSearchedThisFrame += names;
    if (m_namesSearchedThisFrame > Limits::kMaxNamesSearchedPerFrame) {
        m_frameCut = true;
        throw ScriptCut{};
    }
}

void Vm::chargeString(std::size_t bytes) {
    m_stringBytesThisFrame += bytes;
    if (bytes > Limits::kMaxScriptStringBytes ||
        m_stringBytesThisFrame > Limits::kMaxScriptStringBytesPerFrame) {
        m_frameCut = true;
        throw ScriptCut{};
    }
}

void Vm::resizeArray(ArrayObject& array, std::size_t size) {
    if (size > array.elements.size()) {
        m_cellsInUse += size - array.elements.size();
        if (m_cellsInUse > Limits::kMaxScriptCells) {
            m_frameCut = true;
            throw ScriptCut{};
        }
    }
    array.elements.resize(size);
}

void Vm::push(Value value) {
    if (m_stack.size() >= Limits::kMaxScriptStackValues) {
        m_frameCut = true;
        throw ScriptCut{};
    }
    m_stack.push_back(std::move(value));
}

void Vm::reserveObject() {
    if (m_objects.size() >= Limits::kMaxScriptObjects) {
        m_frameCut = true;
        throw ScriptCut{};
    }
}

// ---------------------------------------------------------------- properties

Value Vm::getMember(Object* object, std::string_view name) {
    if (!object)
        return {};
    std::string k = key(name);
    if (k == "__proto__")
        return object->protoValue();
    Object* holder = object;
    for (int depth = 0; holder && depth < kMaxProtoDepth; ++depth, holder = holder->proto()) {
        if (Property* property = holder->properties().find(k)) {
            if (property->getter)
                return call(Value::object(property->getter), Value::object(object), {});
            return property->value;
        }
        Value special;
        if (holder->getSpecial(*this, name, special))
            return special;
    }
    return {};
}

bool Vm::hasProperty(Object* object, std::string_view name) {
    std::string k = key(name);
    Object* holder = object;
    for (int depth = 0; holder && depth < kMaxProtoDepth; ++depth, holder = holder->proto()) {
        Value special;
        if (holder->properties().find(k) || holder->getSpecial(*this, name, special))
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
    Value args[] = {Value::string(std::string(name)), old, value, watcher->userData};
    Value stored = call(Value::object(watcher->callback), Value::object(object), args);
    if ((watcher = watcherOf()))
        watcher->running = false;
    storeMember(object, name, stored);
}

void Vm::storeMember(Object* object, std::string_view name, const Value& value) {
    std::string k = key(name);
    if (k == "__proto__") {
        if (!(object->protoFlags() & kReadOnly))
            object->setProtoValue(value);
        return;
    }
    if (Property* property = object->properties().find(k)) {
        if (property->setter)
            call(Value::object(property->setter), Value::object(object), std::span(&value, 1));
        else if (!(property->flags & kReadOnly) && !property->getter)
            property->value = value;
        return;
    }
    // A property made by addProperty on a prototype is set through it.
    Object* holder = object->proto();
    for (int depth = 0; holder && depth < kMaxProtoDepth; ++depth, holder = holder->proto()) {
        Property* property = holder->properties().find(k);
        if (property && property->setter) {
            call(Value::object(property->setter), Value::object(object), std::span(&value, 1));
            return;
        }
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
    if (!object->properties().find(k) && ++m_cellsInUse > Limits::kMaxScriptCells) {
        m_frameCut = true;
        throw ScriptCut{};
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
    Property* property = object->properties().find(k);
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
        std::vector<std::string> special;
        holder->specialNames(*this, special);
        for (auto& name : special)
            if (seen.insert(key(name)).second)
                names.push_back(name);
        const auto& entries = holder->properties().entries();
        // Flash lists the newest properties first.
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            bool fresh = seen.insert(key(it->name)).second;
            if (fresh && !(it->flags & kDontEnum))
                names.push_back(it->name);
        }
    }
    return names;
}

// --------------------------------------------------------------- conversions

double Vm::toNumber(const Value& value) {
    switch (value.type()) {
    case Value::Type::Undefined:
    case Value::Type::Null:
        return m_version >= 7 ? std::nan("") : 0;
    case Value::Type::Boolean:
        return value.asBoolean() ? 1 : 0;
    case Value::Type::Number:
        return value.asNumber();
    case Value::Type::String:
        return StringToNumber(value.asString(), m_version);
    case Value::Type::Object: {
        Value primitive = toPrimitive(value);
        return primitive.isObject() ? std::nan("") : toNumber(primitive);
    }
    }
    return 0;
}

std::string Vm::toString(const Value& value) {
    switch (value.type()) {
    case Value::Type::Undefined:
        return m_version >= 7 ? "undefined" : "";
    case Value::Type::Null:
        return "null";
    case Value::Type::Boolean:
        return value.asBoolean() ? "true" : "false";
    case Value::Type::Number:
        return NumberToString(value.asNumber());
    case Value::Type::String:
        return value.asString();
    case Value::Type::Object: {
        if (const DisplayObject* clip = displayObjectOf(value))
            return targetPath(*clip);
        // Only toString is asked; without one that gives a primitive, Flash
        // names the type.
        Value function = getMember(value.asObject(), "toString");
        if (function.isObject() && function.asObject()->kind() == ObjectKind::Function) {
            Value text = call(function, value, {});
            if (!text.isObject())
                return toString(text);
        }
        return value.asObject()->kind() == ObjectKind::Function ? "[type Function]"
                                                                : "[type Object]";
    }
    }
    return {};
}

bool Vm::toBoolean(const Value& value) const {
    switch (value.type()) {
    case Value::Type::Boolean:
        return value.asBoolean();
    case Value::Type::Number:
        return value.asNumber() != 0 && !std::isnan(value.asNumber());
    case Value::Type::String: {
        if (m_version >= 7)
            return !value.asString().empty();
        double n = StringToNumber(value.asString(), m_version);
        return n != 0 && !std::isnan(n);
    }
    case Value::Type::Object:
        return true;
    default:
        return false;
    }
}

Value Vm::toPrimitive(const Value& value, bool preferString) {
    if (!value.isObject())
        return value;
    const char* order[2] = {"valueOf", "toString"};
    if (preferString)
        std::swap(order[0], order[1]);
    bool callable = false;
    for (const char* method : order) {
        Value function = getMember(value.asObject(), method);
        if (function.isObject() && function.asObject()->kind() == ObjectKind::Function) {
            callable = true;
            Value result = call(function, value, {});
            if (!result.isObject() || displayObjectOf(result))
                return result;
        }
    }
    // An object with neither method (one without a prototype) is undefined
    // to the operators.
    return callable ? value : Value();
}

Value Vm::valueOf(const Value& value) {
    if (!value.isObject())
        return value;
    Value function = getMember(value.asObject(), "valueOf");
    if (function.isObject() && function.asObject()->kind() == ObjectKind::Function)
        return call(function, value, {});
    return {};
}

Object* Vm::toObject(const Value& value) {
    switch (value.type()) {
    case Value::Type::Object:
        return value.asObject();
    case Value::Type::String: {
        // A String object's length is its own property, hidden from for..in,
        // which scripts may set and delete.
        Object* boxed = make<BoxedObject>(m_builtins.string, value);
        defineValue(boxed, "length", Value::number(static_cast<double>(value.asString().size())),
                    kDontEnum);
        return boxed;
    }
    case Value::Type::Number:
        return make<BoxedObject>(m_builtins.number, value);
    case Value::Type::Boolean:
        return make<BoxedObject>(m_builtins.boolean, value);
    default:
        return nullptr;
    }
}

std::string Vm::typeOf(const Value& value) const {
    switch (value.type()) {
    case Value::Type::Undefined:
        return "undefined";
    case Value::Type::Null:
        return "null";
    case Value::Type::Boolean:
        return "boolean";
    case Value::Type::Number:
        return "number";
    case Value::Type::String:
        return "string";
    case Value::Type::Object:
        if (value.asObject()->kind() == ObjectKind::Function)
            return "function";
        if (clipOf(value))
            return "movieclip";
        return "object";
    }
    return "undefined";
}

bool Vm::strictlyEqual(const Value& a, const Value& b) {
    if (a.type() != b.type())
        return false;
    switch (a.type()) {
    case Value::Type::Undefined:
    case Value::Type::Null:
        return true;
    case Value::Type::Boolean:
        return a.asBoolean() == b.asBoolean();
    case Value::Type::Number:
        // Flash's equality holds NaN equal to itself.
        return a.asNumber() == b.asNumber() ||
               (std::isnan(a.asNumber()) && std::isnan(b.asNumber()));
    case Value::Type::String:
        return a.asString() == b.asString();
    case Value::Type::Object:
        return a.asObject() == b.asObject();
    }
    return false;
}

bool Vm::looselyEqual(const Value& a, const Value& b) {
    if (a.type() == b.type())
        return strictlyEqual(a, b);
    if (a.isNullish() && b.isNullish())
        return true;
    // An object whose valueOf gives undefined or null equals them.
    if (a.isObject() && b.isNullish())
        return valueOf(a).isNullish();
    if (b.isObject() && a.isNullish())
        return valueOf(b).isNullish();
    if (a.isNullish() || b.isNullish())
        return false;
    if (a.isObject() && b.isObject())
        return false;
    if (a.isObject())
        return !toPrimitive(a).isObject() && looselyEqual(toPrimitive(a), b);
    if (b.isObject())
        return !toPrimitive(b).isObject() && looselyEqual(a, toPrimitive(b));
    if (a.isString() && b.isString())
        return a.asString() == b.asString();
    return strictlyEqual(Value::number(toNumber(a)), Value::number(toNumber(b)));
}

// --------------------------------------------------------------------- calls

Value Vm::call(const Value& function, const Value& self, std::span<const Value> args) {
    auto* fn = dynamic_cast<FunctionObject*>(function.asObject());
    if (!fn)
        return {};
    if (m_callDepth >= Limits::kMaxScriptCallDepth) {
        m_frameCut = true;
        throw ScriptCut{};
    }
    ++m_callDepth;
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{m_callDepth};
    if (fn->native)
        return fn->native(*this, self, args);
    if (fn->script)
        return runFunction(*fn, self, args);
    return {};
}

Value Vm::callMethod(const Value& target, std::string_view name, std::span<const Value> args) {
    return call(getProperty(target, name), target, args);
}

Value Vm::construct(const Value& constructor, std::span<const Value> args) {
    auto* fn = dynamic_cast<FunctionObject*>(constructor.asObject());
    if (!fn)
        return {};
    if (fn->construct)
        return fn->construct(*this, Value(), args);
    Object* object = newObject();
    Value proto = getMember(fn, "prototype");
    object->setProto(proto.asObject());
    defineValue(object, "__constructor__", constructor, kDontEnum);
    if (m_version < 7)
        defineValue(object, "constructor", constructor, kDontEnum);
    call(constructor, Value::object(object), args);
    return Value::object(object);
}

// ------------------------------------------------------------------- objects

Object* Vm::newObject() {
    return make<Object>(m_builtins.object);
}

ArrayObject* Vm::newArray(std::vector<Value> elements) {
    auto* array = make<ArrayObject>(m_builtins.array);
    resizeArray(*array, elements.size());
    array->elements = std::move(elements);
    return array;
}

FunctionObject* Vm::newNative(NativeFunction native, NativeFunction construct) {
    auto* function = make<FunctionObject>(m_builtins.function, native);
    function->construct = construct;
    return function;
}

FunctionObject* Vm::newScriptFunction(std::shared_ptr<const ScriptFunction> function,
                                      std::vector<ScopeEntry> scope,
                                      std::weak_ptr<DisplayObject> baseClip) {
    auto* object = make<FunctionObject>(m_builtins.function, std::move(function), std::move(scope),
                                        std::move(baseClip));
    linkPrototype(object);
    return object;
}

Object* Vm::linkPrototype(FunctionObject* constructor, Object* proto) {
    if (!proto)
        proto = newObject();
    defineValue(constructor, "prototype", Value::object(proto), kDontEnum);
    defineValue(proto, "constructor", Value::object(constructor), kDontEnum);
    return proto;
}

ClipObject* Vm::clipObject(DisplayObject& object) {
    if (object.scriptObject())
        return object.scriptObject();
    Object* proto =
        object.asClip() && object.asClip()->isButton() ? m_builtins.button : m_builtins.movieClip;
    auto* clip = make<ClipObject>(proto, object.weak_from_this());
    object.setScriptObject(clip);
    return clip;
}

DisplayObject* Vm::displayObjectOf(const Value& value) const {
    auto* clip = dynamic_cast<ClipObject*>(value.asObject());
    if (!clip)
        return nullptr;
    auto object = clip->clip.lock();
    return object && !object->removed() ? object.get() : nullptr;
}

MovieClip* Vm::clipOf(const Value& value) const {
    DisplayObject* object = displayObjectOf(value);
    return object ? object->asClip() : nullptr;
}

std::string Vm::targetPath(const DisplayObject& object) const {
    std::vector<const DisplayObject*> chain;
    for (const DisplayObject* at = &object; at && at->parent(); at = at->parent())
        chain.push_back(at);
    std::string path = "_level0";
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        path += "." + (*it)->properties().name;
    return path;
}

Object* Vm::resolvePath(Object* start, std::string_view path) {
    Object* at = start;
    std::size_t begin = 0;
    if (!path.empty() && path.front() == '/') {
        at = clipObject(m_host.rootClip());
        begin = 1;
    }
    bool slashes = path.find('/') != std::string_view::npos;
    char separator = slashes ? '/' : '.';
    int segments = 0;
    while (at && begin < path.size()) {
        if (++segments > 256)
            return nullptr;
        std::size_t end = path.find(separator, begin);
        if (end == std::string_view::npos)
            end = path.size();
        std::string_view part = path.substr(begin, end - begin);
        begin = end + 1;
        if (part.empty() || part == "." || sameName(part, "this"))
            continue;
        if (part == "..") {
            DisplayObject* object = displayObjectOf(Value::object(at));
            at = object && object->parent() ? clipObject(*object->parent()) : nullptr;
            continue;
        }
        at = getMember(at, part).asObject();
    }
    return at;
}

// --------------------------------------------------------- garbage collector

void Vm::collectIfDue() {
    if (m_objects.size() > 2 * m_objectsAfterCollect + kCollectSlack ||
        m_objects.size() + kCollectSlack > Limits::kMaxScriptObjects ||
        m_cellsInUse > Limits::kMaxScriptCells / 2)
        collect();
}

void Vm::markFrom(std::vector<Object*>& pending) {
    while (!pending.empty()) {
        Object* object = pending.back();
        pending.pop_back();
        if (!object || object->marked)
            continue;
        object->marked = true;
        object->references(pending);
    }
}

void Vm::collect() {
    std::vector<Object*> pending{m_builtins.global,  m_builtins.object,    m_builtins.function,
                                 m_builtins.array,   m_builtins.string,    m_builtins.number,
                                 m_builtins.boolean, m_builtins.movieClip, m_builtins.button,
                                 m_builtins.color,   m_builtins.sound};
    for (const Value& value : m_stack)
        pending.push_back(value.asObject());
    std::vector<const MovieClip*> clips{&m_host.rootClip()};
    pending.push_back(m_host.rootClip().scriptObject());
    while (!clips.empty()) {
        const MovieClip* clip = clips.back();
        clips.pop_back();
        for (const auto& [depth, child] : clip->children()) {
            pending.push_back(child->scriptObject());
            if (const MovieClip* childClip = child->asClip())
                clips.push_back(childClip);
        }
    }
    for (const Timer& timer : m_timers) {
        pending.push_back(timer.object.asObject());
        pending.push_back(timer.function.asObject());
        for (const Value& arg : timer.args)
            pending.push_back(arg.asObject());
    }
    for (const SoundEnd& end : m_soundEnds)
        pending.push_back(end.sound);
    markFrom(pending);
    std::erase_if(m_objects, [](const std::unique_ptr<Object>& object) { return !object->marked; });
    m_cellsInUse = 0;
    for (const auto& object : m_objects) {
        object->marked = false;
        m_cellsInUse += object->properties().size();
        if (auto* array = dynamic_cast<ArrayObject*>(object.get()))
            m_cellsInUse += array->elements.size();
    }
    m_objectsAfterCollect = m_objects.size();
}

} // namespace vidorama::swf::avm1
