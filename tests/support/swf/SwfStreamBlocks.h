#pragma once

#include "SwfSoundWriter.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vidorama::test::tags {

// Cuts a sound into the stream blocks of consecutive frames: frame k gets the
// samples from floor(k x rate / fps) up to frame k + 1's start, so that the
// stream keeps its place against the frames however long it runs. Each block
// is a SoundStreamBlock of uncompressed little-endian samples.
inline std::vector<Bytes> PcmStreamBlocks(const std::vector<std::int16_t>& samples, int sampleRate,
                                          double fps, int channels) {
    std::vector<Bytes> blocks;
    const auto frames = static_cast<std::int64_t>(samples.size()) / channels;
    auto start = [&](std::int64_t k) {
        return static_cast<std::int64_t>(static_cast<double>(k) * sampleRate / fps);
    };
    for (std::int64_t k = 0; start(k) < frames; ++k) {
        const auto from = samples.begin() + start(k) * channels;
        const auto to = samples.begin() + std::min(start(k + 1), frames) * channels;
        blocks.push_back(SoundStreamBlock(PcmBytes(std::vector<std::int16_t>(from, to))));
    }
    return blocks;
}

} // namespace vidorama::test::tags
