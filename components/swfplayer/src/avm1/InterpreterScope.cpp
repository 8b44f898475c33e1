// Names, paths and targets: how the interpreter finds variables and the
// clips that timeline actions act on.

#include "avm1/ClipControl.h"
#include "avm1/Interpreter.h"
#include "player/MovieClip.h"
#include "swf/ByteReader.h"

namespace vidorama::swf::avm1 {

bool IsPath(std::string_view name) {
    return name.find_first_of(":/.") != std::string_view::npos;
}

// The innermost function activation, or the timeline when there is none:
// where DefineLocal and named functions go.
Object* Interpreter::localScope() {
    for (auto it = m_a.scope.rbegin(); it != m_a.scope.rend(); ++it)
        if (it->kind == ScopeEntry::Kind::Local)
            return it->object;
    return targetScope();
}

// The timeline the code runs on; undeclared variables are set there.
Object* Interpreter::targetScope() {
    for (auto it = m_a.scope.rbegin(); it != m_a.scope.rend(); ++it)
        if (it->kind == ScopeEntry::Kind::Target)
            return it->object;
    return m_vm.clipObject(m_vm.host().rootClip());
}

Object* Interpreter::startObject() {
    return targetScope();
}

Value Interpreter::lookupScoped(std::string_view name) {
    if (m_vm.sameName(name, "this"))
        return m_a.self;
    if (m_vm.sameName(name, "_global"))
        return Value::object(m_vm.builtins().global);
    if (m_vm.sameName(name, "_root") || m_vm.sameName(name, "_level0"))
        return Value::object(m_vm.clipObject(m_vm.host().rootClip()));
    for (auto it = m_a.scope.rbegin(); it != m_a.scope.rend(); ++it)
        if (m_vm.hasProperty(it->object, name))
            return m_vm.getMember(it->object, name);
    return m_vm.getMember(m_vm.builtins().global, name);
}

// "a.b.c" and "/a/b:c": the object that holds the member, and the member.
void Interpreter::splitPath(std::string_view name, Object*& holder, std::string_view& member) {
    std::size_t colon = name.rfind(':');
    if (colon != std::string_view::npos) {
        holder = m_vm.resolvePath(startObject(), name.substr(0, colon));
        member = name.substr(colon + 1);
        return;
    }
    std::size_t dot = name.rfind('.');
    std::size_t slash = name.rfind('/');
    if (slash != std::string_view::npos && (dot == std::string_view::npos || slash > dot)) {
        holder = nullptr;
        member = name;
        return;
    }
    std::string_view path = name.substr(0, dot);
    member = name.substr(dot + 1);
    // The first part of a dot path is a variable like any other; a scope
    // where the rest of the path leads to no object gives way to the next
    // one that holds the first part.
    std::size_t firstDot = path.find('.');
    std::string_view first = path.substr(0, firstDot);
    auto follow = [&](Object* start) {
        if (start && firstDot != std::string_view::npos)
            return m_vm.resolvePath(start, path.substr(firstDot + 1));
        return start;
    };
    for (auto it = m_a.scope.rbegin(); it != m_a.scope.rend(); ++it) {
        if (!m_vm.hasProperty(it->object, first))
            continue;
        holder = follow(m_vm.getMember(it->object, first).asObject());
        if (holder)
            return;
    }
    holder = follow(lookupScoped(first).asObject());
}

Value Interpreter::getVariable(std::string_view name) {
    if (!IsPath(name))
        return lookupScoped(name);
    Object* holder = nullptr;
    std::string_view member;
    splitPath(name, holder, member);
    if (!holder && member == name)
        return Value::object(m_vm.resolvePath(startObject(), name));
    if (!holder)
        return {};
    return member.empty() ? Value::object(holder) : m_vm.getMember(holder, member);
}

void Interpreter::setVariable(std::string_view name, const Value& value) {
    if (IsPath(name)) {
        Object* holder = nullptr;
        std::string_view member;
        splitPath(name, holder, member);
        if (holder && !member.empty())
            m_vm.setMember(holder, member, value);
        return;
    }
    for (auto it = m_a.scope.rbegin(); it != m_a.scope.rend(); ++it) {
        if (it->kind == ScopeEntry::Kind::Target)
            break;
        if (m_vm.hasProperty(it->object, name)) {
            m_vm.setMember(it->object, name, value);
            return;
        }
    }
    m_vm.setMember(targetScope(), name, value);
}

MovieClip* Interpreter::target() {
    // Inside with (clip) { ... }, gotoAndPlay() and the other timeline
    // actions go to that clip.
    if (!m_a.scope.empty() && m_a.scope.back().kind == ScopeEntry::Kind::With)
        if (MovieClip* clip = m_vm.clipOf(Value::object(m_a.scope.back().object)))
            return clip;
    if (m_a.targetLost)
        return nullptr;
    auto object = m_a.target.lock();
    if (!object || object->removed())
        return nullptr;
    return object->asClip();
}

// SetTarget changes the clip timeline actions go to and the timeline that
// names are looked up in. A target that is not found leaves actions without
// a clip, and names are then looked up on the root.
void Interpreter::setTarget(const Value& path) {
    DisplayObject* found = nullptr;
    if (path.isUndefined() || (path.isString() && path.asString().empty())) {
        auto base = m_a.baseClip.lock();
        found = base && !base->removed() ? base.get() : nullptr;
    } else if (m_vm.displayObjectOf(path)) {
        found = m_vm.displayObjectOf(path);
    } else {
        auto base = m_a.baseClip.lock();
        Object* start = base ? m_vm.clipObject(*base) : targetScope();
        found = m_vm.displayObjectOf(Value::object(m_vm.resolvePath(start, m_vm.toString(path))));
    }
    m_a.targetLost = found == nullptr;
    if (found)
        m_a.target = found->weak_from_this();
    Object* scope = m_vm.clipObject(found ? *found : m_vm.host().rootClip());
    for (auto it = m_a.scope.rbegin(); it != m_a.scope.rend(); ++it) {
        if (it->kind == ScopeEntry::Kind::Target) {
            it->object = scope;
            return;
        }
    }
}

void Interpreter::gotoFrame2(ByteReader& record) {
    std::uint8_t flags = record.u8();
    int bias = (flags & 0x02) ? record.u16() : 0;
    Value frame = pop();
    MovieClip* clip = target();
    if (!clip || record.overrun())
        return;
    bool play = (flags & 0x01) != 0;
    if (frame.isNumber() || frame.isBoolean()) {
        if (auto number = WrappedFrameNumber(m_vm.toNumber(frame)))
            GotoFrameNumber(m_vm, *clip, *number + FrameNumber(bias), play);
        return;
    }
    GotoFrameValue(m_vm, *clip, frame, play);
}

// ActionCall runs a frame's actions on the spot, without going there.
void Interpreter::callFrame(const Value& frame) {
    MovieClip* clip = target();
    if (!clip)
        return;
    MovieClip* holder = clip;
    auto number = FrameOf(m_vm, clip, frame, holder);
    if (!number || !holder || *number > holder->totalFrames())
        return;
    for (const ControlTag& tag : holder->timeline().frame(*number).tags)
        if (auto* action = std::get_if<DoAction>(&tag))
            m_vm.runNested(*holder, Code{action->code, nullptr});
}

void Interpreter::getClipProperty() {
    double index = m_vm.toNumber(pop());
    Value path = pop();
    MovieClip* clip = ClipFromTarget(m_vm, startObject(), path);
    const char* name = ClipPropertyName(index);
    if (!clip || !name) {
        push(Value());
        return;
    }
    push(m_vm.getMember(m_vm.clipObject(*clip), name));
}

void Interpreter::setClipProperty() {
    Value value = pop();
    double index = m_vm.toNumber(pop());
    Value path = pop();
    MovieClip* clip = ClipFromTarget(m_vm, startObject(), path);
    const char* name = ClipPropertyName(index);
    if (clip && name)
        m_vm.setMember(m_vm.clipObject(*clip), name, value);
}

// ------------------------------------------------------------- activations

void Vm::runBlock(MovieClip& clip, const Code& code, OnRemoved removed) {
    if (m_frameCut || (clip.removed() && removed == OnRemoved::Skip))
        return;
    m_stack.clear();
    try {
        runNested(clip, code);
    } catch (const ScriptCut&) {
        m_frameCut = true;
    } catch (const ScriptThrow& thrown) {
        reportUncaught(thrown);
    }
    m_stack.clear();
}

void Vm::runNested(MovieClip& clip, const Code& code) {
    Activation activation;
    activation.code = code;
    activation.baseClip = clip.weak_from_this();
    activation.target = activation.baseClip;
    Object* timeline = clipObject(clip);
    activation.scope.push_back({ScopeEntry::Kind::Target, timeline});
    activation.self = Value::object(timeline);
    activation.stackBase = m_stack.size();
    Interpreter(*this, activation).run();
    m_stack.resize(std::min(m_stack.size(), activation.stackBase));
}

void Vm::reportUncaught(const ScriptThrow& thrown) {
    try {
        m_host.trace("Warning: Uncaught exception, " + toString(thrown.value));
    } catch (const ScriptThrow&) {
        // A value whose toString throws is not reported.
    } catch (const ScriptCut&) {
        m_frameCut = true;
    }
}

void Vm::callClipMethod(MovieClip& clip, std::string_view name, OnRemoved removed) {
    if (m_frameCut || (clip.removed() && removed == OnRemoved::Skip) || !clip.scriptObject())
        return;
    Value method = getMember(clip.scriptObject(), name);
    if (!method.isObject() || method.asObject()->kind() != ObjectKind::Function)
        return;
    m_stack.clear();
    try {
        call(method, Value::object(clip.scriptObject()), {});
    } catch (const ScriptCut&) {
        m_frameCut = true;
    } catch (const ScriptThrow& thrown) {
        reportUncaught(thrown);
    }
    m_stack.clear();
}

Value Vm::runFunction(FunctionObject& function, const Value& self, std::span<const Value> args,
                      Object* home) {
    const ScriptFunction& script = *function.script;
    Activation activation;
    activation.code = script.body;
    activation.pool = script.pool;
    activation.scope = function.scope;
    activation.baseClip = function.baseClip;
    activation.target = function.baseClip;
    activation.self = self;
    activation.inFunction = true;
    activation.stackBase = m_stack.size();
    activation.registers.assign(
        script.isFunction2 ? std::max<std::size_t>(script.registerCount, 1) : 4, Value());
    if (m_version < 6) {
        // SWF 5 functions close over nothing: they run on the clip they are
        // called on, or else on the timeline of the code calling them.
        DisplayObject* on = displayObjectOf(self);
        activation.scope.clear();
        activation.baseClip = on          ? on->weak_from_this()
                              : m_running ? m_running->target
                                          : std::weak_ptr<DisplayObject>();
        activation.target = activation.baseClip;
    }
    Object* locals = make<Object>(nullptr);
    activation.scope.push_back({ScopeEntry::Kind::Local, locals});
    // The timeline a function runs on is the one it was defined on.
    bool hasTarget = false;
    for (const ScopeEntry& entry : activation.scope)
        hasTarget = hasTarget || entry.kind == ScopeEntry::Kind::Target;
    if (!hasTarget)
        if (auto base = activation.baseClip.lock())
            activation.scope.insert(activation.scope.begin(),
                                    {ScopeEntry::Kind::Target, clipObject(*base)});

    ArrayObject* arguments = newArray(std::vector<Value>(args.begin(), args.end()));
    defineValue(arguments, "callee", Value::object(&function), kDontEnum);
    std::uint16_t flags = script.isFunction2 ? script.flags : 0;
    std::size_t reg = 1;
    auto preload = [&](std::uint16_t flag, const Value& value) {
        if ((flags & flag) && reg < activation.registers.size())
            activation.registers[reg++] = value;
    };
    preload(ScriptFunction::kPreloadThis, self);
    preload(ScriptFunction::kPreloadArguments, Value::object(arguments));
    Object* super = nullptr;
    if (!(flags & ScriptFunction::kSuppressSuper) && self.asObject()) {
        Object* superHome = home ? home : self.asObject()->proto();
        if (superHome)
            super = make<SuperObject>(self.asObject(), superHome);
    }
    preload(ScriptFunction::kPreloadSuper, Value::object(super));
    preload(ScriptFunction::kPreloadRoot, Value::object(clipObject(m_host.rootClip())));
    if (flags & ScriptFunction::kPreloadParent) {
        auto base = function.baseClip.lock();
        MovieClip* parent = base ? base->parent() : nullptr;
        preload(ScriptFunction::kPreloadParent,
                parent ? Value::object(clipObject(*parent)) : Value());
    }
    preload(ScriptFunction::kPreloadGlobal, Value::object(m_builtins.global));
    if (!(flags & ScriptFunction::kSuppressArguments))
        defineValue(locals, "arguments", Value::object(arguments));
    // Calls written super(...) name it as a variable even where it is
    // preloaded into a register.
    if (super)
        defineValue(locals, "super", Value::object(super));
    for (std::size_t i = 0; i < script.parameters.size(); ++i) {
        const auto& parameter = script.parameters[i];
        Value value = i < args.size() ? args[i] : Value();
        if (parameter.reg != 0 && parameter.reg < activation.registers.size())
            activation.registers[parameter.reg] = value;
        else
            defineValue(locals, parameter.name, value);
    }
    Value result = Interpreter(*this, activation).run();
    m_stack.resize(std::min(m_stack.size(), activation.stackBase));
    return result;
}

} // namespace vidorama::swf::avm1
