#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vidorama::waveout {

struct PcmFormat {
    std::uint32_t sampleRate = 44100;
    std::uint16_t channels = 2;
    std::uint16_t bitsPerSample = 16;

    std::uint32_t bytesPerSecond() const { return sampleRate * channels * bitsPerSample / 8u; }
};

// Where a device's blocks go. play() returns once the bytes have been taken
// at the pace they sound, so the caller is paced in real time; interrupt()
// makes a play() in progress return at once.
class PcmSink {
public:
    virtual ~PcmSink() = default;
    virtual void play(const char* data, std::size_t bytes) = 0;
    virtual void interrupt() = 0;
};

// The system's sound output when one exists, otherwise a silent sink.
std::unique_ptr<PcmSink> MakeSystemSink(const PcmFormat& format);
std::unique_ptr<PcmSink> MakeSilentSink(const PcmFormat& format);

} // namespace vidorama::waveout
