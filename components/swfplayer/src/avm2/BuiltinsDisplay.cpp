// flash.display: display objects, containers, sprites and clips, bound to the
// engine's display tree.

#include "avm2/DisplayBinding.h"
#include "avm2/Native.h"
#include "player/DisplayBounds.h"
#include "player/MovieClip.h"
#include "player/TimelineHost.h"

#include <cmath>

namespace vidorama::swf::avm2 {

void InstallGraphics(Vm& vm);
void InstallEvents(Vm& vm);
void InstallGeom(Vm& vm);
void InstallTransform(Vm& vm, ClassObject* display);
void InstallText(Vm& vm, ClassObject* interactive);

namespace {

constexpr double kTwips = 20;
constexpr double kDegrees = 180 / M_PI;

Object* AllocateDisplay(Vm& vm, ClassObject* cls) {
    auto* object = vm.make<DisplayScriptObject>(Object::Kind::Display, cls, &cls->instanceTraits,
                                                cls->prototype);
    object->sealed = cls->sealedInstances;
    return object;
}

// Sprites, clips and shapes a script makes get an empty clip of their own.
Value DisplayInit(Vm& vm, const Value& self, Args) {
    if (!self.isObject() || self.object->kind() != Object::Kind::Display)
        return Value();
    auto* script = static_cast<DisplayScriptObject*>(self.object);
    if (script->display.lock())
        return Value();
    auto clip = vm.host().newClip(vm.host().rootClip());
    if (clip) {
        NameInstance(vm, *clip);
        Bind(vm, script, clip);
    }
    return Value();
}

Value Nothing(Vm&, const Value&, Args) {
    return Value();
}

double Clean(double v) {
    return std::fabs(v) < 1e-9 ? 0 : v;
}

struct Decomposed {
    double scaleX, scaleY, rotation;
};

Decomposed Decompose(const Matrix& m) {
    return {std::hypot(m.a, m.b), std::hypot(m.c, m.d), std::atan2(m.b, m.a)};
}

void Compose(Matrix& m, const Decomposed& d) {
    double skew = std::atan2(-m.c, m.d) - std::atan2(m.b, m.a);
    m.a = d.scaleX * std::cos(d.rotation);
    m.b = d.scaleX * std::sin(d.rotation);
    m.c = -d.scaleY * std::sin(d.rotation + skew);
    m.d = d.scaleY * std::cos(d.rotation + skew);
}

Value GetX(Vm& vm, const Value& self, Args) {
    return Value(DisplayOf(vm, self).properties().matrix.tx / kTwips);
}
Value GetY(Vm& vm, const Value& self, Args) {
    return Value(DisplayOf(vm, self).properties().matrix.ty / kTwips);
}
Value SetX(Vm& vm, const Value& self, Args args) {
    double n = vm.toNumber(Arg(args, 0));
    if (std::isfinite(n))
        DisplayOf(vm, self).properties().matrix.tx = std::round(n * kTwips);
    return Value();
}
Value SetY(Vm& vm, const Value& self, Args args) {
    double n = vm.toNumber(Arg(args, 0));
    if (std::isfinite(n))
        DisplayOf(vm, self).properties().matrix.ty = std::round(n * kTwips);
    return Value();
}
Value GetScaleX(Vm& vm, const Value& self, Args) {
    return Value(Clean(Decompose(DisplayOf(vm, self).properties().matrix).scaleX));
}
Value GetScaleY(Vm& vm, const Value& self, Args) {
    return Value(Clean(Decompose(DisplayOf(vm, self).properties().matrix).scaleY));
}
Value GetRotation(Vm& vm, const Value& self, Args) {
    return Value(Clean(Decompose(DisplayOf(vm, self).properties().matrix).rotation * kDegrees));
}
template <int Which> Value SetTransformPart(Vm& vm, const Value& self, Args args) {
    double n = vm.toNumber(Arg(args, 0));
    if (!std::isfinite(n))
        return Value();
    Matrix& m = DisplayOf(vm, self).properties().matrix;
    Decomposed d = Decompose(m);
    if (Which == 0)
        d.scaleX = n;
    else if (Which == 1)
        d.scaleY = n;
    else
        d.rotation = std::remainder(n, 360.0) / kDegrees;
    Compose(m, d);
    return Value();
}
Value GetAlpha(Vm& vm, const Value& self, Args) {
    return Value(DisplayOf(vm, self).properties().colorTransform.aMul);
}
Value SetAlpha(Vm& vm, const Value& self, Args args) {
    DisplayOf(vm, self).properties().colorTransform.aMul = float(vm.toNumber(Arg(args, 0)));
    return Value();
}
Value GetVisible(Vm& vm, const Value& self, Args) {
    return Value(DisplayOf(vm, self).properties().visible);
}
Value SetVisible(Vm& vm, const Value& self, Args args) {
    DisplayOf(vm, self).properties().visible = ToBoolean(Arg(args, 0));
    return Value();
}
Value GetName(Vm& vm, const Value& self, Args) {
    return Value(DisplayOf(vm, self).properties().name);
}
Value SetName(Vm& vm, const Value& self, Args args) {
    DisplayOf(vm, self).properties().name = vm.toString(Arg(args, 0));
    return Value();
}
// The root sits on the stage, and whatever is inside it.
bool OnStage(Vm& vm, DisplayObject& object) {
    const DisplayObject* top = &object;
    while (top->parent())
        top = top->parent();
    return top == &vm.host().rootClip();
}

Value StageObject(Vm& vm) {
    if (!vm.stage) {
        Name name;
        name.local = "Stage";
        name.namespaces.push_back(Ns{Ns::Group::Public, "flash.display", 0});
        ClassObject* cls = vm.classByName(name);
        vm.stage = cls->allocator(vm, cls);
    }
    return Value(vm.stage);
}

Value GetParent(Vm& vm, const Value& self, Args) {
    if (self.isObject() && self.object == vm.stage)
        return Value::null();
    DisplayObject& object = DisplayOf(vm, self);
    if (&object == &vm.host().rootClip())
        return StageObject(vm);
    MovieClip* parent = object.parent();
    return parent ? ScriptObjectOf(vm, parent) : Value::null();
}

Value GetRoot(Vm& vm, const Value& self, Args) {
    if (self.isObject() && self.object == vm.stage)
        return Value::null();
    return OnStage(vm, DisplayOf(vm, self)) ? ScriptObjectOf(vm, &vm.host().rootClip())
                                            : Value::null();
}

Value GetStage(Vm& vm, const Value& self, Args) {
    if (self.isObject() && self.object == vm.stage)
        return self;
    return OnStage(vm, DisplayOf(vm, self)) ? StageObject(vm) : Value::null();
}

Value StageWidth(Vm& vm, const Value&, Args) {
    return Value(vm.host().stageWidth());
}
Value StageHeight(Vm& vm, const Value&, Args) {
    return Value(vm.host().stageHeight());
}
Value FrameRate(Vm& vm, const Value&, Args) {
    return Value(vm.host().frameRate());
}

std::uint16_t TopDepth(const MovieClip& clip) {
    return clip.children().empty() ? 0 : clip.children().rbegin()->first;
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

std::shared_ptr<DisplayObject> ChildArg(Vm& vm, const Value& v) {
    if (v.isNullish())
        vm.throwError("TypeError", 2007, "Parameter child must be non-null.");
    return DisplayOf(vm, v).shared_from_this();
}

Value AddChild(Vm& vm, const Value& self, Args args) {
    MovieClip& parent = ContainerOf(vm, self);
    auto child = ChildArg(vm, Arg(args, 0));
    if (MovieClip* old = child->parent())
        old->removeChild(child->depth());
    std::uint16_t depth = static_cast<std::uint16_t>(std::min<int>(TopDepth(parent) + 1, 65535));
    parent.addScriptChild(child, depth);
    child->markRestored();
    if (args[0].isObject()) {
        DispatchSimple(vm, args[0].object, "added");
        DispatchSimple(vm, args[0].object, "addedToStage");
    }
    return args[0];
}

Value RemoveChild(Vm& vm, const Value& self, Args args) {
    MovieClip& parent = ContainerOf(vm, self);
    auto child = ChildArg(vm, Arg(args, 0));
    if (child->parent() != &parent)
        vm.throwError("ArgumentError", 2025, ErrorMessage(2025));
    if (args[0].isObject())
        DispatchSimple(vm, args[0].object, "removed");
    parent.removeChild(child->depth());
    return args[0];
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
    MovieClip& parent = ContainerOf(vm, self);
    auto child = ChildAt(vm, parent, Arg(args, 0));
    Value script = ScriptObjectOf(vm, child.get());
    parent.removeChild(child->depth());
    return script;
}

Value NumChildren(Vm& vm, const Value& self, Args) {
    return Value(double(ContainerOf(vm, self).children().size()));
}

Value GetChildByName(Vm& vm, const Value& self, Args args) {
    DisplayObject* child = ContainerOf(vm, self).childByName(vm.toString(Arg(args, 0)), true);
    return child ? ScriptObjectOf(vm, child) : Value::null();
}

Value GetChildIndex(Vm& vm, const Value& self, Args args) {
    MovieClip& parent = ContainerOf(vm, self);
    auto child = ChildArg(vm, Arg(args, 0));
    double index = 0;
    for (const auto& [depth, object] : parent.children()) {
        if (object == child)
            return Value(index);
        ++index;
    }
    vm.throwError("ArgumentError", 2025, ErrorMessage(2025));
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

MovieClip& TimelineOf(Vm& vm, const Value& self) {
    return ContainerOf(vm, self);
}

Value Stop(Vm& vm, const Value& self, Args) {
    TimelineOf(vm, self).stop();
    return Value();
}
Value Play(Vm& vm, const Value& self, Args) {
    TimelineOf(vm, self).play();
    return Value();
}
Value CurrentFrame(Vm& vm, const Value& self, Args) {
    return Value(TimelineOf(vm, self).currentFrame());
}
Value TotalFrames(Vm& vm, const Value& self, Args) {
    return Value(TimelineOf(vm, self).totalFrames());
}

// A frame argument: a number, or a label of the clip's timeline.
FrameNumber FrameArg(Vm& vm, MovieClip& clip, const Value& v) {
    if (v.isString()) {
        if (auto frame = clip.timeline().findLabel(v.string))
            return *frame;
        double n = StringToNumber(v.string);
        if (std::isnan(n))
            vm.throwError("ArgumentError", 2109,
                          "Frame label " + v.string + " not found in scene " + "Scene 1" + ".");
        return FrameNumber(std::max(1.0, n));
    }
    double n = vm.toNumber(v);
    return FrameNumber(std::clamp(std::isnan(n) ? 1.0 : n, 1.0, double(clip.totalFrames())));
}

template <bool Playing> Value GotoAnd(Vm& vm, const Value& self, Args args) {
    MovieClip& clip = TimelineOf(vm, self);
    clip.gotoFrame(vm.host().timelineHost(), FrameArg(vm, clip, Arg(args, 0)), Playing);
    return Value();
}

template <int Step> Value StepFrame(Vm& vm, const Value& self, Args) {
    MovieClip& clip = TimelineOf(vm, self);
    std::int64_t target = std::int64_t(clip.currentFrame()) + Step;
    if (target >= 1 && target <= std::int64_t(clip.totalFrames()))
        clip.gotoFrame(vm.host().timelineHost(), FrameNumber(target), false);
    else
        clip.stop();
    return Value();
}

Value AddFrameScript(Vm& vm, const Value& self, Args args) {
    if (!self.isObject() || self.object->kind() != Object::Kind::Display)
        return Value();
    auto* script = static_cast<DisplayScriptObject*>(self.object);
    for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
        FrameNumber frame = FrameNumber(ToUint32(vm.toNumber(args[i]))) + 1;
        if (args[i + 1].isNullish())
            script->frameScripts.erase(frame);
        else
            script->frameScripts[frame] = args[i + 1];
    }
    return Value();
}

ClassObject* DefineClass(Vm& vm, const char* name, ClassObject* base) {
    return vm.defineClass("flash.display", name, base, nullptr, DisplayInit);
}

} // namespace

void InstallDisplay(Vm& vm) {
    InstallEvents(vm);
    InstallGraphics(vm);
    InstallGeom(vm);
    ClassObject* dispatcher = vm.classByName([] {
        Name n;
        n.local = "EventDispatcher";
        n.namespaces.push_back(Ns{Ns::Group::Public, "flash.events", 0});
        return n;
    }());
    ClassObject* display =
        vm.defineClass("flash.display", "DisplayObject", dispatcher, AllocateDisplay, DisplayInit);
    vm.defineAccessor(display, "x", GetX, SetX);
    vm.defineAccessor(display, "y", GetY, SetY);
    vm.defineAccessor(display, "scaleX", GetScaleX, SetTransformPart<0>);
    vm.defineAccessor(display, "scaleY", GetScaleY, SetTransformPart<1>);
    vm.defineAccessor(display, "rotation", GetRotation, SetTransformPart<2>);
    vm.defineAccessor(display, "alpha", GetAlpha, SetAlpha);
    vm.defineAccessor(display, "visible", GetVisible, SetVisible);
    vm.defineAccessor(display, "name", GetName, SetName);
    InstallTransform(vm, display);
    vm.defineAccessor(display, "parent", GetParent, nullptr);
    vm.defineAccessor(display, "root", GetRoot, nullptr);
    vm.defineAccessor(display, "stage", GetStage, nullptr);
    ClassObject* interactive = DefineClass(vm, "InteractiveObject", display);
    vm.defineAccessor(
        interactive, "mouseEnabled", [](Vm&, const Value&, Args) { return Value(true); }, Nothing);
    ClassObject* container = DefineClass(vm, "DisplayObjectContainer", interactive);
    vm.defineMethod(container, "addChild", AddChild);
    vm.defineMethod(container, "removeChild", RemoveChild);
    vm.defineMethod(container, "removeChildAt", RemoveChildAt);
    vm.defineMethod(container, "getChildAt", GetChildAt);
    vm.defineMethod(container, "getChildByName", GetChildByName);
    vm.defineMethod(container, "getChildIndex", GetChildIndex);
    vm.defineMethod(container, "contains", Contains);
    vm.defineAccessor(container, "numChildren", NumChildren, nullptr);
    ClassObject* sprite = DefineClass(vm, "Sprite", container);
    vm.defineAccessor(sprite, "graphics", GraphicsOf, nullptr);
    vm.defineAccessor(
        sprite, "buttonMode", [](Vm&, const Value&, Args) { return Value(false); }, Nothing);
    ClassObject* clip = DefineClass(vm, "MovieClip", sprite);
    clip->sealedInstances = false;
    vm.defineMethod(clip, "stop", Stop);
    vm.defineMethod(clip, "play", Play);
    vm.defineMethod(clip, "gotoAndStop", GotoAnd<false>);
    vm.defineMethod(clip, "gotoAndPlay", GotoAnd<true>);
    vm.defineMethod(clip, "nextFrame", StepFrame<1>);
    vm.defineMethod(clip, "prevFrame", StepFrame<-1>);
    vm.defineMethod(clip, "addFrameScript", AddFrameScript);
    vm.defineAccessor(clip, "currentFrame", CurrentFrame, nullptr);
    vm.defineAccessor(clip, "totalFrames", TotalFrames, nullptr);
    vm.defineAccessor(clip, "framesLoaded", TotalFrames, nullptr);
    ClassObject* stage = vm.defineClass("flash.display", "Stage", container, nullptr, Nothing);
    vm.defineAccessor(stage, "stageWidth", StageWidth, Nothing);
    vm.defineAccessor(stage, "stageHeight", StageHeight, Nothing);
    vm.defineAccessor(stage, "frameRate", FrameRate, Nothing);
    ClassObject* shape = DefineClass(vm, "Shape", display);
    vm.defineAccessor(shape, "graphics", GraphicsOf, nullptr);
    DefineClass(vm, "MorphShape", display);
    DefineClass(vm, "SimpleButton", interactive);
    vm.defineClass("flash.media", "Video", display, nullptr, Nothing);
    InstallText(vm, interactive);
}

} // namespace vidorama::swf::avm2
