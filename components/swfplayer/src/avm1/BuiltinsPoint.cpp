// flash.geom.Point. Flash writes it in ActionScript, so every step reads and
// writes the object's own properties; the order of the steps shows to a
// movie that watches them, and is kept.

#include "avm1/Native.h"
#include "avm1/ScriptOperators.h"

namespace vidorama::swf::avm1 {

namespace {

Value MakePoint(ScriptSteps& s, const Value& x, const Value& y) {
    const Value args[] = {x, y};
    return s.construct("Point", args);
}

Value ConstructPoint(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    // Only a call without arguments gives (0, 0), y made first.
    if (args.empty()) {
        s.set(self, "y", Value::number(0));
        s.set(self, "x", Value::number(0));
        return {};
    }
    s.set(self, "x", Arg(args, 0));
    s.set(self, "y", Arg(args, 1));
    return {};
}

Value PointLength(Vm& vm, const Value& self, std::span<const Value>) {
    ScriptSteps s(vm);
    Value x = s.get(self, "x");
    Value xx = s.mul(x, s.get(self, "x"));
    Value y = s.get(self, "y");
    Value yy = s.mul(y, s.get(self, "y"));
    const Value sum[] = {s.add(xx, yy)};
    return s.math("sqrt", sum);
}

Value IgnoreWrite(Vm&, const Value&, std::span<const Value>) {
    return {};
}

Value PointClone(Vm& vm, const Value& self, std::span<const Value>) {
    ScriptSteps s(vm);
    Value y = s.get(self, "y");
    Value x = s.get(self, "x");
    return MakePoint(s, x, y);
}

Value PointOffset(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    s.set(self, "x", s.add(s.get(self, "x"), Arg(args, 0)));
    s.set(self, "y", s.add(s.get(self, "y"), Arg(args, 1)));
    return {};
}

Value PointEquals(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    const Value& other = Arg(args, 0);
    // A plain object is never equal, and its properties are never read.
    if (!s.isInstance(other, "Point"))
        return Value::boolean(false);
    if (!s.equal(s.get(other, "x"), s.get(self, "x")))
        return Value::boolean(false);
    return Value::boolean(s.equal(s.get(other, "y"), s.get(self, "y")));
}

// add and subtract work out y first.
Value PointCombine(Vm& vm, const Value& self, std::span<const Value> args, bool subtract) {
    ScriptSteps s(vm);
    const Value& other = Arg(args, 0);
    auto combine = [&](const char* name) {
        Value mine = s.get(self, name);
        Value theirs = s.get(other, name);
        return subtract ? s.sub(mine, theirs) : s.add(mine, theirs);
    };
    Value y = combine("y");
    Value x = combine("x");
    return MakePoint(s, x, y);
}

Value PointAdd(Vm& vm, const Value& self, std::span<const Value> args) {
    return PointCombine(vm, self, args, false);
}

Value PointSubtract(Vm& vm, const Value& self, std::span<const Value> args) {
    return PointCombine(vm, self, args, true);
}

Value PointNormalize(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    Value current = s.get(self, "length");
    // Nothing happens to a point of no length, or of none that is a number.
    if (s.lessOrEqual(current, Value::number(0)))
        return {};
    Value scale = s.div(Arg(args, 0), current);
    s.set(self, "x", s.mul(s.get(self, "x"), scale));
    s.set(self, "y", s.mul(s.get(self, "y"), scale));
    return {};
}

Value PointToString(Vm& vm, const Value& self, std::span<const Value>) {
    ScriptSteps s(vm);
    Value text = s.add(Value::string("(x="), s.get(self, "x"));
    text = s.add(text, Value::string(", y="));
    text = s.add(text, s.get(self, "y"));
    return s.add(text, Value::string(")"));
}

Value PointDistance(Vm& vm, const Value&, std::span<const Value> args) {
    ScriptSteps s(vm);
    const Value other[] = {Arg(args, 1)};
    return s.get(s.call(Arg(args, 0), "subtract", other), "length");
}

Value PointPolar(Vm& vm, const Value&, std::span<const Value> args) {
    ScriptSteps s(vm);
    const Value angle[] = {Arg(args, 1)};
    Value y = s.mul(Arg(args, 0), s.math("sin", angle));
    Value x = s.mul(Arg(args, 0), s.math("cos", angle));
    return MakePoint(s, x, y);
}

Value PointInterpolate(Vm& vm, const Value&, std::span<const Value> args) {
    ScriptSteps s(vm);
    const Value &from = Arg(args, 0), &to = Arg(args, 1), &f = Arg(args, 2);
    auto along = [&](const char* name) {
        Value end = s.get(to, name);
        Value span = s.sub(s.get(from, name), s.get(to, name));
        return s.add(end, s.mul(span, f));
    };
    Value y = along("y");
    Value x = along("x");
    return MakePoint(s, x, y);
}

} // namespace

void InstallPointClass(Vm& vm, Object* geom) {
    FunctionObject* point = vm.newNative(ConstructPoint);
    Object* proto = vm.linkPrototype(point);
    vm.defineValue(geom, "Point", Value::object(point), kDontEnum);
    Method(vm, point, "distance", PointDistance);
    Method(vm, point, "polar", PointPolar);
    Method(vm, point, "interpolate", PointInterpolate);
    Accessor(vm, proto, "length", PointLength, IgnoreWrite);
    Method(vm, proto, "clone", PointClone);
    Method(vm, proto, "offset", PointOffset);
    Method(vm, proto, "equals", PointEquals);
    Method(vm, proto, "subtract", PointSubtract);
    Method(vm, proto, "add", PointAdd);
    Method(vm, proto, "normalize", PointNormalize);
    Method(vm, proto, "toString", PointToString);
}

} // namespace vidorama::swf::avm1
