#pragma once

#include "graphics/CharacterParsers.h"
#include "graphics/ShapeDef.h"
#include "swf/ByteReader.h"
#include "swf/Character.h"
#include "swf/Result.h"

#include <memory>

namespace vidorama::swf {

// DefineShape, DefineShape2, DefineShape3 and DefineShape4, in a movie of the
// given SWF version.
Result<std::shared_ptr<const CharacterDef>> ParseShape(int tagCode, ByteReader body,
                                                       int swfVersion);

// A font's glyph outline: a SHAPE without style arrays whose fills all use
// one solid black style. Records cut short end the outline where they stop.
std::shared_ptr<const ShapeDef> ParseGlyphShape(ByteReader body);

// DefineMorphShape and DefineMorphShape2.
Result<std::shared_ptr<const CharacterDef>> ParseMorphShape(int tagCode, ByteReader body,
                                                            int swfVersion);

} // namespace vidorama::swf
