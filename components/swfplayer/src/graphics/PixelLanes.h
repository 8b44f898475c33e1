#pragma once

#include <QColor>
#include <cstdint>

namespace vidorama::swf {

// A premultiplied pixel being mixed with others: the weighted sums of its
// channels, two channels in each half of a 64-bit word, 32 bits apart. Two
// mixes deep the sums reach 24 bits, so they cannot spill into the next
// channel. Every channel is worked out with the same integer steps as one at
// a time, only four at once.
struct PixelLanes {
    std::uint64_t blueRed;
    std::uint64_t greenAlpha;
};

inline PixelLanes SpreadPixel(QRgb p) {
    auto pair = [](std::uint32_t v) {
        return (v & 0xFFu) | (std::uint64_t(v & 0xFF0000u) << 16);
    };
    return {pair(p), pair(p >> 8)};
}

// a * (256 - w) + b * w for every channel.
inline PixelLanes MixLanes(PixelLanes a, PixelLanes b, int w) {
    const auto keep = static_cast<std::uint64_t>(256 - w), take = static_cast<std::uint64_t>(w);
    return {a.blueRed * keep + b.blueRed * take, a.greenAlpha * keep + b.greenAlpha * take};
}

// Two mixes deep the sums carry 16 bits of fraction, rounded off here.
inline QRgb LanesToPixel(PixelLanes sum) {
    constexpr std::uint64_t kHalf = 32768 | (std::uint64_t(32768) << 32);
    auto narrow = [](std::uint64_t lanes) {
        lanes = ((lanes + kHalf) >> 16) & 0x000000FF000000FFull;
        return static_cast<QRgb>(lanes | (lanes >> 16));
    };
    return narrow(sum.blueRed) | (narrow(sum.greenAlpha) << 8);
}

// Mixes count columns of two bitmap rows, the lower one weighted weight of
// 256: what MixLanes(SpreadPixel(top[x]), SpreadPixel(bottom[x]), weight)
// gives for each, with SIMD where the processor has it.
void MixRowPair(const QRgb* top, const QRgb* bottom, int weight, int count, PixelLanes* out);
// The same one column at a time, on any processor.
void MixRowPairScalar(const QRgb* top, const QRgb* bottom, int weight, int count, PixelLanes* out);

} // namespace vidorama::swf
