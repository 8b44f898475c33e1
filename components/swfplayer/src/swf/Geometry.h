#pragma once

#include "vidorama/swf/Geometry.h"

namespace vidorama::swf {

class ByteReader;

// Reading geometry from a movie is the engine's own business; the values
// are part of its public face.
Rect ReadRect(ByteReader& reader);
Matrix ReadMatrix(ByteReader& reader);

} // namespace vidorama::swf
