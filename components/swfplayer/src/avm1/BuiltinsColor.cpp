// Color: the colour transform of a clip, set by script.

#include "avm1/ClipControl.h"
#include "avm1/Native.h"
#include "player/MovieClip.h"

#include <cmath>
#include <cstdint>

namespace vidorama::swf::avm1 {

namespace {

constexpr const char* kTarget = "__target";

// The clip a Color object controls: its constructor's argument, a clip or
// a path from the root. An empty path names no clip, not the root.
DisplayObject* Target(Vm& vm, const Value& self) {
    Object* color = self.asObject();
    if (!color)
        return nullptr;
    Value target = vm.getMember(color, kTarget);
    if (DisplayObject* object = vm.displayObjectOf(target))
        return object;
    if (vm.toString(target).empty())
        return nullptr;
    return ClipFromTarget(vm, vm.clipObject(vm.host().rootClip()), target);
}

Value Construct(Vm& vm, const Value& self, std::span<const Value> args) {
    if (Object* color = self.asObject())
        vm.defineValue(color, kTarget, Arg(args, 0), kDontEnum);
    return {};
}

Value SetRgb(Vm& vm, const Value& self, std::span<const Value> args) {
    DisplayObject* object = Target(vm, self);
    if (!object)
        return {};
    auto rgb = static_cast<std::uint32_t>(ToInt32(vm.toNumber(Arg(args, 0))));
    ColorTransform& t = object->properties().colorTransform;
    t.rMul = t.gMul = t.bMul = 0;
    t.rAdd = float((rgb >> 16) & 0xff);
    t.gAdd = float((rgb >> 8) & 0xff);
    t.bAdd = float(rgb & 0xff);
    return {};
}

Value GetRgb(Vm& vm, const Value& self, std::span<const Value>) {
    DisplayObject* object = Target(vm, self);
    if (!object)
        return {};
    // The offsets are put together as they are, negative ones too.
    const ColorTransform& t = object->properties().colorTransform;
    auto bits = [](float v) {
        return static_cast<std::uint32_t>(static_cast<std::int32_t>(v));
    };
    return Value::number(
        static_cast<std::int32_t>(bits(t.rAdd) << 16 | bits(t.gAdd) << 8 | bits(t.bAdd)));
}

Value SetTransform(Vm& vm, const Value& self, std::span<const Value> args) {
    DisplayObject* object = Target(vm, self);
    Object* source = Arg(args, 0).asObject();
    if (!object || !source)
        return {};
    ColorTransform& t = object->properties().colorTransform;
    // Flash keeps each term in 16 bits, as the SWF colour transform does:
    // multipliers in 8.8 fixed point, offsets whole. Values wrap round, and
    // what is not a number counts as 0. Only the object's own members count,
    // not those of its prototypes.
    auto take = [&](const char* name, float& field, bool multiplier) {
        if (!source->properties().find(vm.key(name)))
            return;
        double n = vm.toNumber(vm.getMember(source, name));
        auto fixed = static_cast<std::int16_t>(ToInt32(multiplier ? n * 256 / 100 : n));
        field = multiplier ? fixed / 256.0f : fixed;
    };
    take("ra", t.rMul, true);
    take("ga", t.gMul, true);
    take("ba", t.bMul, true);
    take("aa", t.aMul, true);
    take("rb", t.rAdd, false);
    take("gb", t.gAdd, false);
    take("bb", t.bAdd, false);
    take("ab", t.aAdd, false);
    return {};
}

Value GetTransform(Vm& vm, const Value& self, std::span<const Value>) {
    DisplayObject* object = Target(vm, self);
    if (!object)
        return {};
    const ColorTransform& t = object->properties().colorTransform;
    Object* result = vm.newObject();
    auto put = [&](const char* name, float value, double scale) {
        vm.setMember(result, name, Value::number(double(value) * scale));
    };
    put("ra", t.rMul, 100);
    put("rb", t.rAdd, 1);
    put("ga", t.gMul, 100);
    put("gb", t.gAdd, 1);
    put("ba", t.bMul, 100);
    put("bb", t.bAdd, 1);
    put("aa", t.aMul, 100);
    put("ab", t.aAdd, 1);
    return Value::object(result);
}

} // namespace

void InstallColorClass(Vm& vm, Builtins& b) {
    Class(vm, "Color", b.color, Construct);
    Method(vm, b.color, "setRGB", SetRgb);
    Method(vm, b.color, "getRGB", GetRgb);
    Method(vm, b.color, "setTransform", SetTransform);
    Method(vm, b.color, "getTransform", GetTransform);
}

} // namespace vidorama::swf::avm1
