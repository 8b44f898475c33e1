#pragma once

#include "avm1/BitmapPixels.h"
#include "avm2/Object.h"

#include <cstdint>
#include <optional>

namespace vidorama::swf::avm2 {

using avm1::BitmapPixels;

// flash.display.BitmapData: its pixels until dispose() frees them. The
// pixels of every live bitmap count against the movie's budget for them.
class BitmapDataObject final : public Object {
public:
    using Object::Object;
    ~BitmapDataObject() override;
    void references(Tracer& tracer) const override;

    // Null before the constructor ran and once disposed.
    BitmapPixels* pixels() { return m_pixels ? &*m_pixels : nullptr; }
    void adopt(BitmapPixels pixels, std::uint64_t& budget);
    void dispose();

private:
    std::optional<BitmapPixels> m_pixels;
    std::uint64_t* m_budget = nullptr;
};

// Whether a bitmap of this size may be made: Flash's limits for the movie's
// version, and what the movie's bitmaps may hold together.
bool BitmapSizeAllowed(int swfVersion, double width, double height, std::uint64_t budgetUsed);

class Vm;
class ClassObject;
// The pixels of the library bitmap SymbolClass links to the class (or its
// nearest script base), if it links one; ArgumentError 2015 past the
// movie's budget.
std::optional<BitmapPixels> LinkedImage(Vm& vm, ClassObject* cls);
// A new flash.display.BitmapData that holds the pixels.
Value NewBitmapData(Vm& vm, BitmapPixels pixels);

} // namespace vidorama::swf::avm2
