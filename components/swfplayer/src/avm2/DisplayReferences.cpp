// The display tree as the collector sees it: a display object's script object
// lives as long as something outside the scripts holds the display tree it
// is in, and keeps the script objects of the rest of that tree alive, since
// scripts reach them through parent and getChildAt.

#include "avm2/DisplayBinding.h"
#include "avm2/Tracer.h"
#include "player/MovieClip.h"

namespace vidorama::swf::avm2 {

namespace {

// The script object bound to a display object, or nullptr.
DisplayScriptObject* BoundScript(Vm& vm, const DisplayObject* shown) {
    auto found = vm.displayObjects.find(shown);
    if (found == vm.displayObjects.end() || found->second->display.lock().get() != shown)
        return nullptr;
    return static_cast<DisplayScriptObject*>(found->second);
}

} // namespace

void DisplayScriptObject::references(Tracer& tracer) const {
    Object::references(tracer);
    for (const auto& [frame, script] : frameScripts)
        tracer.value(script);
    tracer.object(graphics);
    auto shown = display.lock();
    if (!shown)
        return;
    Vm& vm = tracer.vm();
    for (const MovieClip* up = shown->parent(); up; up = up->parent())
        if (Object* script = BoundScript(vm, up)) {
            tracer.object(script);
            break;
        }
    std::vector<const MovieClip*> pending;
    if (const MovieClip* clip = shown->asClip())
        pending.push_back(clip);
    while (!pending.empty()) {
        const MovieClip* clip = pending.back();
        pending.pop_back();
        for (const auto& [depth, child] : clip->children()) {
            if (Object* script = BoundScript(vm, child.get()))
                tracer.object(script);
            else if (const MovieClip* inner = child->asClip())
                pending.push_back(inner);
        }
    }
}

// A tree whose top is held only by its own script object is reachable only
// through scripts; any other holder (the player for the root, the timeline
// for what it placed) makes the tree's script objects roots.
void Vm::markDisplayRoots(Tracer& tracer) {
    for (const auto& [key, script] : displayObjects) {
        auto shown = script->display.lock();
        if (!shown || shown.get() != key)
            continue;
        const DisplayObject* top = shown.get();
        while (top->parent())
            top = top->parent();
        DisplayScriptObject* topScript = BoundScript(*this, top);
        long ownedByScript = topScript && topScript->owned.get() == top ? 1 : 0;
        long heldHere = top == shown.get() ? 1 : 0;
        if (top->weak_from_this().use_count() - heldHere > ownedByScript)
            tracer.object(script);
    }
}

} // namespace vidorama::swf::avm2
