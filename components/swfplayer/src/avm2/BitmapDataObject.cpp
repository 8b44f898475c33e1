// Script-made bitmaps and their share of the movie's pixel budget.

#include "avm2/BitmapDataObject.h"

#include "avm2/Tracer.h"
#include "swf/Limits.h"

namespace vidorama::swf::avm2 {

namespace {

std::uint64_t PixelCount(const BitmapPixels& pixels) {
    return static_cast<std::uint64_t>(pixels.width()) * static_cast<std::uint64_t>(pixels.height());
}

} // namespace

BitmapDataObject::~BitmapDataObject() {
    dispose();
}

void BitmapDataObject::references(Tracer& tracer) const {
    Object::references(tracer);
}

void BitmapDataObject::adopt(BitmapPixels pixels, std::uint64_t& budget) {
    dispose();
    m_budget = &budget;
    *m_budget += PixelCount(pixels);
    m_pixels.emplace(std::move(pixels));
}

void BitmapDataObject::dispose() {
    if (!m_pixels)
        return;
    *m_budget -= PixelCount(*m_pixels);
    m_pixels.reset();
}

bool BitmapSizeAllowed(int swfVersion, double width, double height, std::uint64_t budgetUsed) {
    if (!(width >= 1 && height >= 1))
        return false;
    const double pixels = width * height;
    if (swfVersion < 10) {
        if (width > Limits::kMaxScriptBitmapSideSwf9 || height > Limits::kMaxScriptBitmapSideSwf9)
            return false;
    } else if (width > Limits::kMaxBitmapSide || height > Limits::kMaxBitmapSide ||
               pixels > static_cast<double>(Limits::kMaxBitmapPixels)) {
        return false;
    }
    return budgetUsed + static_cast<std::uint64_t>(pixels) <= Limits::kMaxScriptBitmapPixels;
}

} // namespace vidorama::swf::avm2
