#pragma once

#include "swf/ByteReader.h"
#include "swf/Character.h"
#include "swf/Result.h"
#include "text/FontDef.h"

#include <memory>
#include <string>

namespace vidorama::swf {

// DefineFont, DefineFont2, DefineFont3 and DefineFont4, from a view of
// exactly the tag's body. A DefineFont has no character codes until its
// DefineFontInfo.
Result<std::shared_ptr<const FontDef>> ParseFont(int tagCode, ByteReader body, int swfVersion);

// DefineFontInfo and DefineFontInfo2 name a DefineFont's font and give its
// glyphs their characters. Returns the completed font; the body's font id is
// read by the caller.
std::shared_ptr<const FontDef> ApplyFontInfo(const FontDef& font, int tagCode, ByteReader body,
                                             int swfVersion);

// Strings of movies before SWF 6 are in the author's code page; we read them
// as Latin-1, which the common Western code page mostly agrees with.
std::string MovieStringToUtf8(const std::string& bytes, int swfVersion);

} // namespace vidorama::swf
