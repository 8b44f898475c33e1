// flash.geom.ColorTransform, and flash.geom.Transform: the matrix and colour
// transform of a clip as objects (MovieClip.transform).

#include "avm1/Native.h"
#include "avm1/ScriptOperators.h"
#include "player/MovieClip.h"

#include <array>
#include <cmath>

namespace vidorama::swf::avm1 {

namespace {

constexpr std::array<const char*, 8> kColorMembers = {
    "redMultiplier", "greenMultiplier", "blueMultiplier", "alphaMultiplier",
    "redOffset",     "greenOffset",     "blueOffset",     "alphaOffset"};

constexpr const char* kClip = "__clip";

// Its members are the object's own, hidden from for..in, so that a subclass
// calling super() gets them as well.
Value ConstructColorTransform(Vm& vm, const Value& self, std::span<const Value> args) {
    Object* object = self.asObject();
    if (!object)
        return {};
    for (std::size_t i = 0; i < kColorMembers.size(); ++i) {
        double value = i < 4 ? 1 : 0;
        if (i < args.size())
            value = vm.toNumber(args[i]);
        vm.defineValue(object, kColorMembers[i], Value::number(value), kDontEnum);
    }
    return {};
}

std::array<double, 8> ReadColorTransform(Vm& vm, const Value& object) {
    std::array<double, 8> values{};
    for (std::size_t i = 0; i < kColorMembers.size(); ++i)
        values[i] = vm.toNumber(vm.getProperty(object, kColorMembers[i]));
    return values;
}

void WriteColorTransform(Vm& vm, const Value& object, const std::array<double, 8>& values) {
    if (Object* target = object.asObject())
        for (std::size_t i = 0; i < kColorMembers.size(); ++i)
            vm.setMember(target, kColorMembers[i], Value::number(values[i]));
}

Value NewColorTransform(Vm& vm, const std::array<double, 8>& values) {
    ScriptSteps s(vm);
    std::array<Value, 8> args;
    for (std::size_t i = 0; i < values.size(); ++i)
        args[i] = Value::number(values[i]);
    return s.construct("ColorTransform", args);
}

Value GetRgb(Vm& vm, const Value& self, std::span<const Value>) {
    std::array<double, 8> t = ReadColorTransform(vm, self);
    auto offset = [](double v) {
        return static_cast<std::uint32_t>(ToInt32(v)) & 0xff;
    };
    return Value::number(offset(t[4]) << 16 | offset(t[5]) << 8 | offset(t[6]));
}

// Setting rgb gives a solid colour: offsets of the colour, no multipliers;
// alpha stays.
Value SetRgb(Vm& vm, const Value& self, std::span<const Value> args) {
    auto rgb = static_cast<std::uint32_t>(ToInt32(vm.toNumber(Arg(args, 0))));
    std::array<double, 8> t = ReadColorTransform(vm, self);
    t[0] = t[1] = t[2] = 0;
    t[4] = (rgb >> 16) & 0xff;
    t[5] = (rgb >> 8) & 0xff;
    t[6] = rgb & 0xff;
    WriteColorTransform(vm, self, t);
    return {};
}

// this then second: second applies first, its offsets scaled by this.
Value Concat(Vm& vm, const Value& self, std::span<const Value> args) {
    std::array<double, 8> t = ReadColorTransform(vm, self);
    std::array<double, 8> second = ReadColorTransform(vm, Arg(args, 0));
    for (std::size_t i = 0; i < 4; ++i) {
        t[i + 4] += t[i] * second[i + 4];
        t[i] *= second[i];
    }
    WriteColorTransform(vm, self, t);
    return {};
}

Value ColorTransformToString(Vm& vm, const Value& self, std::span<const Value>) {
    ScriptSteps s(vm);
    Value text = Value::string("(");
    for (std::size_t i = 0; i < kColorMembers.size(); ++i) {
        std::string label = std::string(i ? ", " : "") + kColorMembers[i] + "=";
        text = s.add(s.add(text, Value::string(label)), s.get(self, kColorMembers[i]));
    }
    return s.add(text, Value::string(")"));
}

DisplayObject* ClipOf(Vm& vm, const Value& transform) {
    return vm.displayObjectOf(vm.getProperty(transform, kClip));
}

Value ConstructTransform(Vm& vm, const Value& self, std::span<const Value> args) {
    if (Object* object = self.asObject())
        vm.defineValue(object, kClip, Arg(args, 0), kDontEnum);
    return {};
}

Value MatrixValue(Vm& vm, const Matrix& m) {
    ScriptSteps s(vm);
    const Value args[] = {Value::number(m.a),
                          Value::number(m.b),
                          Value::number(m.c),
                          Value::number(m.d),
                          Value::number(m.tx / kTwipsPerPixel),
                          Value::number(m.ty / kTwipsPerPixel)};
    return s.construct("Matrix", args);
}

Value ColorValue(Vm& vm, const ColorTransform& t) {
    return NewColorTransform(vm, {t.rMul, t.gMul, t.bMul, t.aMul, t.rAdd, t.gAdd, t.bAdd, t.aAdd});
}

Matrix ConcatenatedMatrix(const DisplayObject& object) {
    Matrix m = object.properties().matrix;
    for (const DisplayObject* at = object.parent(); at; at = at->parent())
        m = at->properties().matrix * m;
    return m;
}

ColorTransform ConcatenatedColor(const DisplayObject& object) {
    ColorTransform t = object.properties().colorTransform;
    for (const DisplayObject* at = object.parent(); at; at = at->parent())
        t = at->properties().colorTransform * t;
    return t;
}

Value GetMatrix(Vm& vm, const Value& self, std::span<const Value>) {
    DisplayObject* object = ClipOf(vm, self);
    return object ? MatrixValue(vm, object->properties().matrix) : Value();
}

Value SetMatrix(Vm& vm, const Value& self, std::span<const Value> args) {
    DisplayObject* object = ClipOf(vm, self);
    const Value& source = Arg(args, 0);
    if (!object || !source.isObject())
        return {};
    auto read = [&](const char* name) {
        return vm.toNumber(vm.getProperty(source, name));
    };
    Matrix m{read("a"),
             read("b"),
             read("c"),
             read("d"),
             read("tx") * kTwipsPerPixel,
             read("ty") * kTwipsPerPixel};
    // A matrix with a term that is no number leaves the clip as it was.
    if (std::isfinite(m.a) && std::isfinite(m.b) && std::isfinite(m.c) && std::isfinite(m.d) &&
        std::isfinite(m.tx) && std::isfinite(m.ty))
        object->properties().matrix = m;
    return {};
}

Value GetColor(Vm& vm, const Value& self, std::span<const Value>) {
    DisplayObject* object = ClipOf(vm, self);
    return object ? ColorValue(vm, object->properties().colorTransform) : Value();
}

Value SetColor(Vm& vm, const Value& self, std::span<const Value> args) {
    DisplayObject* object = ClipOf(vm, self);
    if (!object || !Arg(args, 0).isObject())
        return {};
    std::array<double, 8> v = ReadColorTransform(vm, args[0]);
    for (double& term : v)
        if (!std::isfinite(term))
            term = 0;
    object->properties().colorTransform = {float(v[0]), float(v[1]), float(v[2]), float(v[3]),
                                           float(v[4]), float(v[5]), float(v[6]), float(v[7])};
    return {};
}

Value GetConcatenatedMatrix(Vm& vm, const Value& self, std::span<const Value>) {
    DisplayObject* object = ClipOf(vm, self);
    return object ? MatrixValue(vm, ConcatenatedMatrix(*object)) : Value();
}

Value GetConcatenatedColor(Vm& vm, const Value& self, std::span<const Value>) {
    DisplayObject* object = ClipOf(vm, self);
    return object ? ColorValue(vm, ConcatenatedColor(*object)) : Value();
}

Value IgnoreWrite(Vm&, const Value&, std::span<const Value>) {
    return {};
}

} // namespace

void InstallTransformClasses(Vm& vm, Object* geom) {
    FunctionObject* colorTransform = vm.newNative(ConstructColorTransform);
    Object* colorProto = vm.linkPrototype(colorTransform);
    vm.defineValue(geom, "ColorTransform", Value::object(colorTransform), kDontEnum);
    Accessor(vm, colorProto, "rgb", GetRgb, SetRgb);
    Method(vm, colorProto, "concat", Concat);
    Method(vm, colorProto, "toString", ColorTransformToString);

    FunctionObject* transform = vm.newNative(ConstructTransform);
    Object* proto = vm.linkPrototype(transform);
    vm.defineValue(geom, "Transform", Value::object(transform), kDontEnum);
    Accessor(vm, proto, "matrix", GetMatrix, SetMatrix);
    Accessor(vm, proto, "colorTransform", GetColor, SetColor);
    Accessor(vm, proto, "concatenatedMatrix", GetConcatenatedMatrix, IgnoreWrite);
    Accessor(vm, proto, "concatenatedColorTransform", GetConcatenatedColor, IgnoreWrite);
}

Value ClipTransform(Vm& vm, DisplayObject& object) {
    ScriptSteps s(vm);
    const Value clip[] = {Value::object(vm.clipObject(object))};
    return s.construct("Transform", clip);
}

void SetClipTransform(Vm& vm, DisplayObject& object, const Value& transform) {
    if (!transform.isObject())
        return;
    ScriptSteps s(vm);
    Value target = ClipTransform(vm, object);
    s.set(target, "matrix", s.get(transform, "matrix"));
    s.set(target, "colorTransform", s.get(transform, "colorTransform"));
}

} // namespace vidorama::swf::avm1
