#pragma once

#include "sound/SoundTransform.h"
#include "sound/Voice.h"
#include "swf/Character.h"

#include <cstdint>
#include <map>
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

    // Starts a voice; sound is the DefineSound it plays, if any, and group
    // the transform it follows (0: the master one only). Returns 0 when as
    // many voices as allowed play already; a stream (no sound) then takes
    // the place of the oldest event sound, as a soundtrack matters more than
    // one more effect.
    VoiceId add(std::shared_ptr<Voice> voice, std::optional<CharacterId> sound,
                std::uint64_t group = 0);
    void stop(VoiceId id);
    // Stops every voice of the sound.
    void stopSound(CharacterId sound);
    void stopAll();
    bool playing(CharacterId sound) const;
    // The voice, while it plays; nullptr after it ended.
    const Voice* voice(VoiceId id) const;
    // Stops the voices of a group, of one sound when given.
    void stopGroup(std::uint64_t group, std::optional<CharacterId> sound);
    // The transform every voice goes through, and a group's on top of it.
    void setTransform(std::uint64_t group, const SoundTransform& transform);
    SoundTransform transform(std::uint64_t group) const;
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
        std::uint64_t group = 0;
    };

    std::vector<Entry> m_voices;
    std::vector<std::int32_t> m_sum;
    std::vector<std::int32_t> m_groupSum;
    std::map<std::uint64_t, SoundTransform> m_transforms;
    VoiceId m_nextId = 1;
};

} // namespace vidorama::swf
