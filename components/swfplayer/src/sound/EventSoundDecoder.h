#pragma once

#include "sound/SoundDef.h"
#include "sound/StereoPcm.h"

namespace vidorama::swf {

// Decodes a DefineSound whole, as it plays: the MP3 coder delay that the
// sound's seek value names is dropped, the decoded length is held to the
// sound's sample count, and the result is cut at Limits::kMaxSoundFrames.
// A sound that cannot be decoded comes back empty and plays as silence.
StereoPcm DecodeEventSound(const SoundDef& sound);

} // namespace vidorama::swf
