#include "avm2/DisplayBinding.h"

#include "player/MovieClip.h"
#include "text/TextDef.h"

#include <cmath>

namespace vidorama::swf::avm2 {

DisplayObject& DisplayOf(Vm& vm, const Value& self) {
    if (self.isObject())
        if (auto display = self.object->display.lock())
            return *display;
    vm.throwError("TypeError", 1009, ErrorMessage(1009));
}

DisplayObject& TransformedBy(Vm& vm, const Value& self) {
    DisplayObject& object = DisplayOf(vm, self);
    object.setTransformedByScript();
    return object;
}

MovieClip* ClipOf(Vm& vm, const Value& self) {
    return DisplayOf(vm, self).asClip();
}

void ScaleExtent(DisplayObject& object, bool horizontal, double wanted, double now) {
    if (!std::isfinite(wanted) || wanted < 0 || !(now > 0))
        return;
    Matrix& m = object.properties().matrix;
    const double k = wanted / now;
    if (horizontal) {
        m.a *= k;
        m.b *= k;
    } else {
        m.c *= k;
        m.d *= k;
    }
}

// The script object is the display object as far as scripts are concerned:
// one taken off the display list lives on while a script holds it, and the
// collector frees both together.
void Bind(Vm& vm, DisplayScriptObject* script, const std::shared_ptr<DisplayObject>& object) {
    // The script object keeps its display object, as in Flash, also once
    // the timeline took it off its list.
    script->display = object;
    script->owned = object;
    vm.displayObjects[object.get()] = script;
}

// The root sits on the stage, and whatever is inside it.
bool OnStage(Vm& vm, DisplayObject& object) {
    const DisplayObject* top = &object;
    while (top->parent())
        top = top->parent();
    return top == &vm.host().rootClip();
}

MovieClip& ContainerOf(Vm& vm, const Value& self) {
    // The stage's children are the root's company; they are kept in the root.
    if (self.isObject() && self.object == vm.stage)
        return vm.host().rootClip();
    MovieClip* clip = ClipOf(vm, self);
    if (!clip)
        vm.throwError(
            "TypeError", 1034,
            ErrorMessage(1034, vm.describe(self), "flash.display.DisplayObjectContainer"));
    return *clip;
}

ClassObject* FlashClass(Vm& vm, const char* package, const char* name) {
    Name n;
    n.local = name;
    n.namespaces.push_back(Ns{Ns::Group::Public, package, 0});
    return vm.classByName(n);
}

void NameInstance(Vm& vm, DisplayObject& object) {
    if (object.properties().name.empty() && &object != &vm.host().rootClip())
        object.properties().name = vm.host().timelineHost().defaultInstanceName(object);
}

namespace {

const char* BuiltinClassName(const DisplayObject& object) {
    if (const MovieClip* clip = object.asClip())
        return clip->isButton() ? "SimpleButton" : "MovieClip";
    switch (object.character().kind()) {
    case CharacterDef::Kind::MorphShape:
        return "MorphShape";
    case CharacterDef::Kind::Video:
        return "Video";
    default:
        return "Shape";
    }
}

bool TextFieldOf(const DisplayObject& object) {
    return static_cast<const TextDef&>(object.character()).data().field != nullptr;
}

} // namespace

Value ScriptObjectOf(Vm& vm, DisplayObject* object) {
    if (!object)
        return Value::null();
    if (Object* bound = BoundScriptObject(vm, *object))
        return Value(bound);
    // What a timeline placed has no script side until the frame's
    // construction reaches it; until then scripts find nothing there.
    if (!object->scriptConstructed() && !object->createdByScript() && object->placeFrame() > 0)
        return Value::null();
    // Objects the timeline placed get an object of the built-in class that
    // fits them when a script first reaches them.
    ClassObject* cls = FlashClass(vm, "flash.display", BuiltinClassName(*object));
    if (object->character().kind() == CharacterDef::Kind::Text)
        cls = FlashClass(vm, "flash.text", TextFieldOf(*object) ? "TextField" : "StaticText");
    if (!cls)
        return Value::null();
    auto* script = static_cast<DisplayScriptObject*>(cls->allocator(vm, cls));
    Bind(vm, script, object->shared_from_this());
    return Value(script);
}

Object* BoundScriptObject(Vm& vm, const DisplayObject& object) {
    auto found = vm.displayObjects.find(&object);
    if (found == vm.displayObjects.end() || found->second->display.lock().get() != &object)
        return nullptr;
    return found->second;
}

bool Listened(Vm& vm, const std::string& type) {
    for (const auto& [target, list] : vm.listeners)
        for (const Listener& l : list)
            if (l.type == type)
                return true;
    return false;
}

namespace {

// The stage events go to the object and then to every descendant; they do
// not bubble.
void DispatchToSubtree(Vm& vm, DisplayObject& object, const char* type) {
    if (Object* script = BoundScriptObject(vm, object))
        DispatchSimple(vm, script, type);
    MovieClip* clip = object.asClip();
    if (!clip)
        return;
    std::vector<std::shared_ptr<DisplayObject>> children;
    for (const auto& [depth, child] : clip->children())
        children.push_back(child);
    for (const auto& child : children)
        DispatchToSubtree(vm, *child, type);
}

// A bubbling event reaches the containers above an object that has no
// script object yet, so one is made when someone listens.
void DispatchBubbling(Vm& vm, DisplayObject& object, const char* type) {
    Object* script = BoundScriptObject(vm, object);
    if (!script && Listened(vm, type)) {
        Value made = ScriptObjectOf(vm, &object);
        script = made.isObject() ? made.object : nullptr;
    }
    if (script)
        DispatchSimple(vm, script, type);
}

} // namespace

void AnnounceAdded(Vm& vm, DisplayObject& object, AddedReach reach) {
    DispatchBubbling(vm, object, "added");
    if (!OnStage(vm, object))
        return;
    if (reach == AddedReach::Subtree)
        DispatchToSubtree(vm, object, "addedToStage");
    else if (Object* script = BoundScriptObject(vm, object))
        DispatchSimple(vm, script, "addedToStage");
}

void AnnounceRemoved(Vm& vm, DisplayObject& object) {
    DispatchBubbling(vm, object, "removed");
    if (OnStage(vm, object))
        DispatchToSubtree(vm, object, "removedFromStage");
}

} // namespace vidorama::swf::avm2
