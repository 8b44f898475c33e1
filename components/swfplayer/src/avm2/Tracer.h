#pragma once

#include "avm2/Object.h"

#include <cstdint>
#include <unordered_set>
#include <vector>

namespace vidorama::swf::avm2 {

// What the collector gives each object to report its references with: every
// object reported is marked once and queued for its own report, and the
// bytes the reports pass are added up as an estimate of the live heap.
class Tracer {
public:
    explicit Tracer(Vm& vm) : m_vm(vm) {}
    // A tracer that stops the program when it is given an object outside
    // live: the check that a collection freed nothing still reachable.
    Tracer(Vm& vm, const std::unordered_set<const Object*>& live) : m_vm(vm), m_live(&live) {}

    Vm& vm() const { return m_vm; }

    void object(Object* object) {
        if (m_live)
            refuseFreed(object);
        if (!object || object->marked)
            return;
        object->marked = true;
        m_pending.push_back(object);
    }
    void value(const Value& value) {
        m_bytes += sizeof(Value) + value.string.size();
        if (value.kind == Value::Kind::Object)
            object(value.object);
    }
    void values(const std::vector<Value>& values) {
        for (const Value& v : values)
            value(v);
    }
    void traits(const Traits& traits);
    void bytes(std::uint64_t count) { m_bytes += count; }

    // The next marked object whose references are still to be reported, or
    // nullptr when all are.
    Object* next() {
        if (m_pending.empty())
            return nullptr;
        Object* object = m_pending.back();
        m_pending.pop_back();
        return object;
    }
    std::uint64_t bytesReported() const { return m_bytes; }

    void refuseFreed(const Object* object) const;

private:
    Vm& m_vm;
    const std::unordered_set<const Object*>* m_live = nullptr;
    std::vector<Object*> m_pending;
    std::uint64_t m_bytes = 0;
};

} // namespace vidorama::swf::avm2
