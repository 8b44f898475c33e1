// flash.display.Bitmap: a display object that shows a BitmapData. Its size
// is the data's rectangle in its own space, as the data was when it was
// given: disposing of the data later leaves the Bitmap its size.

#include "avm2/BitmapDataObject.h"
#include "avm2/DisplayBinding.h"
#include "avm2/Native.h"
#include "player/DisplayObject.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf::avm2 {

namespace {

// A hidden slot of a Bitmap or of a script's subclass of it: the BitmapData
// shown, and its size when it was given.
Value& Hidden(Vm& vm, const Value& self, const char* name) {
    DisplayOf(vm, self);
    const Trait* trait = self.object->traits()->find(Name::publicName(name));
    if (!trait)
        vm.throwError("TypeError", 1034, ErrorMessage(1034, vm.describe(self), "Bitmap"));
    return self.object->fields[trait->slot];
}

Value SetBitmapData(Vm& vm, const Value& self, Args args) {
    const Value& data = Arg(args, 0);
    auto* bitmapData = data.isObject() ? dynamic_cast<BitmapDataObject*>(data.object) : nullptr;
    if (!data.isNullish() && !bitmapData)
        vm.throwError("TypeError", 1034, ErrorMessage(1034, vm.describe(data), "BitmapData"));
    const BitmapPixels* pixels = bitmapData ? bitmapData->pixels() : nullptr;
    Hidden(vm, self, " bitmapData") = data.isNullish() ? Value::null() : data;
    Hidden(vm, self, " width") = Value(pixels ? pixels->width() : 0);
    Hidden(vm, self, " height") = Value(pixels ? pixels->height() : 0);
    return Value();
}

Value BitmapInit(Vm& vm, const Value& self, Args args) {
    // Made as a Shape is: an object of its own on no list yet.
    FlashClass(vm, "flash.display", "Shape")->instanceInit.native(vm, self, {});
    // A script's Bitmap linked to a bitmap of the library shows a new
    // BitmapData of its pixels when given none.
    Value data = Arg(args, 0);
    if (data.isNullish())
        if (auto linked = LinkedImage(vm, self.object->cls()))
            data = NewBitmapData(vm, std::move(*linked));
    const Value given[] = {data};
    SetBitmapData(vm, self, given);
    if (args.size() > 1)
        vm.setProperty(self, Name::publicName("pixelSnapping"), args[1]);
    if (args.size() > 2)
        vm.setProperty(self, Name::publicName("smoothing"), Value(ToBoolean(args[2])));
    return Value();
}

Value GetBitmapData(Vm& vm, const Value& self, Args) {
    return Hidden(vm, self, " bitmapData");
}

// The data's rectangle mapped into the parent's space, in pixels: its
// width (or height) there.
template <bool Horizontal> double ExtentInParent(Vm& vm, const Value& self) {
    const double w = Hidden(vm, self, " width").number;
    const double h = Hidden(vm, self, " height").number;
    const Matrix& m = DisplayOf(vm, self).properties().matrix;
    return Horizontal ? std::abs(m.a * w) + std::abs(m.c * h)
                      : std::abs(m.b * w) + std::abs(m.d * h);
}

template <bool Horizontal> Value GetExtent(Vm& vm, const Value& self, Args) {
    return Value(ExtentInParent<Horizontal>(vm, self));
}

// Scales the bitmap so that it takes the asked size in its parent; without
// a size it keeps its scale.
template <bool Horizontal> Value SetExtent(Vm& vm, const Value& self, Args args) {
    ScaleExtent(DisplayOf(vm, self), Horizontal, vm.toNumber(Arg(args, 0)),
                ExtentInParent<Horizontal>(vm, self));
    return Value();
}

} // namespace

void InstallBitmap(Vm& vm, ClassObject* display) {
    ClassObject* cls = vm.defineClass("flash.display", "Bitmap", display, nullptr, BitmapInit);
    vm.defineSlot(cls, " bitmapData", Value::null());
    vm.defineSlot(cls, " width", Value(0));
    vm.defineSlot(cls, " height", Value(0));
    vm.defineAccessor(cls, "bitmapData", GetBitmapData, SetBitmapData);
    vm.defineAccessor(cls, "width", GetExtent<true>, SetExtent<true>);
    vm.defineAccessor(cls, "height", GetExtent<false>, SetExtent<false>);
    vm.defineSlot(cls, "pixelSnapping", Value("auto"));
    vm.defineSlot(cls, "smoothing", Value(false));
}

} // namespace vidorama::swf::avm2
