#pragma once

#include "avm2/BitmapDataObject.h"
#include "avm2/Vm.h"

#include <cstdint>

namespace vidorama::swf::avm2 {

// A rectangle of a bitmap in whole pixels, as Flash rounds a Rectangle's
// edges; it may reach outside the bitmap.
struct PixelRect {
    std::int64_t left = 0, top = 0, right = 0, bottom = 0;
    std::int64_t width() const { return right - left; }
    std::int64_t height() const { return bottom - top; }
    // The part inside a bitmap of this size.
    PixelRect clipped(std::int64_t width, std::int64_t height) const;
};

// A coordinate as Flash turns a Number into a pixel: to the nearest, halves
// to even, NaN as 0, far values held where 32 bits keep them.
std::int64_t PixelCoordinate(double v);

// The bitmap a method was called on; ArgumentError 2015 once disposed.
BitmapPixels& ThisPixels(Vm& vm, const Value& self);
// A BitmapData parameter: TypeError 2007 for null or another kind,
// ArgumentError 2015 for a disposed one.
BitmapPixels& BitmapParam(Vm& vm, const Value& v, const char* name);
// A Rectangle (or a Point, with no size) parameter; TypeError 2007 for null.
PixelRect RectParam(Vm& vm, const Value& v, const char* name);
PixelRect PointParam(Vm& vm, const Value& v, const char* name);
std::uint32_t ColorParam(Vm& vm, Args args, std::size_t i, std::uint32_t fallback);

} // namespace vidorama::swf::avm2
