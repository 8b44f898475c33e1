#include "core/MediaWriter.h"

namespace vidorama::encoder {

MediaWriter::MediaWriter() = default;

MediaWriter::~MediaWriter() {
    abandon();
}

Status MediaWriter::open(const std::string& path, const OutputPlan& plan) {
    abandon();
    m_file = std::make_unique<OutputFile>();
    Status status = m_file->create(path, plan.container);
    if (status.ok() && plan.video) {
        m_video = std::make_unique<VideoStreamEncoder>();
        status = m_video->open(*plan.video, *m_file);
    }
    if (status.ok() && plan.audio) {
        m_audio = std::make_unique<AudioStreamEncoder>();
        status = m_audio->open(*plan.audio, plan.audioInput, *m_file);
        m_audioChannels = plan.audioInput.channels;
    }
    if (status.ok())
        status = m_file->writeHeader();
    if (!status.ok()) {
        abandon();
        return status;
    }
    m_state = State::Open;
    return status;
}

Status MediaWriter::writeVideo(const RawFrameView& frame) {
    if (m_state != State::Open)
        return Status::failure(ErrorKind::NotOpen, "No output is open for writing.");
    if (!m_video)
        return Status::failure(ErrorKind::InvalidArgument, "The output has no video stream.");
    if (!frame.pixels || frame.width <= 0 || frame.height <= 0)
        return Status::failure(ErrorKind::InvalidArgument, "The frame has no pixels.");
    return track(m_video->write(frame));
}

Status MediaWriter::repeatVideo() {
    if (m_state != State::Open)
        return Status::failure(ErrorKind::NotOpen, "No output is open for writing.");
    if (!m_video)
        return Status::failure(ErrorKind::InvalidArgument, "The output has no video stream.");
    return track(m_video->repeat());
}

Status MediaWriter::writeAudio(std::span<const std::int16_t> samples) {
    if (m_state != State::Open)
        return Status::failure(ErrorKind::NotOpen, "No output is open for writing.");
    if (!m_audio)
        return Status::failure(ErrorKind::InvalidArgument, "The output has no sound stream.");
    if (samples.size() % static_cast<std::size_t>(m_audioChannels) != 0)
        return Status::failure(ErrorKind::InvalidArgument,
                               "The sound block does not hold whole sample frames.");
    return track(m_audio->write(samples));
}

Status MediaWriter::close() {
    if (m_state == State::Closed)
        return Status::success();
    if (m_state == State::Failed) {
        abandon();
        return Status::failure(ErrorKind::Codec,
                               "The output was removed because an earlier write failed.");
    }
    Status status = m_video ? m_video->finish() : Status::success();
    if (status.ok() && m_audio)
        status = m_audio->finish();
    if (status.ok())
        status = m_file->finish();
    if (!status.ok()) {
        abandon();
        return status;
    }
    reset();
    return status;
}

void MediaWriter::abandon() {
    if (m_file)
        m_file->abandon();
    reset();
}

std::uint32_t MediaWriter::videoPositionMs() const {
    return m_video ? m_video->positionMs() : 0;
}

std::uint32_t MediaWriter::audioPositionMs() const {
    return m_audio ? m_audio->positionMs() : 0;
}

Status MediaWriter::track(Status status) {
    if (!status.ok())
        m_state = State::Failed;
    return status;
}

// The encoders refer to the file, so they go first.
void MediaWriter::reset() {
    m_video.reset();
    m_audio.reset();
    m_file.reset();
    m_state = State::Closed;
}

} // namespace vidorama::encoder
