#pragma once

// The quality setting is part of the engine's public face.
#include "vidorama/swf/StageQuality.h"
