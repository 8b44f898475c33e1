#pragma once

#include "avm2/Vm.h"
#include "avm2/Xml.h"
#include "swf/Limits.h"

namespace vidorama::swf::avm2 {

// An XML value in a with scope (an E4X filter) answers attribute names even
// where the item has no such attribute, and the names of its methods.
inline bool WithScopeHas(const Value& scope, const Name& name) {
    if (!IsXmlValue(scope))
        return false;
    return name.attribute || (scope.object->traits() && scope.object->traits()->find(name));
}

// One method's run: its registers, operand stack and scope stack.
class Activation {
public:
    Activation(Vm& vm, AbcRuntime& rt, const AbcMethodBody& body, const ScopeChain& outer,
               ClassObject* declarer)
        : vm(vm), rt(rt), abc(*rt.abc), body(body), outer(outer), declarer(declarer) {}

    Vm& vm;
    AbcRuntime& rt;
    const AbcFile& abc;
    const AbcMethodBody& body;
    const ScopeChain& outer;
    ClassObject* declarer;
    std::vector<Value> locals;
    std::vector<Value> stack;
    std::vector<Value> scopes;
    std::vector<bool> withScopes;
    std::size_t pc = 0;

    // Flash refuses such code before it runs, so the method's own handlers
    // never see the error; its callers' handlers do.
    bool refused = false;
    [[noreturn]] void verifyError(int code, const std::string& detail = {},
                                  const std::string& more = {}) {
        refused = true;
        vm.throwError("VerifyError", code, ErrorMessage(code, detail, more));
    }
    std::uint8_t u8() {
        if (pc >= body.code.size())
            verifyError(1020);
        return body.code[pc++];
    }
    std::uint32_t u30() {
        std::uint32_t value = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            std::uint8_t byte = u8();
            value |= std::uint32_t(byte & 0x7f) << shift;
            if (!(byte & 0x80))
                break;
        }
        return value;
    }
    std::int32_t s24() {
        std::uint32_t value = u8();
        value |= std::uint32_t(u8()) << 8;
        value |= std::uint32_t(u8()) << 16;
        if (value & 0x800000)
            value |= 0xff000000u;
        return static_cast<std::int32_t>(value);
    }
    void jump(std::int64_t target) {
        if (target < 0 || std::size_t(target) > body.code.size())
            verifyError(1021);
        pc = std::size_t(target);
    }
    // The body's declared max_stack bounds its operand stack, as Flash's
    // verifier holds code to it.
    void push(Value v) {
        if (stack.size() >= Limits::kMaxScriptStackValues || stack.size() >= body.maxStack)
            verifyError(1023);
        stack.push_back(std::move(v));
    }
    Value pop() {
        if (stack.empty())
            verifyError(1024);
        Value v = std::move(stack.back());
        stack.pop_back();
        return v;
    }
    Value& top() {
        if (stack.empty())
            verifyError(1024);
        return stack.back();
    }
    std::vector<Value> popArgs(std::uint32_t count) {
        if (count > stack.size())
            verifyError(1024);
        std::vector<Value> args(std::make_move_iterator(stack.end() - count),
                                std::make_move_iterator(stack.end()));
        stack.resize(stack.size() - count);
        return args;
    }
    Value& local(std::uint32_t index) {
        if (index >= locals.size())
            verifyError(1025, std::to_string(index));
        return locals[index];
    }
    // An operand naming a constant: entry 0 of a constant pool stands for
    // "none", which no instruction may name.
    template <typename T> const T& constant(const std::vector<T>& entries, std::uint32_t index) {
        if (index == 0)
            verifyError(1032, "0", std::to_string(entries.size()));
        return pool(entries, index);
    }
    template <typename T> const T& pool(const std::vector<T>& entries, std::uint32_t index) {
        if (index >= entries.size())
            verifyError(1032, std::to_string(index), std::to_string(entries.size()));
        return entries[index];
    }
    // A multiname operand with its run-time parts taken from the stack.
    Name name(std::uint32_t index) {
        const AbcMultiname& source = constant(abc.multinames, index);
        Name result = rt.names[index];
        bool qualified = false;
        if (source.runtimeName()) {
            Value local = pop();
            if (local.isObject())
                result.keyObject = local.object;
            // A QName names its own namespace, whatever the code gives.
            std::string uri;
            qualified = QNameParts(local, uri, result.local);
            if (qualified) {
                result.anyNamespace = static_cast<QNameObject*>(local.object)->anyNamespace;
                result.namespaces = {Ns{Ns::Group::Public, uri, 0}};
            } else {
                result.local = vm.toString(local);
            }
        }
        if (source.runtimeNamespace()) {
            Value ns = pop();
            if (!qualified)
                result.namespaces = {Ns{Ns::Group::Public, NamespaceUri(vm, ns), 0}};
        }
        return result;
    }
    ScopeChain captureScope() const {
        ScopeChain chain = outer;
        chain.insert(chain.end(), scopes.begin(), scopes.end());
        return chain;
    }
    Value global() const {
        if (!outer.empty())
            return outer.front();
        return scopes.empty() ? Value() : scopes.front();
    }
    bool scopeHas(const Value& scope, bool with, const Name& name) {
        if (with)
            return vm.hasProperty(scope, name) || WithScopeHas(scope, name);
        if (!scope.isObject())
            return false;
        Object* object = scope.object;
        if (object->traits() && object->traits()->find(name))
            return true;
        if (object->kind() == Object::Kind::Global || object->kind() == Object::Kind::Activation)
            return name.hasPublic() && object->findDynamic(name.local);
        return false;
    }
    Value findProperty(const Name& name, bool strict) {
        for (std::size_t i = scopes.size(); i-- > 0;)
            if (scopeHas(scopes[i], withScopes[i], name))
                return scopes[i];
        for (std::size_t i = outer.size(); i-- > 0;)
            if (scopeHas(outer[i], false, name))
                return outer[i];
        if (Object* found = vm.findGlobal(name))
            return Value(found);
        if (strict) {
            std::string package = name.namespaces.empty() ? "" : name.namespaces.front().uri;
            for (const Ns& ns : name.namespaces)
                if (ns.uri.rfind("flash.", 0) == 0)
                    package = ns.uri;
            if (package.rfind("flash.", 0) == 0)
                vm.noteMissing(package + "." + name.local);
            vm.throwError("ReferenceError", 1065, ErrorMessage(1065, name.local));
        }
        return global();
    }

    Value run(const AbcMethod& method, const Value& self, Args args, FunctionObject* callee);

    void setup(const AbcMethod& method, const Value& self, Args args, FunctionObject* callee);
    bool step(const AbcMethod& method, Value& result);
    bool stepObjects(std::uint8_t op, const AbcMethod& method);
    bool stepValues(std::uint8_t op);
    bool handle(const ScriptThrow& thrown, std::size_t at);
    bool compareBranch(std::uint8_t op, const Value& a, const Value& b);
};

} // namespace vidorama::swf::avm2
