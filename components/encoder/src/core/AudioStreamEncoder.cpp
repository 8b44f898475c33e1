#include "core/AudioStreamEncoder.h"

#include "core/EncodeLoop.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
#include <libavutil/samplefmt.h>
}

#include <algorithm>
#include <limits>

namespace vidorama::encoder {

namespace {

// Codecs without a fixed frame size (PCM and its relatives) get their samples
// in chunks of this many; it only sets the packet size in the file.
constexpr int kChunkFrames = 1024;

bool supportsRate(const AVCodec& codec, int sampleRate) {
    if (!codec.supported_samplerates)
        return true;
    for (const int* rate = codec.supported_samplerates; *rate != 0; ++rate) {
        if (*rate == sampleRate)
            return true;
    }
    return false;
}

Status allocateSamples(AVFrame& frame, const AVCodecContext& codec, int frames) {
    av_frame_unref(&frame);
    frame.format = codec.sample_fmt;
    frame.sample_rate = codec.sample_rate;
    frame.nb_samples = frames;
    const int copied = av_channel_layout_copy(&frame.ch_layout, &codec.ch_layout);
    const int allocated = copied < 0 ? copied : av_frame_get_buffer(&frame, 0);
    if (allocated < 0)
        return Status::fromAvError("Allocating sound buffers", allocated);
    return Status::success();
}

} // namespace

Status AudioStreamEncoder::open(const AudioStreamPlan& plan, const AudioInputFormat& input,
                                OutputFile& output) {
    m_input = input;
    m_output = &output;
    m_inputFrames = 0;
    m_frame.reset(av_frame_alloc());
    m_converted.reset(av_frame_alloc());
    m_packet.reset(av_packet_alloc());
    if (!m_frame || !m_converted || !m_packet)
        return Status::failure(ErrorKind::OutOfMemory, "Allocating the sound encoder failed.");
    Status status = openCodec(plan);
    if (status.ok())
        status = openResampler(input);
    if (!status.ok())
        return status;

    m_stream = output.addStream();
    if (!m_stream)
        return Status::failure(ErrorKind::OutOfMemory, "Adding the sound stream failed.");
    const int copied = avcodec_parameters_from_context(m_stream->codecpar, m_codec.get());
    if (copied < 0)
        return Status::fromAvError("Describing the sound stream", copied);
    m_stream->time_base = m_codec->time_base;
    return allocateSamples(*m_frame, *m_codec, m_frameSize);
}

Status AudioStreamEncoder::openCodec(const AudioStreamPlan& plan) {
    const AVCodec* codec = avcodec_find_encoder_by_name(plan.encoderName.c_str());
    if (!codec)
        return Status::failure(ErrorKind::Unsupported,
                               "The encoder " + plan.encoderName + " is not installed.");
    if (!supportsRate(*codec, plan.sampleRate))
        return Status::failure(ErrorKind::Unsupported, plan.encoderName + " cannot encode at " +
                                                           std::to_string(plan.sampleRate) +
                                                           " Hz.");
    CodecContextPtr context(avcodec_alloc_context3(codec));
    if (!context)
        return Status::failure(ErrorKind::OutOfMemory, "Allocating the sound encoder failed.");
    context->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    context->sample_rate = plan.sampleRate;
    av_channel_layout_default(&context->ch_layout, plan.channels);
    context->bit_rate = plan.bitRate;
    context->time_base = AVRational{1, plan.sampleRate};
    if (m_output->wantsGlobalHeader())
        context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const int opened = avcodec_open2(context.get(), codec, nullptr);
    if (opened < 0)
        return Status::fromAvError("Opening the " + plan.encoderName + " encoder", opened);

    const bool variable = (codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) != 0;
    const bool fixedSize = context->frame_size > 0 && !variable;
    m_frameSize = fixedSize ? context->frame_size : kChunkFrames;
    m_padLastFrame = fixedSize && !(codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME);
    // Encoders with priming samples (MP3) date their first packet before
    // zero. The program's containers cannot mark those samples as skipped,
    // and a negative start would make the muxer shift every stream, so the
    // packets start at zero and the priming plays as a few milliseconds of
    // silence, unless as much is cut from the caller's sound. Containers
    // that can skip them (MP4's edit list) get the true, negative start.
    const bool skipped = plan.priming == PrimingSamples::SkippedByContainer;
    m_nextPts = skipped ? 0 : context->initial_padding;
    m_trimSamples = plan.priming == PrimingSamples::TrimmedFromInput ? context->initial_padding : 0;
    // An encoder that delays its output by that much but cannot be flushed
    // (WMA) keeps the last samples unless silence pushes them out.
    m_tailPadding = (codec->capabilities & AV_CODEC_CAP_DELAY) ? 0 : context->initial_padding;
    m_codec = std::move(context);
    return Status::success();
}

Status AudioStreamEncoder::openResampler(const AudioInputFormat& input) {
    AVChannelLayout inputLayout;
    av_channel_layout_default(&inputLayout, input.channels);
    SwrContext* resampler = nullptr;
    const int configured = swr_alloc_set_opts2(&resampler, &m_codec->ch_layout, m_codec->sample_fmt,
                                               m_codec->sample_rate, &inputLayout,
                                               AV_SAMPLE_FMT_S16, input.sampleRate, 0, nullptr);
    m_resampler.reset(resampler);
    if (configured < 0)
        return Status::fromAvError("Configuring the resampler", configured);
    const int initialised = swr_init(m_resampler.get());
    if (initialised < 0)
        return Status::fromAvError("Starting the resampler", initialised);
    m_fifo.reset(
        av_audio_fifo_alloc(m_codec->sample_fmt, m_codec->ch_layout.nb_channels, m_frameSize * 4));
    if (!m_fifo)
        return Status::failure(ErrorKind::OutOfMemory, "Allocating the sound queue failed.");
    return Status::success();
}

Status AudioStreamEncoder::write(std::span<const std::int16_t> samples) {
    const std::size_t frames = samples.size() / static_cast<std::size_t>(m_input.channels);
    if (frames == 0)
        return Status::success();
    if (frames > static_cast<std::size_t>(std::numeric_limits<int>::max() / 4))
        return Status::failure(ErrorKind::InvalidArgument, "The sound block is too large.");
    Status status =
        resample(reinterpret_cast<const std::uint8_t*>(samples.data()), static_cast<int>(frames));
    if (status.ok())
        status = encodeQueued(false);
    m_inputFrames += static_cast<std::int64_t>(frames);
    return status;
}

Status AudioStreamEncoder::finish() {
    Status status = resample(nullptr, 0);
    if (status.ok() && m_tailPadding > 0)
        status = queueSilence(m_tailPadding);
    if (status.ok())
        status = encodeQueued(true);
    if (status.ok())
        status = encode(nullptr);
    return status;
}

std::uint32_t AudioStreamEncoder::positionMs() const {
    const std::int64_t ms = av_rescale(m_inputFrames, 1000, m_input.sampleRate);
    return static_cast<std::uint32_t>(
        std::min<std::int64_t>(ms, std::numeric_limits<std::uint32_t>::max()));
}

// With no input the resampler gives back what it still holds, which is how
// the tail of the sound reaches the file.
Status AudioStreamEncoder::resample(const std::uint8_t* input, int frames) {
    for (;;) {
        const int capacity = swr_get_out_samples(m_resampler.get(), frames);
        if (capacity < 0)
            return Status::fromAvError("Resampling the sound", capacity);
        if (capacity == 0)
            return Status::success();
        if (capacity > m_converted->nb_samples) {
            Status allocated = allocateSamples(*m_converted, *m_codec, capacity);
            if (!allocated.ok())
                return allocated;
        }
        const std::uint8_t* planes[1] = {input};
        const int produced = swr_convert(m_resampler.get(), m_converted->data, capacity,
                                         input ? planes : nullptr, frames);
        if (produced < 0)
            return Status::fromAvError("Resampling the sound", produced);
        if (produced > 0 &&
            av_audio_fifo_write(m_fifo.get(), reinterpret_cast<void**>(m_converted->data),
                                produced) < produced)
            return Status::failure(ErrorKind::OutOfMemory, "Queueing sound samples failed.");
        if (input || produced == 0)
            return Status::success();
    }
}

Status AudioStreamEncoder::queueSilence(int frames) {
    Status status = allocateSamples(*m_converted, *m_codec, frames);
    if (!status.ok())
        return status;
    av_samples_set_silence(m_converted->data, 0, frames, m_codec->ch_layout.nb_channels,
                           m_codec->sample_fmt);
    if (av_audio_fifo_write(m_fifo.get(), reinterpret_cast<void**>(m_converted->data), frames) <
        frames)
        return Status::failure(ErrorKind::OutOfMemory, "Queueing sound samples failed.");
    return Status::success();
}

Status AudioStreamEncoder::encodeQueued(bool final) {
    if (m_trimSamples > 0) {
        const int trimmed = std::min(m_trimSamples, av_audio_fifo_size(m_fifo.get()));
        av_audio_fifo_drain(m_fifo.get(), trimmed);
        m_trimSamples -= trimmed;
    }
    for (;;) {
        const int queued = av_audio_fifo_size(m_fifo.get());
        if (queued == 0 || (queued < m_frameSize && !final))
            return Status::success();
        const int writable = av_frame_make_writable(m_frame.get());
        if (writable < 0)
            return Status::fromAvError("Preparing a sound frame", writable);
        const int taken = std::min(queued, m_frameSize);
        av_audio_fifo_read(m_fifo.get(), reinterpret_cast<void**>(m_frame->data), taken);
        m_frame->nb_samples = m_padLastFrame ? m_frameSize : taken;
        if (taken < m_frame->nb_samples)
            av_samples_set_silence(m_frame->data, taken, m_frameSize - taken,
                                   m_codec->ch_layout.nb_channels, m_codec->sample_fmt);
        m_frame->pts = m_nextPts;
        m_nextPts += m_frame->nb_samples;
        Status status = encode(m_frame.get());
        if (!status.ok())
            return status;
    }
}

Status AudioStreamEncoder::encode(const AVFrame* frame) {
    return sendAndDrain(*m_codec, frame, *m_packet, "Encoding sound", [this](AVPacket& packet) {
        Status written = m_output->writePacket(packet, m_codec->time_base, *m_stream);
        av_packet_unref(&packet);
        return written;
    });
}

} // namespace vidorama::encoder
