#pragma once

#include "vidorama/flash/ImportTable.h"
#include "vidorama/waveout/WaveOut.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <span>

namespace vidorama::swf {

// The control's sound output: one wave-out device opened for 44.1 kHz stereo
// 16-bit, fed blocks of exactly 8,192 bytes, as the Flash control fed its
// device. waveOutOpen and waveOutWrite are called only through the control's
// import table, the slot's current address loaded at every call, so that the
// host's hooks see every call.
class SoundOutput {
public:
    static constexpr std::size_t kBlockBytes = 8192;
    static constexpr std::size_t kBlockFrames = kBlockBytes / 4;
    // Two blocks in the device at a time: a freed buffer is refilled at the
    // next tick, so blocks go out one at a time at the pace they sound, as
    // the Flash control wrote them. More would go out in bursts whenever a
    // frame brings its sound, and a capture stamping blocks as they are
    // written would then see gaps in the sound that are not there.
    static constexpr std::size_t kBuffers = 2;

    explicit SoundOutput(flash::ImportTable& imports);
    ~SoundOutput();
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    // Opens the device; false when there is none (the movie then plays in
    // silence and its picture keeps to the clock).
    bool open();
    void close();
    bool isOpen() const { return m_device != nullptr; }

    // Queues interleaved stereo sound for the device.
    void queue(std::span<const std::int16_t> pcm);
    // Writes whole queued blocks while the device has room for them. With
    // endOfSound a last partial block is filled up with silence and written.
    void pump(bool endOfSound);
    // Drops the sound queued and playing, as a jump in the movie does.
    void reset();
    // Sample frames queued here or in the device and not yet played.
    std::size_t pendingFrames() const;

private:
    struct Buffer {
        std::array<char, kBlockBytes> data{};
        WAVEHDR header{};
        std::atomic<bool> busy{false};
    };

    static void Done(HWAVEOUT device, std::uint32_t message, std::uintptr_t instance,
                     std::uintptr_t param1, std::uintptr_t param2);
    Buffer* freeBuffer();
    bool write(Buffer& buffer);

    // The slot's current address, or nullptr when the table lacks it.
    void* imported(const char* function) const;

    flash::ImportTable& m_imports;
    HWAVEOUT m_device = nullptr;
    std::array<Buffer, kBuffers> m_buffers;
    std::deque<std::int16_t> m_queue;
};

} // namespace vidorama::swf
