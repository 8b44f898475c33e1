#include "sound/CodecDecoder.h"

#include "sound/SpeexFrames.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <algorithm>
#include <climits>
#include <vector>

namespace vidorama::swf {

namespace {

const AVCodec* FindDecoder(const SoundFormat& format) {
    switch (format.codec) {
    case SoundCodec::UncompressedNative:
    case SoundCodec::UncompressedLittleEndian:
        // Flash wrote "native" data on little-endian machines, and 8-bit
        // samples are unsigned either way.
        return avcodec_find_decoder(format.sixteenBit ? AV_CODEC_ID_PCM_S16LE : AV_CODEC_ID_PCM_U8);
    case SoundCodec::Adpcm:
        return avcodec_find_decoder(AV_CODEC_ID_ADPCM_SWF);
    case SoundCodec::Mp3:
        return avcodec_find_decoder(AV_CODEC_ID_MP3);
    case SoundCodec::Nellymoser16k:
    case SoundCodec::Nellymoser8k:
    case SoundCodec::Nellymoser:
        return avcodec_find_decoder(AV_CODEC_ID_NELLYMOSER);
    case SoundCodec::Speex:
        // libspeex's wrapper, where FFmpeg has it, is the reference decoder.
        if (const AVCodec* codec = avcodec_find_decoder_by_name("libspeex"))
            return codec;
        return avcodec_find_decoder(AV_CODEC_ID_SPEEX);
    }
    return nullptr;
}

// FFmpeg's readers may look a little past the end of a packet, so each one
// is copied into a padded buffer.
std::vector<std::uint8_t> Padded(std::span<const std::uint8_t> packet) {
    std::vector<std::uint8_t> padded(packet.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    std::copy(packet.begin(), packet.end(), padded.begin());
    return padded;
}

} // namespace

std::unique_ptr<CodecDecoder> CodecDecoder::Create(const SoundFormat& format) {
    const AVCodec* codec = FindDecoder(format);
    if (!codec)
        return nullptr;
    std::unique_ptr<CodecDecoder> decoder(new CodecDecoder());
    decoder->m_context = avcodec_alloc_context3(codec);
    decoder->m_packet = av_packet_alloc();
    decoder->m_frame = av_frame_alloc();
    if (!decoder->m_context || !decoder->m_packet || !decoder->m_frame)
        return nullptr;
    decoder->m_context->sample_rate = format.sampleRate();
    av_channel_layout_default(&decoder->m_context->ch_layout, format.channels());
    if (avcodec_open2(decoder->m_context, codec, nullptr) < 0)
        return nullptr;
    if (format.codec == SoundCodec::Mp3)
        decoder->m_parser = av_parser_init(AV_CODEC_ID_MP3);
    decoder->m_speex = format.codec == SoundCodec::Speex;
    return decoder;
}

CodecDecoder::~CodecDecoder() {
    av_parser_close(m_parser);
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_context);
}

void CodecDecoder::decode(std::span<const std::uint8_t> packet, const Sink& sink) {
    if (packet.empty() || packet.size() > INT_MAX)
        return;
    if (m_speex) {
        ForEachSpeexFrame(
            packet, [&](std::span<const std::uint8_t> frame) { return sendPadded(frame, sink); });
        return;
    }
    if (!m_parser) {
        sendPadded(packet, sink);
        return;
    }
    std::vector<std::uint8_t> padded = Padded(packet);
    const std::uint8_t* data = padded.data();
    int size = static_cast<int>(packet.size());
    // The parser consumes input or returns a frame on every call; the bound
    // only guards against a parser that does neither.
    for (int rounds = size + 2; size > 0 && rounds > 0; --rounds) {
        std::uint8_t* frameData = nullptr;
        int frameSize = 0;
        int used = av_parser_parse2(m_parser, m_context, &frameData, &frameSize, data, size,
                                    AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        if (used <= 0 && frameSize == 0)
            break;
        data += std::max(used, 0);
        size -= std::max(used, 0);
        if (frameSize > 0 && !send(frameData, frameSize, sink))
            break;
    }
}

void CodecDecoder::flush(const Sink& sink) {
    if (m_parser) {
        std::uint8_t* frameData = nullptr;
        int frameSize = 0;
        av_parser_parse2(m_parser, m_context, &frameData, &frameSize, nullptr, 0, AV_NOPTS_VALUE,
                         AV_NOPTS_VALUE, 0);
        if (frameSize > 0)
            send(frameData, frameSize, sink);
    }
    if (avcodec_send_packet(m_context, nullptr) == 0)
        receive(sink);
    avcodec_flush_buffers(m_context);
}

bool CodecDecoder::sendPadded(std::span<const std::uint8_t> packet, const Sink& sink) {
    std::vector<std::uint8_t> padded = Padded(packet);
    return send(padded.data(), static_cast<int>(packet.size()), sink);
}

bool CodecDecoder::send(const std::uint8_t* data, int size, const Sink& sink) {
    m_packet->data = const_cast<std::uint8_t*>(data);
    m_packet->size = size;
    int result = avcodec_send_packet(m_context, m_packet);
    bool more = true;
    if (result == AVERROR(EAGAIN)) {
        more = receive(sink);
        result = avcodec_send_packet(m_context, m_packet);
    }
    m_packet->data = nullptr;
    m_packet->size = 0;
    if (result == 0)
        more = receive(sink) && more;
    return more;
}

// Frames the decoder has ready are taken even after the sink has had
// enough, so that it is ready for the next packet.
bool CodecDecoder::receive(const Sink& sink) {
    bool more = true;
    while (avcodec_receive_frame(m_context, m_frame) == 0) {
        if (more)
            more = sink(*m_frame);
        av_frame_unref(m_frame);
    }
    return more;
}

} // namespace vidorama::swf
