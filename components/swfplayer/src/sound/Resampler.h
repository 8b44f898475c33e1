#pragma once

#include "sound/StereoPcm.h"

#include <cstdint>

struct AVFrame;
struct SwrContext;

namespace vidorama::swf {

// Brings decoded samples of any layout and rate to 44.1 kHz stereo 16-bit
// through libswresample. Rates that divide 44,100 (5.5, 11 and 22 kHz) repeat
// each sample, as Flash does: its output at those rates holds every source
// sample unchanged. Other rates (8 and 16 kHz Nellymoser and Speex, MP3 at 48
// kHz) go through the library's filter. Mono is copied to both sides at full
// level.
class Resampler {
public:
    Resampler() = default;
    ~Resampler();
    Resampler(const Resampler&) = delete;
    Resampler& operator=(const Resampler&) = delete;

    // Converts count samples of frame, starting at sample first, onto out.
    void push(const AVFrame& frame, int first, int count, StereoPcm& out);
    // Hands over what the filter still holds, at the end of a sound.
    void drain(StereoPcm& out);

private:
    bool prepare(const AVFrame& frame);
    void convert(const std::uint8_t** input, int count, StereoPcm& out);

    SwrContext* m_context = nullptr;
    int m_format = -1;
    int m_channels = 0;
    int m_rate = 0;
};

} // namespace vidorama::swf
