#pragma once

#include <cstdint>
#include <span>

namespace vidorama::swf {

// The samples (per channel) that an ADPCM packet of this many bytes can hold.
// The padding to a whole byte may look like one to three more samples than
// were coded, so a packet's length gives a range: the decoder yields the top
// of it, the coder may have meant any value in it.
struct AdpcmSampleRange {
    std::uint64_t least = 0;
    std::uint64_t most = 0;
};

AdpcmSampleRange AdpcmSamples(std::span<const std::uint8_t> packet, int channels);

// The bytes that samples (per channel) take at the widest code size.
std::uint64_t AdpcmBytesFor(std::uint64_t samples, int channels);

} // namespace vidorama::swf
