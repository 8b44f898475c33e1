#pragma once

#include "core/FfmpegPtr.h"
#include "core/OutputFile.h"
#include "core/OutputPlan.h"
#include "core/Status.h"

#include <cstdint>
#include <span>

namespace vidorama::encoder {

// The sound half of an output: resamples the caller's 16-bit interleaved
// samples into the codec's rate, channels and sample format, cuts them into
// the codec's frame size and hands the packets to the output file.
class AudioStreamEncoder {
public:
    Status open(const AudioStreamPlan& plan, const AudioInputFormat& input, OutputFile& output);
    // samples must hold whole sample frames: channels x frames values.
    Status write(std::span<const std::int16_t> samples);
    // Flushes the resampler and the codec; call once, before the trailer.
    Status finish();

    // Caller samples taken so far, in milliseconds.
    std::uint32_t positionMs() const;

private:
    Status openCodec(const AudioStreamPlan& plan);
    Status openResampler(const AudioInputFormat& input);
    Status resample(const std::uint8_t* input, int frames);
    Status queueSilence(int frames);
    Status encodeQueued(bool final);
    Status encode(const AVFrame* frame);

    AudioInputFormat m_input;
    OutputFile* m_output = nullptr;
    AVStream* m_stream = nullptr;
    CodecContextPtr m_codec;
    SwrContextPtr m_resampler;
    AudioFifoPtr m_fifo;
    FramePtr m_frame;
    FramePtr m_converted;
    PacketPtr m_packet;
    int m_frameSize = 0;
    bool m_padLastFrame = false;
    int m_tailPadding = 0;
    int m_trimSamples = 0; // priming still to cut from the caller's sound
    std::int64_t m_inputFrames = 0;
    std::int64_t m_nextPts = 0;
};

} // namespace vidorama::encoder
