#include "sound/StreamVoice.h"

#include "swf/Limits.h"

#include <algorithm>

namespace vidorama::swf {

void StreamVoice::append(std::span<const std::int16_t> pcm) {
    // Played samples are let go of before new ones come in, so the queue
    // holds only what is still to play.
    m_pcm.erase(m_pcm.begin(), m_pcm.begin() + static_cast<std::ptrdiff_t>(m_read));
    m_base += m_read / 2;
    m_read = 0;
    std::size_t room = 2 * Limits::kMaxStreamBufferFrames -
                       std::min(m_pcm.size(), 2 * Limits::kMaxStreamBufferFrames);
    std::size_t taken = std::min(room, pcm.size() & ~std::size_t(1));
    m_pcm.insert(m_pcm.end(), pcm.begin(), pcm.begin() + static_cast<std::ptrdiff_t>(taken));
}

void StreamVoice::cutAt(std::uint64_t position) {
    std::uint64_t keep = std::max(position, m_base + m_read / 2) - m_base;
    if (2 * keep < m_pcm.size())
        m_pcm.resize(2 * keep);
}

void StreamVoice::mixInto(std::span<std::int32_t> mix) {
    std::size_t samples = std::min(mix.size(), m_pcm.size() - m_read);
    for (std::size_t i = 0; i < samples; ++i)
        mix[i] += m_pcm[m_read + i];
    m_read += samples;
}

} // namespace vidorama::swf
