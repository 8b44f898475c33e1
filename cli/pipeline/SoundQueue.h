#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vidorama::cli {

// The mixed sound between the movie frames that made it and the output frames
// that take it: interleaved 16-bit stereo sample frames, counted from the
// movie's first sample, so that what leaves is always the sound of a known
// time. It holds at most a frame or two of sound.
class SoundQueue {
public:
    static constexpr int kChannels = 2;

    // Room for `frames` more sample frames at the back, to be filled at once.
    std::span<std::int16_t> append(std::int64_t frames);
    // Up to `frames` sample frames from the front; they stay valid until the
    // next call.
    std::span<const std::int16_t> take(std::int64_t frames);
    // Drops everything before an absolute sample frame.
    void dropBefore(std::int64_t sampleFrame);

    std::int64_t queuedFrames() const;
    // The absolute position of the front of the queue.
    std::int64_t frontPosition() const { return m_front; }

private:
    void compact();

    std::vector<std::int16_t> m_samples;
    std::size_t m_read = 0;
    std::int64_t m_front = 0;
};

} // namespace vidorama::cli
