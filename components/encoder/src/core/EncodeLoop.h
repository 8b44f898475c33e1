#pragma once

#include "core/Status.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <string_view>

namespace vidorama::encoder {

// Sends one frame (or nullptr to flush) and hands every packet the codec has
// ready to deliver, which takes the packet's content. This is the order
// FFmpeg's send/receive API asks for: after each frame, drain until the codec
// wants more input or has nothing left.
template <typename Deliver>
Status sendAndDrain(AVCodecContext& codec, const AVFrame* frame, AVPacket& packet,
                    std::string_view what, Deliver&& deliver) {
    const int sent = avcodec_send_frame(&codec, frame);
    if (sent < 0)
        return Status::fromAvError(what, sent);
    for (;;) {
        const int received = avcodec_receive_packet(&codec, &packet);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
            return Status::success();
        if (received < 0)
            return Status::fromAvError(what, received);
        Status delivered = deliver(packet);
        if (!delivered.ok())
            return delivered;
    }
}

} // namespace vidorama::encoder
