// Color: the colour transform of a clip, set by script.

#include "avm1/ClipControl.h"
#include "avm1/Native.h"
#include "player/MovieClip.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf::avm1 {

namespace {

constexpr const char* kTarget = "__target";

// The clip a Color object controls: its constructor's argument, a clip or
// a path from the root.
DisplayObject* Target(Vm& vm, const Value& self) {
    Object* color = self.asObject();
    if (!color)
        return nullptr;
    Value target = vm.getMember(color, kTarget);
    if (DisplayObject* object = vm.displayObjectOf(target))
        return object;
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
    const ColorTransform& t = object->properties().colorTransform;
    auto channel = [](float v) {
        return static_cast<int>(std::clamp(v, 0.0f, 255.0f));
    };
    return Value::number((channel(t.rAdd) << 16) | (channel(t.gAdd) << 8) | channel(t.bAdd));
}

Value SetTransform(Vm& vm, const Value& self, std::span<const Value> args) {
    DisplayObject* object = Target(vm, self);
    Object* source = Arg(args, 0).asObject();
    if (!object || !source)
        return {};
    ColorTransform& t = object->properties().colorTransform;
    auto take = [&](const char* name, float& field, float scale) {
        if (!vm.hasProperty(source, name))
            return;
        double n = vm.toNumber(vm.getMember(source, name));
        if (std::isfinite(n))
            field = static_cast<float>(n / scale);
    };
    take("ra", t.rMul, 100);
    take("ga", t.gMul, 100);
    take("ba", t.bMul, 100);
    take("aa", t.aMul, 100);
    take("rb", t.rAdd, 1);
    take("gb", t.gAdd, 1);
    take("bb", t.bAdd, 1);
    take("ab", t.aAdd, 1);
    return {};
}

Value GetTransform(Vm& vm, const Value& self, std::span<const Value>) {
    DisplayObject* object = Target(vm, self);
    if (!object)
        return {};
    const ColorTransform& t = object->properties().colorTransform;
    Object* result = vm.newObject();
    auto put = [&](const char* name, float value) {
        vm.setMember(result, name, Value::number(std::round(double(value) * 1e4) / 1e4));
    };
    put("ra", t.rMul * 100);
    put("rb", t.rAdd);
    put("ga", t.gMul * 100);
    put("gb", t.gAdd);
    put("ba", t.bMul * 100);
    put("bb", t.bAdd);
    put("aa", t.aMul * 100);
    put("ab", t.aAdd);
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
