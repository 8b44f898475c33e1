// A conversion streams: frames go to the encoder as they are made, so the
// memory in use after a thousand frames is what it was after a hundred.

#include "ConversionFixture.h"

#include <malloc.h>
#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer's own count; GCC ships no header that declares it.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace vidorama::test {
namespace {

// Bytes the process has allocated and not yet freed, by whichever allocator
// is in charge.
std::int64_t LiveHeapBytes() {
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<std::int64_t>(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 info = mallinfo2();
    return static_cast<std::int64_t>(info.uordblks + info.hblkhd);
#endif
}

class StreamingMemory : public ConversionFixture {};

TEST_F(StreamingMemory, StaysFlatOverALongMovie) {
    // A short movie played on for a thousand frames of 160 x 120, with sound.
    const std::string movie = WriteMovie(path("m.swf"), NumberedFramesMovie(25, 25));
    cli::ConvertOptions options;
    options.durationSeconds = 40;
    options.width = 160;
    options.height = 120;
    options.encoding.videoCodec = "ffv1";
    options.encoding.audioCodec = "pcm";
    std::int64_t early = 0, late = 0;
    observer.onFrame = [&](std::int64_t frames) {
        if (frames == 100)
            early = LiveHeapBytes();
        if (frames == 1000)
            late = LiveHeapBytes();
    };
    const cli::JobResult result = convert(movie, path("m.mkv"), cli::OutputKind::Matroska, options);
    ASSERT_TRUE(result.ok) << result.message;
    ASSERT_EQ(result.frames, 1000);
    // One frame of this size is 77 kB; keeping frames would show at once.
    // What may grow is the container's index of frames, tens of bytes each.
    RecordProperty("heap_growth_bytes", std::to_string(late - early));
    EXPECT_LT(late - early, 256 * 1024) << "early " << early << ", late " << late;
}

} // namespace
} // namespace vidorama::test
