// Over a five-minute stream, every frame's sound lands where its frame
// starts: the figure of how far stream sound and picture drift apart on the
// manual clock.

#include "MovieSound.h"
#include "StreamMovies.h"

#include <gtest/gtest.h>
#include <iostream>

namespace vidorama::test {
namespace {

TEST(StreamDrift, FiveMinutesOfStreamStayOnTheirFramesOnTheManualClock) {
    constexpr std::size_t kFrames = 5 * 60 * 12;
    MarkedStream stream(kFrames);
    auto player = LoadPlayer(stream.movie());
    ASSERT_NE(player, nullptr);
    auto out = PlayFrames(*player, kFrames);
    DriftFigures figures = MeasureMarkers(stream, out);
    // The marker of frame k against the start of frame k's output.
    long long worstAgainstFrame = 0;
    for (std::size_t k = 0; k < kFrames; k += 1) {
        long long at = 4 * static_cast<long long>(stream.blockStart(k)) + figures.firstOffset;
        long long frame = static_cast<long long>(FrameStart(MarkedStream::kFps, k));
        worstAgainstFrame = std::max(worstAgainstFrame, std::abs(at - frame));
    }
    std::cout << "[manual clock] " << figures.markersFound << " frames over 5 minutes: each block's"
              << " sound lands " << figures.smallestOffset << ".." << figures.largestOffset
              << " samples from its place in the stream; frame starts and block starts differ"
              << " by at most " << worstAgainstFrame << " samples (" << worstAgainstFrame / 44.1
              << " ms), the rounding of 918.75 source samples a frame" << std::endl;
    EXPECT_EQ(figures.markersFound, kFrames);
    EXPECT_EQ(figures.smallestOffset, 0);
    EXPECT_EQ(figures.largestOffset, 0);
    EXPECT_LE(worstAgainstFrame, 3);
}

} // namespace
} // namespace vidorama::test
