#include "sound/SoundMixer.h"

#include "swf/Limits.h"

#include <algorithm>
#include <limits>

namespace vidorama::swf {

namespace {

// Far above any 16-bit sample, far below what 32 voices summed in 32 bits
// could overflow: scripts may set any volume.
constexpr double kSampleBound = 1 << 24;

// Mixes channels through a transform, in place.
void Apply(const SoundTransform& transform, std::span<std::int32_t> samples) {
    const double scale = transform.volume / 100 / 100;
    auto bounded = [](double sample) {
        return static_cast<std::int32_t>(std::clamp(sample, -kSampleBound, kSampleBound));
    };
    for (std::size_t i = 0; i + 1 < samples.size(); i += 2) {
        const double left = samples[i], right = samples[i + 1];
        samples[i] = bounded((left * transform.ll + right * transform.rl) * scale);
        samples[i + 1] = bounded((left * transform.lr + right * transform.rr) * scale);
    }
}

} // namespace

SoundMixer::VoiceId SoundMixer::add(std::shared_ptr<Voice> voice, std::optional<CharacterId> sound,
                                    std::uint64_t group) {
    if (!voice)
        return 0;
    if (m_voices.size() >= Limits::kMaxVoices) {
        auto oldestEvent = std::find_if(m_voices.begin(), m_voices.end(),
                                        [](const Entry& entry) { return entry.sound.has_value(); });
        if (sound || oldestEvent == m_voices.end())
            return 0;
        m_voices.erase(oldestEvent);
    }
    VoiceId id = m_nextId++;
    m_voices.push_back({id, sound, std::move(voice), group});
    return id;
}

const Voice* SoundMixer::voice(VoiceId id) const {
    for (const Entry& entry : m_voices)
        if (entry.id == id)
            return entry.voice->finished() ? nullptr : entry.voice.get();
    return nullptr;
}

void SoundMixer::stopGroup(std::uint64_t group, std::optional<CharacterId> sound) {
    std::erase_if(m_voices, [&](const Entry& entry) {
        return (group == 0 || entry.group == group) && (!sound || entry.sound == sound);
    });
}

void SoundMixer::setTransform(std::uint64_t group, const SoundTransform& transform) {
    if (transform.identity())
        m_transforms.erase(group);
    else
        m_transforms[group] = transform;
}

SoundTransform SoundMixer::transform(std::uint64_t group) const {
    auto found = m_transforms.find(group);
    return found == m_transforms.end() ? SoundTransform{} : found->second;
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
    for (Entry& entry : m_voices) {
        auto own = entry.group ? m_transforms.find(entry.group) : m_transforms.end();
        if (own == m_transforms.end()) {
            entry.voice->mixInto(m_sum);
            continue;
        }
        m_groupSum.assign(whole.size(), 0);
        entry.voice->mixInto(m_groupSum);
        Apply(own->second, m_groupSum);
        for (std::size_t i = 0; i < whole.size(); ++i)
            m_sum[i] += m_groupSum[i];
    }
    if (auto master = m_transforms.find(0); master != m_transforms.end())
        Apply(master->second, m_sum);
    constexpr std::int32_t kMin = std::numeric_limits<std::int16_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int16_t>::max();
    for (std::size_t i = 0; i < whole.size(); ++i)
        whole[i] = static_cast<std::int16_t>(std::clamp(m_sum[i], kMin, kMax));
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(whole.size()), out.end(), std::int16_t{0});
    std::erase_if(m_voices, [](const Entry& entry) { return entry.voice->finished(); });
}

} // namespace vidorama::swf
