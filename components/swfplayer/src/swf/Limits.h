#pragma once

#include <cstddef>
#include <cstdint>

namespace vidorama::swf {

// Every limit that keeps a hostile or broken movie harmless, in one place.
// A movie over a limit is refused or cut with a clear message.
struct Limits {
    // Largest uncompressed movie we inflate (the header's declared length is
    // also honoured: decompression never writes past it).
    static constexpr std::size_t kMaxMovieBytes = 256u * 1024 * 1024;
    // Sprites inside sprites, as defined and as placed.
    static constexpr int kMaxSpriteNesting = 64;
    // Display list depth of one timeline: objects per timeline.
    static constexpr std::size_t kMaxDisplayObjects = 65536;
    // Shape records (edges and style changes) in one shape.
    static constexpr std::size_t kMaxShapeRecords = 1u << 20;
    // Fill or line styles in one style array.
    static constexpr std::size_t kMaxStyles = 65535;
    // Bitmap side and total decoded pixels of one bitmap, and of all bitmaps.
    static constexpr std::int32_t kMaxBitmapSide = 16384;
    static constexpr std::uint64_t kMaxBitmapPixels = 64ull * 1024 * 1024;
    static constexpr std::uint64_t kMaxTotalBitmapPixels = 512ull * 1024 * 1024;
    // Frames in one timeline.
    static constexpr std::uint32_t kMaxFrames = 1u << 20;
    // New display objects made in one frame step (or one goto); bounds the
    // work of a sprite that places copies of itself.
    static constexpr std::size_t kMaxInstancesPerStep = 100000;
    // Actions run for one frame before the rest are dropped.
    static constexpr std::size_t kMaxActionsPerFrame = 100000;
    // Nested clip depths (masks inside masks) drawn for one frame.
    static constexpr int kMaxMaskNesting = 64;
};

} // namespace vidorama::swf
