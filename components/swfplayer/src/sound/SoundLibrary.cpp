#include "sound/SoundLibrary.h"

#include "sound/EventSoundDecoder.h"
#include "swf/Limits.h"

namespace vidorama::swf {

std::shared_ptr<const StereoPcm> SoundLibrary::decoded(const SoundDef& sound) {
    auto found = m_sounds.find(sound.id());
    if (found != m_sounds.end())
        return found->second;
    auto pcm = std::make_shared<const StereoPcm>(DecodeEventSound(sound));
    makeRoom(FrameCount(*pcm));
    m_frames += FrameCount(*pcm);
    m_sounds.emplace(sound.id(), pcm);
    return pcm;
}

// A sound whose only owner is the library is not playing.
void SoundLibrary::makeRoom(std::size_t frames) {
    for (auto it = m_sounds.begin();
         it != m_sounds.end() && m_frames + frames > Limits::kMaxCachedSoundFrames;) {
        if (it->second.use_count() == 1) {
            m_frames -= FrameCount(*it->second);
            it = m_sounds.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace vidorama::swf
