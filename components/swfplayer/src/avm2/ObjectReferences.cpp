// What each core kind of object keeps alive, for the heap's collector.

#include "avm2/ByteArrayObject.h"
#include "avm2/RegExpObject.h"
#include "avm2/Tracer.h"
#include "avm2/XmlObject.h"

namespace vidorama::swf::avm2 {

void Tracer::traits(const Traits& traits) {
    values(traits.slotDefaults);
    for (const auto& [local, entries] : traits.byName)
        for (const Trait& trait : entries)
            object(trait.declarer);
}

void Object::references(Tracer& tracer) const {
    tracer.bytes(sizeof(Object));
    tracer.object(m_cls);
    tracer.object(m_proto);
    tracer.values(fields);
    for (const auto& [name, value] : dynamic) {
        tracer.bytes(name.size());
        tracer.value(value);
    }
}

void FunctionObject::references(Tracer& tracer) const {
    Object::references(tracer);
    tracer.values(scope);
    tracer.value(boundThis);
    tracer.object(declarer);
    tracer.object(prototype);
}

void ArrayObject::references(Tracer& tracer) const {
    Object::references(tracer);
    tracer.values(elements);
    tracer.object(elementClass);
}

void BoxObject::references(Tracer& tracer) const {
    Object::references(tracer);
    tracer.value(value);
}

// Weak keys are left to forgetUnusedKeys(); the values are held either way,
// as in Flash, so a value that refers to its own key keeps the entry.
void DictionaryObject::references(Tracer& tracer) const {
    Object::references(tracer);
    if (weakKeys)
        return;
    for (const auto& [name, key] : keys)
        tracer.object(key);
}

void DictionaryObject::forgetUnusedKeys() {
    std::erase_if(keys, [this](const auto& entry) {
        const auto& [name, key] = entry;
        if (!key->marked) {
            deleteDynamic(name);
            return true;
        }
        return findDynamic(name) == nullptr;
    });
}

void ClassObject::references(Tracer& tracer) const {
    Object::references(tracer);
    tracer.object(base);
    for (ClassObject* implemented : interfaces)
        tracer.object(implemented);
    tracer.traits(instanceTraits);
    tracer.traits(staticTraits);
    tracer.object(prototype);
    tracer.values(scope);
    tracer.object(vectorOf);
}

void ByteArrayObject::references(Tracer& tracer) const {
    Object::references(tracer);
    tracer.bytes(bytes.size());
}

void RegExpObject::references(Tracer& tracer) const {
    Object::references(tracer);
    tracer.bytes(source.size());
}

// A node keeps its whole tree: scripts reach any node of it from any other
// through parent() and children().
void XmlObject::references(Tracer& tracer) const {
    Object::references(tracer);
    tracer.bytes(uri.size() + prefix.size() + local.size() + value.size());
    for (const XmlNamespace& declared : declarations)
        tracer.bytes(declared.prefix.size() + declared.uri.size());
    for (XmlObject* attribute : attributes)
        tracer.object(attribute);
    for (XmlObject* child : children)
        tracer.object(child);
    tracer.object(parent);
}

void XmlListObject::references(Tracer& tracer) const {
    Object::references(tracer);
    for (XmlObject* item : items)
        tracer.object(item);
    tracer.object(target);
}

void QNameObject::references(Tracer& tracer) const {
    Object::references(tracer);
    tracer.bytes(uri.size() + local.size());
}

void NamespaceObject::references(Tracer& tracer) const {
    Object::references(tracer);
    tracer.bytes(ns.prefix.size() + ns.uri.size());
}

} // namespace vidorama::swf::avm2
