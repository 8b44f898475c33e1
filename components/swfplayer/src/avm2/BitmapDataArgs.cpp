// The parameters BitmapData's methods share, checked as Flash checks them.

#include "avm2/BitmapDataArgs.h"

#include "avm2/Native.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf::avm2 {

namespace {

constexpr double kFarthest = 2147483648.0;

BitmapDataObject* AsBitmapData(const Value& v) {
    return v.isObject() ? dynamic_cast<BitmapDataObject*>(v.object) : nullptr;
}

BitmapPixels& Valid(Vm& vm, BitmapDataObject* bitmap) {
    if (!bitmap->pixels())
        vm.throwError("ArgumentError", 2015, ErrorMessage(2015));
    return *bitmap->pixels();
}

double Member(Vm& vm, const Value& v, const char* name) {
    return vm.toNumber(vm.getProperty(v, Name::publicName(name)));
}

} // namespace

PixelRect PixelRect::clipped(std::int64_t width, std::int64_t height) const {
    PixelRect r;
    r.left = std::clamp<std::int64_t>(left, 0, width);
    r.top = std::clamp<std::int64_t>(top, 0, height);
    r.right = std::clamp<std::int64_t>(right, r.left, width);
    r.bottom = std::clamp<std::int64_t>(bottom, r.top, height);
    return r;
}

std::int64_t PixelCoordinate(double v) {
    if (std::isnan(v))
        return 0;
    return static_cast<std::int64_t>(std::nearbyint(std::clamp(v, -kFarthest, kFarthest)));
}

BitmapPixels& ThisPixels(Vm& vm, const Value& self) {
    BitmapDataObject* bitmap = AsBitmapData(self);
    if (!bitmap)
        vm.throwError("TypeError", 1034, ErrorMessage(1034, vm.describe(self), "BitmapData"));
    return Valid(vm, bitmap);
}

BitmapPixels& BitmapParam(Vm& vm, const Value& v, const char* name) {
    BitmapDataObject* bitmap = AsBitmapData(v);
    if (!bitmap)
        vm.throwError("TypeError", 2007, ErrorMessage(2007, name));
    return Valid(vm, bitmap);
}

PixelRect RectParam(Vm& vm, const Value& v, const char* name) {
    if (v.isNullish())
        vm.throwError("TypeError", 2007, ErrorMessage(2007, name));
    const double x = Member(vm, v, "x"), y = Member(vm, v, "y");
    PixelRect r;
    r.left = PixelCoordinate(x);
    r.top = PixelCoordinate(y);
    r.right = PixelCoordinate(x + Member(vm, v, "width"));
    r.bottom = PixelCoordinate(y + Member(vm, v, "height"));
    return r;
}

PixelRect PointParam(Vm& vm, const Value& v, const char* name) {
    if (v.isNullish())
        vm.throwError("TypeError", 2007, ErrorMessage(2007, name));
    PixelRect r;
    r.left = r.right = PixelCoordinate(Member(vm, v, "x"));
    r.top = r.bottom = PixelCoordinate(Member(vm, v, "y"));
    return r;
}

std::uint32_t ColorParam(Vm& vm, Args args, std::size_t i, std::uint32_t fallback) {
    return i < args.size() && !args[i].isUndefined() ? ToUint32(vm.toNumber(args[i])) : fallback;
}

} // namespace vidorama::swf::avm2
