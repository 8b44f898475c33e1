#include "avm1/Vm.h"
#include "player/MovieClip.h"
#include "swf/Limits.h"

#include <unordered_set>

namespace vidorama::swf::avm1 {

namespace {

// Objects that may be made past twice the survivors of the last collection
// before the next one is due, so that a small heap is not swept every block.
constexpr std::size_t kCollectSlack = 20000;

} // namespace

void Vm::collectIfDue() {
    if (m_objects.size() > 2 * m_objectsAfterCollect + kCollectSlack ||
        m_bytesMadeSinceCollect > Limits::kMaxScriptMemoryBytes / 4 ||
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
    }
    m_objectsAfterCollect = m_objects.size();
    m_bytesMadeSinceCollect = 0;
    if (measureHeapBytes() > Limits::kMaxScriptMemoryBytes)
        m_stopped = Stop::Memory;
}

// What the live heap holds: each object and property or element at a rough
// size of its own, and the characters of every distinct string (copies of a
// value share theirs).
std::uint64_t Vm::measureHeapBytes() const {
    constexpr std::uint64_t kObjectBytes = 256;
    constexpr std::uint64_t kCellBytes = 96;
    std::unordered_set<const std::string*> seen;
    std::uint64_t bytes = m_objects.size() * kObjectBytes + m_cellsInUse * kCellBytes;
    // Short strings are counted as often as they are held, which costs less
    // than finding out whether they are shared.
    constexpr std::size_t kSharedLength = 256;
    auto count = [&](const Value& value) {
        const std::string& text = value.asString();
        if (text.size() < kSharedLength || seen.insert(&text).second)
            bytes += text.size();
    };
    for (const auto& object : m_objects) {
        for (const Property& property : object->properties().entries()) {
            bytes += 4 * property.name.size();
            count(property.value);
        }
    }
    return bytes;
}

} // namespace vidorama::swf::avm1
