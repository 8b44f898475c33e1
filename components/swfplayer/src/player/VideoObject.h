#pragma once

#include "player/DisplayObject.h"
#include "video/VideoPlayback.h"

#include <cstdint>
#include <memory>

namespace vidorama::swf {

class BitmapDef;
class VideoDef;

// A video stream placed on a display list. It shows the frame that its
// placement's ratio selects; the timeline moves it along by placing it again
// with the next ratio on each frame. The frame is decoded when the object is
// drawn, so that frames never drawn cost only what decoding in order needs.
class VideoObject final : public DisplayObject {
public:
    VideoObject(std::shared_ptr<const VideoDef> video, Depth depth,
                std::shared_ptr<VideoDecoderBudget> decoders);

    const VideoDef& video() const { return *m_video; }
    // The current frame's picture, decoded within the frame's budget; null
    // while no frame has decoded.
    const BitmapDef* picture(std::uint64_t& decodeBudget) const;
    void markRemoved() override;

private:
    std::shared_ptr<const VideoDef> m_video;
    // Drawing brings the picture up to date; the player draws one frame at a
    // time, never while its timeline moves.
    mutable VideoPlayback m_playback;
    mutable std::shared_ptr<const BitmapDef> m_picture;
};

} // namespace vidorama::swf
