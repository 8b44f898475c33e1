#include "sound/EventVoice.h"

#include <algorithm>

namespace vidorama::swf {

EventVoice::EventVoice(std::shared_ptr<const StereoPcm> pcm, const SoundInfo& info)
    : m_pcm(std::move(pcm)), m_envelope(info.envelope) {
    std::size_t frames = m_pcm ? FrameCount(*m_pcm) : 0;
    // An out point of 0 means none, as in Flash; points past the end are
    // held to it.
    m_end = info.outPoint && *info.outPoint > 0 ? std::min<std::size_t>(*info.outPoint, frames)
                                                : frames;
    m_begin = std::min<std::size_t>(info.inPoint.value_or(0), m_end);
    m_position = m_begin;
    m_loopsLeft = m_end > m_begin ? std::max<std::uint32_t>(info.loops, 1) : 0;
}

void EventVoice::mixInto(std::span<std::int32_t> mix) {
    while (!mix.empty() && m_loopsLeft > 0) {
        std::size_t frames = std::min(mix.size() / 2, m_end - m_position);
        const std::int16_t* from = m_pcm->data() + 2 * m_position;
        if (m_envelope.empty())
            mixPlain(from, mix.first(2 * frames));
        else
            mixEnveloped(from, mix.first(2 * frames));
        mix = mix.subspan(2 * frames);
        m_position += frames;
        m_elapsed += frames;
        if (m_position == m_end) {
            m_position = m_begin;
            --m_loopsLeft;
        }
    }
}

void EventVoice::mixPlain(const std::int16_t* from, std::span<std::int32_t> mix) {
    for (std::size_t i = 0; i < mix.size(); ++i)
        mix[i] += from[i];
}

void EventVoice::mixEnveloped(const std::int16_t* from, std::span<std::int32_t> mix) {
    std::int32_t left = 0;
    std::int32_t right = 0;
    for (std::size_t i = 0; i < mix.size(); i += 2) {
        m_envelope.levelsAt(m_elapsed + i / 2, left, right);
        mix[i] += from[i] * left / 32768;
        mix[i + 1] += from[i + 1] * right / 32768;
    }
}

} // namespace vidorama::swf
