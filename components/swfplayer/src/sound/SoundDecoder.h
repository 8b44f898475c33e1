#pragma once

#include "sound/CodecDecoder.h"
#include "sound/Resampler.h"
#include "sound/SoundFormat.h"
#include "sound/StereoPcm.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <span>

namespace vidorama::swf {

// Decodes a sound's packets to 44.1 kHz stereo: FFmpeg's decoder, then the
// resampler. Samples can be dropped at the start (MP3 coder delay) and cut
// off after a count, both counted at the sound's own rate, before they are
// resampled.
class SoundDecoder {
public:
    explicit SoundDecoder(const SoundFormat& format);

    // False when the format cannot be decoded; such a sound stays silent.
    bool valid() const { return m_codec != nullptr; }
    const SoundFormat& format() const { return m_format; }

    // Drops the next count decoded samples.
    void skip(std::uint64_t count) { m_skip = count; }
    // Keeps at most count of the samples still to come; decoding stops once
    // they have come.
    void limit(std::uint64_t count) { m_keep = count; }
    // Samples (at the sound's own rate) decoded and kept so far.
    std::uint64_t samplesKept() const { return m_kept; }

    void decode(std::span<const std::uint8_t> packet, StereoPcm& out);
    // At the end of the sound: what the decoder and the filter still hold.
    void finish(StereoPcm& out);

    // The most data worth handing over at once for count samples: FFmpeg
    // decodes an uncompressed, ADPCM or Nellymoser packet whole, so a packet
    // is cut to what the samples wanted can take. MP3 and Speex are decoded
    // frame by frame and stop by themselves.
    std::size_t dataBytesFor(std::uint64_t count) const;

private:
    // Returns whether more samples are wanted.
    bool take(const AVFrame& frame, StereoPcm& out);

    SoundFormat m_format;
    std::unique_ptr<CodecDecoder> m_codec;
    Resampler m_resampler;
    std::uint64_t m_skip = 0;
    std::uint64_t m_keep = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t m_kept = 0;
};

} // namespace vidorama::swf
