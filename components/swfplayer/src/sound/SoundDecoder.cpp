#include "sound/SoundDecoder.h"

#include "sound/AdpcmPacket.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <algorithm>

namespace vidorama::swf {

SoundDecoder::SoundDecoder(const SoundFormat& format)
    : m_format(format), m_codec(format.known() ? CodecDecoder::Create(format) : nullptr) {}

void SoundDecoder::decode(std::span<const std::uint8_t> packet, StereoPcm& out) {
    if (m_codec && m_keep > 0)
        m_codec->decode(packet, [&](const AVFrame& frame) { return take(frame, out); });
}

void SoundDecoder::finish(StereoPcm& out) {
    if (!m_codec)
        return;
    m_codec->flush([&](const AVFrame& frame) { return take(frame, out); });
    m_resampler.drain(out);
}

std::size_t SoundDecoder::dataBytesFor(std::uint64_t count) const {
    constexpr std::uint64_t kNellymoserBlockBytes = 64;
    constexpr std::uint64_t kNellymoserBlockSamples = 256;
    auto channels = static_cast<std::uint64_t>(m_format.channels());
    std::uint64_t bytes = std::numeric_limits<std::size_t>::max();
    switch (m_format.codec) {
    case SoundCodec::UncompressedNative:
    case SoundCodec::UncompressedLittleEndian:
        bytes = count * channels * (m_format.sixteenBit ? 2 : 1);
        break;
    case SoundCodec::Adpcm:
        bytes = AdpcmBytesFor(count, m_format.channels());
        break;
    case SoundCodec::Nellymoser16k:
    case SoundCodec::Nellymoser8k:
    case SoundCodec::Nellymoser:
        bytes = (count / kNellymoserBlockSamples + 1) * kNellymoserBlockBytes;
        break;
    default:
        break;
    }
    return static_cast<std::size_t>(
        std::min<std::uint64_t>(bytes, std::numeric_limits<std::size_t>::max()));
}

bool SoundDecoder::take(const AVFrame& frame, StereoPcm& out) {
    auto available = static_cast<std::uint64_t>(std::max(frame.nb_samples, 0));
    std::uint64_t skipped = std::min(m_skip, available);
    m_skip -= skipped;
    std::uint64_t kept = std::min(available - skipped, m_keep);
    m_keep -= kept;
    m_kept += kept;
    m_resampler.push(frame, static_cast<int>(skipped), static_cast<int>(kept), out);
    return m_keep > 0;
}

} // namespace vidorama::swf
