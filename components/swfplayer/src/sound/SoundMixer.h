#pragma once

#include "sound/Voice.h"
#include "swf/Character.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace vidorama::swf {

// Sums the playing voices into 44.1 kHz stereo 16-bit sound. Voices add up in
// 32 bits and the sum is clipped to 16 bits once, so loud mixes flatten at
// full scale instead of wrapping round.
class SoundMixer {
public:
    using VoiceId = std::uint64_t;

    // Starts a voice; sound is the DefineSound it plays, if any. Returns 0
    // when as many voices as allowed play already.
    VoiceId add(std::shared_ptr<Voice> voice, std::optional<CharacterId> sound);
    void stop(VoiceId id);
    // Stops every voice of the sound.
    void stopSound(CharacterId sound);
    void stopAll();
    bool playing(CharacterId sound) const;
    // True while a voice has something to play.
    bool sounding() const;

    // Mixes the next out.size() / 2 sample frames into out; silence where
    // nothing plays. Finished voices are dropped afterwards.
    void mix(std::span<std::int16_t> out);

private:
    struct Entry {
        VoiceId id;
        std::optional<CharacterId> sound;
        std::shared_ptr<Voice> voice;
    };

    std::vector<Entry> m_voices;
    std::vector<std::int32_t> m_sum;
    VoiceId m_nextId = 1;
};

} // namespace vidorama::swf
