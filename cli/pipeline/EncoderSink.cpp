#include "pipeline/EncoderSink.h"

namespace vidorama::cli {

encoder::Status EncoderSink::open(const std::string& path, const encoder::OutputPlan& plan,
                                  bool keepAlpha) {
    m_alpha = keepAlpha;
    m_sound = plan.audio.has_value();
    return m_writer.open(path, plan);
}

encoder::Status EncoderSink::writeFrame(const QImage& frame) {
    const QImage* pixels = &frame;
    if (m_alpha) {
        // Encoders take colour and opacity apart; the renderer's pixels have
        // their colour already multiplied by their opacity.
        m_straight = frame.convertToFormat(QImage::Format_ARGB32);
        pixels = &m_straight;
    }
    const encoder::RawFrameView view{pixels->constBits(), pixels->width(), pixels->height(),
                                     encoder::RowOrder::TopDown, m_alpha};
    return m_writer.writeVideo(view);
}

encoder::Status EncoderSink::repeatFrame() {
    return m_writer.repeatVideo();
}

encoder::Status EncoderSink::writeSound(std::span<const std::int16_t> samples) {
    if (!m_sound || samples.empty())
        return encoder::Status::success();
    return m_writer.writeAudio(samples);
}

encoder::Status EncoderSink::finish() {
    return m_writer.close();
}

void EncoderSink::abandon() {
    m_writer.abandon();
}

} // namespace vidorama::cli
