#include "sound/SoundMixer.h"

#include "swf/Limits.h"

#include <algorithm>
#include <limits>

namespace vidorama::swf {

SoundMixer::VoiceId SoundMixer::add(std::shared_ptr<Voice> voice,
                                    std::optional<CharacterId> sound) {
    if (!voice || m_voices.size() >= Limits::kMaxVoices)
        return 0;
    VoiceId id = m_nextId++;
    m_voices.push_back({id, sound, std::move(voice)});
    return id;
}

void SoundMixer::stop(VoiceId id) {
    std::erase_if(m_voices, [id](const Entry& entry) { return entry.id == id; });
}

void SoundMixer::stopSound(CharacterId sound) {
    std::erase_if(m_voices, [sound](const Entry& entry) { return entry.sound == sound; });
}

void SoundMixer::stopAll() {
    m_voices.clear();
}

bool SoundMixer::playing(CharacterId sound) const {
    return std::any_of(m_voices.begin(), m_voices.end(),
                       [sound](const Entry& entry) { return entry.sound == sound; });
}

bool SoundMixer::sounding() const {
    return std::any_of(m_voices.begin(), m_voices.end(),
                       [](const Entry& entry) { return entry.voice->sounding(); });
}

void SoundMixer::mix(std::span<std::int16_t> out) {
    std::span<std::int16_t> whole = out.first(out.size() & ~std::size_t(1));
    if (m_voices.empty()) {
        std::fill(out.begin(), out.end(), std::int16_t{0});
        return;
    }
    m_sum.assign(whole.size(), 0);
    for (Entry& entry : m_voices)
        entry.voice->mixInto(m_sum);
    constexpr std::int32_t kMin = std::numeric_limits<std::int16_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int16_t>::max();
    for (std::size_t i = 0; i < whole.size(); ++i)
        whole[i] = static_cast<std::int16_t>(std::clamp(m_sum[i], kMin, kMax));
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(whole.size()), out.end(), std::int16_t{0});
    std::erase_if(m_voices, [](const Entry& entry) { return entry.voice->finished(); });
}

} // namespace vidorama::swf
