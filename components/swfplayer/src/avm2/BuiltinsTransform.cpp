// DisplayObject's transform and the properties that go with it: Transform,
// masks, scrollRect, blend modes, bounds and the conversion of points between
// an object's space and the stage's.

#include "avm2/DisplayBinding.h"
#include "avm2/Native.h"
#include "player/DisplayBounds.h"
#include "player/MovieClip.h"

#include <cmath>

namespace vidorama::swf::avm2 {

namespace {

constexpr double kTwips = 20;

Matrix ToPixels(Matrix m) {
    m.tx /= kTwips;
    m.ty /= kTwips;
    return m;
}

Matrix ToTwips(Matrix m) {
    m.tx = std::isfinite(m.tx) ? std::round(m.tx * kTwips) : 0;
    m.ty = std::isfinite(m.ty) ? std::round(m.ty * kTwips) : 0;
    return m;
}

// A Transform keeps the display object's script object it belongs to.
Value Owner(Vm& vm, const Value& self) {
    if (!self.isObject() || self.object->kind() != Object::Kind::Boxed)
        vm.throwError("TypeError", 1009, ErrorMessage(1009));
    return static_cast<BoxObject*>(self.object)->value;
}

Value GetMatrix(Vm& vm, const Value& self, Args) {
    return NewMatrix(vm, ToPixels(DisplayOf(vm, Owner(vm, self)).properties().matrix));
}

Value SetMatrix(Vm& vm, const Value& self, Args args) {
    DisplayObject& object = TransformedBy(vm, Owner(vm, self));
    if (Arg(args, 0).isNullish())
        vm.throwError("TypeError", 2007, "Parameter value must be non-null.");
    object.properties().matrix = ToTwips(MatrixFrom(vm, args[0]));
    return Value();
}

Value GetColorTransform(Vm& vm, const Value& self, Args) {
    return NewColorTransform(vm, DisplayOf(vm, Owner(vm, self)).properties().colorTransform);
}

Value SetColorTransform(Vm& vm, const Value& self, Args args) {
    DisplayObject& object = TransformedBy(vm, Owner(vm, self));
    if (Arg(args, 0).isNullish())
        vm.throwError("TypeError", 2007, "Parameter value must be non-null.");
    object.properties().colorTransform = ColorTransformFrom(vm, args[0]);
    return Value();
}

// The matrix from the object's space to the stage's, in pixels.
Matrix ToStage(DisplayObject& object) {
    Matrix m = object.properties().matrix;
    for (MovieClip* p = object.parent(); p; p = p->parent())
        m = p->properties().matrix * m;
    return m;
}

ColorTransform ColorToStage(DisplayObject& object) {
    ColorTransform c = object.properties().colorTransform;
    for (MovieClip* p = object.parent(); p; p = p->parent())
        c = p->properties().colorTransform * c;
    return c;
}

Value ConcatenatedMatrix(Vm& vm, const Value& self, Args) {
    return NewMatrix(vm, ToPixels(ToStage(DisplayOf(vm, Owner(vm, self)))));
}

Value ConcatenatedColorTransform(Vm& vm, const Value& self, Args) {
    return NewColorTransform(vm, ColorToStage(DisplayOf(vm, Owner(vm, self))));
}

Value TransformInit(Vm& vm, const Value& self, Args args) {
    if (!self.isObject() || self.object->kind() != Object::Kind::Boxed)
        return Value();
    DisplayOf(vm, Arg(args, 0));
    static_cast<BoxObject*>(self.object)->value = args[0];
    return Value();
}

Object* AllocateBox(Vm& vm, ClassObject* cls) {
    return vm.make<BoxObject>(Object::Kind::Boxed, cls, &cls->instanceTraits, cls->prototype);
}

Value GetTransform(Vm& vm, const Value& self, Args) {
    DisplayOf(vm, self);
    Value args[] = {self};
    return vm.constructClass(FlashClass(vm, "flash.geom", "Transform"), args);
}

Value SetTransform(Vm& vm, const Value& self, Args args) {
    DisplayObject& object = TransformedBy(vm, self);
    if (Arg(args, 0).isNullish())
        vm.throwError("TypeError", 2007, "Parameter value must be non-null.");
    DisplayObject& from = DisplayOf(vm, Owner(vm, args[0]));
    object.properties().matrix = from.properties().matrix;
    object.properties().colorTransform = from.properties().colorTransform;
    return Value();
}

Value GetMask(Vm& vm, const Value& self, Args) {
    auto mask = DisplayOf(vm, self).scriptMask().lock();
    return mask ? ScriptObjectOf(vm, mask.get()) : Value::null();
}

Value SetMask(Vm& vm, const Value& self, Args args) {
    DisplayObject& object = DisplayOf(vm, self);
    if (auto old = object.scriptMask().lock())
        old->setMaskee({});
    if (Arg(args, 0).isNullish()) {
        object.setScriptMask({});
        return Value();
    }
    DisplayObject& mask = DisplayOf(vm, args[0]);
    object.setScriptMask(mask.weak_from_this());
    mask.setMaskee(object.weak_from_this());
    return Value();
}

Value GetScrollRect(Vm& vm, const Value& self, Args) {
    const auto& rect = DisplayOf(vm, self).properties().scrollRect;
    if (!rect)
        return Value::null();
    return NewRectangle(vm, rect->xMin / kTwips, rect->yMin / kTwips, rect->width() / kTwips,
                        rect->height() / kTwips);
}

std::int32_t Twips(double pixels) {
    return std::isfinite(pixels) ? std::int32_t(std::clamp(pixels * kTwips, -1e9, 1e9)) : 0;
}

Value SetScrollRect(Vm& vm, const Value& self, Args args) {
    DisplayObject& object = DisplayOf(vm, self);
    if (Arg(args, 0).isNullish()) {
        object.properties().scrollRect.reset();
        return Value();
    }
    auto number = [&](const char* name) {
        return vm.toNumber(vm.getProperty(args[0], Name::publicName(name)));
    };
    double x = number("x"), y = number("y");
    object.properties().scrollRect =
        Rect{Twips(x), Twips(x + number("width")), Twips(y), Twips(y + number("height"))};
    return Value();
}

const char* const kBlendNames[] = {"normal",  "normal", "layer",      "multiply", "screen",
                                   "lighten", "darken", "difference", "add",      "subtract",
                                   "invert",  "alpha",  "erase",      "overlay",  "hardlight"};

Value GetBlendMode(Vm& vm, const Value& self, Args) {
    auto mode = std::size_t(DisplayOf(vm, self).properties().blendMode);
    return Value(mode < std::size(kBlendNames) ? kBlendNames[mode] : "normal");
}

Value SetBlendMode(Vm& vm, const Value& self, Args args) {
    DisplayObject& object = DisplayOf(vm, self);
    std::string name = vm.toString(Arg(args, 0));
    for (std::size_t i = 1; i < std::size(kBlendNames); ++i)
        if (name == kBlendNames[i]) {
            object.properties().blendMode = BlendMode(i);
            return Value();
        }
    vm.throwError("ArgumentError", 2008, "Parameter blendMode must be one of the accepted values.");
}

Value GetCacheAsBitmap(Vm& vm, const Value& self, Args) {
    return Value(DisplayOf(vm, self).properties().cacheAsBitmap);
}

Value SetCacheAsBitmap(Vm& vm, const Value& self, Args args) {
    DisplayOf(vm, self).properties().cacheAsBitmap = ToBoolean(Arg(args, 0));
    return Value();
}

Value GetWidth(Vm& vm, const Value& self, Args) {
    Rect r = BoundsInParent(DisplayOf(vm, self));
    return Value(r.xMax > r.xMin ? (r.xMax - r.xMin) / kTwips : 0.0);
}

Value GetHeight(Vm& vm, const Value& self, Args) {
    Rect r = BoundsInParent(DisplayOf(vm, self));
    return Value(r.yMax > r.yMin ? (r.yMax - r.yMin) / kTwips : 0.0);
}

// Scaling so that the bounds in the parent get the asked size; an object
// with no size keeps its scale.
template <bool Horizontal> Value SetSize(Vm& vm, const Value& self, Args args) {
    DisplayObject& object = TransformedBy(vm, self);
    const double wanted = vm.toNumber(Arg(args, 0));
    Rect r = BoundsInParent(object);
    if (!r.empty())
        ScaleExtent(object, Horizontal, wanted,
                    (Horizontal ? r.xMax - r.xMin : r.yMax - r.yMin) / kTwips);
    return Value();
}

// Bounds of an object in another object's space (the stage's for null).
Value BoundsIn(Vm& vm, const Value& self, const Value& space) {
    DisplayObject& object = DisplayOf(vm, self);
    Matrix toStage = ToStage(object);
    Matrix spaceToStage = space.isNullish() ? Matrix() : ToStage(DisplayOf(vm, space));
    double det = spaceToStage.a * spaceToStage.d - spaceToStage.b * spaceToStage.c;
    Matrix inverse;
    if (det != 0) {
        inverse = {spaceToStage.d / det,
                   -spaceToStage.b / det,
                   -spaceToStage.c / det,
                   spaceToStage.a / det,
                   0,
                   0};
        inverse.tx = -(inverse.a * spaceToStage.tx + inverse.c * spaceToStage.ty);
        inverse.ty = -(inverse.b * spaceToStage.tx + inverse.d * spaceToStage.ty);
    }
    Rect r = BoundsOf(object, inverse * toStage);
    if (r.empty())
        return NewRectangle(vm, 0, 0, 0, 0);
    return NewRectangle(vm, r.xMin / kTwips, r.yMin / kTwips, r.width() / kTwips,
                        r.height() / kTwips);
}

Value GetBounds(Vm& vm, const Value& self, Args args) {
    return BoundsIn(vm, self, Arg(args, 0));
}

template <bool ToGlobal> Value MapPoint(Vm& vm, const Value& self, Args args) {
    Matrix m = ToStage(DisplayOf(vm, self));
    double x = vm.toNumber(vm.getProperty(Arg(args, 0), Name::publicName("x"))) * kTwips;
    double y = vm.toNumber(vm.getProperty(Arg(args, 0), Name::publicName("y"))) * kTwips;
    double outX = x, outY = y;
    if (ToGlobal) {
        m.map(x, y, outX, outY);
    } else {
        double det = m.a * m.d - m.b * m.c;
        if (det != 0) {
            double dx = x - m.tx, dy = y - m.ty;
            outX = (m.d * dx - m.c * dy) / det;
            outY = (m.a * dy - m.b * dx) / det;
        }
    }
    return NewPoint(vm, outX / kTwips, outY / kTwips);
}

Rect StageBounds(DisplayObject& object) {
    return BoundsOf(object, ToStage(object));
}

// By bounds: the shape flag's test of the filled area itself is not built.
Value HitTestPoint(Vm& vm, const Value& self, Args args) {
    if (ToBoolean(Arg(args, 2)))
        vm.noteMissing("flash.display.DisplayObject.hitTestPoint with shapeFlag");
    Rect r = StageBounds(DisplayOf(vm, self));
    double x = vm.toNumber(Arg(args, 0)) * kTwips, y = vm.toNumber(Arg(args, 1)) * kTwips;
    return Value(!r.empty() && x >= r.xMin && x <= r.xMax && y >= r.yMin && y <= r.yMax);
}

Value HitTestObject(Vm& vm, const Value& self, Args args) {
    Rect a = StageBounds(DisplayOf(vm, self));
    if (Arg(args, 0).isNullish())
        vm.throwError("TypeError", 2007, "Parameter obj must be non-null.");
    Rect b = StageBounds(DisplayOf(vm, args[0]));
    return Value(!a.empty() && !b.empty() && a.xMin <= b.xMax && b.xMin <= a.xMax &&
                 a.yMin <= b.yMax && b.yMin <= a.yMax);
}

} // namespace

void InstallFilters(Vm& vm, ClassObject* display);

void InstallTransform(Vm& vm, ClassObject* display) {
    ClassObject* transform =
        vm.defineClass("flash.geom", "Transform", vm.natives.object, AllocateBox, TransformInit);
    vm.defineAccessor(transform, "matrix", GetMatrix, SetMatrix);
    vm.defineAccessor(transform, "colorTransform", GetColorTransform, SetColorTransform);
    vm.defineAccessor(transform, "concatenatedMatrix", ConcatenatedMatrix, nullptr);
    vm.defineAccessor(transform, "concatenatedColorTransform", ConcatenatedColorTransform, nullptr);
    vm.defineAccessor(display, "width", GetWidth, SetSize<true>);
    vm.defineAccessor(display, "height", GetHeight, SetSize<false>);
    vm.defineAccessor(display, "transform", GetTransform, SetTransform);
    vm.defineAccessor(display, "mask", GetMask, SetMask);
    vm.defineAccessor(display, "scrollRect", GetScrollRect, SetScrollRect);
    vm.defineAccessor(display, "blendMode", GetBlendMode, SetBlendMode);
    vm.defineAccessor(display, "cacheAsBitmap", GetCacheAsBitmap, SetCacheAsBitmap);
    InstallFilters(vm, display);
    vm.defineMethod(display, "hitTestPoint", HitTestPoint);
    vm.defineMethod(display, "hitTestObject", HitTestObject);
    vm.defineMethod(display, "getBounds", GetBounds);
    vm.defineMethod(display, "getRect", GetBounds);
    vm.defineMethod(display, "localToGlobal", MapPoint<true>);
    vm.defineMethod(display, "globalToLocal", MapPoint<false>);
}

} // namespace vidorama::swf::avm2
