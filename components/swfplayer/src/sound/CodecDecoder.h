#pragma once

#include "sound/SoundFormat.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

struct AVCodecContext;
struct AVCodecParserContext;
struct AVFrame;
struct AVPacket;

namespace vidorama::swf {

// One libavcodec decoder for a SWF sound format. Packets go in as the movie
// stores them (MP3 data is cut into frames by FFmpeg's parser, so frames may
// run across packets; Speex data into its frames); every decoded frame is handed to the sink.
// Damaged data is skipped: the decoder goes on with the next packet.
class CodecDecoder {
public:
    using Sink = std::function<bool(const AVFrame&)>;

    // nullptr when FFmpeg has no decoder for the format.
    static std::unique_ptr<CodecDecoder> Create(const SoundFormat& format);
    ~CodecDecoder();
    CodecDecoder(const CodecDecoder&) = delete;
    CodecDecoder& operator=(const CodecDecoder&) = delete;

    void decode(std::span<const std::uint8_t> packet, const Sink& sink);
    // Hands over the frames the decoder still holds.
    void flush(const Sink& sink);

private:
    CodecDecoder() = default;
    // Each returns false once the sink wants no more.
    bool sendPadded(std::span<const std::uint8_t> packet, const Sink& sink);
    bool send(const std::uint8_t* data, int size, const Sink& sink);
    bool receive(const Sink& sink);

    AVCodecContext* m_context = nullptr;
    AVCodecParserContext* m_parser = nullptr;
    AVPacket* m_packet = nullptr;
    AVFrame* m_frame = nullptr;
    bool m_speex = false;
};

} // namespace vidorama::swf
