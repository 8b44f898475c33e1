#include "video/VideoDecoder.h"

#include "video/H263Deblocker.h"
#include "video/VideoPacket.h"
#include "video/YuvPicture.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <climits>
#include <cstring>

namespace vidorama::swf {

namespace {

AVCodecID CodecId(VideoCodec codec) {
    switch (codec) {
    case VideoCodec::None:
        return AV_CODEC_ID_NONE;
    case VideoCodec::SorensonH263:
        return AV_CODEC_ID_FLV1;
    case VideoCodec::ScreenVideo:
        return AV_CODEC_ID_FLASHSV;
    case VideoCodec::Vp6:
        return AV_CODEC_ID_VP6F;
    case VideoCodec::Vp6Alpha:
        return AV_CODEC_ID_VP6A;
    case VideoCodec::ScreenVideo2:
        return AV_CODEC_ID_FLASHSV2;
    }
    return AV_CODEC_ID_NONE;
}

bool WantsDeblocking(VideoDeblocking requested, const H263PictureHeader& header) {
    if (requested == VideoDeblocking::FromPacket)
        return header.deblocking;
    return requested != VideoDeblocking::Off;
}

YuvPlanes PlanesOf(const AVFrame& frame, int width, int height) {
    YuvPlanes planes;
    planes.width = width;
    planes.height = height;
    planes.y = frame.data[0];
    planes.yStride = frame.linesize[0];
    planes.u = frame.data[1];
    planes.v = frame.data[2];
    planes.chromaStride = frame.linesize[1];
    if (frame.format == AV_PIX_FMT_YUVA420P) {
        planes.alpha = frame.data[3];
        planes.alphaStride = frame.linesize[3];
    }
    return planes;
}

QImage BgrToArgb(const AVFrame& frame) {
    QImage image(frame.width, frame.height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t* in = frame.data[0] + std::ptrdiff_t(y) * frame.linesize[0];
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x, in += 3)
            out[x] = qRgb(in[2], in[1], in[0]);
    }
    return image;
}

} // namespace

std::unique_ptr<VideoDecoder> VideoDecoder::Create(const VideoDef::Header& header,
                                                   std::uint64_t maxPixels) {
    const AVCodec* codec = avcodec_find_decoder(CodecId(header.codec));
    if (!codec)
        return nullptr;
    std::unique_ptr<VideoDecoder> decoder(new VideoDecoder(header, maxPixels));
    decoder->m_context = avcodec_alloc_context3(codec);
    decoder->m_packet = av_packet_alloc();
    decoder->m_frame = av_frame_alloc();
    decoder->m_picture = av_frame_alloc();
    if (!decoder->m_context || !decoder->m_packet || !decoder->m_frame || !decoder->m_picture)
        return nullptr;
    // One picture out for each packet in, at once: no frame threads.
    decoder->m_context->thread_count = 1;
    decoder->m_context->max_pixels = static_cast<std::int64_t>(maxPixels);
    if (avcodec_open2(decoder->m_context, codec, nullptr) < 0)
        return nullptr;
    return decoder;
}

VideoDecoder::~VideoDecoder() {
    av_frame_free(&m_picture);
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_context);
}

void VideoDecoder::restart() {
    avcodec_flush_buffers(m_context);
}

bool VideoDecoder::decode(std::span<const std::uint8_t> frameData) {
    std::span<const std::uint8_t> payload = InspectVideoPacket(m_header.codec, frameData).payload;
    if (payload.empty() || payload.size() > INT_MAX - AV_INPUT_BUFFER_PADDING_SIZE)
        return false;
    // FFmpeg's readers may look a little past the end of a packet.
    m_padded.assign(payload.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    std::memcpy(m_padded.data(), payload.data(), payload.size());
    m_packet->data = m_padded.data();
    m_packet->size = static_cast<int>(payload.size());
    int sent = avcodec_send_packet(m_context, m_packet);
    m_packet->data = nullptr;
    m_packet->size = 0;
    bool decoded = false;
    while (sent >= 0 && avcodec_receive_frame(m_context, m_frame) == 0) {
        bool good = !(m_frame->flags & AV_FRAME_FLAG_CORRUPT) && m_frame->decode_error_flags == 0 &&
                    std::uint64_t(m_frame->width) * std::uint64_t(m_frame->height) <= m_maxPixels;
        if (!good) {
            av_frame_unref(m_frame);
            continue;
        }
        av_frame_unref(m_picture);
        av_frame_move_ref(m_picture, m_frame);
        m_deblockQuantizer = 0;
        if (m_header.codec == VideoCodec::SorensonH263) {
            auto header = ReadH263PictureHeader(frameData);
            if (header && WantsDeblocking(m_header.deblocking, *header))
                m_deblockQuantizer = header->quantizer;
        }
        decoded = true;
    }
    return decoded;
}

QImage VideoDecoder::picture() {
    const AVFrame& frame = *m_picture;
    if (frame.width <= 0 || frame.height <= 0)
        return QImage();
    switch (frame.format) {
    case AV_PIX_FMT_BGR24:
        return BgrToArgb(frame);
    case AV_PIX_FMT_YUV420P:
    case AV_PIX_FMT_YUVA420P:
        break;
    default:
        return QImage();
    }
    if (m_deblockQuantizer > 0)
        return deblocked(frame, m_deblockQuantizer);
    if (m_header.codec != VideoCodec::Vp6 && m_header.codec != VideoCodec::Vp6Alpha)
        return YuvToArgb(PlanesOf(frame, frame.width, frame.height));
    // VP6 codes whole macroblocks; the stream's box says how much of them is
    // picture. Flash shows a picture coded smaller than the box as black.
    if (frame.width < m_header.width || frame.height < m_header.height) {
        QImage black(m_header.width, m_header.height, QImage::Format_ARGB32_Premultiplied);
        black.fill(Qt::black);
        return black;
    }
    return YuvToArgb(PlanesOf(frame, m_header.width, m_header.height));
}

// The filter works on a copy: the decoder keeps its own picture unfiltered as
// the reference of the next frame.
QImage VideoDecoder::deblocked(const AVFrame& frame, int quantizer) {
    int width = frame.width, height = frame.height;
    int chromaWidth = (width + 1) / 2, chromaHeight = (height + 1) / 2;
    std::size_t lumaBytes = std::size_t(width) * std::size_t(height);
    std::size_t chromaBytes = std::size_t(chromaWidth) * std::size_t(chromaHeight);
    m_scratch.resize(lumaBytes + 2 * chromaBytes);
    std::uint8_t* planes[3] = {m_scratch.data(), m_scratch.data() + lumaBytes,
                               m_scratch.data() + lumaBytes + chromaBytes};
    for (int plane = 0; plane < 3; ++plane) {
        int w = plane == 0 ? width : chromaWidth, h = plane == 0 ? height : chromaHeight;
        for (int y = 0; y < h; ++y)
            std::memcpy(planes[plane] + std::ptrdiff_t(y) * w,
                        frame.data[plane] + std::ptrdiff_t(y) * frame.linesize[plane],
                        std::size_t(w));
        DeblockH263Plane(planes[plane], w, h, w, quantizer);
    }
    YuvPlanes yuv;
    yuv.width = width;
    yuv.height = height;
    yuv.y = planes[0];
    yuv.yStride = width;
    yuv.u = planes[1];
    yuv.v = planes[2];
    yuv.chromaStride = chromaWidth;
    return YuvToArgb(yuv);
}

} // namespace vidorama::swf
