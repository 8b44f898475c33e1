#include "VideoEncoding.h"

#include "FfmpegPtr.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace vidorama::test {

namespace {

bool Drain(AVCodecContext& context, AVPacket& packet, std::vector<Bytes>& out) {
    int result = 0;
    while ((result = avcodec_receive_packet(&context, &packet)) == 0) {
        out.emplace_back(packet.data, packet.data + packet.size);
        av_packet_unref(&packet);
    }
    return result == AVERROR(EAGAIN) || result == AVERROR_EOF;
}

} // namespace

std::optional<std::vector<Bytes>>
EncodeVideo(const std::string& encoder, const std::vector<QImage>& pictures, int keyframeInterval) {
    const AVCodec* codec = avcodec_find_encoder_by_name(encoder.c_str());
    if (!codec || pictures.empty())
        return std::nullopt;
    encoder::CodecContextPtr context(avcodec_alloc_context3(codec));
    int width = pictures.front().width(), height = pictures.front().height();
    context->width = width;
    context->height = height;
    context->time_base = {1, 12};
    context->gop_size = keyframeInterval;
    context->max_b_frames = 0;
    context->thread_count = 1;
    // Screen video codes RGB; the others 4:2:0 at a fine fixed quantizer.
    bool rgb = encoder.rfind("flashsv", 0) == 0;
    context->pix_fmt = rgb ? AV_PIX_FMT_BGR24 : AV_PIX_FMT_YUV420P;
    context->flags |= AV_CODEC_FLAG_QSCALE;
    context->global_quality = FF_QP2LAMBDA * 2;
    if (avcodec_open2(context.get(), codec, nullptr) < 0)
        return std::nullopt;
    encoder::SwsContextPtr scaler(sws_getContext(width, height, AV_PIX_FMT_BGRA, width, height,
                                                 context->pix_fmt, SWS_POINT, nullptr, nullptr,
                                                 nullptr));
    encoder::FramePtr frame(av_frame_alloc());
    encoder::PacketPtr packet(av_packet_alloc());
    frame->width = width;
    frame->height = height;
    frame->format = context->pix_fmt;
    if (!scaler || av_frame_get_buffer(frame.get(), 0) < 0)
        return std::nullopt;
    std::vector<Bytes> packets;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        QImage source = pictures[i].convertToFormat(QImage::Format_ARGB32);
        const std::uint8_t* sourceData[1] = {source.constBits()};
        int sourceStride[1] = {static_cast<int>(source.bytesPerLine())};
        if (av_frame_make_writable(frame.get()) < 0)
            return std::nullopt;
        sws_scale(scaler.get(), sourceData, sourceStride, 0, height, frame->data, frame->linesize);
        frame->pts = static_cast<std::int64_t>(i);
        bool key = i % static_cast<std::size_t>(keyframeInterval) == 0;
        frame->pict_type = key ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
        if (avcodec_send_frame(context.get(), frame.get()) < 0 ||
            !Drain(*context, *packet, packets))
            return std::nullopt;
    }
    avcodec_send_frame(context.get(), nullptr);
    if (!Drain(*context, *packet, packets) || packets.size() != pictures.size())
        return std::nullopt;
    return packets;
}

} // namespace vidorama::test
