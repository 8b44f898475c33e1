// The display properties clips gained with Flash 8 that scripts read and
// set by name: transform, blendMode and cacheAsBitmap.

#include "avm1/Native.h"
#include "player/DisplayObject.h"

#include <array>
#include <cmath>

namespace vidorama::swf::avm1 {

namespace {

// In the order of the blend mode numbers, from 1.
constexpr std::array<const char*, 14> kBlendModeNames = {
    "normal", "layer",    "multiply", "screen", "lighten", "darken",  "difference",
    "add",    "subtract", "invert",   "alpha",  "erase",   "overlay", "hardlight"};

std::optional<BlendMode> BlendModeOf(Vm& vm, const Value& value) {
    if (value.isString()) {
        for (std::size_t i = 0; i < kBlendModeNames.size(); ++i)
            if (value.asString() == kBlendModeNames[i])
                return static_cast<BlendMode>(i + 1);
        return std::nullopt;
    }
    const double number = vm.toNumber(value);
    if (number >= 1 && number <= double(kBlendModeNames.size()) && number == std::trunc(number))
        return static_cast<BlendMode>(static_cast<int>(number));
    return std::nullopt;
}

} // namespace

bool GetFlash8Property(Vm& vm, DisplayObject& object, std::string_view name, Value& out) {
    if (vm.version() < 8)
        return false;
    DisplayProperties& p = object.properties();
    if (name == "transform") {
        out = ClipTransform(vm, object);
    } else if (name == "blendMode") {
        const auto index = static_cast<std::size_t>(p.blendMode) - 1;
        out = Value::string(index < kBlendModeNames.size() ? kBlendModeNames[index] : "normal");
    } else if (name == "cacheAsBitmap") {
        out = Value::boolean(p.cacheAsBitmap);
    } else {
        return false;
    }
    return true;
}

bool SetFlash8Property(Vm& vm, DisplayObject& object, std::string_view name, const Value& value) {
    if (vm.version() < 8)
        return false;
    DisplayProperties& p = object.properties();
    if (name == "transform") {
        SetClipTransform(vm, object, value);
    } else if (name == "blendMode") {
        // A name or number Flash does not know leaves the mode as it was.
        if (auto mode = BlendModeOf(vm, value))
            p.blendMode = *mode;
    } else if (name == "cacheAsBitmap") {
        p.cacheAsBitmap = vm.toBoolean(value);
    } else {
        return false;
    }
    return true;
}

} // namespace vidorama::swf::avm1
