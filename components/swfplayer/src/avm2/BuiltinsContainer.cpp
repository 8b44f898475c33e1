// DisplayObjectContainer: a container's children in index order, kept on the
// engine's depth-ordered display list. Inserting below other children moves
// those up one depth, as the index order demands.

#include "avm2/DisplayBinding.h"
#include "avm2/Native.h"
#include "player/MovieClip.h"

#include <functional>

namespace vidorama::swf::avm2 {

namespace {

constexpr std::uint16_t kTopDepth = 65535;

std::shared_ptr<DisplayObject> ChildArg(Vm& vm, const Value& v) {
    if (v.isNullish())
        vm.throwError("TypeError", 2007, "Parameter child must be non-null.");
    return DisplayOf(vm, v).shared_from_this();
}

std::vector<std::shared_ptr<DisplayObject>> Children(const MovieClip& parent) {
    std::vector<std::shared_ptr<DisplayObject>> out;
    for (const auto& [depth, child] : parent.children())
        out.push_back(child);
    return out;
}

// Puts a child at an index of the parent's list; false when the depths are
// used up.
bool InsertAt(MovieClip& parent, const std::shared_ptr<DisplayObject>& child, std::size_t index) {
    auto children = Children(parent);
    if (index >= children.size()) {
        int top = children.empty() ? 0 : children.back()->depth();
        if (top >= kTopDepth)
            return false;
        parent.addScriptChild(child, top + 1);
        return true;
    }
    Depth target = children[index]->depth();
    std::size_t last = index;
    while (last + 1 < children.size() && children[last + 1]->depth() == children[last]->depth() + 1)
        ++last;
    if (children[last]->depth() >= kTopDepth)
        return false;
    for (std::size_t j = last + 1; j-- > index;)
        parent.swapChildDepths(children[j]->depth(), children[j]->depth() + 1);
    parent.addScriptChild(child, target);
    return true;
}

void Detach(Vm& vm, const std::shared_ptr<DisplayObject>& child) {
    MovieClip* old = child->parent();
    if (!old)
        return;
    AnnounceRemoved(vm, *child);
    if (child->parent() == old)
        old->removeChild(child->depth());
}

Value Attach(Vm& vm, MovieClip& parent, const std::shared_ptr<DisplayObject>& child,
             std::size_t index) {
    Value script = ScriptObjectOf(vm, child.get());
    for (MovieClip* p = &parent; p; p = p->parent())
        if (p == child.get())
            vm.throwError("ArgumentError", 2150,
                          "An object cannot be added as a child to one of it's children (or "
                          "children's children, etc.).");
    if (child->parent() == &parent) {
        parent.removeChild(child->depth());
    } else {
        Detach(vm, child);
    }
    if (!InsertAt(parent, child, index))
        vm.throwError("RangeError", 2006, ErrorMessage(2006));
    child->markRestored();
    AnnounceAdded(vm, *child, AddedReach::Subtree);
    return script;
}

std::size_t IndexArg(Vm& vm, const Value& v, std::size_t size) {
    double i = vm.toNumber(v);
    if (!(i >= 0) || i > double(size))
        vm.throwError("RangeError", 2006, ErrorMessage(2006));
    return std::size_t(i);
}

Value AddChild(Vm& vm, const Value& self, Args args) {
    MovieClip& parent = ContainerOf(vm, self);
    return Attach(vm, parent, ChildArg(vm, Arg(args, 0)), parent.children().size());
}

Value AddChildAt(Vm& vm, const Value& self, Args args) {
    MovieClip& parent = ContainerOf(vm, self);
    auto child = ChildArg(vm, Arg(args, 0));
    return Attach(vm, parent, child, IndexArg(vm, Arg(args, 1), parent.children().size()));
}

Value RemoveChild(Vm& vm, const Value& self, Args args) {
    MovieClip& parent = ContainerOf(vm, self);
    auto child = ChildArg(vm, Arg(args, 0));
    if (child->parent() != &parent)
        vm.throwError("ArgumentError", 2025, ErrorMessage(2025));
    Value script = ScriptObjectOf(vm, child.get());
    Detach(vm, child);
    return script;
}

std::shared_ptr<DisplayObject> ChildAt(Vm& vm, MovieClip& parent, const Value& index) {
    double i = vm.toNumber(index);
    if (!(i >= 0) || i >= double(parent.children().size()))
        vm.throwError("RangeError", 2006, ErrorMessage(2006));
    auto it = parent.children().begin();
    std::advance(it, std::size_t(i));
    return it->second;
}

Value GetChildAt(Vm& vm, const Value& self, Args args) {
    return ScriptObjectOf(vm, ChildAt(vm, ContainerOf(vm, self), Arg(args, 0)).get());
}

Value RemoveChildAt(Vm& vm, const Value& self, Args args) {
    auto child = ChildAt(vm, ContainerOf(vm, self), Arg(args, 0));
    Value script = ScriptObjectOf(vm, child.get());
    Detach(vm, child);
    return script;
}

Value RemoveChildren(Vm& vm, const Value& self, Args args) {
    MovieClip& parent = ContainerOf(vm, self);
    auto children = Children(parent);
    double from = args.size() > 0 ? vm.toNumber(args[0]) : 0;
    double to = args.size() > 1 ? vm.toNumber(args[1]) : 2147483647.0;
    to = std::min(to, double(children.size()) - 1);
    if (children.empty() && from == 0)
        return Value();
    if (!(from >= 0) || !(to >= from) || from >= double(children.size()))
        vm.throwError("RangeError", 2006, ErrorMessage(2006));
    for (std::size_t i = std::size_t(from); i <= std::size_t(to); ++i)
        Detach(vm, children[i]);
    return Value();
}

Value NumChildren(Vm& vm, const Value& self, Args) {
    return Value(double(ContainerOf(vm, self).children().size()));
}

Value GetChildByName(Vm& vm, const Value& self, Args args) {
    DisplayObject* child = ContainerOf(vm, self).childByName(vm.toString(Arg(args, 0)), true);
    return child ? ScriptObjectOf(vm, child) : Value::null();
}

std::size_t IndexOf(Vm& vm, MovieClip& parent, const std::shared_ptr<DisplayObject>& child) {
    std::size_t index = 0;
    for (const auto& [depth, object] : parent.children()) {
        if (object == child)
            return index;
        ++index;
    }
    vm.throwError("ArgumentError", 2025, ErrorMessage(2025));
}

Value GetChildIndex(Vm& vm, const Value& self, Args args) {
    MovieClip& parent = ContainerOf(vm, self);
    return Value(double(IndexOf(vm, parent, ChildArg(vm, Arg(args, 0)))));
}

Value SetChildIndex(Vm& vm, const Value& self, Args args) {
    MovieClip& parent = ContainerOf(vm, self);
    auto child = ChildArg(vm, Arg(args, 0));
    IndexOf(vm, parent, child);
    double index = vm.toNumber(Arg(args, 1));
    if (!(index >= 0) || index >= double(parent.children().size()))
        vm.throwError("RangeError", 2006, ErrorMessage(2006));
    parent.removeChild(child->depth());
    InsertAt(parent, child, std::size_t(index));
    child->markRestored();
    return Value();
}

void Swap(MovieClip& parent, const DisplayObject& a, const DisplayObject& b) {
    parent.swapChildDepths(a.depth(), b.depth());
}

Value SwapChildren(Vm& vm, const Value& self, Args args) {
    MovieClip& parent = ContainerOf(vm, self);
    auto a = ChildArg(vm, Arg(args, 0));
    auto b = ChildArg(vm, Arg(args, 1));
    IndexOf(vm, parent, a);
    IndexOf(vm, parent, b);
    Swap(parent, *a, *b);
    return Value();
}

Value SwapChildrenAt(Vm& vm, const Value& self, Args args) {
    MovieClip& parent = ContainerOf(vm, self);
    auto a = ChildAt(vm, parent, Arg(args, 0));
    auto b = ChildAt(vm, parent, Arg(args, 1));
    Swap(parent, *a, *b);
    return Value();
}

Value Contains(Vm& vm, const Value& self, Args args) {
    MovieClip& parent = ContainerOf(vm, self);
    if (Arg(args, 0).isNullish())
        return Value(false);
    for (DisplayObject* o = &DisplayOf(vm, args[0]); o; o = o->parent())
        if (o == &parent)
            return Value(true);
    return Value(false);
}

void StopAll(MovieClip& clip) {
    clip.stop();
    for (const auto& [depth, child] : clip.children())
        if (MovieClip* inner = child->asClip())
            StopAll(*inner);
}

Value StopAllMovieClips(Vm& vm, const Value& self, Args) {
    StopAll(ContainerOf(vm, self));
    return Value();
}

} // namespace

void InstallContainer(Vm& vm, ClassObject* container) {
    const std::pair<const char*, NativeFn> methods[] = {{"addChild", AddChild},
                                                        {"addChildAt", AddChildAt},
                                                        {"removeChild", RemoveChild},
                                                        {"removeChildAt", RemoveChildAt},
                                                        {"removeChildren", RemoveChildren},
                                                        {"getChildAt", GetChildAt},
                                                        {"getChildByName", GetChildByName},
                                                        {"getChildIndex", GetChildIndex},
                                                        {"setChildIndex", SetChildIndex},
                                                        {"swapChildren", SwapChildren},
                                                        {"swapChildrenAt", SwapChildrenAt},
                                                        {"contains", Contains},
                                                        {"stopAllMovieClips", StopAllMovieClips}};
    for (const auto& [name, fn] : methods)
        vm.defineMethod(container, name, fn);
    vm.defineAccessor(container, "numChildren", NumChildren, nullptr);
}

} // namespace vidorama::swf::avm2
