#pragma once

extern "C" {
#include <libavutil/rational.h>
}

#include <cstdint>
#include <span>

namespace vidorama::encoder {

// The caller gives frame rates as doubles ("23.97" from a settings list).
// This keeps them as the exact fraction the user chose, 2397/100, with a
// denominator that MPEG-4's 16-bit time base can carry.
AVRational frameRateFromDouble(double framesPerSecond);

// MPEG-1 and MPEG-2 video allow only these rates.
std::span<const AVRational> mpegFrameRates();

// The legal rate closest to the wanted one; the NTSC rates win over their
// rounded neighbours, so 23.97 becomes 24000/1001 and 29.97 becomes 30000/1001.
AVRational nearestFrameRate(AVRational wanted, std::span<const AVRational> legal);

// Two rates closer than half a percent are treated as one clock: converting
// between them would only insert a duplicate frame every few minutes.
bool isSameClock(AVRational a, AVRational b);

// Keeps time when a codec's fixed rate differs from the caller's: for each
// caller frame it says how many stream frames that frame fills (0, 1 or more),
// so that stream frame k always shows the caller frame on screen at k / rate.
class FrameRepeater {
public:
    FrameRepeater(AVRational sourceRate, AVRational streamRate);

    int nextCount();

private:
    AVRational m_sourceRate;
    AVRational m_streamRate;
    bool m_identity;
    std::int64_t m_sourceFrames = 0;
    std::int64_t m_streamFrames = 0;
};

} // namespace vidorama::encoder
