// Method names as Flash's debugger prints them in stack traces.

#include "avm2/StackTrace.h"

#include "avm2/ErrorObject.h"
#include "avm2/Tracer.h"
#include "avm2/Vm.h"

namespace vidorama::swf::avm2 {

namespace {

// A class as "pkg::Name", or just "Name" in the top-level package.
std::string ClassLabel(const Name& name) {
    if (name.namespaces.empty())
        return name.local;
    const Ns& ns = name.namespaces[0];
    bool inPackage = ns.group == Ns::Group::Public || ns.group == Ns::Group::PackageInternal;
    return inPackage && !ns.uri.empty() ? ns.uri + "::" + name.local : name.local;
}

// A trait's name: only a namespace of the user's own (or AS3's) shows.
std::string TraitLabel(const Name& name) {
    if (!name.namespaces.empty()) {
        const Ns& ns = name.namespaces[0];
        if (ns.group == Ns::Group::Public && !ns.uri.empty())
            return ns.uri + "::" + name.local;
    }
    return name.local;
}

void NameOnce(std::vector<std::string>& names, std::uint32_t index, std::string name) {
    if (index < names.size() && names[index].empty())
        names[index] = std::move(name);
}

// Methods, getters and setters of one set of traits, under owner ("Cls" for
// instances, "Cls$" for statics, "global" for scripts).
void NameTraits(const AbcRuntime& rt, std::vector<std::string>& names,
                const std::vector<AbcTrait>& traits, const std::string& owner) {
    for (const AbcTrait& trait : traits) {
        if (trait.name >= rt.names.size())
            continue;
        std::string label = TraitLabel(rt.names[trait.name]);
        switch (trait.kind) {
        case TraitKind::Method:
            NameOnce(names, trait.index, owner + "/" + label);
            break;
        case TraitKind::Getter:
            NameOnce(names, trait.index, owner + "/get " + label);
            break;
        case TraitKind::Setter:
            NameOnce(names, trait.index, owner + "/set " + label);
            break;
        default:
            break;
        }
    }
}

void NameMethods(AbcRuntime& rt) {
    const AbcFile& abc = *rt.abc;
    std::vector<std::string>& names = rt.methodNames;
    names.assign(abc.methods.size(), {});
    for (std::size_t i = 0; i < abc.instances.size() && i < abc.classes.size(); ++i) {
        const AbcInstance& instance = abc.instances[i];
        std::string cls = instance.name < rt.names.size() ? ClassLabel(rt.names[instance.name])
                                                          : std::string("<anonymous>");
        NameOnce(names, instance.init, cls);
        NameOnce(names, abc.classes[i].init, cls + "$cinit");
        NameTraits(rt, names, instance.traits, cls);
        NameTraits(rt, names, abc.classes[i].traits, cls + "$");
    }
    for (const AbcScript& script : abc.scripts) {
        NameOnce(names, script.init, "global$init");
        NameTraits(rt, names, script.traits, "global");
    }
}

} // namespace

std::string MethodDisplayName(AbcRuntime& rt, std::uint32_t methodIndex) {
    if (rt.methodNames.size() != rt.abc->methods.size())
        NameMethods(rt);
    if (methodIndex < rt.methodNames.size() && !rt.methodNames[methodIndex].empty())
        return rt.methodNames[methodIndex];
    return "MethodInfo-" + std::to_string(methodIndex);
}

std::string StackTraceText(Vm& vm, const Value& error) {
    std::string text = vm.toString(error);
    if (!error.isObject() || error.object->kind() != Object::Kind::Error)
        return text;
    const std::vector<MethodRef>& stack = static_cast<ErrorObject*>(error.object)->stack;
    for (auto frame = stack.rbegin(); frame != stack.rend(); ++frame)
        if (frame->rt)
            text += "\n\tat " + MethodDisplayName(*frame->rt, frame->index) + "()";
    return text;
}

void ErrorObject::references(Tracer& tracer) const {
    Object::references(tracer);
    tracer.bytes(stack.size() * sizeof(MethodRef));
}

} // namespace vidorama::swf::avm2
