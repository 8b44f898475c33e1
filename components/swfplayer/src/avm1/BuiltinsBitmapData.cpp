// flash.display.BitmapData for ActionScript 2. Flash's methods answer -1
// when called on a disposed bitmap or with too few arguments, and -2 when an
// argument that must be a bitmap is none.

#include "avm1/ArrayElements.h"
#include "avm1/BitmapDataObject.h"
#include "avm1/Native.h"
#include "avm1/ScriptOperators.h"
#include "graphics/BitmapDef.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace vidorama::swf::avm1 {

namespace {

// Flash's answer to too few arguments and to a disposed bitmap, and what
// some methods answer when they have worked.
const Value kMinusOne = Value::number(-1);
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
    return pixels ? Value::number(pixels->width()) : kMinusOne;
}

Value GetHeight(Vm&, const Value& self, std::span<const Value>) {
    BitmapPixels* pixels = PixelsOf(self);
    return pixels ? Value::number(pixels->height()) : kMinusOne;
}

Value GetTransparent(Vm&, const Value& self, std::span<const Value>) {
    BitmapPixels* pixels = PixelsOf(self);
    return pixels ? Value::boolean(pixels->transparent()) : kMinusOne;
}

Value GetRectangle(Vm& vm, const Value& self, std::span<const Value>) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels)
        return kMinusOne;
    return Value::object(NewRectangle(vm, 0, 0, pixels->width(), pixels->height()));
}

Value IgnoreWrite(Vm&, const Value&, std::span<const Value>) {
    return {};
}

Value GetPixel(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels || args.size() < 2)
        return kMinusOne;
    std::uint32_t argb = pixels->pixel32(IntArg(vm, args, 0), IntArg(vm, args, 1));
    return Value::number(argb & 0xffffff);
}

Value GetPixel32(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels || args.size() < 2)
        return kMinusOne;
    std::uint32_t argb = pixels->pixel32(IntArg(vm, args, 0), IntArg(vm, args, 1));
    return Value::number(static_cast<std::int32_t>(argb));
}

Value SetPixel(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels || args.size() < 3)
        return kMinusOne;
    pixels->setPixel(IntArg(vm, args, 0), IntArg(vm, args, 1), ColorArg(vm, args, 2));
    return Value::number(0);
}

Value SetPixel32(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels || args.size() < 3)
        return kMinusOne;
    pixels->setPixel32(IntArg(vm, args, 0), IntArg(vm, args, 1), ColorArg(vm, args, 2));
    return Value::number(0);
}

Value FillRect(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels || args.size() < 2)
        return kMinusOne;
    if (!Arg(args, 0).isObject())
        return kNotBitmap;
    PixelRect rect = ReadRect(vm, args[0]);
    pixels->fillRect(rect.x, rect.y, rect.w, rect.h, ColorArg(vm, args, 1));
    return Value::number(0);
}

// 1 when the point is in the bitmap and the area changed, else 0.
Value FloodFill(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels || args.size() < 3)
        return kMinusOne;
    const bool filled =
        pixels->floodFill(IntArg(vm, args, 0), IntArg(vm, args, 1), ColorArg(vm, args, 2));
    return Value::number(filled ? 1 : 0);
}

Value CopyPixels(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels || args.size() < 3)
        return kMinusOne;
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
        return kMinusOne;
    if (!BitmapSizeAllowed(vm, pixels->width(), pixels->height()))
        return {};
    return MakeBitmap(vm, *pixels);
}

Value Dispose(Vm&, const Value& self, std::span<const Value>) {
    auto* bitmap = dynamic_cast<BitmapDataObject*>(self.asObject());
    if (!bitmap || !bitmap->pixels())
        return kMinusOne;
    bitmap->dispose();
    return {};
}

// A bitmap of the differences, 0 when there are none, and negative codes
// for a missing bitmap (-2) or one of another width (-3) or height (-4).
Value Compare(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels || args.empty())
        return kMinusOne;
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
        return kMinusOne;
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

std::uint32_t Channel(std::uint32_t argb, int shift) {
    return (argb >> shift) & 0xff;
}

// colorTransform(rect, transform): on straight colours, results cut to
// 0..255. Only a flash.geom.ColorTransform counts.
Value ApplyColorTransform(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels || args.size() < 2)
        return kMinusOne;
    ScriptSteps s(vm);
    if (!args[0].isObject() || !s.isInstance(args[1], "ColorTransform"))
        return {};
    PixelRect rect = ReadRect(vm, args[0]);
    // Alpha, red, green, blue, as the channels sit in a colour.
    const char* multipliers[] = {"alphaMultiplier", "redMultiplier", "greenMultiplier",
                                 "blueMultiplier"};
    const char* offsets[] = {"alphaOffset", "redOffset", "greenOffset", "blueOffset"};
    double mul[4], add[4];
    for (int i = 0; i < 4; ++i) {
        mul[i] = vm.toNumber(s.get(args[1], multipliers[i]));
        add[i] = vm.toNumber(s.get(args[1], offsets[i]));
    }
    pixels->transform(rect.x, rect.y, rect.w, rect.h, [&](std::uint32_t argb) {
        std::uint32_t out = 0;
        for (int i = 0; i < 4; ++i) {
            const int shift = 24 - 8 * i;
            double value = std::floor(Channel(argb, shift) * mul[i] + add[i]);
            value = std::isnan(value) ? 0 : std::clamp(value, 0.0, 255.0);
            out |= static_cast<std::uint32_t>(value) << shift;
        }
        return out;
    });
    return {};
}

