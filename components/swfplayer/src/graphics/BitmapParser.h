#pragma once

#include "graphics/CharacterParsers.h"

namespace vidorama::swf {

// DefineBits, DefineBitsJPEG2/3/4 and DefineBitsLossless/2.
Result<std::shared_ptr<const CharacterDef>> ParseBitmap(int tagCode, ByteReader body,
                                                        const GraphicsParseContext& ctx);

} // namespace vidorama::swf
