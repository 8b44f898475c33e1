#pragma once

#include "sound/SoundDecoder.h"
#include "sound/SoundTags.h"
#include "sound/StereoPcm.h"

#include <memory>
#include <span>

namespace vidorama::swf {

// Decodes the blocks of one clip's stream sound in order, keeping the
// decoder's state from block to block (MP3 frames may lean on earlier ones).
// The stream keeps in step with the timeline: an MP3 block's seek value (the
// head's latency for the timeline's first block) drops the coder delay when
// the stream starts there, and an ADPCM block, whose length leaves its
// sample count open by a sample or two, is held to the count that keeps the
// stream at the frame rate.
class StreamDecoder {
public:
    explicit StreamDecoder(double framesPerSecond) : m_framesPerSecond(framesPerSecond) {}

    // Appends the block's sound to out. start is true for the first block of
    // a stream that starts (or starts again) at this block.
    void decode(const StreamBlock& block, bool start, StereoPcm& out);

private:
    void prepare(const SoundFormat& format);
    void decodeMp3(std::span<const std::uint8_t> data, const StreamBlock& block, bool start,
                   StereoPcm& out);
    void decodeAdpcm(std::span<const std::uint8_t> data, const SoundFormat& format,
                     std::uint64_t most, StereoPcm& out);

    double m_framesPerSecond;
    std::unique_ptr<SoundDecoder> m_decoder;
    // Samples the timeline has asked for and the stream has given, at the
    // stream's own rate, for ADPCM's count.
    double m_samplesDue = 0;
    std::uint64_t m_samplesGiven = 0;
};

} // namespace vidorama::swf
