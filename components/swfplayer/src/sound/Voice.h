#pragma once

#include <cstdint>
#include <span>

namespace vidorama::swf {

// One sound the mixer plays: an event sound or a clip's stream.
class Voice {
public:
    virtual ~Voice() = default;

    // Adds the voice's next sample frames to mix (left and right interleaved,
    // summed in 32 bits) and moves on by mix.size() / 2 frames.
    virtual void mixInto(std::span<std::int32_t> mix) = 0;
    // True once the voice will not sound again and can be dropped.
    virtual bool finished() const = 0;
    // True while the voice has samples to play now.
    virtual bool sounding() const = 0;
    // Where it plays in its sound, in 44.1 kHz sample frames.
    virtual std::uint64_t position() const { return 0; }
};

} // namespace vidorama::swf
