// flash.display: display objects, containers, sprites and clips, bound to the
// engine's display tree.

#include "avm2/DisplayBinding.h"
#include "avm2/Native.h"
#include "player/DisplayBounds.h"
#include "player/MovieClip.h"
#include "player/TimelineHost.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf::avm2 {

void InstallGraphics(Vm& vm);
void InstallEvents(Vm& vm);
void InstallGeom(Vm& vm);
void InstallTransform(Vm& vm, ClassObject* display);
void InstallText(Vm& vm, ClassObject* interactive);
void InstallContainer(Vm& vm, ClassObject* container);
void InstallMedia(Vm& vm, ClassObject* dispatcher);
void InstallSettings(Vm& vm);
void InstallKeptSettings(Vm& vm, ClassObject* cls);
void InstallTimeline(Vm& vm, ClassObject* clip);
void InstallBitmap(Vm& vm, ClassObject* display);
void InstallLoaderInfo(Vm& vm, ClassObject* display);
void InstallLoader(Vm& vm, ClassObject* container);

namespace {

constexpr double kTwips = 20;
constexpr double kDegrees = 180 / M_PI;

// DisplayObject, InteractiveObject and DisplayObjectContainer only stand
// under the concrete classes; Flash refuses them, and classes a script
// derives from them directly, before any constructor runs.
void RefuseAbstract(Vm& vm, ClassObject* cls) {
    ClassObject* native = cls;
    while (native && native->packageName.rfind("flash.", 0) != 0)
        native = native->base;
    if (native && native->packageName == "flash.display" &&
        (native->name == "DisplayObject" || native->name == "InteractiveObject" ||
         native->name == "DisplayObjectContainer"))
        vm.throwError("ArgumentError", 2012, ErrorMessage(2012, cls->name + "$"));
}

Object* AllocateDisplay(Vm& vm, ClassObject* cls) {
    RefuseAbstract(vm, cls);
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
    if (auto bound = script->display.lock()) {
        if (MovieClip* clip = bound->asClip())
            vm.host().constructChildren(*clip);
        return Value();
    }
    // A class linked to a library symbol, or one a script derived from it,
    // makes an instance of that symbol.
    std::shared_ptr<DisplayObject> object;
    for (ClassObject* c = script->cls(); c && !object && c->packageName.rfind("flash.", 0) != 0;
         c = c->base)
        object = vm.host().newLinkedInstance(
            c->packageName.empty() ? c->name : c->packageName + "." + c->name);
    if (!object)
        object = vm.host().newClip(vm.host().rootClip());
    if (object) {
        NameInstance(vm, *object);
        Bind(vm, script, object);
        object->setScriptConstructed();
        if (MovieClip* clip = object->asClip())
            vm.host().constructChildren(*clip);
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
        TransformedBy(vm, self).properties().matrix.tx = std::round(n * kTwips);
    return Value();
}
Value SetY(Vm& vm, const Value& self, Args args) {
    double n = vm.toNumber(Arg(args, 0));
    if (std::isfinite(n))
        TransformedBy(vm, self).properties().matrix.ty = std::round(n * kTwips);
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
    Matrix& m = TransformedBy(vm, self).properties().matrix;
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
    TransformedBy(vm, self).properties().colorTransform.aMul = float(vm.toNumber(Arg(args, 0)));
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
    DisplayObject& object = DisplayOf(vm, self);
    if (object.placeFrame() > 0)
        vm.throwError("Error", 2078, ErrorMessage(2078));
    object.properties().name = vm.toString(Arg(args, 0));
    return Value();
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
// A frame rate a script sets is kept for scripts to read back (Flash holds
// it between 0.01 and 1000, and keeps NaN); a conversion goes on at the
// movie's own rate.
Value FrameRate(Vm& vm, const Value& self, Args) {
    if (self.isObject())
        if (Value* set = self.object->findDynamic(" frameRate"))
            return *set;
    return Value(vm.host().frameRate());
}
Value SetFrameRate(Vm& vm, const Value& self, Args args) {
    double rate = vm.toNumber(Arg(args, 0));
    if (!std::isnan(rate))
        rate = std::clamp(rate, 0.01, 1000.0);
    if (self.isObject())
        self.object->setDynamic(" frameRate", Value(rate));
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
    InstallMedia(vm, dispatcher);
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
    InstallLoaderInfo(vm, display);
    // A class takes the traits its base has when it is defined, so each
    // class gets its settings before the classes below it are made.
    ClassObject* interactive = DefineClass(vm, "InteractiveObject", display);
    InstallKeptSettings(vm, interactive);
    ClassObject* container = DefineClass(vm, "DisplayObjectContainer", interactive);
    InstallContainer(vm, container);
    InstallKeptSettings(vm, container);
    InstallLoader(vm, container);
    ClassObject* sprite = DefineClass(vm, "Sprite", container);
    vm.defineAccessor(sprite, "graphics", GraphicsOf, nullptr);
    InstallKeptSettings(vm, sprite);
    ClassObject* clip = DefineClass(vm, "MovieClip", sprite);
    clip->sealedInstances = false;
    InstallTimeline(vm, clip);
    ClassObject* stage = vm.defineClass("flash.display", "Stage", container, nullptr, Nothing);
    vm.defineAccessor(stage, "stageWidth", StageWidth, Nothing);
    vm.defineAccessor(stage, "stageHeight", StageHeight, Nothing);
    vm.defineAccessor(stage, "frameRate", FrameRate, SetFrameRate);
    InstallKeptSettings(vm, stage);
    ClassObject* shape = DefineClass(vm, "Shape", display);
    vm.defineAccessor(shape, "graphics", GraphicsOf, nullptr);
    DefineClass(vm, "MorphShape", display);
    InstallBitmap(vm, display);
    DefineClass(vm, "SimpleButton", interactive);
    vm.defineClass("flash.media", "Video", display, nullptr, Nothing);
    InstallText(vm, interactive);
    InstallSettings(vm);
}

} // namespace vidorama::swf::avm2
