#pragma once

#include "swf/ByteReader.h"
#include "swf/Result.h"
#include "text/FontDef.h"
#include "text/TextDef.h"

#include <functional>
#include <memory>

namespace vidorama::swf {

// Finds a font of the movie by character id; null when there is none.
using FontLookup = std::function<std::shared_ptr<const FontDef>(CharacterId)>;

// DefineText and DefineText2. Records that name a missing font, or glyphs
// the font does not have, are left out; records cut short end the text.
Result<std::shared_ptr<const TextDef>> ParseStaticText(int tagCode, ByteReader body,
                                                       const FontLookup& fonts);

} // namespace vidorama::swf
