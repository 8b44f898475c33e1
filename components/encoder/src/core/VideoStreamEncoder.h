#pragma once

#include "core/FfmpegPtr.h"
#include "core/FrameRate.h"
#include "core/OutputFile.h"
#include "core/OutputPlan.h"
#include "core/PixelConverter.h"
#include "core/Status.h"

#include <cstdint>
#include <optional>

namespace vidorama::encoder {

// The video half of an output: converts each caller frame to the codec's
// pixel format and size, encodes it once per stream frame it covers, and hands
// the packets to the output file.
class VideoStreamEncoder {
public:
    Status open(const VideoStreamPlan& plan, OutputFile& output);
    Status write(const RawFrameView& frame);
    // The frame last written, again.
    Status repeat();
    // Drains the frames the codec still holds; call once, before the trailer.
    Status finish();

    // Time written so far, in milliseconds of the stream's clock.
    std::uint32_t positionMs() const;

private:
    Status openCodec();
    Status encode(const AVFrame* frame);
    Status deliver(AVPacket& packet);
    Status recoverOversizedFrame();
    // Encodes the converted picture once per stream frame it covers.
    Status encodeRepeats(int repeats);

    VideoStreamPlan m_plan;
    OutputFile* m_output = nullptr;
    AVStream* m_stream = nullptr;
    CodecContextPtr m_codec;
    FramePtr m_frame;
    PacketPtr m_packet;
    PixelConverter m_converter;
    std::optional<FrameRepeater> m_repeater;
    std::int64_t m_nextPts = 0;
    bool m_hasPicture = false;
};

} // namespace vidorama::encoder
