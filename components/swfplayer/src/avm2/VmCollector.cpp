// The heap's collector: marks what the machine and the player hold, and
// what that holds in turn, then frees the rest. It runs between frames,
// when no script is running, so that nothing on the C++ stack can point
// into the heap.

#include "avm2/Tracer.h"
#include "avm2/Vm.h"
#include "swf/Limits.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace vidorama::swf::avm2 {

namespace {

// Objects that may be made past twice the survivors of the last collection
// before the next one is due, so that the work stays proportional to what
// is made and a small heap is not marked every frame.
constexpr std::size_t kCollectSlack = 20000;
// Bytes of objects, strings and lists made since the last collection that
// make one due however few objects they were.
constexpr std::uint64_t kCollectBytes = Limits::kMaxScriptMemoryBytes / 8;

bool HasFrameListener(const std::vector<Listener>& list) {
    return std::any_of(list.begin(), list.end(), [](const Listener& l) {
        return l.type == "enterFrame" || l.type == "exitFrame" || l.type == "frameConstructed";
    });
}

// Debug and AddressSanitizer builds (the tests' and the fuzzers') collect
// at every chance while the heap is small, so that a reference the
// collector misses shows up in any run of scripts as a use after free; a
// large heap is collected as in release, or hostile movies would take
// minutes.
#if !defined(NDEBUG) || defined(__SANITIZE_ADDRESS__)
constexpr bool kCollectAlways = true;
#elif defined(__has_feature)
constexpr bool kCollectAlways = __has_feature(address_sanitizer);
#else
constexpr bool kCollectAlways = false;
#endif

} // namespace

// Near the limit on objects a collection is due sooner, so that a movie
// making garbage is not cut; but not after every frame of a movie that
// keeps what it makes and is cut each frame after a few new objects.
void Vm::collectIfDue() {
    std::size_t made = m_heap.size() - m_heapFigures.liveObjects;
    bool nearLimit = m_heap.size() + kCollectSlack > Limits::kMaxScriptObjects;
    if ((kCollectAlways && m_heap.size() <= kCollectSlack) ||
        made > m_heapFigures.liveObjects + kCollectSlack ||
        m_bytesMadeSinceCollect > kCollectBytes || (nearLimit && made >= kCollectSlack / 4))
        collect();
}

void Vm::collect() {
    if (m_depth != 0)
        return;
    Tracer tracer(*this);
    markRoots(tracer);
    markReachable(tracer);
    forgetUnreached();
    std::erase_if(m_heap, [](const std::unique_ptr<Object>& object) { return !object->marked; });
    for (const auto& object : m_heap)
        object->marked = false;
    HeapFigures& figures = m_heapFigures;
    figures.liveObjects = m_heap.size();
    figures.liveBytes = tracer.bytesReported();
    figures.peakObjects = std::max(figures.peakObjects, figures.liveObjects);
    figures.peakLiveBytes = std::max(figures.peakLiveBytes, figures.liveBytes);
    ++figures.collections;
    m_bytesMadeSinceCollect = 0;
    // Debug builds mark again from the roots after the sweep: an object
    // reached now that is not in the heap was freed while something still
    // held it.
    if constexpr (kCollectAlways) {
        std::unordered_set<const Object*> live;
        for (const auto& object : m_heap)
            live.insert(object.get());
        Tracer verifier(*this, live);
        for (const auto& [dispatcher, list] : listeners)
            verifier.refuseFreed(dispatcher);
        for (const Object* target : enterFrameOrder)
            verifier.refuseFreed(target);
        for (const auto& [shown, script] : displayObjects)
            verifier.refuseFreed(script);
        markRoots(verifier);
        markReachable(verifier);
        for (const auto& object : m_heap)
            object->marked = false;
    }
}

void Tracer::refuseFreed(const Object* object) const {
    if (object && !m_live->contains(object)) {
        std::fprintf(stderr, "ActionScript 3 heap: an object still referenced was freed\n");
        std::abort();
    }
}

void Vm::markRoots(Tracer& tracer) {
    for (ClassObject* cls :
         {natives.object, natives.function, natives.klass, natives.array, natives.string,
          natives.number, natives.intClass, natives.uintClass, natives.boolean, natives.error,
          natives.vector, natives.namespaceClass, natives.date, natives.regexp, eventClass,
          xml.xmlClass, xml.listClass, xml.qnameClass})
        tracer.object(cls);
    for (const auto& [alias, cls] : classAliases)
        tracer.object(cls);
    tracer.object(natives.global);
    tracer.object(stage);
    tracer.traits(m_globalTraits);
    for (const auto& rt : m_runtimes) {
        for (ClassObject* cls : rt->classes)
            tracer.object(cls);
        for (Object* global : rt->globals)
            tracer.object(global);
        for (const Traits& traits : rt->scriptTraits)
            tracer.traits(traits);
        for (const auto& [body, traits] : rt->activationTraits)
            tracer.traits(traits);
        for (const auto& [handler, traits] : rt->catchTraits)
            tracer.traits(traits);
        for (const auto& [name, cls] : rt->typeCache)
            tracer.object(cls);
    }
    for (const auto& [name, cls] : m_vectorClasses)
        tracer.value(cls);
    for (const Scheduled& call : scheduled) {
        tracer.value(call.function);
        tracer.values(call.args);
        tracer.object(call.timer);
    }
    // An object that listens for the frame's events runs scripts every
    // frame, wherever it is: it stays, so that what a movie prints does not
    // depend on when the heap is collected.
    for (Object* target : enterFrameOrder) {
        auto found = listeners.find(target);
        if (found != listeners.end() && HasFrameListener(found->second))
            tracer.object(target);
    }
    markDisplayRoots(tracer);
}

// A dispatcher keeps its listeners: they are part of it, though they are
// kept beside it.
void Vm::markReachable(Tracer& tracer) {
    while (Object* object = tracer.next()) {
        object->references(tracer);
        auto found = listeners.find(object);
        if (found == listeners.end())
            continue;
        for (const Listener& listener : found->second)
            tracer.value(listener.function);
    }
}

// The tables beside the heap forget the objects about to be freed; their
// addresses are given to new objects, which must not inherit listeners,
// display objects or Dictionary entries.
void Vm::forgetUnreached() {
    std::erase_if(listeners, [](const auto& entry) { return !entry.first->marked; });
    std::erase_if(enterFrameOrder, [](const Object* object) { return !object->marked; });
    std::erase_if(displayObjects, [](const auto& entry) {
        return !entry.second->marked || entry.second->display.expired();
    });
    for (const auto& object : m_heap)
        if (object->marked && object->kind() == Object::Kind::Dictionary)
            static_cast<DictionaryObject*>(object.get())->forgetUnusedKeys();
}

} // namespace vidorama::swf::avm2
