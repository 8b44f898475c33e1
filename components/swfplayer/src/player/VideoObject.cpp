#include "player/VideoObject.h"

#include "graphics/BitmapDef.h"
#include "video/VideoDef.h"

namespace vidorama::swf {

VideoObject::VideoObject(std::shared_ptr<const VideoDef> video, Depth depth,
                         std::shared_ptr<VideoDecoderBudget> decoders)
    : DisplayObject(video, depth), m_video(video), m_playback(video, std::move(decoders)) {}

const BitmapDef* VideoObject::picture(std::uint64_t& decodeBudget) const {
    if (m_playback.seek(properties().ratio, decodeBudget) || (!m_picture && m_playback.picture()))
        m_picture = std::make_shared<const BitmapDef>(m_video->id(), *m_playback.picture());
    return m_picture.get();
}

void VideoObject::markRemoved() {
    DisplayObject::markRemoved();
    m_playback.release();
}

} // namespace vidorama::swf
