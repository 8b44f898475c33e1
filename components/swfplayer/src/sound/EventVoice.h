#pragma once

#include "sound/Envelope.h"
#include "sound/SoundTags.h"
#include "sound/StereoPcm.h"
#include "sound/Voice.h"

#include <cstdint>
#include <memory>

namespace vidorama::swf {

// An event sound as StartSound plays it: from the in point to the out point,
// as many times as it loops, with its volume envelope.
class EventVoice final : public Voice {
public:
    EventVoice(std::shared_ptr<const StereoPcm> pcm, const SoundInfo& info);

    void mixInto(std::span<std::int32_t> mix) override;
    bool finished() const override { return m_loopsLeft == 0; }
    bool sounding() const override { return !finished(); }
    std::uint64_t position() const override { return m_position; }

private:
    void mixPlain(const std::int16_t* from, std::span<std::int32_t> mix);
    void mixEnveloped(const std::int16_t* from, std::span<std::int32_t> mix);

    std::shared_ptr<const StereoPcm> m_pcm;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    std::size_t m_position = 0;
    std::uint32_t m_loopsLeft = 0;
    // Frames played since the start, across loops: the envelope's clock.
    std::uint64_t m_elapsed = 0;
    Envelope m_envelope;
};

} // namespace vidorama::swf
