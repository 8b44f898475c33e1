#include "pipeline/EncoderSink.h"

namespace vidorama::cli {

std::string EncoderSink::open(const std::string& path, const encoder::OutputPlan& plan,
                              bool keepAlpha) {
    m_alpha = keepAlpha;
    m_sound = plan.audio.has_value();
    encoder::Status status = m_writer.open(path, plan);
    return status.ok() ? std::string() : status.message();
}

std::string EncoderSink::writeFrame(const QImage& frame) {
    const QImage* pixels = &frame;
    if (m_alpha) {
        // Encoders take colour and opacity apart; the renderer's pixels have
        // their colour already multiplied by their opacity.
        m_straight = frame.convertToFormat(QImage::Format_ARGB32);
        pixels = &m_straight;
    }
    const encoder::RawFrameView view{pixels->constBits(), pixels->width(), pixels->height(),
                                     encoder::RowOrder::TopDown, m_alpha};
    encoder::Status status = m_writer.writeVideo(view);
    return status.ok() ? std::string() : status.message();
}

std::string EncoderSink::repeatFrame() {
    encoder::Status status = m_writer.repeatVideo();
    return status.ok() ? std::string() : status.message();
}

std::string EncoderSink::writeSound(std::span<const std::int16_t> samples) {
    if (!m_sound || samples.empty())
        return {};
    encoder::Status status = m_writer.writeAudio(samples);
    return status.ok() ? std::string() : status.message();
}

std::string EncoderSink::finish() {
    encoder::Status status = m_writer.close();
    return status.ok() ? std::string() : status.message();
}

void EncoderSink::abandon() {
    m_writer.abandon();
}

} // namespace vidorama::cli
