#include "pipeline/SoundQueue.h"

#include <algorithm>

namespace vidorama::cli {

std::span<std::int16_t> SoundQueue::append(std::int64_t frames) {
    compact();
    const std::size_t old = m_samples.size();
    m_samples.resize(old + static_cast<std::size_t>(std::max<std::int64_t>(frames, 0)) * kChannels);
    return std::span<std::int16_t>(m_samples).subspan(old);
}

std::span<const std::int16_t> SoundQueue::take(std::int64_t frames) {
    const auto count =
        static_cast<std::size_t>(std::clamp<std::int64_t>(frames, 0, queuedFrames())) * kChannels;
    std::span<const std::int16_t> taken(m_samples.data() + m_read, count);
    m_read += count;
    m_front += static_cast<std::int64_t>(count / kChannels);
    return taken;
}

void SoundQueue::dropBefore(std::int64_t sampleFrame) {
    take(sampleFrame - m_front);
}

std::int64_t SoundQueue::queuedFrames() const {
    return static_cast<std::int64_t>((m_samples.size() - m_read) / kChannels);
}

// Taken samples are let go of only when more arrive, so that a span handed
// out by take() stays valid until then.
void SoundQueue::compact() {
    m_samples.erase(m_samples.begin(), m_samples.begin() + static_cast<std::ptrdiff_t>(m_read));
    m_read = 0;
}

} // namespace vidorama::cli
