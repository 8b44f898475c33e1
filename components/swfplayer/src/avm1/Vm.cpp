#include "avm1/Vm.h"

#include "avm1/TextFieldProperties.h"
#include "player/MovieClip.h"
#include "swf/Limits.h"

namespace vidorama::swf::avm1 {

Vm::Vm(ScriptHost& host, int swfVersion) : m_host(host), m_version(swfVersion) {
    InstallBuiltins(*this, m_builtins);
    m_objectsAfterCollect = m_objects.size();
}

Vm::~Vm() = default;

Object* Vm::newObject() {
    return make<Object>(m_builtins.object);
}

ArrayObject* Vm::newArray(std::vector<Value> elements) {
    auto* array = make<ArrayObject>(m_builtins.array);
    for (std::size_t i = 0; i < elements.size(); ++i)
        defineValue(array, std::to_string(i), elements[i]);
    defineValue(array, "length", Value::number(double(elements.size())), kDontEnum | kDontDelete);
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
    defineValue(constructor, "prototype", Value::object(proto), kDontEnum | kDontDelete);
    defineValue(proto, "constructor", Value::object(constructor), kDontEnum);
    return proto;
}

ClipObject* Vm::clipObject(DisplayObject& object) {
    if (object.scriptObject())
        return object.scriptObject();
    Object* proto = TextFieldOf(object)                              ? m_builtins.textField
                    : object.asClip() && object.asClip()->isButton() ? m_builtins.button
                                                                     : m_builtins.movieClip;
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

} // namespace vidorama::swf::avm1
