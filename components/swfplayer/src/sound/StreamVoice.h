#pragma once

#include "sound/StereoPcm.h"
#include "sound/Voice.h"

#include <cstdint>
#include <span>

namespace vidorama::swf {

// A clip's stream sound: decoded blocks queue up and play one after the other
// from where the mixer is. It lasts until its owner ends it; while its queue
// is empty it is silent.
class StreamVoice final : public Voice {
public:
    // Queues decoded sound; what would take the queue past its limit is cut.
    void append(std::span<const std::int16_t> pcm);
    // Sample frames queued and not yet played.
    std::size_t queuedFrames() const { return (m_pcm.size() - m_read) / 2; }
    // Sample frames appended since the voice began: a position in its sound.
    std::uint64_t appendedFrames() const { return m_base + m_pcm.size() / 2; }
    // Drops what was appended after the given position and not yet played.
    void cutAt(std::uint64_t position);
    // No more blocks will come: the voice ends once its queue has played.
    void endWhenDrained() { m_ending = true; }

    void mixInto(std::span<std::int32_t> mix) override;
    bool finished() const override { return m_ending && queuedFrames() == 0; }
    bool sounding() const override { return queuedFrames() > 0; }

private:
    StereoPcm m_pcm;
    std::size_t m_read = 0;
    // The position of m_pcm's first sample frame.
    std::uint64_t m_base = 0;
    bool m_ending = false;
};

} // namespace vidorama::swf
