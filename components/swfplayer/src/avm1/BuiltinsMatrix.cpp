// flash.geom.Matrix. Flash writes it in ActionScript: every step reads and
// writes the object's own properties and calls its own methods, so a movie
// that replaces one (rotate, concat...) changes the others, as in Flash.

#include "avm1/Native.h"
#include "avm1/ScriptOperators.h"

#include <array>

namespace vidorama::swf::avm1 {

namespace {

constexpr std::array<const char*, 6> kMembers = {"a", "b", "c", "d", "tx", "ty"};

Value MakeMatrix(ScriptSteps& s, std::span<const Value> values) {
    return s.construct("Matrix", values);
}

Value Identity(Vm& vm, const Value& self, std::span<const Value>) {
    ScriptSteps s(vm);
    // The diagonal first, then the rest, each backwards: for..in shows it.
    s.set(self, "d", Value::number(1));
    s.set(self, "a", Value::number(1));
    for (const char* name : {"c", "b", "ty", "tx"})
        s.set(self, name, Value::number(0));
    return {};
}

Value ConstructMatrix(Vm& vm, const Value& self, std::span<const Value> args) {
    if (args.empty())
        return ScriptSteps(vm).call(self, "identity");
    ScriptSteps s(vm);
    for (std::size_t i = 0; i < kMembers.size(); ++i)
        s.set(self, kMembers[i], Arg(args, i));
    return {};
}

Value MatrixClone(Vm& vm, const Value& self, std::span<const Value>) {
    ScriptSteps s(vm);
    std::array<Value, 6> values;
    for (std::size_t i = kMembers.size(); i-- > 0;)
        values[i] = s.get(self, kMembers[i]);
    return MakeMatrix(s, values);
}

Value MatrixConcat(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    const Value& m = Arg(args, 0);
    auto mine = [&](const char* name) {
        return s.get(self, name);
    };
    auto theirs = [&](const char* name) {
        return s.get(m, name);
    };
    Value a = s.mul(mine("a"), theirs("a"));
    Value d = s.mul(mine("d"), theirs("d"));
    Value b = Value::number(0);
    Value c = Value::number(0);
    Value tx = s.add(s.mul(mine("tx"), theirs("a")), theirs("tx"));
    Value ty = s.add(s.mul(mine("ty"), theirs("d")), theirs("ty"));
    // The skew terms are only worked out when either matrix has one; NaN
    // counts as one.
    const Value zero = Value::number(0);
    if (!s.equal(mine("b"), zero) || !s.equal(mine("c"), zero) || !s.equal(theirs("b"), zero) ||
        !s.equal(theirs("c"), zero)) {
        a = s.add(a, s.mul(mine("b"), theirs("c")));
        d = s.add(d, s.mul(mine("c"), theirs("b")));
        b = s.add(b, s.add(s.mul(mine("a"), theirs("b")), s.mul(mine("b"), theirs("d"))));
        c = s.add(c, s.add(s.mul(mine("c"), theirs("a")), s.mul(mine("d"), theirs("c"))));
        tx = s.add(tx, s.mul(mine("ty"), theirs("c")));
        ty = s.add(ty, s.mul(mine("tx"), theirs("b")));
    }
    const std::array<Value, 6> values = {a, b, c, d, tx, ty};
    for (std::size_t i = 0; i < kMembers.size(); ++i)
        s.set(self, kMembers[i], values[i]);
    return {};
}

Value MatrixInvert(Vm& vm, const Value& self, std::span<const Value>) {
    ScriptSteps s(vm);
    const Value zero = Value::number(0), one = Value::number(1);
    if (s.equal(s.get(self, "b"), zero) && s.equal(s.get(self, "c"), zero)) {
        // A scale alone: the translation comes from the inverted scale.
        s.set(self, "a", s.div(one, s.get(self, "a")));
        s.set(self, "d", s.div(one, s.get(self, "d")));
        s.set(self, "c", zero);
        s.set(self, "b", zero);
        s.set(self, "tx", s.mul(s.neg(s.get(self, "a")), s.get(self, "tx")));
        s.set(self, "ty", s.mul(s.neg(s.get(self, "d")), s.get(self, "ty")));
        return {};
    }
    Value a = s.get(self, "a"), b = s.get(self, "b"), c = s.get(self, "c"), d = s.get(self, "d");
    Value det = s.sub(s.mul(a, d), s.mul(b, c));
    // A matrix that cannot be inverted becomes the identity.
    if (Vm::strictlyEqual(det, zero))
        return s.call(self, "identity");
    det = s.div(one, det);
    s.set(self, "a", s.mul(d, det));
    s.set(self, "b", s.mul(s.neg(b), det));
    s.set(self, "c", s.mul(s.neg(c), det));
    s.set(self, "d", s.mul(a, det));
    Value ty = s.get(self, "ty");
    Value tx = s.get(self, "tx");
    const Value xy[] = {tx, ty};
    const Value point[] = {s.construct("Point", xy)};
    Value moved = s.call(self, "deltaTransformPoint", point);
    s.set(self, "tx", s.neg(s.get(moved, "x")));
    s.set(self, "ty", s.neg(s.get(moved, "y")));
    return {};
}

Value CreateBox(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    // The translation defaults to 0, the rotation does not: without one the
    // matrix fills with NaN.
    Value tx = args.size() < 4 ? Value::number(0) : args[3];
    Value ty = args.size() < 5 ? Value::number(0) : args[4];
    s.call(self, "identity");
    const Value rotation[] = {Arg(args, 2)};
    s.call(self, "rotate", rotation);
    const Value scale[] = {Arg(args, 0), Arg(args, 1)};
    s.call(self, "scale", scale);
    s.set(self, "tx", tx);
    s.set(self, "ty", ty);
    return {};
}

Value CreateGradientBox(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    auto orZero = [&](std::size_t index) {
        return args.size() <= index ? Value::number(0) : args[index];
    };
    const Value &width = Arg(args, 0), &height = Arg(args, 1);
    Value rotation = orZero(2), tx = orZero(3), ty = orZero(4);
    const Value two = Value::number(2), twips = Value::number(1638.4);
    Value boxY = s.add(ty, s.div(height, two));
    Value boxX = s.add(tx, s.div(width, two));
    Value scaleY = s.div(height, twips);
    Value scaleX = s.div(width, twips);
    const Value box[] = {scaleX, scaleY, rotation, boxX, boxY};
    s.call(self, "createBox", box);
    return {};
}

Value MatrixRotate(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    const Value angle[] = {Arg(args, 0)};
    Value cos = s.math("cos", angle);
    Value sin = s.math("sin", angle);
    const Value values[] = {cos, sin, s.neg(sin), cos, Value::number(0), Value::number(0)};
    const Value rotation[] = {MakeMatrix(s, values)};
    s.call(self, "concat", rotation);
    return {};
}

Value MatrixScale(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    const Value zero = Value::number(0);
    const Value values[] = {Arg(args, 0), zero, zero, Arg(args, 1), zero, zero};
    const Value scale[] = {MakeMatrix(s, values)};
    s.call(self, "concat", scale);
    return {};
}

Value MatrixTranslate(Vm& vm, const Value& self, std::span<const Value> args) {
    ScriptSteps s(vm);
    s.set(self, "tx", s.add(s.get(self, "tx"), Arg(args, 0)));
    s.set(self, "ty", s.add(s.get(self, "ty"), Arg(args, 1)));
    return {};
}

// The point through the matrix, y worked out first; with the translation
// or without.
Value TransformPoint(Vm& vm, const Value& self, const Value& point, bool translate) {
    ScriptSteps s(vm);
    Value y = s.add(s.mul(s.get(self, "d"), s.get(point, "y")),
                    s.mul(s.get(self, "b"), s.get(point, "x")));
    if (translate)
        y = s.add(y, s.get(self, "ty"));
    Value x = s.add(s.mul(s.get(self, "a"), s.get(point, "x")),
                    s.mul(s.get(self, "c"), s.get(point, "y")));
    if (translate)
        x = s.add(x, s.get(self, "tx"));
    const Value xy[] = {x, y};
    return s.construct("Point", xy);
}

Value MatrixTransformPoint(Vm& vm, const Value& self, std::span<const Value> args) {
    return TransformPoint(vm, self, Arg(args, 0), true);
}

Value MatrixDeltaTransformPoint(Vm& vm, const Value& self, std::span<const Value> args) {
    return TransformPoint(vm, self, Arg(args, 0), false);
}

Value MatrixToString(Vm& vm, const Value& self, std::span<const Value>) {
    ScriptSteps s(vm);
    Value text = Value::string("(");
    for (std::size_t i = 0; i < kMembers.size(); ++i) {
        std::string label = std::string(i ? ", " : "") + kMembers[i] + "=";
        text = s.add(s.add(text, Value::string(label)), s.get(self, kMembers[i]));
    }
    return s.add(text, Value::string(")"));
}

} // namespace

void InstallMatrixClass(Vm& vm, Object* geom) {
    FunctionObject* matrix = vm.newNative(ConstructMatrix);
    Object* proto = vm.linkPrototype(matrix);
    vm.defineValue(geom, "Matrix", Value::object(matrix), kDontEnum);
    Method(vm, proto, "concat", MatrixConcat);
    Method(vm, proto, "invert", MatrixInvert);
    Method(vm, proto, "createBox", CreateBox);
    Method(vm, proto, "createGradientBox", CreateGradientBox);
    Method(vm, proto, "clone", MatrixClone);
    Method(vm, proto, "identity", Identity);
    Method(vm, proto, "rotate", MatrixRotate);
    Method(vm, proto, "translate", MatrixTranslate);
    Method(vm, proto, "scale", MatrixScale);
    Method(vm, proto, "deltaTransformPoint", MatrixDeltaTransformPoint);
    Method(vm, proto, "transformPoint", MatrixTransformPoint);
    Method(vm, proto, "toString", MatrixToString);
}

} // namespace vidorama::swf::avm1
