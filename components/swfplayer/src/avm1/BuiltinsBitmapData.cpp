// flash.display.BitmapData for ActionScript 2. Flash's methods answer -1
// when called on a disposed bitmap or with too few arguments, and -2 when an
// argument that must be a bitmap is none.

#include "avm1/BitmapDataObject.h"
#include "avm1/Native.h"

#include <algorithm>

namespace vidorama::swf::avm1 {

namespace {

const Value kTooFew = Value::number(-1);
const Value kNotBitmap = Value::number(-2);

BitmapPixels* PixelsOf(const Value& value) {
    auto* bitmap = dynamic_cast<BitmapDataObject*>(value.asObject());
    return bitmap ? bitmap->pixels() : nullptr;
}

std::int32_t IntArg(Vm& vm, std::span<const Value> args, std::size_t index) {
    return ToInt32(vm.toNumber(Arg(args, index)));
}

std::uint32_t ColorArg(Vm& vm, std::span<const Value> args, std::size_t index) {
    return static_cast<std::uint32_t>(IntArg(vm, args, index));
}

Value MakeBitmap(Vm& vm, BitmapPixels pixels) {
    return Value::object(
        vm.make<BitmapDataObject>(vm.builtins().bitmapData, vm, std::move(pixels)));
}

// new BitmapData(width, height, transparent = true, fill = 0xFFFFFFFF): a
// size Flash refuses makes no object at all.
Value ConstructBitmapData(Vm& vm, const Value&, std::span<const Value> args) {
    const double width = IntArg(vm, args, 0), height = IntArg(vm, args, 1);
    const bool transparent = args.size() < 3 || vm.toBoolean(args[2]);
    const std::uint32_t fill = args.size() < 4 ? 0xffffffffu : ColorArg(vm, args, 3);
    if (!BitmapSizeAllowed(vm, width, height))
        return {};
    return MakeBitmap(
        vm, BitmapPixels(static_cast<int>(width), static_cast<int>(height), transparent, fill));
}

// A rectangle argument as four whole pixels.
struct PixelRect {
    std::int64_t x, y, w, h;
};

PixelRect ReadRect(Vm& vm, const Value& rect) {
    auto read = [&](const char* name) {
        return static_cast<std::int64_t>(ToInt32(vm.toNumber(vm.getProperty(rect, name))));
    };
    PixelRect out{};
    out.x = read("x");
    out.y = read("y");
    out.w = read("width");
    out.h = read("height");
    return out;
}

Value GetWidth(Vm&, const Value& self, std::span<const Value>) {
    BitmapPixels* pixels = PixelsOf(self);
    return pixels ? Value::number(pixels->width()) : kTooFew;
}

Value GetHeight(Vm&, const Value& self, std::span<const Value>) {
    BitmapPixels* pixels = PixelsOf(self);
    return pixels ? Value::number(pixels->height()) : kTooFew;
}

Value GetTransparent(Vm&, const Value& self, std::span<const Value>) {
    BitmapPixels* pixels = PixelsOf(self);
    return pixels ? Value::boolean(pixels->transparent()) : kTooFew;
}

Value GetRectangle(Vm& vm, const Value& self, std::span<const Value>) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels)
        return kTooFew;
    return Value::object(NewRectangle(vm, 0, 0, pixels->width(), pixels->height()));
}

Value IgnoreWrite(Vm&, const Value&, std::span<const Value>) {
    return {};
}

Value GetPixel(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels || args.size() < 2)
        return kTooFew;
    std::uint32_t argb = pixels->pixel32(IntArg(vm, args, 0), IntArg(vm, args, 1));
    return Value::number(argb & 0xffffff);
}

Value GetPixel32(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels || args.size() < 2)
        return kTooFew;
    std::uint32_t argb = pixels->pixel32(IntArg(vm, args, 0), IntArg(vm, args, 1));
    return Value::number(static_cast<std::int32_t>(argb));
}

Value SetPixel(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels || args.size() < 3)
        return kTooFew;
    pixels->setPixel(IntArg(vm, args, 0), IntArg(vm, args, 1), ColorArg(vm, args, 2));
    return Value::number(0);
}

Value SetPixel32(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels || args.size() < 3)
        return kTooFew;
    pixels->setPixel32(IntArg(vm, args, 0), IntArg(vm, args, 1), ColorArg(vm, args, 2));
    return Value::number(0);
}

Value FillRect(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels || args.size() < 2)
        return kTooFew;
    if (!Arg(args, 0).isObject())
        return kNotBitmap;
    PixelRect rect = ReadRect(vm, args[0]);
    pixels->fillRect(rect.x, rect.y, rect.w, rect.h, ColorArg(vm, args, 1));
    return Value::number(0);
}

// 1 when the point is in the bitmap and the area filled, else 0.
Value FloodFill(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels || args.size() < 3)
        return kTooFew;
    const int x = IntArg(vm, args, 0), y = IntArg(vm, args, 1);
    if (!pixels->contains(x, y))
        return Value::number(0);
    pixels->floodFill(x, y, ColorArg(vm, args, 2));
    return Value::number(1);
}

