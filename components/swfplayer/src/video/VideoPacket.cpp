#include "video/VideoPacket.h"

#include "swf/ByteReader.h"

namespace vidorama::swf {

namespace {

constexpr std::uint32_t kH263StartCode = 1;
constexpr unsigned kH263StartCodeBits = 17;
constexpr std::uint32_t kH263IntraPicture = 0;
// VP6 marks inter frames with the first bit of the frame header.
constexpr std::uint8_t kVp6InterFrameBit = 0x80;
// VP6 with alpha starts with the 24-bit offset of its alpha data.
constexpr std::size_t kVp6AlphaOffsetBytes = 3;
// FLV frame types of the byte that screen video frames start with.
constexpr unsigned kFlvKeyframe = 1;
constexpr unsigned kFlvGeneratedKeyframe = 4;
constexpr unsigned kFlvLastFrameType = 5;

bool IsVp6Keyframe(std::span<const std::uint8_t> data, std::size_t headerAt) {
    return data.size() > headerAt && (data[headerAt] & kVp6InterFrameBit) == 0;
}

// Screen video frames in a movie begin with the byte that FLV files put before
// every video packet: the frame type in the high nibble, the codec in the low.
VideoPacket InspectScreenPacket(VideoCodec codec, std::span<const std::uint8_t> data) {
    if (data.empty())
        return {data, false};
    unsigned type = data[0] >> 4;
    bool flvByte = (data[0] & 0x0F) == static_cast<unsigned>(codec) && type >= kFlvKeyframe &&
                   type <= kFlvLastFrameType;
    if (!flvByte)
        return {data, false};
    return {data.subspan(1), type == kFlvKeyframe || type == kFlvGeneratedKeyframe};
}

} // namespace

VideoPacket InspectVideoPacket(VideoCodec codec, std::span<const std::uint8_t> data) {
    switch (codec) {
    case VideoCodec::None:
        return {data, false};
    case VideoCodec::SorensonH263: {
        auto header = ReadH263PictureHeader(data);
        return {data, header && header->intra};
    }
    case VideoCodec::Vp6:
        return {data, IsVp6Keyframe(data, 0)};
    case VideoCodec::Vp6Alpha:
        return {data, IsVp6Keyframe(data, kVp6AlphaOffsetBytes)};
    case VideoCodec::ScreenVideo:
    case VideoCodec::ScreenVideo2:
        return InspectScreenPacket(codec, data);
    }
    return {data, false};
}

// Start code, version, temporal reference, picture size (with a custom width
// and height of 8 or 16 bits each), picture type, deblocking flag, quantizer.
std::optional<H263PictureHeader> ReadH263PictureHeader(std::span<const std::uint8_t> data) {
    ByteReader bits(data);
    if (bits.ub(kH263StartCodeBits) != kH263StartCode)
        return std::nullopt;
    bits.ub(5);
    bits.ub(8);
    std::uint32_t size = bits.ub(3);
    if (size == 0)
        bits.ub(16);
    else if (size == 1)
        bits.ub(32);
    H263PictureHeader header;
    header.intra = bits.ub(2) == kH263IntraPicture;
    header.deblocking = bits.flag();
    header.quantizer = static_cast<int>(bits.ub(5));
    if (bits.overrun())
        return std::nullopt;
    return header;
}

} // namespace vidorama::swf
