#pragma once

#include "avm1/BitmapPixels.h"
#include "avm1/Object.h"

#include <optional>

namespace vidorama::swf::avm1 {

class Vm;

// A flash.display.BitmapData: its pixels until dispose() frees them. Every
// live bitmap's pixels count against the movie's budget for them.
class BitmapDataObject final : public Object {
public:
    BitmapDataObject(Object* proto, Vm& vm, BitmapPixels pixels);
    ~BitmapDataObject() override;

    // Null once disposed.
    BitmapPixels* pixels() { return m_pixels ? &*m_pixels : nullptr; }
    void dispose();

private:
    Vm& m_vm;
    std::optional<BitmapPixels> m_pixels;
};

// Whether a bitmap of the size may be made: Flash's rules for the movie's
// version, and the pixels the movie's bitmaps may hold together.
bool BitmapSizeAllowed(Vm& vm, double width, double height);

} // namespace vidorama::swf::avm1
