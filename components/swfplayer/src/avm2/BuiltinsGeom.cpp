// flash.geom: Point, Rectangle, Matrix and ColorTransform as plain number
// slots, so that scripts read and write their fields directly.

#include "avm2/DisplayBinding.h"
#include "avm2/Native.h"

#include <cmath>

namespace vidorama::swf::avm2 {

namespace {

enum PointSlot : std::uint32_t { kPx, kPy };
enum RectSlot : std::uint32_t { kRx, kRy, kRw, kRh };
enum MatrixSlot : std::uint32_t { kA, kB, kC, kD, kTx, kTy };

ClassObject* GeomClass(Vm& vm, const char* name) {
    return FlashClass(vm, "flash.geom", name);
}

Object* This(Vm& vm, const Value& self, ClassObject* cls) {
    if (!self.isObject() || !vm.isType(self, cls))
        vm.throwError("TypeError", 1034,
                      ErrorMessage(1034, vm.describe(self), cls->qualifiedName()));
    return self.object;
}

double F(Object* o, std::uint32_t slot) {
    return o->fields[slot].number;
}

void SetF(Object* o, std::uint32_t slot, double v) {
    o->fields[slot] = Value(v);
}

// A number argument, with Flash's default when it is left out.
double NumArg(Vm& vm, Args args, std::size_t i, double fallback = 0) {
    return i < args.size() ? vm.toNumber(args[i]) : fallback;
}

void NumberSlots(ClassObject* cls, std::initializer_list<std::pair<const char*, double>> slots) {
    for (const auto& [name, initial] : slots) {
        Trait trait;
        trait.kind = Trait::Kind::Slot;
        trait.slot = cls->instanceTraits.addSlot(Value(initial), SlotType::Number);
        cls->instanceTraits.add(name, trait);
    }
}

std::string Fields(Object* o, std::initializer_list<const char*> names) {
    std::string text = "(";
    std::uint32_t slot = 0;
    for (const char* name : names) {
        if (slot)
            text += ", ";
        text += std::string(name) + "=" + NumberToString(F(o, slot++));
    }
    return text + ")";
}

Object* P(Vm& vm, const Value& self) {
    return This(vm, self, GeomClass(vm, "Point"));
}

Value PointInit(Vm& vm, const Value& self, Args args) {
    Object* p = P(vm, self);
    SetF(p, kPx, NumArg(vm, args, 0));
    SetF(p, kPy, NumArg(vm, args, 1));
    return Value();
}

Value PointToString(Vm& vm, const Value& self, Args) {
    return Value(Fields(P(vm, self), {"x", "y"}));
}

Value PointLength(Vm& vm, const Value& self, Args) {
    Object* p = P(vm, self);
    return Value(std::hypot(F(p, kPx), F(p, kPy)));
}

template <int Sign> Value PointAddSub(Vm& vm, const Value& self, Args args) {
    Object* p = P(vm, self);
    Object* q = P(vm, Arg(args, 0));
    return NewPoint(vm, F(p, kPx) + Sign * F(q, kPx), F(p, kPy) + Sign * F(q, kPy));
}

Value PointClone(Vm& vm, const Value& self, Args) {
    Object* p = P(vm, self);
    return NewPoint(vm, F(p, kPx), F(p, kPy));
}

Value PointEquals(Vm& vm, const Value& self, Args args) {
    Object* p = P(vm, self);
    if (!Arg(args, 0).isObject() || !vm.isType(args[0], GeomClass(vm, "Point")))
        return Value(false);
    Object* q = args[0].object;
    return Value(F(p, kPx) == F(q, kPx) && F(p, kPy) == F(q, kPy));
}

Value PointOffset(Vm& vm, const Value& self, Args args) {
    Object* p = P(vm, self);
    SetF(p, kPx, F(p, kPx) + NumArg(vm, args, 0));
    SetF(p, kPy, F(p, kPy) + NumArg(vm, args, 1));
    return Value();
}

Value PointNormalize(Vm& vm, const Value& self, Args args) {
    Object* p = P(vm, self);
    double length = std::hypot(F(p, kPx), F(p, kPy));
    if (length > 0) {
        double k = NumArg(vm, args, 0) / length;
        SetF(p, kPx, F(p, kPx) * k);
        SetF(p, kPy, F(p, kPy) * k);
    }
    return Value();
}

Value PointDistance(Vm& vm, const Value&, Args args) {
    Object* p = P(vm, Arg(args, 0));
    Object* q = P(vm, Arg(args, 1));
    return Value(std::hypot(F(p, kPx) - F(q, kPx), F(p, kPy) - F(q, kPy)));
}

// interpolate(a, b, f): a at f = 1, b at f = 0.
Value PointInterpolate(Vm& vm, const Value&, Args args) {
    Object* p = P(vm, Arg(args, 0));
    Object* q = P(vm, Arg(args, 1));
    double f = NumArg(vm, args, 2);
    return NewPoint(vm, F(q, kPx) + f * (F(p, kPx) - F(q, kPx)),
                    F(q, kPy) + f * (F(p, kPy) - F(q, kPy)));
}

Value PointPolar(Vm& vm, const Value&, Args args) {
    double length = NumArg(vm, args, 0), angle = NumArg(vm, args, 1);
    return NewPoint(vm, length * std::cos(angle), length * std::sin(angle));
}

template <std::uint32_t Count> Value SetTo(Vm& vm, const Value& self, Args args) {
    if (!self.isObject())
        vm.throwError("TypeError", 1009, ErrorMessage(1009));
    for (std::uint32_t i = 0; i < Count; ++i)
        SetF(self.object, i, NumArg(vm, args, i));
    return Value();
}

template <std::uint32_t Count> Value CopyFrom(Vm& vm, const Value& self, Args args) {
    if (!self.isObject() || !Arg(args, 0).isObject())
        vm.throwError("TypeError", 2007, "Parameter sourceObject must be non-null.");
    Object* from = This(vm, args[0], self.object->cls());
    for (std::uint32_t i = 0; i < Count; ++i)
        SetF(self.object, i, F(from, i));
    return Value();
}

Object* R(Vm& vm, const Value& self) {
    return This(vm, self, GeomClass(vm, "Rectangle"));
}

Value RectInit(Vm& vm, const Value& self, Args args) {
    return SetTo<4>(vm, Value(R(vm, self)), args);
}

Value RectToString(Vm& vm, const Value& self, Args) {
    return Value(Fields(R(vm, self), {"x", "y", "w", "h"}));
}

template <int Edge> Value RectEdge(Vm& vm, const Value& self, Args) {
    Object* r = R(vm, self);
    switch (Edge) {
    case 0:
        return Value(F(r, kRx));
    case 1:
        return Value(F(r, kRy));
    case 2:
        return Value(F(r, kRx) + F(r, kRw));
    default:
        return Value(F(r, kRy) + F(r, kRh));
    }
}

// Moving one edge keeps the opposite one in place.
template <int Edge> Value SetRectEdge(Vm& vm, const Value& self, Args args) {
    Object* r = R(vm, self);
    double v = NumArg(vm, args, 0);
    switch (Edge) {
    case 0:
        SetF(r, kRw, F(r, kRw) + F(r, kRx) - v);
        SetF(r, kRx, v);
        break;
    case 1:
        SetF(r, kRh, F(r, kRh) + F(r, kRy) - v);
        SetF(r, kRy, v);
        break;
    case 2:
        SetF(r, kRw, v - F(r, kRx));
        break;
    default:
        SetF(r, kRh, v - F(r, kRy));
        break;
    }
    return Value();
}

Value RectTopLeft(Vm& vm, const Value& self, Args) {
    Object* r = R(vm, self);
    return NewPoint(vm, F(r, kRx), F(r, kRy));
}
Value RectBottomRight(Vm& vm, const Value& self, Args) {
    Object* r = R(vm, self);
    return NewPoint(vm, F(r, kRx) + F(r, kRw), F(r, kRy) + F(r, kRh));
}
Value RectSize(Vm& vm, const Value& self, Args) {
    Object* r = R(vm, self);
    return NewPoint(vm, F(r, kRw), F(r, kRh));
}

// topLeft, bottomRight and size take a Point: topLeft and bottomRight move
// those corners and keep the opposite ones.
template <int Corner> Value SetRectCorner(Vm& vm, const Value& self, Args args) {
    Object* r = R(vm, self);
    Object* p = P(vm, Arg(args, 0));
    if (Corner == 0) {
        SetF(r, kRw, F(r, kRw) + F(r, kRx) - F(p, kPx));
        SetF(r, kRh, F(r, kRh) + F(r, kRy) - F(p, kPy));
        SetF(r, kRx, F(p, kPx));
        SetF(r, kRy, F(p, kPy));
    } else if (Corner == 1) {
        SetF(r, kRw, F(p, kPx) - F(r, kRx));
        SetF(r, kRh, F(p, kPy) - F(r, kRy));
    } else {
        SetF(r, kRw, F(p, kPx));
        SetF(r, kRh, F(p, kPy));
    }
    return Value();
}

Value RectClone(Vm& vm, const Value& self, Args) {
    Object* r = R(vm, self);
    return NewRectangle(vm, F(r, kRx), F(r, kRy), F(r, kRw), F(r, kRh));
}

// A NaN size is not empty: only a size at or below 0 is.
bool Empty(Object* r) {
    return F(r, kRw) <= 0 || F(r, kRh) <= 0;
}

Value RectIsEmpty(Vm& vm, const Value& self, Args) {
    return Value(Empty(R(vm, self)));
}

Value RectSetEmpty(Vm& vm, const Value& self, Args) {
    Object* r = R(vm, self);
    for (std::uint32_t i = 0; i < 4; ++i)
        SetF(r, i, 0);
    return Value();
}

bool Inside(Object* r, double x, double y) {
    return x >= F(r, kRx) && y >= F(r, kRy) && x < F(r, kRx) + F(r, kRw) &&
           y < F(r, kRy) + F(r, kRh);
}

Value RectContains(Vm& vm, const Value& self, Args args) {
    return Value(Inside(R(vm, self), NumArg(vm, args, 0), NumArg(vm, args, 1)));
}

Value RectContainsPoint(Vm& vm, const Value& self, Args args) {
    Object* p = P(vm, Arg(args, 0));
    return Value(Inside(R(vm, self), F(p, kPx), F(p, kPy)));
}

Value RectContainsRect(Vm& vm, const Value& self, Args args) {
    Object* r = R(vm, self);
    Object* o = R(vm, Arg(args, 0));
    if (Empty(o))
        return Value(false);
    return Value(F(o, kRx) >= F(r, kRx) && F(o, kRy) >= F(r, kRy) &&
                 F(o, kRx) + F(o, kRw) <= F(r, kRx) + F(r, kRw) &&
                 F(o, kRy) + F(o, kRh) <= F(r, kRy) + F(r, kRh));
}

Value RectEquals(Vm& vm, const Value& self, Args args) {
    Object* r = R(vm, self);
    if (!Arg(args, 0).isObject() || !vm.isType(args[0], GeomClass(vm, "Rectangle")))
        return Value(false);
    for (std::uint32_t i = 0; i < 4; ++i)
        if (F(r, i) != F(args[0].object, i))
            return Value(false);
    return Value(true);
}

void Inflate(Object* r, double dx, double dy) {
    SetF(r, kRx, F(r, kRx) - dx);
    SetF(r, kRw, F(r, kRw) + 2 * dx);
    SetF(r, kRy, F(r, kRy) - dy);
    SetF(r, kRh, F(r, kRh) + 2 * dy);
}

Value RectInflate(Vm& vm, const Value& self, Args args) {
    Inflate(R(vm, self), NumArg(vm, args, 0), NumArg(vm, args, 1));
    return Value();
}

Value RectInflatePoint(Vm& vm, const Value& self, Args args) {
    Object* r = R(vm, self);
    Object* p = P(vm, Arg(args, 0));
    Inflate(r, F(p, kPx), F(p, kPy));
    return Value();
}

Value RectOffset(Vm& vm, const Value& self, Args args) {
    Object* r = R(vm, self);
    SetF(r, kRx, F(r, kRx) + NumArg(vm, args, 0));
    SetF(r, kRy, F(r, kRy) + NumArg(vm, args, 1));
    return Value();
}

Value RectOffsetPoint(Vm& vm, const Value& self, Args args) {
    Object* p = P(vm, Arg(args, 0));
    Value delta[] = {Value(F(p, kPx)), Value(F(p, kPy))};
    return RectOffset(vm, self, delta);
}

Value RectIntersection(Vm& vm, const Value& self, Args args) {
    Object* r = R(vm, self);
    Object* o = R(vm, Arg(args, 0));
    double x0 = std::max(F(r, kRx), F(o, kRx)), y0 = std::max(F(r, kRy), F(o, kRy));
    double x1 = std::min(F(r, kRx) + F(r, kRw), F(o, kRx) + F(o, kRw));
    double y1 = std::min(F(r, kRy) + F(r, kRh), F(o, kRy) + F(o, kRh));
    if (Empty(r) || Empty(o) || x1 <= x0 || y1 <= y0)
        return NewRectangle(vm, 0, 0, 0, 0);
    return NewRectangle(vm, x0, y0, x1 - x0, y1 - y0);
}

Value RectIntersects(Vm& vm, const Value& self, Args args) {
    Value inter = RectIntersection(vm, self, args);
    return Value(!Empty(inter.object));
}

// Math.min and Math.max, which union uses: NaN wins.
double MinOf(double a, double b) {
    return std::isnan(a) || std::isnan(b) ? std::nan("") : std::min(a, b);
}
double MaxOf(double a, double b) {
    return std::isnan(a) || std::isnan(b) ? std::nan("") : std::max(a, b);
}

Value RectUnion(Vm& vm, const Value& self, Args args) {
    Object* r = R(vm, self);
    Object* o = R(vm, Arg(args, 0));
    if (Empty(r))
        return RectClone(vm, Value(o), {});
    if (Empty(o))
        return RectClone(vm, Value(r), {});
    double x0 = MinOf(F(r, kRx), F(o, kRx)), y0 = MinOf(F(r, kRy), F(o, kRy));
    double x1 = MaxOf(F(r, kRx) + F(r, kRw), F(o, kRx) + F(o, kRw));
    double y1 = MaxOf(F(r, kRy) + F(r, kRh), F(o, kRy) + F(o, kRh));
    return NewRectangle(vm, x0, y0, x1 - x0, y1 - y0);
}

Object* M(Vm& vm, const Value& self) {
    return This(vm, self, GeomClass(vm, "Matrix"));
}

Value MatrixInit(Vm& vm, const Value& self, Args args) {
    Object* m = M(vm, self);
    const double defaults[] = {1, 0, 0, 1, 0, 0};
    for (std::uint32_t i = 0; i < 6; ++i)
        SetF(m, i, NumArg(vm, args, i, defaults[i]));
    return Value();
}

Value MatrixToString(Vm& vm, const Value& self, Args) {
    return Value(Fields(M(vm, self), {"a", "b", "c", "d", "tx", "ty"}));
}

Value MatrixClone(Vm& vm, const Value& self, Args) {
    return NewMatrix(vm, MatrixFrom(vm, self));
}

void Store(Object* m, const Matrix& v) {
    const double parts[] = {v.a, v.b, v.c, v.d, v.tx, v.ty};
    for (std::uint32_t i = 0; i < 6; ++i)
        SetF(m, i, parts[i]);
}

// Each of these applies the script's matrix first, then the other one.
Value MatrixConcat(Vm& vm, const Value& self, Args args) {
    Store(M(vm, self), MatrixFrom(vm, Arg(args, 0)) * MatrixFrom(vm, self));
    return Value();
}

Value MatrixIdentity(Vm& vm, const Value& self, Args) {
    Store(M(vm, self), Matrix());
    return Value();
}

Value MatrixInvert(Vm& vm, const Value& self, Args) {
    Matrix m = MatrixFrom(vm, self);
    double det = m.a * m.d - m.b * m.c;
    if (det == 0) {
        Store(M(vm, self), Matrix{0, 0, 0, 0, -m.tx, -m.ty});
        return Value();
    }
    Matrix inv{m.d / det, -m.b / det, -m.c / det, m.a / det, 0, 0};
    inv.tx = -(inv.a * m.tx + inv.c * m.ty);
    inv.ty = -(inv.b * m.tx + inv.d * m.ty);
    Store(M(vm, self), inv);
    return Value();
}

Value MatrixRotate(Vm& vm, const Value& self, Args args) {
    double q = NumArg(vm, args, 0);
    Matrix r{std::cos(q), std::sin(q), -std::sin(q), std::cos(q), 0, 0};
    Store(M(vm, self), r * MatrixFrom(vm, self));
    return Value();
}

Value MatrixScale(Vm& vm, const Value& self, Args args) {
    Store(M(vm, self),
          Matrix::scale(NumArg(vm, args, 0), NumArg(vm, args, 1)) * MatrixFrom(vm, self));
    return Value();
}

Value MatrixTranslate(Vm& vm, const Value& self, Args args) {
    Object* m = M(vm, self);
    SetF(m, kTx, F(m, kTx) + NumArg(vm, args, 0));
    SetF(m, kTy, F(m, kTy) + NumArg(vm, args, 1));
    return Value();
}

template <bool WithTranslation> Value MatrixMapPoint(Vm& vm, const Value& self, Args args) {
    Matrix m = MatrixFrom(vm, self);
    if (!WithTranslation)
        m.tx = m.ty = 0;
    Object* p = P(vm, Arg(args, 0));
    double x, y;
    m.map(F(p, kPx), F(p, kPy), x, y);
    return NewPoint(vm, x, y);
}

Matrix Box(double sx, double sy, double rotation, double tx, double ty) {
    double cos = std::cos(rotation), sin = std::sin(rotation);
    return {cos * sx, sin * sx, -sin * sy, cos * sy, tx, ty};
}

Value MatrixCreateBox(Vm& vm, const Value& self, Args args) {
    Store(M(vm, self), Box(NumArg(vm, args, 0), NumArg(vm, args, 1), NumArg(vm, args, 2),
                           NumArg(vm, args, 3), NumArg(vm, args, 4)));
    return Value();
}

// The gradient square spans 1638.4 pixels; the box is centred on its area.
Value MatrixCreateGradientBox(Vm& vm, const Value& self, Args args) {
    double w = NumArg(vm, args, 0), h = NumArg(vm, args, 1);
    Store(M(vm, self), Box(w / 1638.4, h / 1638.4, NumArg(vm, args, 2), NumArg(vm, args, 3) + w / 2,
                           NumArg(vm, args, 4) + h / 2));
    return Value();
}

Object* CT(Vm& vm, const Value& self) {
    return This(vm, self, GeomClass(vm, "ColorTransform"));
}

Value ColorTransformInit(Vm& vm, const Value& self, Args args) {
    Object* ct = CT(vm, self);
    for (std::uint32_t i = 0; i < 8; ++i)
        SetF(ct, i, NumArg(vm, args, i, i < 4 ? 1 : 0));
    return Value();
}

Value ColorTransformToString(Vm& vm, const Value& self, Args) {
    return Value(Fields(CT(vm, self),
                        {"redMultiplier", "greenMultiplier", "blueMultiplier", "alphaMultiplier",
                         "redOffset", "greenOffset", "blueOffset", "alphaOffset"}));
}

Value GetColor(Vm& vm, const Value& self, Args) {
    Object* ct = CT(vm, self);
    auto channel = [&](std::uint32_t slot) {
        return ToUint32(F(ct, slot)) & 0xff;
    };
    return Value(double(channel(4) << 16 | channel(5) << 8 | channel(6)));
}

Value SetColor(Vm& vm, const Value& self, Args args) {
    Object* ct = CT(vm, self);
    std::uint32_t color = ToUint32(NumArg(vm, args, 0));
    for (std::uint32_t i = 0; i < 3; ++i) {
        SetF(ct, i, 0);
        SetF(ct, 4 + i, double((color >> (16 - 8 * i)) & 0xff));
    }
    return Value();
}

Value ColorTransformConcat(Vm& vm, const Value& self, Args args) {
    ColorTransform outer = ColorTransformFrom(vm, self);
    StoreColorTransform(vm, self, outer * ColorTransformFrom(vm, Arg(args, 0)));
    return Value();
}

void InstallPoint(Vm& vm) {
    ClassObject* point =
        vm.defineClass("flash.geom", "Point", vm.natives.object, nullptr, PointInit);
    NumberSlots(point, {{"x", 0}, {"y", 0}});
    vm.defineAccessor(point, "length", PointLength, nullptr);
    const std::pair<const char*, NativeFn> methods[] = {
        {"toString", PointToString},   {"add", PointAddSub<1>}, {"subtract", PointAddSub<-1>},
        {"clone", PointClone},         {"equals", PointEquals}, {"offset", PointOffset},
        {"normalize", PointNormalize}, {"setTo", SetTo<2>},     {"copyFrom", CopyFrom<2>}};
    for (const auto& [name, fn] : methods)
        vm.defineMethod(point, name, fn);
    vm.defineMethod(point, "distance", PointDistance, true);
    vm.defineMethod(point, "interpolate", PointInterpolate, true);
    vm.defineMethod(point, "polar", PointPolar, true);
}

void InstallRectangle(Vm& vm) {
    ClassObject* rect =
        vm.defineClass("flash.geom", "Rectangle", vm.natives.object, nullptr, RectInit);
    NumberSlots(rect, {{"x", 0}, {"y", 0}, {"width", 0}, {"height", 0}});
    vm.defineAccessor(rect, "left", RectEdge<0>, SetRectEdge<0>);
    vm.defineAccessor(rect, "top", RectEdge<1>, SetRectEdge<1>);
    vm.defineAccessor(rect, "right", RectEdge<2>, SetRectEdge<2>);
    vm.defineAccessor(rect, "bottom", RectEdge<3>, SetRectEdge<3>);
    vm.defineAccessor(rect, "topLeft", RectTopLeft, SetRectCorner<0>);
    vm.defineAccessor(rect, "bottomRight", RectBottomRight, SetRectCorner<1>);
    vm.defineAccessor(rect, "size", RectSize, SetRectCorner<2>);
    const std::pair<const char*, NativeFn> methods[] = {{"toString", RectToString},
                                                        {"clone", RectClone},
                                                        {"isEmpty", RectIsEmpty},
                                                        {"setEmpty", RectSetEmpty},
                                                        {"contains", RectContains},
                                                        {"containsPoint", RectContainsPoint},
                                                        {"containsRect", RectContainsRect},
                                                        {"equals", RectEquals},
                                                        {"inflate", RectInflate},
                                                        {"inflatePoint", RectInflatePoint},
                                                        {"offset", RectOffset},
                                                        {"offsetPoint", RectOffsetPoint},
                                                        {"intersection", RectIntersection},
                                                        {"intersects", RectIntersects},
                                                        {"union", RectUnion},
                                                        {"setTo", SetTo<4>},
                                                        {"copyFrom", CopyFrom<4>}};
    for (const auto& [name, fn] : methods)
        vm.defineMethod(rect, name, fn);
}

void InstallMatrix(Vm& vm) {
    ClassObject* matrix =
        vm.defineClass("flash.geom", "Matrix", vm.natives.object, nullptr, MatrixInit);
    NumberSlots(matrix, {{"a", 1}, {"b", 0}, {"c", 0}, {"d", 1}, {"tx", 0}, {"ty", 0}});
    const std::pair<const char*, NativeFn> methods[] = {
        {"toString", MatrixToString},
        {"clone", MatrixClone},
        {"concat", MatrixConcat},
        {"identity", MatrixIdentity},
        {"invert", MatrixInvert},
        {"rotate", MatrixRotate},
        {"scale", MatrixScale},
        {"translate", MatrixTranslate},
        {"transformPoint", MatrixMapPoint<true>},
        {"deltaTransformPoint", MatrixMapPoint<false>},
        {"createBox", MatrixCreateBox},
        {"createGradientBox", MatrixCreateGradientBox},
        {"setTo", SetTo<6>},
        {"copyFrom", CopyFrom<6>}};
    for (const auto& [name, fn] : methods)
        vm.defineMethod(matrix, name, fn);
}

void InstallColorTransform(Vm& vm) {
    ClassObject* ct = vm.defineClass("flash.geom", "ColorTransform", vm.natives.object, nullptr,
                                     ColorTransformInit);
    NumberSlots(ct, {{"redMultiplier", 1},
                     {"greenMultiplier", 1},
                     {"blueMultiplier", 1},
                     {"alphaMultiplier", 1},
                     {"redOffset", 0},
                     {"greenOffset", 0},
                     {"blueOffset", 0},
                     {"alphaOffset", 0}});
    vm.defineAccessor(ct, "color", GetColor, SetColor);
    vm.defineMethod(ct, "toString", ColorTransformToString);
    vm.defineMethod(ct, "concat", ColorTransformConcat);
}

} // namespace

Value NewPoint(Vm& vm, double x, double y) {
    Value args[] = {Value(x), Value(y)};
    return vm.constructClass(GeomClass(vm, "Point"), args);
}

Value NewRectangle(Vm& vm, double x, double y, double width, double height) {
    Value args[] = {Value(x), Value(y), Value(width), Value(height)};
    return vm.constructClass(GeomClass(vm, "Rectangle"), args);
}

Value NewMatrix(Vm& vm, const Matrix& m) {
    Value args[] = {Value(m.a), Value(m.b), Value(m.c), Value(m.d), Value(m.tx), Value(m.ty)};
    return vm.constructClass(GeomClass(vm, "Matrix"), args);
}

Matrix MatrixFrom(Vm& vm, const Value& v) {
    Object* m = M(vm, v);
    return {F(m, kA), F(m, kB), F(m, kC), F(m, kD), F(m, kTx), F(m, kTy)};
}

Value NewColorTransform(Vm& vm, const ColorTransform& c) {
    Value args[] = {Value(double(c.rMul)), Value(double(c.gMul)), Value(double(c.bMul)),
                    Value(double(c.aMul)), Value(double(c.rAdd)), Value(double(c.gAdd)),
                    Value(double(c.bAdd)), Value(double(c.aAdd))};
    return vm.constructClass(GeomClass(vm, "ColorTransform"), args);
}

ColorTransform ColorTransformFrom(Vm& vm, const Value& v) {
    Object* ct = CT(vm, v);
    auto f = [&](std::uint32_t slot) {
        return float(F(ct, slot));
    };
    return {f(0), f(1), f(2), f(3), f(4), f(5), f(6), f(7)};
}

void StoreColorTransform(Vm& vm, const Value& target, const ColorTransform& c) {
    Object* ct = CT(vm, target);
    const float parts[] = {c.rMul, c.gMul, c.bMul, c.aMul, c.rAdd, c.gAdd, c.bAdd, c.aAdd};
    for (std::uint32_t i = 0; i < 8; ++i)
        SetF(ct, i, double(parts[i]));
}

void InstallGeom(Vm& vm) {
    InstallPoint(vm);
    InstallRectangle(vm);
    InstallMatrix(vm);
    InstallColorTransform(vm);
}

} // namespace vidorama::swf::avm2
