#pragma once

#include "sound/SoundFormat.h"
#include "swf/Character.h"
#include "swf/Result.h"

#include <cstdint>
#include <memory>
#include <span>

namespace vidorama::swf {

// DefineSound: an event sound as the movie stores it. It is decoded only when
// it first plays; the data is a view into the movie, valid while it lives.
class SoundDef final : public CharacterDef {
public:
    SoundDef(CharacterId id, SoundFormat format, std::uint32_t sampleCount,
             std::span<const std::uint8_t> data)
        : CharacterDef(id, Kind::Sound), m_format(format), m_sampleCount(sampleCount),
          m_data(data) {}

    const SoundFormat& format() const { return m_format; }
    // Samples per channel at the sound's own rate.
    std::uint32_t sampleCount() const { return m_sampleCount; }
    std::span<const std::uint8_t> data() const { return m_data; }

private:
    SoundFormat m_format;
    std::uint32_t m_sampleCount;
    std::span<const std::uint8_t> m_data;
};

// Reads a DefineSound body.
Result<std::shared_ptr<const SoundDef>> ReadDefineSound(std::span<const std::uint8_t> body);

} // namespace vidorama::swf
