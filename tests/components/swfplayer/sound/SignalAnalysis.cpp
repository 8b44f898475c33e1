#include "SignalAnalysis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vidorama::test {

namespace {
constexpr double kOutputRate = 44100;

double At(std::span<const std::int16_t> pcm, int channel, std::size_t frame) {
    return pcm[2 * frame + std::size_t(channel)];
}

Range Clamp(std::span<const std::int16_t> pcm, Range range) {
    std::size_t frames = pcm.size() / 2;
    return {std::min(range.begin, frames), std::min(range.end, frames)};
}
} // namespace

std::vector<std::int16_t> Tone(double frequency, double amplitude, int rate, std::size_t frames,
                               int channels) {
    std::vector<std::int16_t> pcm(frames * std::size_t(channels));
    for (std::size_t i = 0; i < frames; ++i) {
        double v =
            amplitude * 32767 * std::sin(2 * std::numbers::pi * frequency * double(i) / rate);
        for (int c = 0; c < channels; ++c)
            pcm[i * std::size_t(channels) + std::size_t(c)] =
                static_cast<std::int16_t>(std::lround(v));
    }
    return pcm;
}

double ToneFrequency(std::span<const std::int16_t> pcm, int channel, Range range) {
    range = Clamp(pcm, range);
    std::optional<double> first;
    double last = 0;
    int crossings = 0;
    for (std::size_t i = range.begin + 1; i < range.end; ++i) {
        double a = At(pcm, channel, i - 1);
        double b = At(pcm, channel, i);
        if (a < 0 && b >= 0) {
            double at = double(i - 1) + (-a) / (b - a);
            if (!first)
                first = at;
            else
                ++crossings;
            last = at;
        }
    }
    if (!first || crossings == 0)
        return 0;
    return crossings * kOutputRate / (last - *first);
}

double Peak(std::span<const std::int16_t> pcm, int channel, Range range) {
    range = Clamp(pcm, range);
    double peak = 0;
    for (std::size_t i = range.begin; i < range.end; ++i)
        peak = std::max(peak, std::abs(At(pcm, channel, i)));
    return peak;
}

double ComponentAmplitude(std::span<const std::int16_t> pcm, int channel, Range range,
                          double frequency) {
    range = Clamp(pcm, range);
    if (range.end <= range.begin)
        return 0;
    double re = 0;
    double im = 0;
    for (std::size_t i = range.begin; i < range.end; ++i) {
        double phase = 2 * std::numbers::pi * frequency * double(i) / kOutputRate;
        re += At(pcm, channel, i) * std::cos(phase);
        im += At(pcm, channel, i) * std::sin(phase);
    }
    return 2 * std::hypot(re, im) / double(range.end - range.begin);
}

std::optional<std::size_t> FirstAbove(std::span<const std::int16_t> pcm, int channel,
                                      double threshold) {
    for (std::size_t i = 0; i < pcm.size() / 2; ++i)
        if (std::abs(At(pcm, channel, i)) > threshold)
            return i;
    return std::nullopt;
}

std::optional<std::size_t> LastAbove(std::span<const std::int16_t> pcm, int channel,
                                     double threshold) {
    for (std::size_t i = pcm.size() / 2; i-- > 0;)
        if (std::abs(At(pcm, channel, i)) > threshold)
            return i;
    return std::nullopt;
}

} // namespace vidorama::test
