#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vidorama {

inline constexpr std::size_t kWorkBufferSize = 10'000'000;

// The three buffers through which every spool record passes. They are
// allocated once, when the main window is made, and never per frame or block.
struct WorkBuffers {
    std::unique_ptr<std::uint8_t[]> packedFrameBuffer;
    std::unique_ptr<std::uint8_t[]> rawFrameBuffer;
    std::unique_ptr<std::uint8_t[]> soundBuffer;

    // False when any of the three could not be had.
    bool Allocate();
    void Free();
    bool Allocated() const { return packedFrameBuffer && rawFrameBuffer && soundBuffer; }
};

} // namespace vidorama
