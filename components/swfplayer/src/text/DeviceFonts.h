#pragma once

#include "text/FontDef.h"

#include <memory>
#include <string>

namespace vidorama::swf {

// Fonts of the system that stand in for the device fonts a movie names:
// "_sans", "_serif" and "_typewriter" map to the fonts Flash uses for them on
// Windows (Arial, Times New Roman, Courier New), which fontconfig resolves to
// their metric twins; other names resolve by fontconfig, falling back to a
// sans font. Outlines come from FreeType unhinted, so text looks the same on
// every machine with the same fonts. Safe to use from several threads.
class DeviceFonts {
public:
    DeviceFonts();
    ~DeviceFonts();
    DeviceFonts(const DeviceFonts&) = delete;
    DeviceFonts& operator=(const DeviceFonts&) = delete;

    // A font holding the glyphs of the given characters; null when no system
    // font can be opened.
    std::shared_ptr<const FontDef> font(const std::string& face, bool bold, bool italic,
                                        const std::u32string& chars);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace vidorama::swf
