#pragma once

// Results are part of the engine's public face.
#include "vidorama/swf/Result.h"
