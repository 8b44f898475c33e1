// Script-made bitmaps and their share of the movie's pixel budget.

#include "avm1/BitmapDataObject.h"

#include "avm1/Vm.h"
#include "swf/Limits.h"

namespace vidorama::swf::avm1 {

namespace {

std::uint64_t PixelCount(const BitmapPixels& pixels) {
    return static_cast<std::uint64_t>(pixels.width()) * static_cast<std::uint64_t>(pixels.height());
}

} // namespace

BitmapDataObject::BitmapDataObject(Object* proto, Vm& vm, BitmapPixels pixels)
    : Object(proto), m_vm(vm), m_pixels(std::move(pixels)) {
    m_vm.scriptBitmapPixels() += PixelCount(*m_pixels);
}

BitmapDataObject::~BitmapDataObject() {
    dispose();
}

void BitmapDataObject::dispose() {
    if (!m_pixels)
        return;
    m_vm.scriptBitmapPixels() -= PixelCount(*m_pixels);
    m_pixels.reset();
}

bool BitmapSizeAllowed(Vm& vm, double width, double height) {
    if (!(width >= 1 && height >= 1))
        return false;
    const double pixels = width * height;
    if (vm.version() < 10) {
        if (width > Limits::kMaxScriptBitmapSideSwf9 || height > Limits::kMaxScriptBitmapSideSwf9)
            return false;
    } else if (width > Limits::kMaxBitmapSide || height > Limits::kMaxBitmapSide ||
               pixels > static_cast<double>(Limits::kMaxBitmapPixels)) {
        return false;
    }
    return vm.scriptBitmapPixels() + static_cast<std::uint64_t>(pixels) <=
           Limits::kMaxScriptBitmapPixels;
}

} // namespace vidorama::swf::avm1
