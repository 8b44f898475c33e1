// flash.display.BitmapData: pixels a script makes and changes. Colours go in
// and out straight (0xAARRGGBB); the bitmap keeps them premultiplied, as
// Flash does, so partly transparent colours read back with its rounding.

#include "avm2/BitmapDataArgs.h"
#include "avm2/BitmapPixelOps.h"
#include "avm2/ByteArrayObject.h"
#include "avm2/DisplayBinding.h"
#include "avm2/Native.h"
#include "graphics/BitmapDef.h"
#include "swf/Limits.h"

#include <array>

namespace vidorama::swf::avm2 {

namespace {

constexpr std::uint32_t kOpaqueWhite = 0xffffffffu;

Object* AllocateBitmapData(Vm& vm, ClassObject* cls) {
    return vm.make<BitmapDataObject>(Object::Kind::Other, cls, &cls->instanceTraits,
                                     cls->prototype);
}

BitmapDataObject* ThisObject(Vm& vm, const Value& self) {
    auto* bitmap = self.isObject() ? dynamic_cast<BitmapDataObject*>(self.object) : nullptr;
    if (!bitmap)
        vm.throwError("TypeError", 1034, ErrorMessage(1034, vm.describe(self), "BitmapData"));
    return bitmap;
}

int IntArg(Vm& vm, Args args, std::size_t i) {
    return ToInt32(vm.toNumber(Arg(args, i)));
}

bool BoolArg(Args args, std::size_t i, bool fallback) {
    return i < args.size() && !args[i].isUndefined() ? ToBoolean(args[i]) : fallback;
}

} // namespace

std::optional<BitmapPixels> LinkedImage(Vm& vm, ClassObject* cls) {
    auto id = LinkedLibraryCharacter(vm, cls);
    auto character = id ? vm.host().libraryCharacter(*id) : nullptr;
    if (!character || character->kind() != CharacterDef::Kind::Bitmap)
        return std::nullopt;
    const QImage& image = static_cast<const BitmapDef&>(*character).image();
    const auto pixels = static_cast<std::uint64_t>(image.width()) * image.height();
    if (vm.scriptBitmapPixels + pixels > Limits::kMaxScriptBitmapPixels)
        vm.throwError("ArgumentError", 2015, ErrorMessage(2015));
    return BitmapPixels(image, image.hasAlphaChannel());
}

Value NewBitmapData(Vm& vm, BitmapPixels pixels) {
    Value made = vm.constructClass(FlashClass(vm, "flash.display", "BitmapData"),
                                   std::vector<Value>{Value(1), Value(1)});
    auto* bitmap = static_cast<BitmapDataObject*>(made.object);
    bitmap->adopt(std::move(pixels), vm.scriptBitmapPixels);
    return made;
}

namespace {

// A script's subclass of BitmapData linked to a bitmap of the library holds
// that bitmap's pixels, whatever size its constructor asks for.
Value BitmapDataInit(Vm& vm, const Value& self, Args args) {
    BitmapDataObject* bitmap = ThisObject(vm, self);
    if (auto linked = LinkedImage(vm, bitmap->cls())) {
        bitmap->adopt(std::move(*linked), vm.scriptBitmapPixels);
        return Value();
    }
    const double width = ToInt32(vm.toNumber(Arg(args, 0)));
    const double height = ToInt32(vm.toNumber(Arg(args, 1)));
    if (!BitmapSizeAllowed(vm.host().swfVersion(), width, height, vm.scriptBitmapPixels))
        vm.throwError("ArgumentError", 2015, ErrorMessage(2015));
    bitmap->adopt(BitmapPixels(static_cast<int>(width), static_cast<int>(height),
                               BoolArg(args, 2, true), ColorParam(vm, args, 3, kOpaqueWhite)),
                  vm.scriptBitmapPixels);
    return Value();
}

Value GetWidth(Vm& vm, const Value& self, Args) {
    return Value(ThisPixels(vm, self).width());
}

Value GetHeight(Vm& vm, const Value& self, Args) {
    return Value(ThisPixels(vm, self).height());
}

Value GetTransparent(Vm& vm, const Value& self, Args) {
    return Value(ThisPixels(vm, self).transparent());
}

Value GetRect(Vm& vm, const Value& self, Args) {
    BitmapPixels& pixels = ThisPixels(vm, self);
    return NewRectangle(vm, 0, 0, pixels.width(), pixels.height());
}

Value GetPixel(Vm& vm, const Value& self, Args args) {
    BitmapPixels& pixels = ThisPixels(vm, self);
    return Value(pixels.pixel32(IntArg(vm, args, 0), IntArg(vm, args, 1)) & 0xffffffu);
}

Value GetPixel32(Vm& vm, const Value& self, Args args) {
    BitmapPixels& pixels = ThisPixels(vm, self);
    return Value(pixels.pixel32(IntArg(vm, args, 0), IntArg(vm, args, 1)));
}

Value SetPixel(Vm& vm, const Value& self, Args args) {
    BitmapPixels& pixels = ThisPixels(vm, self);
    pixels.setPixel(IntArg(vm, args, 0), IntArg(vm, args, 1), ColorParam(vm, args, 2, 0));
    return Value();
}

Value SetPixel32(Vm& vm, const Value& self, Args args) {
    BitmapPixels& pixels = ThisPixels(vm, self);
    pixels.setPixel32(IntArg(vm, args, 0), IntArg(vm, args, 1), ColorParam(vm, args, 2, 0));
    return Value();
}

Value FillRect(Vm& vm, const Value& self, Args args) {
    BitmapPixels& pixels = ThisPixels(vm, self);
    const PixelRect r = RectParam(vm, Arg(args, 0), "rect");
    pixels.fillRect(r.left, r.top, r.width(), r.height(), ColorParam(vm, args, 1, 0));
    return Value();
}

Value FloodFill(Vm& vm, const Value& self, Args args) {
    BitmapPixels& pixels = ThisPixels(vm, self);
    pixels.floodFill(IntArg(vm, args, 0), IntArg(vm, args, 1), ColorParam(vm, args, 2, 0));
    return Value();
}

// copyPixels(source, rect, point, alphaBitmapData, alphaPoint, mergeAlpha):
// mergeAlpha lays the source over what is there instead of replacing it.
Value CopyPixels(Vm& vm, const Value& self, Args args) {
    BitmapPixels& pixels = ThisPixels(vm, self);
    BitmapPixels& source = BitmapParam(vm, Arg(args, 0), "sourceBitmapData");
    const PixelRect r = RectParam(vm, Arg(args, 1), "sourceRect");
    const PixelRect to = PointParam(vm, Arg(args, 2), "destPoint");
    if (BoolArg(args, 5, false))
        pixels.combine(source, r.left, r.top, r.width(), r.height(), to.left, to.top, BlendOver);
    else
        pixels.copyPixels(source, r.left, r.top, r.width(), r.height(), to.left, to.top);
    return Value();
}

Value Clone(Vm& vm, const Value& self, Args) {
    return NewBitmapData(vm, ThisPixels(vm, self));
}

Value Dispose(Vm& vm, const Value& self, Args) {
    ThisObject(vm, self)->dispose();
    return Value();
}

// What lock() and unlock() change is when a Bitmap showing the data is
// redrawn; frames are drawn from the data as it is, so neither has work.
Value Nothing(Vm&, const Value&, Args) {
    return Value();
}

Value GetPixels(Vm& vm, const Value& self, Args args) {
    BitmapPixels& pixels = ThisPixels(vm, self);
    const PixelRect r =
        RectParam(vm, Arg(args, 0), "rect").clipped(pixels.width(), pixels.height());
    Value made = vm.constructClass(FlashClass(vm, "flash.utils", "ByteArray"), {});
    auto* array = static_cast<ByteArrayObject*>(made.object);
    array->bytes.reserve(static_cast<std::size_t>(r.width() * r.height() * 4));
    ForEachPixel(r, [&](int x, int y) {
        const std::uint32_t argb = pixels.pixel32(x, y);
        for (int shift = 24; shift >= 0; shift -= 8)
            array->bytes.push_back(static_cast<std::uint8_t>(argb >> shift));
    });
    array->position = array->bytes.size();
    return made;
}

// setPixels(rect, bytes): big-endian colours from the array's position on;
// running out stops with an error once the pixels it had are set.
Value SetPixels(Vm& vm, const Value& self, Args args) {
    BitmapPixels& pixels = ThisPixels(vm, self);
    const PixelRect r =
        RectParam(vm, Arg(args, 0), "rect").clipped(pixels.width(), pixels.height());
    auto* array =
        Arg(args, 1).isObject() ? dynamic_cast<ByteArrayObject*>(Arg(args, 1).object) : nullptr;
    if (!array)
        vm.throwError("TypeError", 2007, ErrorMessage(2007, "inputByteArray"));
    bool ranOut = false;
    ForEachPixel(r, [&](int x, int y) {
        if (ranOut || array->position + 4 > array->bytes.size()) {
            ranOut = true;
            return;
        }
        std::uint32_t argb = 0;
        for (int i = 0; i < 4; ++i)
            argb = argb << 8 | array->bytes[array->position++];
        pixels.setPixel32(x, y, argb);
    });
    if (ranOut)
        vm.throwError("Error", 2030, ErrorMessage(2030));
    return Value();
}

ArrayObject* NewVector(Vm& vm, ClassObject* element) {
    Value cls = vm.vectorClass(element);
    return static_cast<ArrayObject*>(
        vm.constructClass(static_cast<ClassObject*>(cls.object), {}).object);
}

Value GetVector(Vm& vm, const Value& self, Args args) {
    BitmapPixels& pixels = ThisPixels(vm, self);
    const PixelRect r =
        RectParam(vm, Arg(args, 0), "rect").clipped(pixels.width(), pixels.height());
    ArrayObject* list = NewVector(vm, vm.natives.uintClass);
    vm.checkListSize(static_cast<std::size_t>(r.width() * r.height()));
    ForEachPixel(r, [&](int x, int y) { list->elements.emplace_back(pixels.pixel32(x, y)); });
    return Value(list);
}

// setVector(rect, vector): refuses a vector too short for the rectangle
// before it changes anything.
Value SetVector(Vm& vm, const Value& self, Args args) {
    BitmapPixels& pixels = ThisPixels(vm, self);
    const PixelRect r =
        RectParam(vm, Arg(args, 0), "rect").clipped(pixels.width(), pixels.height());
    const Value& from = Arg(args, 1);
    if (!from.isObject() || from.object->kind() != Object::Kind::Vector)
        vm.throwError("TypeError", 2007, ErrorMessage(2007, "imputVector"));
    auto* list = static_cast<ArrayObject*>(from.object);
    if (list->elements.size() < static_cast<std::size_t>(r.width() * r.height()))
        vm.throwError("RangeError", 2006, ErrorMessage(2006));
    std::size_t next = 0;
    ForEachPixel(r, [&](int x, int y) {
        pixels.setPixel32(x, y, ToUint32(vm.toNumber(list->elements[next++])));
    });
    return Value();
}

// histogram(rect): four Vectors of Numbers counting each value of red,
// green, blue and alpha.
Value Histogram(Vm& vm, const Value& self, Args args) {
    BitmapPixels& pixels = ThisPixels(vm, self);
    PixelRect r{0, 0, pixels.width(), pixels.height()};
    if (!Arg(args, 0).isNullish())
        r = RectParam(vm, args[0], "hRect").clipped(pixels.width(), pixels.height());
    const std::array<std::array<double, 256>, 4> counts = CountChannels(pixels, r);
    ArrayObject* lists =
        NewVector(vm, static_cast<ClassObject*>(vm.vectorClass(vm.natives.number).object));
    for (const auto& channel : counts) {
        ArrayObject* list = NewVector(vm, vm.natives.number);
        list->elements.assign(channel.begin(), channel.end());
        lists->elements.emplace_back(list);
    }
    return Value(lists);
}

Value Noise(Vm& vm, const Value& self, Args args) {
    BitmapPixels& pixels = ThisPixels(vm, self);
    NoiseSettings settings;
    settings.seed = IntArg(vm, args, 0);
    settings.low = static_cast<std::uint8_t>(ColorParam(vm, args, 1, 0));
    settings.high = static_cast<std::uint8_t>(ColorParam(vm, args, 2, 255));
    settings.channels = ColorParam(vm, args, 3, 7);
    settings.gray = BoolArg(args, 4, false);
    FillNoise(pixels, settings);
    return Value();
}

Value ApplyColorTransform(Vm& vm, const Value& self, Args args) {
    BitmapPixels& pixels = ThisPixels(vm, self);
    const PixelRect r = RectParam(vm, Arg(args, 0), "rect");
    if (Arg(args, 1).isNullish())
        vm.throwError("TypeError", 2007, ErrorMessage(2007, "colorTransform"));
    TransformColors(pixels, r, ColorTransformFrom(vm, args[1]));
    return Value();
}

// threshold(source, rect, point, operation, threshold, color, mask,
// copySource): how many pixels passed the test and took the colour.
Value Threshold(Vm& vm, const Value& self, Args args) {
    BitmapPixels& pixels = ThisPixels(vm, self);
    BitmapPixels& source = BitmapParam(vm, Arg(args, 0), "sourceBitmapData");
    const PixelRect r = RectParam(vm, Arg(args, 1), "sourceRect");
    const PixelRect to = PointParam(vm, Arg(args, 2), "destPoint");
    if (Arg(args, 3).isNullish())
        vm.throwError("TypeError", 2007, ErrorMessage(2007, "operation"));
    ThresholdTest test;
    if (!ParseThresholdOperation(vm.toString(args[3]), test.operation))
        vm.throwError("ArgumentError", 2005, ErrorMessage(2005, "0", "Operation"));
    test.threshold = ColorParam(vm, args, 4, 0);
    test.color = ColorParam(vm, args, 5, 0);
    test.mask = ColorParam(vm, args, 6, kOpaqueWhite);
    test.copySource = BoolArg(args, 7, false);
    return Value(ApplyThreshold(pixels, source, r, to.left, to.top, test));
}

Value GetColorBoundsRect(Vm& vm, const Value& self, Args args) {
    BitmapPixels& pixels = ThisPixels(vm, self);
    const PixelRect found = ColorBounds(pixels, ColorParam(vm, args, 0, 0),
                                        ColorParam(vm, args, 1, 0), BoolArg(args, 2, true));
    return NewRectangle(vm, double(found.left), double(found.top), double(found.width()),
                        double(found.height()));
}

Value CopyChannel(Vm& vm, const Value& self, Args args) {
    BitmapPixels& pixels = ThisPixels(vm, self);
    BitmapPixels& source = BitmapParam(vm, Arg(args, 0), "sourceBitmapData");
    const PixelRect r = RectParam(vm, Arg(args, 1), "sourceRect");
    const PixelRect to = PointParam(vm, Arg(args, 2), "destPoint");
    CopyOneChannel(pixels, source, r, to.left, to.top, ColorParam(vm, args, 3, 0),
                   ColorParam(vm, args, 4, 0));
    return Value();
}

Value Scroll(Vm& vm, const Value& self, Args args) {
    ThisPixels(vm, self).scroll(IntArg(vm, args, 0), IntArg(vm, args, 1));
    return Value();
}

// hitTest(firstPoint, firstAlphaThreshold, secondObject, secondPoint,
// secondAlphaThreshold): against a Point, a Rectangle or another bitmap. A
// fully transparent pixel never meets a point or a rectangle, whatever the
// threshold; against another bitmap it meets a threshold of 0.
Value HitTest(Vm& vm, const Value& self, Args args) {
    BitmapPixels& pixels = ThisPixels(vm, self);
    const PixelRect first = PointParam(vm, Arg(args, 0), "firstPoint");
    const std::uint32_t threshold = ColorParam(vm, args, 1, 0) & 0xff;
    const Value& second = Arg(args, 2);
    if (second.isNullish())
        vm.throwError("TypeError", 2007, ErrorMessage(2007, "secondObject"));
    auto* other = second.isObject() ? dynamic_cast<BitmapDataObject*>(second.object) : nullptr;
    if (other) {
        BitmapPixels& otherPixels = BitmapParam(vm, second, "secondObject");
        const PixelRect at = PointParam(vm, Arg(args, 3), "secondBitmapDataPoint");
        const std::uint32_t otherThreshold = ColorParam(vm, args, 4, 1) & 0xff;
        return Value(BitmapsTouch(pixels, first.left, first.top, threshold, otherPixels, at.left,
                                  at.top, otherThreshold));
    }
    if (vm.isType(second, FlashClass(vm, "flash.geom", "Rectangle"))) {
        PixelRect r = RectParam(vm, second, "secondObject");
        r = {r.left - first.left, r.top - first.top, r.right - first.left, r.bottom - first.top};
        return Value(AnyOpaqueIn(pixels, r, std::max<std::uint32_t>(threshold, 1)));
    }
    if (vm.isType(second, FlashClass(vm, "flash.geom", "Point"))) {
        const PixelRect p = PointParam(vm, second, "secondObject");
        const PixelRect one{p.left - first.left, p.top - first.top, p.left - first.left + 1,
                            p.top - first.top + 1};
        return Value(AnyOpaqueIn(pixels, one, std::max<std::uint32_t>(threshold, 1)));
    }
    vm.throwError("TypeError", 2005, ErrorMessage(2005, "2", "BitmapData"));
}

} // namespace

void InstallBitmapData(Vm& vm) {
    ClassObject* cls = vm.defineClass("flash.display", "BitmapData", vm.natives.object,
                                      AllocateBitmapData, BitmapDataInit);
    vm.defineAccessor(cls, "width", GetWidth, nullptr);
    vm.defineAccessor(cls, "height", GetHeight, nullptr);
    vm.defineAccessor(cls, "transparent", GetTransparent, nullptr);
    vm.defineAccessor(cls, "rect", GetRect, nullptr);
    const std::pair<const char*, NativeFn> methods[] = {
        {"getPixel", GetPixel},
        {"getPixel32", GetPixel32},
        {"setPixel", SetPixel},
        {"setPixel32", SetPixel32},
        {"fillRect", FillRect},
        {"floodFill", FloodFill},
        {"copyPixels", CopyPixels},
        {"clone", Clone},
        {"dispose", Dispose},
        {"lock", Nothing},
        {"unlock", Nothing},
        {"getPixels", GetPixels},
        {"setPixels", SetPixels},
        {"getVector", GetVector},
        {"setVector", SetVector},
        {"histogram", Histogram},
        {"noise", Noise},
        {"colorTransform", ApplyColorTransform},
        {"threshold", Threshold},
        {"getColorBoundsRect", GetColorBoundsRect},
        {"copyChannel", CopyChannel},
        {"scroll", Scroll},
        {"hitTest", HitTest},
    };
    for (const auto& [name, fn] : methods)
        vm.defineMethod(cls, name, fn);
}

} // namespace vidorama::swf::avm2
