#pragma once

#include "pipeline/FrameSink.h"

#include <QImage>
#include <cstdint>
#include <functional>
#include <vector>

namespace vidorama::test {

// Keeps what a conversion hands on, instead of encoding it: a value taken
// from each frame and the size of each piece of sound.
class RecordingSink final : public cli::FrameSink {
public:
    using FrameProbe = std::function<std::int64_t(const QImage&)>;

    explicit RecordingSink(FrameProbe probe) : m_probe(std::move(probe)) {}

    encoder::Status writeFrame(const QImage& frame) override {
        frames.push_back(m_probe(frame));
        soundAfterFrame.push_back(soundFrames);
        return encoder::Status::success();
    }
    encoder::Status repeatFrame() override {
        frames.push_back(frames.back());
        soundAfterFrame.push_back(soundFrames);
        ++repeats;
        return encoder::Status::success();
    }
    encoder::Status writeSound(std::span<const std::int16_t> samples) override {
        soundFrames += static_cast<std::int64_t>(samples.size() / 2);
        sound.insert(sound.end(), samples.begin(), samples.end());
        return encoder::Status::success();
    }
    encoder::Status finish() override {
        finished = true;
        return encoder::Status::success();
    }
    void abandon() override { abandoned = true; }

    std::vector<std::int64_t> frames;
    // Sound sample frames written before each frame.
    std::vector<std::int64_t> soundAfterFrame;
    std::vector<std::int16_t> sound;
    std::int64_t soundFrames = 0;
    // Frames handed on as the same picture as the one before.
    int repeats = 0;
    bool finished = false;
    bool abandoned = false;

private:
    FrameProbe m_probe;
};

} // namespace vidorama::test
