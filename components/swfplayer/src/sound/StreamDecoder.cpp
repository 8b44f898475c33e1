#include "sound/StreamDecoder.h"

#include "sound/AdpcmPacket.h"
#include "swf/ByteReader.h"
#include "swf/Limits.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf {

void StreamDecoder::decode(const StreamBlock& block, bool start, StereoPcm& out) {
    prepare(block.head.format);
    if (start) {
        m_samplesDue = 0;
        m_samplesGiven = 0;
    }
    if (!m_decoder->valid())
        return;
    // However much a block holds, it adds at most the stream's buffer.
    std::uint64_t most = block.head.format.samplesFor(Limits::kMaxStreamBufferFrames);
    std::span<const std::uint8_t> data =
        block.data.first(std::min(block.data.size(), m_decoder->dataBytesFor(most)));
    m_decoder->limit(most);
    switch (block.head.format.codec) {
    case SoundCodec::Mp3:
        decodeMp3(data, block, start, out);
        break;
    case SoundCodec::Adpcm:
        decodeAdpcm(data, block.head.format, most, out);
        break;
    default:
        m_decoder->decode(data, out);
        break;
    }
}

// A new format (a second SoundStreamHead) needs a decoder of its own.
void StreamDecoder::prepare(const SoundFormat& format) {
    if (m_decoder && m_decoder->format() == format)
        return;
    m_decoder = std::make_unique<SoundDecoder>(format);
    m_samplesDue = 0;
    m_samplesGiven = 0;
}

// MP3STREAMSOUNDDATA: the block's sample count, its seek value, then frames.
void StreamDecoder::decodeMp3(std::span<const std::uint8_t> data, const StreamBlock& block,
                              bool start, StereoPcm& out) {
    ByteReader reader(data);
    reader.u16();
    std::int16_t seek = reader.i16();
    if (reader.overrun())
        return;
    if (start)
        m_decoder->skip(static_cast<std::uint64_t>(
            std::max<std::int16_t>(block.first ? block.head.latencySeek : seek, 0)));
    m_decoder->decode(reader.rest(), out);
}

void StreamDecoder::decodeAdpcm(std::span<const std::uint8_t> data, const SoundFormat& format,
                                std::uint64_t most, StereoPcm& out) {
    AdpcmSampleRange range = AdpcmSamples(data, format.channels());
    if (m_framesPerSecond > 0)
        m_samplesDue += format.samplesPerSecond() / m_framesPerSecond;
    auto wanted = static_cast<std::int64_t>(std::llround(m_samplesDue)) -
                  static_cast<std::int64_t>(m_samplesGiven);
    auto count = static_cast<std::uint64_t>(std::clamp<std::int64_t>(
        wanted, static_cast<std::int64_t>(range.least), static_cast<std::int64_t>(range.most)));
    m_decoder->limit(std::min(count, most));
    std::uint64_t before = m_decoder->samplesKept();
    m_decoder->decode(data, out);
    m_samplesGiven += m_decoder->samplesKept() - before;
}

} // namespace vidorama::swf
