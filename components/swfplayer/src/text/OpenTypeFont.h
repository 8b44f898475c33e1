#pragma once

#include "text/FontDef.h"

#include <memory>
#include <string>

namespace vidorama::swf {

// The glyphs of the given characters made from a DefineFont4's OpenType
// data, with the font's name and style; null when FreeType cannot read the
// data.
std::shared_ptr<const FontDef> OpenTypeGlyphs(const FontDef& font, const std::u32string& chars);

} // namespace vidorama::swf
