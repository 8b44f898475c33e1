#pragma once

#include "core/MediaWriter.h"
#include "core/OutputPlan.h"
#include "pipeline/FrameSink.h"

#include <QImage>

namespace vidorama::cli {

// Streams frames and sound into the encoder component's writer as they come:
// nothing is kept beyond the frame at hand, whatever the movie's length.
class EncoderSink final : public FrameSink {
public:
    EncoderSink() = default;

    // Opens the output at path as the plan describes. With keepAlpha the
    // frames' transparency goes to the encoder, whose plan must carry alpha.
    encoder::Status open(const std::string& path, const encoder::OutputPlan& plan, bool keepAlpha);

    encoder::Status writeFrame(const QImage& frame) override;
    encoder::Status repeatFrame() override;
    encoder::Status writeSound(std::span<const std::int16_t> samples) override;
    encoder::Status finish() override;
    void abandon() override;

private:
    encoder::MediaWriter m_writer;
    bool m_alpha = false;
    bool m_sound = false;
    // Frames are handed on with straight alpha when the output keeps it; the
    // picture for that is kept between frames.
    QImage m_straight;
};

} // namespace vidorama::cli
