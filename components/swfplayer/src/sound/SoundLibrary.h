#pragma once

#include "sound/SoundDef.h"
#include "sound/StereoPcm.h"

#include <map>
#include <memory>

namespace vidorama::swf {

// The decoded event sounds of one player, decoded when first played and kept
// for the next time. Past Limits::kMaxCachedSoundFrames the sounds that are
// not playing are let go.
class SoundLibrary {
public:
    std::shared_ptr<const StereoPcm> decoded(const SoundDef& sound);

private:
    void makeRoom(std::size_t frames);

    std::map<CharacterId, std::shared_ptr<const StereoPcm>> m_sounds;
    std::size_t m_frames = 0;
};

} // namespace vidorama::swf
