#pragma once

#include "text/FontDef.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>

namespace vidorama::swf {

// The glyphs of the given characters and the face's ascent and descent, as a
// font's data: outlines unhinted in font units (scaled up to keep curve
// precision in whole numbers), cubic curves split into quadratic ones. Used
// for system fonts and for the OpenType data of DefineFont4.
FontDef::Data FreeTypeFontData(FT_Face face, const std::u32string& chars);

} // namespace vidorama::swf
