// flash.geom.Rectangle. Flash writes it in ActionScript: every step reads
// and writes the object's own properties, in an order a movie can watch.

#include "avm1/Native.h"
#include "avm1/ScriptOperators.h"

#include <functional>

namespace vidorama::swf::avm1 {

namespace {

Value SetEmpty(Vm& vm, const Value& self, std::span<const Value>) {
    ScriptSteps s(vm);
    // Made in this order, which for..in shows.
    for (const char* name : {"height", "width", "y", "x"})
        s.set(self, name, Value::number(0));
    return {};
}

Value ConstructRectangle(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    if (args.empty()) {
        s.call(self, "setEmpty");
        return {};
    }
    s.set(self, "x", Arg(args, 0));
    s.set(self, "y", Arg(args, 1));
    s.set(self, "width", Arg(args, 2));
    s.set(self, "height", Arg(args, 3));
    return {};
}

Value NewRect(ScriptSteps& s, std::span<const Value> args) {
    return s.construct("Rectangle", args);
}

// x + width, or y + height.
Value FarEdge(ScriptSteps& s, const Value& rect, bool horizontal) {
    Value start = s.get(rect, horizontal ? "x" : "y");
    return s.add(start, s.get(rect, horizontal ? "width" : "height"));
}

Value RectClone(Vm& vm, const Value& self, std::span<const Value>) {
    ScriptSteps s(vm);
    const Value args[] = {s.get(self, "x"), s.get(self, "y"), s.get(self, "width"),
                          s.get(self, "height")};
    return NewRect(s, args);
}

Value RectIsEmpty(Vm& vm, const Value& self, std::span<const Value>) {
    ScriptSteps s(vm);
    const Value zero = Value::number(0);
    if (s.lessOrEqual(s.get(self, "width"), zero))
        return Value::boolean(true);
    return Value::boolean(s.lessOrEqual(s.get(self, "height"), zero));
}

Value GetLeft(Vm& vm, const Value& self, std::span<const Value>) {
    return ScriptSteps(vm).get(self, "x");
}

Value GetTop(Vm& vm, const Value& self, std::span<const Value>) {
    return ScriptSteps(vm).get(self, "y");
}

// Moving the near edge keeps the far one where it is.
void SetNearEdge(ScriptSteps& s, const Value& self, const Value& edge, bool horizontal) {
    const char* start = horizontal ? "x" : "y";
    const char* size = horizontal ? "width" : "height";
    Value moved = s.sub(s.get(self, start), edge);
    s.set(self, size, s.add(s.get(self, size), moved));
    s.set(self, start, edge);
}

void SetFarEdge(ScriptSteps& s, const Value& self, const Value& edge, bool horizontal) {
    Value start = s.get(self, horizontal ? "x" : "y");
    s.set(self, horizontal ? "width" : "height", s.sub(edge, start));
}

Value SetLeft(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    SetNearEdge(s, self, Arg(args, 0), true);
    return {};
}

Value SetTop(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    SetNearEdge(s, self, Arg(args, 0), false);
    return {};
}

Value GetRight(Vm& vm, const Value& self, std::span<const Value>) {
    ScriptSteps s(vm);
    return FarEdge(s, self, true);
}

Value GetBottom(Vm& vm, const Value& self, std::span<const Value>) {
    ScriptSteps s(vm);
    return FarEdge(s, self, false);
}

Value SetRight(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    SetFarEdge(s, self, Arg(args, 0), true);
    return {};
}

Value SetBottom(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    SetFarEdge(s, self, Arg(args, 0), false);
    return {};
}

Value MakePoint(ScriptSteps& s, const Value& x, const Value& y) {
    const Value args[] = {x, y};
    return s.construct("Point", args);
}

Value GetTopLeft(Vm& vm, const Value& self, std::span<const Value>) {
    ScriptSteps s(vm);
    Value x = s.get(self, "x");
    return MakePoint(s, x, s.get(self, "y"));
}

Value SetTopLeft(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    const Value& point = Arg(args, 0);
    s.set(self, "width", s.add(s.get(self, "width"), s.sub(s.get(self, "x"), s.get(point, "x"))));
    s.set(self, "height", s.add(s.get(self, "height"), s.sub(s.get(self, "y"), s.get(point, "y"))));
    s.set(self, "x", s.get(point, "x"));
    s.set(self, "y", s.get(point, "y"));
    return {};
}

Value GetBottomRight(Vm& vm, const Value& self, std::span<const Value>) {
    ScriptSteps s(vm);
    Value x = FarEdge(s, self, true);
    return MakePoint(s, x, FarEdge(s, self, false));
}

Value SetBottomRight(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    const Value& point = Arg(args, 0);
    s.set(self, "width", s.sub(s.get(point, "x"), s.get(self, "x")));
    s.set(self, "height", s.sub(s.get(point, "y"), s.get(self, "y")));
    return {};
}

Value GetSize(Vm& vm, const Value& self, std::span<const Value>) {
    ScriptSteps s(vm);
    Value width = s.get(self, "width");
    return MakePoint(s, width, s.get(self, "height"));
}

Value SetSize(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    s.set(self, "width", s.get(Arg(args, 0), "x"));
    s.set(self, "height", s.get(Arg(args, 0), "y"));
    return {};
}

// Grows the rectangle by dx on the left and right, and dy above and below.
void Inflate(ScriptSteps& s, const Value& self, const Value& dx, const Value& dy) {
    const Value two = Value::number(2);
    s.set(self, "x", s.sub(s.get(self, "x"), dx));
    s.set(self, "width", s.add(s.get(self, "width"), s.mul(dx, two)));
    s.set(self, "y", s.sub(s.get(self, "y"), dy));
    s.set(self, "height", s.add(s.get(self, "height"), s.mul(dy, two)));
}

Value RectInflate(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    Inflate(s, self, Arg(args, 0), Arg(args, 1));
    return {};
}

Value RectInflatePoint(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    const Value& point = Arg(args, 0);
    const Value two = Value::number(2);
    s.set(self, "x", s.sub(s.get(self, "x"), s.get(point, "x")));
    s.set(self, "width", s.add(s.get(self, "width"), s.mul(s.get(point, "x"), two)));
    s.set(self, "y", s.sub(s.get(self, "y"), s.get(point, "y")));
    s.set(self, "height", s.add(s.get(self, "height"), s.mul(s.get(point, "y"), two)));
    return {};
}

Value RectOffset(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    s.set(self, "x", s.add(s.get(self, "x"), Arg(args, 0)));
    s.set(self, "y", s.add(s.get(self, "y"), Arg(args, 1)));
    return {};
}

Value RectOffsetPoint(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    const Value& point = Arg(args, 0);
    s.set(self, "x", s.add(s.get(self, "x"), s.get(point, "x")));
    s.set(self, "y", s.add(s.get(self, "y"), s.get(point, "y")));
    return {};
}

// x >= left && x < left + width, for one axis. Like the && chains below it
// gives the first operand that fails, which may be undefined, not false.
Value WithinSpan(ScriptSteps& s, const Value& self, const Value& at, bool horizontal) {
    if (!s.greaterOrEqual(at, s.get(self, horizontal ? "x" : "y")))
        return Value::boolean(false);
    return s.lessValue(at, FarEdge(s, self, horizontal));
}

Value RectContains(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    Value inX = WithinSpan(s, self, Arg(args, 0), true);
    return s.truthy(inX) ? WithinSpan(s, self, Arg(args, 1), false) : inX;
}

Value RectContainsPoint(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    const Value& point = Arg(args, 0);
    Value inX = WithinSpan(s, self, s.get(point, "x"), true);
    return s.truthy(inX) ? WithinSpan(s, self, s.get(point, "y"), false) : inX;
}

Value RectContainsRectangle(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    const Value& other = Arg(args, 0);
    Value otherRight = FarEdge(s, other, true);
    Value otherBottom = FarEdge(s, other, false);
    Value right = FarEdge(s, self, true);
    Value bottom = FarEdge(s, self, false);
    // Each test runs only when the ones before it held.
    const std::function<Value()> tests[] = {
        [&] { return Value::boolean(s.greaterOrEqual(s.get(other, "x"), s.get(self, "x"))); },
        [&] { return s.lessValue(s.get(other, "x"), right); },
        [&] { return Value::boolean(s.greaterOrEqual(s.get(other, "y"), s.get(self, "y"))); },
        [&] { return s.lessValue(s.get(other, "y"), bottom); },
        [&] { return s.greaterValue(otherRight, s.get(self, "x")); },
        [&] { return Value::boolean(s.lessOrEqual(otherRight, right)); },
        [&] { return s.greaterValue(otherBottom, s.get(self, "y")); },
        [&] { return Value::boolean(s.lessOrEqual(otherBottom, bottom)); },
    };
    Value result;
    for (const auto& test : tests) {
        result = test();
        if (!s.truthy(result))
            break;
    }
    return result;
}

// The overlap (or the span) of two rectangles along one axis, made on
// result: its start, then its size from the far edges.
void CombineAxis(ScriptSteps& s, const Value& self, const Value& other, const Value& result,
                 bool horizontal, bool overlap) {
    const char* start = horizontal ? "x" : "y";
    const char* size = horizontal ? "width" : "height";
    const Value starts[] = {s.get(self, start), s.get(other, start)};
    s.set(result, start, s.math(overlap ? "max" : "min", starts));
    Value otherFar = FarEdge(s, other, horizontal);
    Value far = FarEdge(s, self, horizontal);
    const Value fars[] = {far, otherFar};
    Value end = s.math(overlap ? "min" : "max", fars);
    s.set(result, size, s.sub(end, s.get(result, start)));
}

Value RectIntersection(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    const Value& other = Arg(args, 0);
    Value result = NewRect(s, {});
    if (s.truthy(s.call(self, "isEmpty")) || s.truthy(s.call(other, "isEmpty"))) {
        s.call(result, "setEmpty");
        return result;
    }
    CombineAxis(s, self, other, result, true, true);
    CombineAxis(s, self, other, result, false, true);
    const Value zero = Value::number(0);
    if (s.lessOrEqual(s.get(result, "width"), zero) || s.lessOrEqual(s.get(result, "height"), zero))
        s.call(result, "setEmpty");
    return result;
}

Value RectIntersects(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    const Value other[] = {Arg(args, 0)};
    return Value::boolean(!s.truthy(s.call(s.call(self, "intersection", other), "isEmpty")));
}

Value RectUnion(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    const Value& other = Arg(args, 0);
    if (s.truthy(s.call(self, "isEmpty")))
        return s.call(other, "clone");
    if (s.truthy(s.call(other, "isEmpty")))
        return s.call(self, "clone");
    Value result = NewRect(s, {});
    CombineAxis(s, self, other, result, true, false);
    CombineAxis(s, self, other, result, false, false);
    return result;
}

Value RectEquals(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    const Value& other = Arg(args, 0);
    if (!s.isInstance(other, "Rectangle"))
        return Value::boolean(false);
    for (const char* name : {"x", "y", "width", "height"})
        if (!s.equal(s.get(other, name), s.get(self, name)))
            return Value::boolean(false);
    return Value::boolean(true);
}

Value RectToString(Vm& vm, const Value& self, std::span<const Value>) {
    ScriptSteps s(vm);
    Value text = Value::string("(x=");
    text = s.add(s.add(text, s.get(self, "x")), Value::string(", y="));
    text = s.add(s.add(text, s.get(self, "y")), Value::string(", w="));
    text = s.add(s.add(text, s.get(self, "width")), Value::string(", h="));
    return s.add(s.add(text, s.get(self, "height")), Value::string(")"));
}

} // namespace

Object* NewRectangle(Vm& vm, double x, double y, double width, double height) {
    Object* rectangle = vm.make<Object>(vm.builtins().rectangle);
    const Value values[] = {Value::number(x), Value::number(y), Value::number(width),
                            Value::number(height)};
    ConstructRectangle(vm, Value::object(rectangle), values);
    return rectangle;
}

void InstallRectangleClass(Vm& vm, Object* geom, Object* proto) {
    FunctionObject* rectangle = vm.newNative(ConstructRectangle);
    vm.linkPrototype(rectangle, proto);
    vm.defineValue(geom, "Rectangle", Value::object(rectangle), kDontEnum);
    Method(vm, proto, "clone", RectClone);
    Method(vm, proto, "setEmpty", SetEmpty);
    Method(vm, proto, "isEmpty", RectIsEmpty);
    Accessor(vm, proto, "left", GetLeft, SetLeft);
    Accessor(vm, proto, "right", GetRight, SetRight);
    Accessor(vm, proto, "top", GetTop, SetTop);
    Accessor(vm, proto, "bottom", GetBottom, SetBottom);
    Accessor(vm, proto, "topLeft", GetTopLeft, SetTopLeft);
    Accessor(vm, proto, "bottomRight", GetBottomRight, SetBottomRight);
    Accessor(vm, proto, "size", GetSize, SetSize);
    Method(vm, proto, "inflate", RectInflate);
    Method(vm, proto, "inflatePoint", RectInflatePoint);
    Method(vm, proto, "offset", RectOffset);
    Method(vm, proto, "offsetPoint", RectOffsetPoint);
    Method(vm, proto, "contains", RectContains);
    Method(vm, proto, "containsPoint", RectContainsPoint);
    Method(vm, proto, "containsRectangle", RectContainsRectangle);
    Method(vm, proto, "intersection", RectIntersection);
    Method(vm, proto, "intersects", RectIntersects);
    Method(vm, proto, "union", RectUnion);
    Method(vm, proto, "equals", RectEquals);
    Method(vm, proto, "toString", RectToString);
}

} // namespace vidorama::swf::avm1