Value CopyPixels(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels || args.size() < 3)
        return kTooFew;
    BitmapPixels* source = PixelsOf(args[0]);
    if (!source)
        return kNotBitmap;
    PixelRect rect = ReadRect(vm, args[1]);
    const auto toX = static_cast<std::int64_t>(ToInt32(vm.toNumber(vm.getProperty(args[2], "x"))));
    const auto toY = static_cast<std::int64_t>(ToInt32(vm.toNumber(vm.getProperty(args[2], "y"))));
    pixels->copyPixels(*source, rect.x, rect.y, rect.w, rect.h, toX, toY);
    return Value::number(0);
}

Value Clone(Vm& vm, const Value& self, std::span<const Value>) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels)
        return kTooFew;
    if (!BitmapSizeAllowed(vm, pixels->width(), pixels->height()))
        return {};
    return MakeBitmap(vm, *pixels);
}

Value Dispose(Vm&, const Value& self, std::span<const Value>) {
    auto* bitmap = dynamic_cast<BitmapDataObject*>(self.asObject());
    if (!bitmap || !bitmap->pixels())
        return kTooFew;
    bitmap->dispose();
    return {};
}

// A bitmap of the differences, 0 when there are none, and negative codes
// for a missing bitmap (-2) or one of another width (-3) or height (-4).
Value Compare(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels || args.empty())
        return kTooFew;
    BitmapPixels* other = PixelsOf(args[0]);
    if (!other)
        return kNotBitmap;
    if (other->width() != pixels->width())
        return Value::number(-3);
    if (other->height() != pixels->height())
        return Value::number(-4);
    BitmapPixels difference(pixels->width(), pixels->height(), true, 0);
    bool differs = false;
    for (int y = 0; y < pixels->height(); ++y) {
        for (int x = 0; x < pixels->width(); ++x) {
            const std::uint32_t a = pixels->pixel32(x, y), b = other->pixel32(x, y);
            if (a == b)
                continue;
            differs = true;
            std::uint32_t out = 0;
            if ((a & 0xffffff) != (b & 0xffffff)) {
                out = 0xff000000u;
                for (int shift = 0; shift < 24; shift += 8)
                    out |= (((a >> shift) - (b >> shift)) & 0xff) << shift;
            } else {
                out = ((((a >> 24) - (b >> 24)) & 0xff) << 24) | 0xffffff;
            }
            difference.setPixel32(x, y, out);
        }
    }
    if (!differs)
        return Value::number(0);
    if (!BitmapSizeAllowed(vm, pixels->width(), pixels->height()))
        return {};
    return MakeBitmap(vm, std::move(difference));
}

// The smallest rectangle holding every pixel whose colour, masked, is (or
// with findColor false, is not) the colour.
Value GetColorBoundsRect(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels || args.size() < 2)
        return kTooFew;
    const std::uint32_t mask = ColorArg(vm, args, 0), color = ColorArg(vm, args, 1);
    const bool find = args.size() < 3 || vm.toBoolean(args[2]);
    int left = pixels->width(), top = pixels->height(), right = -1, bottom = -1;
    for (int y = 0; y < pixels->height(); ++y) {
        for (int x = 0; x < pixels->width(); ++x) {
            if (((pixels->pixel32(x, y) & mask) == (color & mask)) != find)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0)
        return Value::object(NewRectangle(vm, 0, 0, 0, 0));
    return Value::object(NewRectangle(vm, left, top, right - left + 1, bottom - top + 1));
}

} // namespace

void InstallBitmapDataClass(Vm& vm, Object* display, Object* proto) {
    FunctionObject* bitmapData = vm.newNative(ConstructBitmapData, ConstructBitmapData);
    vm.linkPrototype(bitmapData, proto);
    vm.defineValue(display, "BitmapData", Value::object(bitmapData), kDontEnum);
    // Plain properties in Flash: for..in lists them and scripts may change them.
    const std::pair<const char*, double> channels[] = {
        {"RED_CHANNEL", 1}, {"GREEN_CHANNEL", 2}, {"BLUE_CHANNEL", 4}, {"ALPHA_CHANNEL", 8}};
    for (const auto& [name, value] : channels)
        vm.defineValue(bitmapData, name, Value::number(value));
    // The size and kind show to for..in, as Flash's do.
    const std::pair<const char*, NativeFunction> getters[] = {{"width", GetWidth},
                                                              {"height", GetHeight},
                                                              {"transparent", GetTransparent},
                                                              {"rectangle", GetRectangle}};
    for (const auto& [name, get] : getters) {
        Accessor(vm, proto, name, get, IgnoreWrite);
        proto->properties().find(vm.key(name))->flags &= static_cast<std::uint8_t>(~kDontEnum);
    }
    Method(vm, proto, "getPixel", GetPixel);
    Method(vm, proto, "getPixel32", GetPixel32);
    Method(vm, proto, "setPixel", SetPixel);
    Method(vm, proto, "setPixel32", SetPixel32);
    Method(vm, proto, "fillRect", FillRect);
    Method(vm, proto, "floodFill", FloodFill);
    Method(vm, proto, "copyPixels", CopyPixels);
    Method(vm, proto, "clone", Clone);
    Method(vm, proto, "dispose", Dispose);
    Method(vm, proto, "compare", Compare);
    Method(vm, proto, "getColorBoundsRect", GetColorBoundsRect);
}

} // namespace vidorama::swf::avm1
