#include "video/VideoDef.h"

#include "swf/Limits.h"
#include "video/VideoPacket.h"

#include <algorithm>
#include <string>

namespace vidorama::swf {

namespace {

bool KnownCodec(std::uint8_t id) {
    return id == static_cast<std::uint8_t>(VideoCodec::None) ||
           (id >= static_cast<std::uint8_t>(VideoCodec::SorensonH263) &&
            id <= static_cast<std::uint8_t>(VideoCodec::ScreenVideo2));
}

constexpr std::uint8_t kLastDeblocking = static_cast<std::uint8_t>(VideoDeblocking::Level4);

} // namespace

const VideoFrameData* VideoDef::frame(std::uint16_t number) const {
    auto found = m_frames.find(number);
    return found == m_frames.end() ? nullptr : &found->second;
}

std::optional<std::uint16_t> VideoDef::keyframeBefore(std::uint16_t number) const {
    for (auto it = m_frames.upper_bound(number); it != m_frames.begin();) {
        --it;
        if (it->second.keyframe)
            return it->first;
    }
    return std::nullopt;
}

bool VideoDef::addFrame(std::uint16_t number, std::span<const std::uint8_t> packet) {
    if (number >= m_header.frameCount || packet.size() > Limits::kMaxVideoFrameBytes)
        return false;
    m_frames[number] = {packet, InspectVideoPacket(m_header.codec, packet).keyframe};
    return true;
}

// DefineVideoStream: frame count, width, height, four reserved bits, three of
// deblocking, one of smoothing, then the codec.
Result<std::shared_ptr<VideoDef>> ReadDefineVideoStream(ByteReader& body) {
    CharacterId id = body.u16();
    VideoDef::Header header;
    header.frameCount = body.u16();
    header.width = body.u16();
    header.height = body.u16();
    body.ub(4);
    auto deblocking = static_cast<std::uint8_t>(body.ub(3));
    header.smoothing = body.flag();
    std::uint8_t codec = body.u8();
    if (body.overrun())
        return MakeError(Error::Category::Truncated, "DefineVideoStream is cut short");
    if (!KnownCodec(codec))
        return MakeError(Error::Category::Unsupported,
                         "unknown video codec " + std::to_string(codec));
    if (header.width > Limits::kMaxVideoSide || header.height > Limits::kMaxVideoSide ||
        std::uint64_t{header.width} * header.height > Limits::kMaxVideoPixels)
        return MakeError(Error::Category::LimitExceeded, "video picture is too large");
    header.codec = static_cast<VideoCodec>(codec);
    header.deblocking = static_cast<VideoDeblocking>(std::min(deblocking, kLastDeblocking));
    return std::make_shared<VideoDef>(id, header);
}

Result<VideoFrameTag> ReadVideoFrame(ByteReader& body) {
    VideoFrameTag tag;
    tag.streamId = body.u16();
    tag.number = body.u16();
    if (body.overrun())
        return MakeError(Error::Category::Truncated, "VideoFrame is cut short");
    tag.packet = body.rest();
    return tag;
}

} // namespace vidorama::swf
