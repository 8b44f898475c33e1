#pragma once

#include "video/VideoDecoder.h"
#include "video/VideoDef.h"

#include <QImage>
#include <cstdint>
#include <memory>
#include <optional>

namespace vidorama::swf {

// Counts the picture memory that the decoders of a player's video instances
// hold against the limit.
class VideoDecoderBudget {
public:
    bool acquire(std::uint64_t pixels);
    void release(std::uint64_t pixels);

private:
    std::uint64_t m_used = 0;
};

// One instance's view of a video stream: its decoder and the picture of the
// frame it shows. Frames are decoded in order, as Flash decodes them: a jump
// backward, or forward past a keyframe, starts again from the last keyframe
// at or before the frame wanted. A frame that is missing or does not decode
// leaves the last good picture.
class VideoPlayback {
public:
    VideoPlayback(std::shared_ptr<const VideoDef> video,
                  std::shared_ptr<VideoDecoderBudget> budget);
    ~VideoPlayback();
    VideoPlayback(const VideoPlayback&) = delete;
    VideoPlayback& operator=(const VideoPlayback&) = delete;

    // Brings the picture to the frame the placement's ratio selects (the
    // ratio wraps at the stream's frame count). Each frame decoded takes its
    // stream box's pixels from decodeBudget; when that runs out the seek
    // stops and the next one goes on from there. True when the picture
    // changed.
    bool seek(std::uint32_t ratio, std::uint64_t& decodeBudget);
    // Null before any frame has decoded.
    const QImage* picture() const { return m_picture.isNull() ? nullptr : &m_picture; }
    // Frees the decoder, as an instance that leaves the display list no
    // longer needs it.
    void release();

private:
    bool ensureDecoder();
    // The first frame number to decode on the way to target.
    std::uint16_t sweepStart(std::uint16_t target) const;

    std::shared_ptr<const VideoDef> m_video;
    std::shared_ptr<VideoDecoderBudget> m_budget;
    std::unique_ptr<VideoDecoder> m_decoder;
    // The pixels the decoder is allowed and holds from the budget.
    std::uint64_t m_allowance = 0;
    bool m_unavailable = false;
    // The frame the picture was last brought to.
    std::optional<std::uint16_t> m_shown;
    QImage m_picture;
};

} // namespace vidorama::swf
