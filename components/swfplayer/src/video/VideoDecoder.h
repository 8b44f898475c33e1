#pragma once

#include "video/VideoDef.h"

#include <QImage>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace vidorama::swf {

// One libavcodec decoder for one video stream: the frames go in as the movie
// stores them, the last one that decoded comes out as premultiplied ARGB,
// converted as Flash converts it. Only that one is converted, since a seek
// decodes many frames to show one. VP6 pictures are cut to the stream's box
// (they are coded in whole macroblocks); the others keep their coded size.
class VideoDecoder {
public:
    // nullptr when FFmpeg has no decoder for the stream's codec. Pictures
    // larger than maxPixels are not decoded.
    static std::unique_ptr<VideoDecoder> Create(const VideoDef::Header& header,
                                                std::uint64_t maxPixels);
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    // False when the frame does not decode; the last good picture stays.
    bool decode(std::span<const std::uint8_t> frameData);
    // The last good picture; null before any.
    QImage picture();
    // Forgets the pictures kept for reference, before decoding from a keyframe
    // that does not follow the last frame.
    void restart();

private:
    VideoDecoder(const VideoDef::Header& header, std::uint64_t maxPixels)
        : m_header(header), m_maxPixels(maxPixels) {}
    QImage deblocked(const AVFrame& frame, int quantizer);

    VideoDef::Header m_header;
    std::uint64_t m_maxPixels;
    AVCodecContext* m_context = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;
    // The last good picture as decoded, and its H.263 post filter quantizer
    // (0 for none).
    AVFrame* m_picture = nullptr;
    int m_deblockQuantizer = 0;
    std::vector<std::uint8_t> m_padded;
    std::vector<std::uint8_t> m_scratch;
};

} // namespace vidorama::swf
