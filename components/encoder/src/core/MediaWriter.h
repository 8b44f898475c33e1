#pragma once

#include "core/AudioStreamEncoder.h"
#include "core/OutputFile.h"
#include "core/OutputPlan.h"
#include "core/PixelConverter.h"
#include "core/Status.h"
#include "core/VideoStreamEncoder.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace vidorama::encoder {

// Writes one media file from an OutputPlan: any container FFmpeg can mux with
// any video and sound encoders it has. Formats differ only in the plan that
// the planners build, so a new container or codec needs no change here.
//
// A write that fails leaves the writer failed: later writes fail too, and
// close() removes the file instead of completing it.
class MediaWriter {
public:
    MediaWriter();
    MediaWriter(const MediaWriter&) = delete;
    MediaWriter& operator=(const MediaWriter&) = delete;
    ~MediaWriter();

    Status open(const std::string& path, const OutputPlan& plan);
    // A frame or sound block the writer cannot take (wrong shape) is refused
    // without failing the output.
    Status writeVideo(const RawFrameView& frame);
    // The last frame written, again: nothing to convert, and codecs that
    // predict from the frame before find nothing new.
    Status repeatVideo();
    Status writeAudio(std::span<const std::int16_t> samples);
    Status close();
    // Stops writing and removes the file.
    void abandon();

    bool isOpen() const { return m_state != State::Closed; }
    std::uint32_t videoPositionMs() const;
    std::uint32_t audioPositionMs() const;

private:
    enum class State { Closed, Open, Failed };

    Status track(Status status);
    void reset();

    State m_state = State::Closed;
    int m_audioChannels = 2;
    std::unique_ptr<OutputFile> m_file;
    std::unique_ptr<VideoStreamEncoder> m_video;
    std::unique_ptr<AudioStreamEncoder> m_audio;
};

} // namespace vidorama::encoder
