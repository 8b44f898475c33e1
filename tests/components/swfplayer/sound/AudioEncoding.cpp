#include "AudioEncoding.h"

#include "FfmpegPtr.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <algorithm>
#include <memory>

namespace vidorama::test {

namespace {

// Writes samples [first, first + count) of pcm into the frame in the
// encoder's sample format, zero past the end of pcm.
void Fill(AVFrame& frame, const std::vector<std::int16_t>& pcm, std::size_t first, int channels) {
    auto format = static_cast<AVSampleFormat>(frame.format);
    bool planar = av_sample_fmt_is_planar(format) != 0;
    for (int i = 0; i < frame.nb_samples; ++i) {
        for (int c = 0; c < channels; ++c) {
            std::size_t at = (first + std::size_t(i)) * channels + c;
            std::int16_t v = at < pcm.size() ? pcm[at] : 0;
            int index = planar ? i : i * channels + c;
            std::uint8_t* plane = frame.extended_data[planar ? c : 0];
            if (format == AV_SAMPLE_FMT_FLT || format == AV_SAMPLE_FMT_FLTP)
                reinterpret_cast<float*>(plane)[index] = v / 32768.0f;
            else if (format == AV_SAMPLE_FMT_S32 || format == AV_SAMPLE_FMT_S32P)
                reinterpret_cast<std::int32_t*>(plane)[index] = std::int32_t{v} * 65536;
            else
                reinterpret_cast<std::int16_t*>(plane)[index] = v;
        }
    }
}

void Drain(AVCodecContext& context, AVPacket& packet, EncodedSound& out) {
    while (avcodec_receive_packet(&context, &packet) == 0) {
        out.packets.emplace_back(packet.data, packet.data + packet.size);
        av_packet_unref(&packet);
    }
}

} // namespace

std::optional<EncodedSound> Encode(const std::string& encoder, const std::vector<std::int16_t>& pcm,
                                   int rate, int channels, int bitRate) {
    const AVCodec* codec = avcodec_find_encoder_by_name(encoder.c_str());
    if (!codec || !codec->sample_fmts)
        return std::nullopt;
    encoder::CodecContextPtr context(avcodec_alloc_context3(codec));
    context->sample_rate = rate;
    context->sample_fmt = codec->sample_fmts[0];
    av_channel_layout_default(&context->ch_layout, channels);
    if (bitRate > 0)
        context->bit_rate = bitRate;
    if (avcodec_open2(context.get(), codec, nullptr) < 0)
        return std::nullopt;
    EncodedSound out;
    out.delay = context->initial_padding;
    out.frameSize = context->frame_size > 0 ? context->frame_size : 1024;
    encoder::FramePtr frame(av_frame_alloc());
    encoder::PacketPtr packet(av_packet_alloc());
    std::size_t total = pcm.size() / channels;
    for (std::size_t first = 0; first < total; first += out.frameSize) {
        frame->nb_samples = out.frameSize;
        frame->format = context->sample_fmt;
        av_channel_layout_copy(&frame->ch_layout, &context->ch_layout);
        if (av_frame_get_buffer(frame.get(), 0) < 0)
            return std::nullopt;
        Fill(*frame, pcm, first, channels);
        frame->pts = static_cast<std::int64_t>(first);
        if (avcodec_send_frame(context.get(), frame.get()) < 0)
            return std::nullopt;
        av_frame_unref(frame.get());
        Drain(*context, *packet, out);
    }
    avcodec_send_frame(context.get(), nullptr);
    Drain(*context, *packet, out);
    return out;
}

Bytes Concatenate(const std::vector<Bytes>& packets) {
    Bytes all;
    for (const Bytes& packet : packets)
        all.insert(all.end(), packet.begin(), packet.end());
    return all;
}

Bytes JoinAdpcmPackets(const std::vector<Bytes>& packets, int channels) {
    constexpr std::size_t kCodeSizeBits = 2;
    // A 4-bit packet: per channel a 22-bit header and 4,095 codes.
    const std::size_t packetBits = std::size_t(channels) * (22 + 4 * 4095);
    Bytes out;
    std::size_t bit = 0;
    auto put = [&](unsigned value) {
        if (bit % 8 == 0)
            out.push_back(0);
        out.back() = static_cast<std::uint8_t>(out.back() | (value << (7 - bit % 8)));
        ++bit;
    };
    put(1);
    put(0); // 2: 4-bit codes
    for (const Bytes& packet : packets)
        for (std::size_t i = kCodeSizeBits; i < kCodeSizeBits + packetBits; ++i)
            put((packet[i / 8] >> (7 - i % 8)) & 1u);
    return out;
}

} // namespace vidorama::test