// noise(seed, low = 0, high = 255, channels = 7, grayScale = false): the
// same seed gives the same pixels.
Value Noise(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels || args.empty())
        return kMinusOne;
    auto byteArg = [&](std::size_t index, std::uint32_t fallback) {
        return args.size() > index ? ColorArg(vm, args, index) & 0xff : fallback;
    };
    const std::uint32_t low = byteArg(1, 0), high = std::max(byteArg(2, 255), low);
    const std::uint32_t channels = args.size() > 3 ? ColorArg(vm, args, 3) : 7;
    const bool gray = args.size() > 4 && vm.toBoolean(args[4]);
    std::minstd_rand random(static_cast<std::uint32_t>(IntArg(vm, args, 0)) | 1u);
    auto next = [&] {
        return low + static_cast<std::uint32_t>(random() % (high - low + 1));
    };
    pixels->transform(0, 0, pixels->width(), pixels->height(), [&](std::uint32_t) {
        std::uint32_t out = 0;
        if (gray) {
            const std::uint32_t level = next();
            out = level << 16 | level << 8 | level;
        } else {
            for (int bit = 0; bit < 3; ++bit)
                if (channels & (1u << bit))
                    out |= next() << (16 - 8 * bit);
        }
        return out | ((channels & 8) ? next() << 24 : 0xff000000u);
    });
    return {};
}

// The bitmap, rectangle and point that copyChannel, merge, threshold and
// paletteMap start with.
struct SourceRegion {
    BitmapPixels* source = nullptr;
    PixelRect rect{};
    std::int64_t toX = 0, toY = 0;
};

// What is wrong with the arguments of such a method, as Flash answers it:
// -1 for too few of them, -2 for a source that is no bitmap, -3 for a
// disposed one, -4 for a rectangle without its four members; undefined
// when nothing is.
Value CheckRegion(Vm& vm, std::span<const Value> args, std::size_t needed) {
    if (args.size() < needed)
        return kMinusOne;
    auto* source = dynamic_cast<BitmapDataObject*>(args[0].asObject());
    if (!source)
        return kNotBitmap;
    if (!source->pixels())
        return Value::number(-3);
    Object* rect = args[1].asObject();
    for (const char* name : {"x", "y", "width", "height"})
        if (!rect || !vm.hasProperty(rect, name))
            return Value::number(-4);
    return {};
}

SourceRegion ReadRegion(Vm& vm, std::span<const Value> args) {
    SourceRegion region;
    region.source = PixelsOf(Arg(args, 0));
    region.rect = ReadRect(vm, Arg(args, 1));
    region.toX = ToInt32(vm.toNumber(vm.getProperty(Arg(args, 2), "x")));
    region.toY = ToInt32(vm.toNumber(vm.getProperty(Arg(args, 2), "y")));
    return region;
}

template <typename Combine>
void CombineRegion(BitmapPixels& pixels, const SourceRegion& r, Combine combine) {
    pixels.combine(*r.source, r.rect.x, r.rect.y, r.rect.w, r.rect.h, r.toX, r.toY, combine);
}

Value CopyChannel(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels)
        return kMinusOne;
    if (Value fault = CheckRegion(vm, args, 5); !fault.isUndefined())
        return fault;
    SourceRegion region = ReadRegion(vm, args);
    const int from = ChannelShift(ColorArg(vm, args, 3)), to = ChannelShift(ColorArg(vm, args, 4));
    if (from < 0 || to < 0)
        return kMinusOne;
    CombineRegion(*pixels, region, [&](std::uint32_t in, std::uint32_t out) {
        return (out & ~(0xffu << to)) | (Channel(in, from) << to);
    });
    return kMinusOne;
}

// merge(source, rect, point, red, green, blue, alpha): each channel moves
// from this bitmap's towards the source's by multiplier / 256.
Value Merge(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels)
        return kMinusOne;
    if (Value fault = CheckRegion(vm, args, 7); !fault.isUndefined())
        return fault;
    SourceRegion region = ReadRegion(vm, args);
    const std::uint32_t red = ColorArg(vm, args, 3), green = ColorArg(vm, args, 4),
                        blue = ColorArg(vm, args, 5), alpha = ColorArg(vm, args, 6);
    const std::pair<int, std::uint32_t> parts[] = {{16, red}, {8, green}, {0, blue}, {24, alpha}};
    CombineRegion(*pixels, region, [&](std::uint32_t in, std::uint32_t out) {
        std::uint32_t merged = 0;
        for (const auto& [shift, multiplier] : parts) {
            const std::uint64_t m = multiplier & 0xff;
            const std::uint64_t value =
                (Channel(in, shift) * m + Channel(out, shift) * (256 - m)) / 256;
            merged |= static_cast<std::uint32_t>(std::min<std::uint64_t>(value, 255)) << shift;
        }
        return merged;
    });
    return kMinusOne;
}

