#include "avm2/Vm.h"

#include "avm2/StackTrace.h"
#include "swf/Limits.h"

namespace vidorama::swf::avm2 {

void InstallBuiltins(Vm& vm);

Vm::Vm(VmHost& host) : m_host(host) {
    natives.global = make(Object::Kind::Global, nullptr, &m_globalTraits, nullptr);
    InstallBuiltins(*this);
}

Vm::~Vm() = default;

// The heap is collected between frames only, so a frame that makes more
// objects than the live ones leave room for is cut: the objects it made
// may still be in use.
void Vm::reserveObject(std::size_t bytes) {
    if (m_heap.size() >= Limits::kMaxScriptObjects) {
        m_memoryCut = true;
        m_frameCut = true;
        throw ScriptCut{};
    }
    m_bytesMadeSinceCollect += bytes;
    ++m_heapFigures.objectsMade;
}

void Vm::beginFrame() {
    m_steps = 0;
    m_frameCut = false;
}

void Vm::spendSteps(std::uint64_t steps) {
    m_steps += steps;
    if (m_steps > Limits::kMaxScriptStepsPerFrame) {
        m_frameCut = true;
        throw ScriptCut{};
    }
}

bool Vm::runReported(const std::function<void()>& fn) {
    if (m_frameCut)
        return false;
    try {
        fn();
        return true;
    } catch (const ScriptThrow& thrown) {
        // Flash's debugger writes an uncaught error with its stack trace to
        // the log and goes on with the next script; the movie plays on.
        std::string text;
        try {
            text = StackTraceText(*this, thrown.value);
        } catch (const ScriptThrow&) {
            text = "Error";
        } catch (const ScriptCut&) {
            m_frameCut = true;
            text = "Error";
        }
        if (thrown.value.isObject() && thrown.value.object->kind() == Object::Kind::Error)
            m_host.trace(text);
        noteMissing("uncaught " + text.substr(0, text.find('\n')));
    } catch (const ScriptCut&) {
        m_frameCut = true;
    }
    return false;
}

void Vm::loadAbc(std::shared_ptr<const AbcFile> abc, bool lazy) {
    auto rt = std::make_unique<AbcRuntime>();
    AbcRuntime& runtime = *rt;
    runtime.abc = std::move(abc);
    const AbcFile& file = *runtime.abc;
    std::uint64_t privateBase = m_nextPrivateId;
    m_nextPrivateId += file.namespaces.size();
    runtime.namespaces.resize(file.namespaces.size());
    for (std::size_t i = 1; i < file.namespaces.size(); ++i) {
        const AbcNamespace& source = file.namespaces[i];
        Ns& ns = runtime.namespaces[i];
        ns.uri = file.strings[source.name];
        switch (source.kind) {
        case NamespaceKind::Private:
            ns.group = Ns::Group::Private;
            ns.privateId = privateBase + i;
            break;
        case NamespaceKind::PackageInternal:
            ns.group = Ns::Group::PackageInternal;
            break;
        case NamespaceKind::Protected:
            ns.group = Ns::Group::Protected;
            break;
        case NamespaceKind::StaticProtected:
            ns.group = Ns::Group::StaticProtected;
            break;
        default:
            ns.group = Ns::Group::Public;
            break;
        }
    }
    runtime.names.resize(file.multinames.size());
    for (std::size_t i = 1; i < file.multinames.size(); ++i) {
        const AbcMultiname& source = file.multinames[i];
        Name& name = runtime.names[i];
        name.attribute = source.attribute();
        if (source.kind == MultinameKind::TypeName)
            continue;
        if (!source.runtimeName()) {
            name.local = file.strings[source.name];
            name.anyName = source.name == 0;
        }
        if (source.kind == MultinameKind::QName || source.kind == MultinameKind::QNameA) {
            name.namespaces.push_back(runtime.namespaces[source.ns]);
            name.anyNamespace = source.ns == 0;
        } else if (source.nsSet != 0) {
            for (std::uint32_t ns : file.namespaceSets[source.nsSet])
                name.namespaces.push_back(runtime.namespaces[ns]);
        }
    }
    for (std::size_t i = 1; i < file.multinames.size(); ++i)
        if (file.multinames[i].kind == MultinameKind::TypeName)
            runtime.names[i] = typeName(runtime, std::uint32_t(i), 0);
    runtime.classes.assign(file.instances.size(), nullptr);
    runtime.globals.assign(file.scripts.size(), nullptr);
    runtime.scriptStarted.assign(file.scripts.size(), false);
    runtime.scriptTraits.resize(file.scripts.size());
    for (std::size_t i = 0; i < file.scripts.size(); ++i) {
        buildTraits(runtime, runtime.scriptTraits[i], file.scripts[i].traits, nullptr, true);
        runtime.globals[i] = make(Object::Kind::Global, natives.object, &runtime.scriptTraits[i],
                                  natives.object->prototype);
        runtime.globals[i]->sealed = false;
    }
    m_runtimes.push_back(std::move(rt));
    if (!lazy && !file.scripts.empty())
        runReported([&] { startScript(runtime, file.scripts.size() - 1); });
}

// Vector.<Vector.<int>> nests type names; a block whose type names refer to
// each other in a loop gets names without parameters past a few levels.
Name Vm::typeName(AbcRuntime& rt, std::uint32_t index, int depth) {
    const AbcMultiname& source = rt.abc->multinames[index];
    if (source.kind != MultinameKind::TypeName)
        return rt.names[index];
    if (depth > 8)
        return Name{};
    Name name = typeName(rt, source.base, depth + 1);
    for (std::uint32_t param : source.params)
        name.typeParams.push_back(typeName(rt, param, depth + 1));
    return name;
}

Name Vm::resolveName(AbcRuntime& rt, std::uint32_t index) {
    return index < rt.names.size() ? rt.names[index] : Name{};
}

void Vm::startScript(AbcRuntime& rt, std::size_t index) {
    if (rt.scriptStarted[index])
        return;
    rt.scriptStarted[index] = true;
    Object* global = rt.globals[index];
    const AbcScript& script = rt.abc->scripts[index];
    ScopeChain scope{Value(global)};
    // Functions declared at a script's top level close over its global.
    for (const AbcTrait& trait : script.traits) {
        if (trait.kind != TraitKind::Function)
            continue;
        Name name = resolveName(rt, trait.name);
        if (const Trait* slot = rt.scriptTraits[index].find(name))
            global->fields[slot->slot] =
                Value(newFunction({&rt, trait.index, nullptr}, scope, name.local));
    }
    invoke({&rt, script.init, nullptr}, Value(global), {}, scope, nullptr);
}

// The player's own definitions come first, as Flash looks in its system
// domain before the movie's: a movie's class named Error or
// flash.display.MovieClip does not replace the one the player relies on.
Object* Vm::findGlobal(const Name& name) {
    if (m_globalTraits.find(name))
        return natives.global;
    for (auto& rt : m_runtimes) {
        for (std::size_t i = 0; i < rt->globals.size(); ++i) {
            if (!rt->scriptTraits[i].find(name))
                continue;
            startScript(*rt, i);
            return rt->globals[i];
        }
    }
    return nullptr;
}

ClassObject* Vm::classByName(const Name& name) {
    Object* global = findGlobal(name);
    if (!global)
        return nullptr;
    Value value = getProperty(Value(global), name);
    if (!name.typeParams.empty() && value.isObject() && value.object == natives.vector) {
        ClassObject* element = classByName(name.typeParams[0]);
        value = vectorClass(element);
    }
    return value.isObject() && value.object->kind() == Object::Kind::Class
               ? static_cast<ClassObject*>(value.object)
               : nullptr;
}

Name Vm::qualifiedName(const std::string& qualifiedName) {
    Name name;
    std::size_t dot = qualifiedName.rfind('.');
    std::size_t colons = qualifiedName.rfind("::");
    Ns ns;
    if (colons != std::string::npos) {
        ns.uri = qualifiedName.substr(0, colons);
        name.local = qualifiedName.substr(colons + 2);
    } else if (dot != std::string::npos) {
        ns.uri = qualifiedName.substr(0, dot);
        name.local = qualifiedName.substr(dot + 1);
    } else {
        name.local = qualifiedName;
    }
    name.namespaces.push_back(ns);
    return name;
}

ClassObject* Vm::findClass(const std::string& name) {
    ClassObject* found = nullptr;
    runReported([&] { found = classByName(qualifiedName(name)); });
    return found;
}

Object* Vm::constructReported(ClassObject* cls) {
    Object* made = nullptr;
    runReported([&] {
        Value value = constructClass(cls, {});
        made = value.isObject() ? value.object : nullptr;
    });
    return made;
}

Object* Vm::newObject() {
    Object* object = make(Object::Kind::Plain, natives.object, &natives.object->instanceTraits,
                          natives.object->prototype);
    object->sealed = false;
    return object;
}

ArrayObject* Vm::newArray(std::vector<Value> elements) {
    auto* array = make<ArrayObject>(Object::Kind::Array, natives.array,
                                    &natives.array->instanceTraits, natives.array->prototype);
    array->sealed = false;
    array->elements = std::move(elements);
    return array;
}

FunctionObject* Vm::newFunction(const MethodRef& method, ScopeChain scope,
                                const std::string& name) {
    auto* fn = make<FunctionObject>(Object::Kind::Function, natives.function,
                                    &natives.function->instanceTraits, natives.function->prototype);
    fn->sealed = false;
    fn->method = method;
    fn->scope = std::move(scope);
    fn->name = name;
    return fn;
}

FunctionObject* Vm::methodClosure(const Trait& trait, const Value& receiver) {
    ScopeChain scope = trait.declarer ? trait.declarer->scope : ScopeChain{};
    FunctionObject* fn = newFunction(trait.method, std::move(scope), "");
    fn->bound = true;
    fn->boundThis = receiver;
    fn->declarer = trait.declarer;
    return fn;
}

Object* Vm::newError(const std::string& className, int code, const std::string& message) {
    Name name = Name::publicName(className);
    ClassObject* cls = classByName(name);
    // IOError, EOFError and MemoryError live in flash.errors.
    if (!cls)
        cls = classByName(qualifiedName("flash.errors." + className));
    if (!cls)
        cls = natives.error;
    Value text(code ? "Error #" + std::to_string(code) + ": " + message : message);
    Value number(code);
    Value args[] = {text, number};
    // The error that says the call stack is full is made at that depth too;
    // its constructor (the player's own) runs as if from the top, or making
    // it would need the error again.
    struct DepthReset {
        int& depth;
        int saved = depth;
        ~DepthReset() { depth = saved; }
    } reset{m_depth};
    m_depth = 0;
    Value made = constructClass(cls, args);
    return made.object;
}

void Vm::throwError(const std::string& className, int code, const std::string& message) {
    throw ScriptThrow{Value(newError(className, code, message))};
}

} // namespace vidorama::swf::avm2
