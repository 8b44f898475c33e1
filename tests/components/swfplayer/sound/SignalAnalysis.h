#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vidorama::test {

// Measurements on 44.1 kHz interleaved stereo output. channel is 0 (left) or
// 1 (right); ranges are in sample frames, end exclusive.
struct Range {
    std::size_t begin = 0;
    std::size_t end = 0;
};

std::vector<std::int16_t> Tone(double frequency, double amplitude, int rate, std::size_t frames,
                               int channels);

// The tone's frequency from its zero crossings, interpolated between samples.
double ToneFrequency(std::span<const std::int16_t> pcm, int channel, Range range);
double Peak(std::span<const std::int16_t> pcm, int channel, Range range);
// Amplitude of the component at frequency (a sine of amplitude a gives a).
double ComponentAmplitude(std::span<const std::int16_t> pcm, int channel, Range range,
                          double frequency);
// First and last sample frames whose value's size exceeds threshold.
std::optional<std::size_t> FirstAbove(std::span<const std::int16_t> pcm, int channel,
                                      double threshold);
std::optional<std::size_t> LastAbove(std::span<const std::int16_t> pcm, int channel,
                                     double threshold);

} // namespace vidorama::test