// threshold(source, rect, point, operation, threshold, color = 0,
// mask = 0xFFFFFFFF, copySource = false): how many pixels it set.
Value Threshold(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels)
        return kMinusOne;
    if (Value fault = CheckRegion(vm, args, 5); !fault.isUndefined())
        return fault;
    SourceRegion region = ReadRegion(vm, args);
    const std::string operation = vm.toString(args[3]);
    const std::uint32_t limit = ColorArg(vm, args, 4);
    const std::uint32_t color = args.size() > 5 ? ColorArg(vm, args, 5) : 0;
    const std::uint32_t mask = args.size() > 6 ? ColorArg(vm, args, 6) : 0xffffffffu;
    const bool copySource = args.size() > 7 && vm.toBoolean(args[7]);
    auto test = [&](std::uint32_t value) {
        const std::uint32_t a = value & mask, b = limit & mask;
        if (operation == "<")
            return a < b;
        if (operation == "<=")
            return a <= b;
        if (operation == ">")
            return a > b;
        if (operation == ">=")
            return a >= b;
        if (operation == "==")
            return a == b;
        if (operation == "!=")
            return a != b;
        return false;
    };
    double count = 0;
    CombineRegion(*pixels, region, [&](std::uint32_t in, std::uint32_t out) {
        if (test(in)) {
            ++count;
            return color;
        }
        return copySource ? in : out;
    });
    return Value::number(count);
}

// paletteMap(source, rect, point, red, green, blue, alpha): each channel
// looks up its array of 256 colours (its own value where there is none)
// and the four lookups are added.
Value PaletteMap(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels)
        return kMinusOne;
    if (Value fault = CheckRegion(vm, args, 3); !fault.isUndefined())
        return fault;
    SourceRegion region = ReadRegion(vm, args);
    const int shifts[] = {16, 8, 0, 24};
    std::uint32_t tables[4][256];
    for (int i = 0; i < 4; ++i) {
        auto* array = dynamic_cast<ArrayObject*>(Arg(args, 3 + i).asObject());
        std::vector<Value> levels = array ? ArrayValues(vm, *array) : std::vector<Value>();
        for (std::uint32_t level = 0; level < 256; ++level) {
            tables[i][level] = level << shifts[i];
            if (level < levels.size())
                tables[i][level] = static_cast<std::uint32_t>(ToInt32(vm.toNumber(levels[level])));
        }
    }
    CombineRegion(*pixels, region, [&](std::uint32_t in, std::uint32_t) {
        std::uint32_t sum = 0;
        for (int i = 0; i < 4; ++i)
            sum += tables[i][Channel(in, shifts[i])];
        return sum;
    });
    return {};
}

Value Scroll(Vm& vm, const Value& self, std::span<const Value> args) {
    BitmapPixels* pixels = PixelsOf(self);
    if (!pixels || args.size() < 2)
        return kMinusOne;
    pixels->scroll(IntArg(vm, args, 0), IntArg(vm, args, 1));
    return {};
}

// BitmapData.loadBitmap(linkage name): a copy of a bitmap the movie's
// library exports under the name; undefined for none.
Value LoadBitmap(Vm& vm, const Value&, std::span<const Value> args) {
    auto id = vm.host().exportedCharacter(vm.toString(Arg(args, 0)));
    auto bitmap = id ? vm.host().libraryBitmap(*id) : nullptr;
    if (!bitmap)
        return {};
    const QImage& image = bitmap->image();
    if (!BitmapSizeAllowed(vm, image.width(), image.height()))
        return {};
    return MakeBitmap(vm, BitmapPixels(image, image.hasAlphaChannel()));
}

} // namespace

void InstallBitmapDataClass(Vm& vm, Object* display, Object* proto) {
    FunctionObject* bitmapData = vm.newNative(ConstructBitmapData, ConstructBitmapData);
    vm.linkPrototype(bitmapData, proto);
    Method(vm, bitmapData, "loadBitmap", LoadBitmap);
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
    Method(vm, proto, "colorTransform", ApplyColorTransform);
    Method(vm, proto, "noise", Noise);
    Method(vm, proto, "copyChannel", CopyChannel);
    Method(vm, proto, "merge", Merge);
    Method(vm, proto, "threshold", Threshold);
    Method(vm, proto, "paletteMap", PaletteMap);
    Method(vm, proto, "scroll", Scroll);
}

} // namespace vidorama::swf::avm1
