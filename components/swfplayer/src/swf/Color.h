#pragma once

#include "vidorama/swf/Color.h"

namespace vidorama::swf {

class ByteReader;

// Reading colours from a movie is the engine's own business; the values are
// part of its public face.
Rgba ReadRgb(ByteReader& reader);
Rgba ReadRgba(ByteReader& reader);
// CXFORM (without alpha) and CXFORMWITHALPHA.
ColorTransform ReadColorTransform(ByteReader& reader, bool withAlpha);

} // namespace vidorama::swf
