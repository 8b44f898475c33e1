#include "sound/AdpcmPacket.h"

#include <algorithm>

namespace vidorama::swf {

namespace {

constexpr std::uint64_t kCodeSizeBits = 2;
// Each channel's block header: a 16-bit sample and a 6-bit step index.
constexpr std::uint64_t kHeaderBitsPerChannel = 22;
constexpr std::uint64_t kSamplesPerBlock = 4096;
constexpr std::uint64_t kWidestCodeBits = 5;

// Bits that n samples take: every block of 4,096 starts with its header
// sample, the others take a code each.
std::uint64_t BitsFor(std::uint64_t samples, std::uint64_t channels, std::uint64_t codeBits) {
    std::uint64_t blocks = (samples + kSamplesPerBlock - 1) / kSamplesPerBlock;
    return kCodeSizeBits + blocks * channels * kHeaderBitsPerChannel +
           (samples - blocks) * channels * codeBits;
}

} // namespace

AdpcmSampleRange AdpcmSamples(std::span<const std::uint8_t> packet, int channels) {
    if (packet.empty() || channels < 1)
        return {};
    auto perChannel = static_cast<std::uint64_t>(channels);
    std::uint64_t codeBits = (packet[0] >> 6) + 2u;
    std::uint64_t bits = 8 * static_cast<std::uint64_t>(packet.size());
    std::uint64_t headerBits = perChannel * kHeaderBitsPerChannel;
    std::uint64_t blockBits = headerBits + perChannel * codeBits * (kSamplesPerBlock - 1);
    std::uint64_t payload = bits - kCodeSizeBits;
    std::uint64_t blocks = payload / blockBits;
    std::uint64_t left = payload - blocks * blockBits;
    AdpcmSampleRange range;
    range.most = blocks * kSamplesPerBlock;
    if (left >= headerBits)
        range.most += 1 + (left - headerBits) / (perChannel * codeBits);
    range.least = range.most;
    while (range.least > 0 && BitsFor(range.least - 1, perChannel, codeBits) > bits - 8)
        --range.least;
    return range;
}

std::uint64_t AdpcmBytesFor(std::uint64_t samples, int channels) {
    return (BitsFor(samples, static_cast<std::uint64_t>(std::max(channels, 1)), kWidestCodeBits) +
            7) /
           8;
}

} // namespace vidorama::swf
