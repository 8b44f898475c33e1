#include "core/VideoStreamEncoder.h"

#include "core/EncodeLoop.h"
#include "core/FrameSmoother.h"

extern "C" {
#include <libavutil/mathematics.h>
}

#include <cstring>
#include <limits>

namespace vidorama::encoder {

namespace {

// Enough halvings to flatten any picture a codec accepts.
constexpr int kMaxSmoothingLevel = 12;

void applyRateControl(const VideoStreamPlan& plan, AVCodecContext& context) {
    context.bit_rate = plan.bitRate;
    if (plan.quantizer > 0) {
        context.flags |= AV_CODEC_FLAG_QSCALE;
        context.global_quality = plan.quantizer * FF_QP2LAMBDA;
    }
    if (plan.keyFrameInterval > 0) {
        if (plan.keyFrameField == KeyFrameField::MinInterval)
            context.keyint_min = plan.keyFrameInterval;
        else
            context.gop_size = plan.keyFrameInterval;
    }
    context.max_b_frames = plan.maxBFrames;
    context.rc_max_rate = plan.maxRate;
    context.rc_buffer_size = plan.bufferSize;
}

// The encoder's own description of its stream (for MPEG the buffer size and
// peak rate) is what a muxer sizes its packets and mux rate by.
Status copyCodedSideData(const AVCodecContext& codec, AVStream& stream) {
    for (int i = 0; i < codec.nb_coded_side_data; ++i) {
        const AVPacketSideData& source = codec.coded_side_data[i];
        std::uint8_t* copy = av_stream_new_side_data(&stream, source.type, source.size);
        if (!copy)
            return Status::failure(ErrorKind::OutOfMemory, "Describing the video stream failed.");
        std::memcpy(copy, source.data, source.size);
    }
    return Status::success();
}

} // namespace

Status VideoStreamEncoder::open(const VideoStreamPlan& plan, OutputFile& output) {
    m_plan = plan;
    m_output = &output;
    m_nextPts = 0;
    m_hasPicture = false;
    m_repeater.emplace(plan.sourceFrameRate, plan.frameRate);
    Status status = openCodec();
    if (!status.ok())
        return status;

    m_stream = output.addStream();
    if (!m_stream)
        return Status::failure(ErrorKind::OutOfMemory, "Adding the video stream failed.");
    const int copied = avcodec_parameters_from_context(m_stream->codecpar, m_codec.get());
    if (copied < 0)
        return Status::fromAvError("Describing the video stream", copied);
    m_stream->codecpar->codec_tag = plan.codecTag;
    status = copyCodedSideData(*m_codec, *m_stream);
    if (!status.ok())
        return status;
    m_stream->time_base = m_codec->time_base;
    m_stream->avg_frame_rate = plan.frameRate;

    m_frame.reset(av_frame_alloc());
    m_packet.reset(av_packet_alloc());
    if (!m_frame || !m_packet)
        return Status::failure(ErrorKind::OutOfMemory, "Allocating the video frame failed.");
    m_frame->format = m_codec->pix_fmt;
    m_frame->width = m_codec->width;
    m_frame->height = m_codec->height;
    const int allocated = av_frame_get_buffer(m_frame.get(), 0);
    if (allocated < 0)
        return Status::fromAvError("Allocating the video frame", allocated);
    return Status::success();
}

Status VideoStreamEncoder::openCodec() {
    const AVCodec* codec = avcodec_find_encoder_by_name(m_plan.encoderName.c_str());
    if (!codec)
        return Status::failure(ErrorKind::Unsupported,
                               "The encoder " + m_plan.encoderName + " is not installed.");
    CodecContextPtr context(avcodec_alloc_context3(codec));
    if (!context)
        return Status::failure(ErrorKind::OutOfMemory, "Allocating the video encoder failed.");
    context->width = m_plan.width;
    context->height = m_plan.height;
    context->pix_fmt = m_plan.pixelFormat;
    context->time_base = av_inv_q(m_plan.frameRate);
    context->framerate = m_plan.frameRate;
    context->sample_aspect_ratio = AVRational{1, 1};
    context->thread_count = m_plan.threadCount;
    applyRateControl(m_plan, *context);
    if (m_output->wantsGlobalHeader())
        context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

    AVDictionary* options = nullptr;
    for (const auto& [key, value] : m_plan.privateOptions)
        av_dict_set(&options, key.c_str(), value.c_str(), 0);
    const int opened = avcodec_open2(context.get(), codec, &options);
    av_dict_free(&options);
    if (opened < 0)
        return Status::fromAvError("Opening the " + m_plan.encoderName + " encoder", opened);
    m_codec = std::move(context);
    return Status::success();
}

Status VideoStreamEncoder::write(const RawFrameView& source) {
    // A frame the stream rate drops is converted all the same: it is the
    // picture that a repeat of it must show.
    const int repeats = m_repeater->nextCount();
    const int writable = av_frame_make_writable(m_frame.get());
    if (writable < 0)
        return Status::fromAvError("Preparing the video frame", writable);
    const RowOrder order = m_plan.keepBottomUpRows ? RowOrder::BottomUp : RowOrder::TopDown;
    Status status = m_converter.convert(source, *m_frame, order);
    m_hasPicture = status.ok();
    return status.ok() ? encodeRepeats(repeats) : status;
}

Status VideoStreamEncoder::repeat() {
    if (!m_hasPicture)
        return Status::failure(ErrorKind::InvalidArgument, "No frame was written to repeat.");
    return encodeRepeats(m_repeater->nextCount());
}

Status VideoStreamEncoder::encodeRepeats(int repeats) {
    Status status = Status::success();
    for (int i = 0; status.ok() && i < repeats; ++i) {
        m_frame->pts = m_nextPts++;
        m_frame->pict_type = AV_PICTURE_TYPE_NONE;
        m_frame->quality = m_codec->global_quality;
        status = encode(m_frame.get());
    }
    return status;
}

Status VideoStreamEncoder::finish() {
    return encode(nullptr);
}

std::uint32_t VideoStreamEncoder::positionMs() const {
    const std::int64_t ms =
        av_rescale(m_nextPts, std::int64_t{1000} * m_plan.frameRate.den, m_plan.frameRate.num);
    return static_cast<std::uint32_t>(
        std::min<std::int64_t>(ms, std::numeric_limits<std::uint32_t>::max()));
}

Status VideoStreamEncoder::encode(const AVFrame* frame) {
    return sendAndDrain(*m_codec, frame, *m_packet, "Encoding a video frame",
                        [this](AVPacket& packet) { return deliver(packet); });
}

Status VideoStreamEncoder::deliver(AVPacket& packet) {
    if (m_plan.maxPacketBytes > 0 &&
        static_cast<std::size_t>(packet.size) > m_plan.maxPacketBytes) {
        av_packet_unref(&packet);
        return recoverOversizedFrame();
    }
    Status written = m_output->writePacket(packet, m_codec->time_base, *m_stream);
    av_packet_unref(&packet);
    return written;
}

// Only codecs that hold no frames back get a packet limit, so the packet that
// was too large belongs to the frame just sent. Reopening the codec restarts
// prediction with a key frame of a smoothed picture, which is small; the
// detail comes back with the frames that follow.
Status VideoStreamEncoder::recoverOversizedFrame() {
    FramePtr smoothed(av_frame_alloc());
    if (!smoothed)
        return Status::failure(ErrorKind::OutOfMemory, "Allocating a picture failed.");
    for (int level = 1; level <= kMaxSmoothingLevel; ++level) {
        Status status = openCodec();
        if (status.ok())
            status = FrameSmoother::smooth(*m_frame, level, *smoothed);
        if (!status.ok())
            return status;
        smoothed->pts = m_frame->pts;
        smoothed->quality = m_codec->global_quality;
        const int sent = avcodec_send_frame(m_codec.get(), smoothed.get());
        const int received =
            sent < 0 ? sent : avcodec_receive_packet(m_codec.get(), m_packet.get());
        if (received < 0)
            return Status::fromAvError("Re-encoding an oversized frame", received);
        if (static_cast<std::size_t>(m_packet->size) <= m_plan.maxPacketBytes)
            return deliver(*m_packet);
        av_packet_unref(m_packet.get());
    }
    return Status::failure(ErrorKind::Codec, "A video frame is too large for the container.");
}

} // namespace vidorama::encoder
