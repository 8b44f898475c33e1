#pragma once

#include "swf/ByteReader.h"
#include "swf/Character.h"
#include "swf/Result.h"
#include "video/VideoCodec.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>

namespace vidorama::swf {

// One VideoFrame of a stream: a view into the movie's data, which the movie
// keeps, and whether it can be decoded without the frames before it.
struct VideoFrameData {
    std::span<const std::uint8_t> packet;
    bool keyframe = false;
};

// DefineVideoStream with the frames the movie's VideoFrame tags give it. The
// loader adds the frames while it reads the movie; once loaded the definition
// is shared, unchanged, by every instance placed.
class VideoDef final : public CharacterDef {
public:
    struct Header {
        std::uint16_t frameCount = 0;
        std::uint16_t width = 0;
        std::uint16_t height = 0;
        VideoDeblocking deblocking = VideoDeblocking::FromPacket;
        bool smoothing = false;
        VideoCodec codec = VideoCodec::SorensonH263;
    };

    VideoDef(CharacterId id, const Header& header)
        : CharacterDef(id, Kind::Video), m_header(header) {}

    const Header& header() const { return m_header; }
    std::uint16_t width() const { return m_header.width; }
    std::uint16_t height() const { return m_header.height; }
    VideoCodec codec() const { return m_header.codec; }

    // Frames by their number (0-based, as stored); numbers the stream cannot
    // show (at or past its frame count) are not kept.
    const std::map<std::uint16_t, VideoFrameData>& frames() const { return m_frames; }
    const VideoFrameData* frame(std::uint16_t number) const;
    // The number of the last keyframe at or before number, if any.
    std::optional<std::uint16_t> keyframeBefore(std::uint16_t number) const;

    // A later frame with the same number replaces the earlier, as Flash keeps
    // the last one it reads. False when the frame is not kept.
    bool addFrame(std::uint16_t number, std::span<const std::uint8_t> packet);

private:
    Header m_header;
    std::map<std::uint16_t, VideoFrameData> m_frames;
};

// The body of a DefineVideoStream, after its character id; refused when the
// stream's picture is larger than the limits allow or its codec unknown.
Result<std::shared_ptr<VideoDef>> ReadDefineVideoStream(ByteReader& body);

// A VideoFrame's fields: the stream it belongs to, its number and its data.
struct VideoFrameTag {
    CharacterId streamId = 0;
    std::uint16_t number = 0;
    std::span<const std::uint8_t> packet;
};

Result<VideoFrameTag> ReadVideoFrame(ByteReader& body);

} // namespace vidorama::swf
