// The frame-rate arithmetic that keeps picture and sound in step when a
// codec's rate is fixed or restricted.

#include "core/FrameRate.h"

#include <gtest/gtest.h>
#include <vector>

namespace vidorama::encoder {
namespace {

std::vector<int> counts(AVRational source, AVRational stream, int frames) {
    FrameRepeater repeater(source, stream);
    std::vector<int> result;
    for (int i = 0; i < frames; ++i)
        result.push_back(repeater.nextCount());
    return result;
}

bool equal(AVRational a, AVRational b) {
    return av_cmp_q(a, b) == 0;
}

TEST(FrameRate, SettingsListValuesStayExact) {
    EXPECT_TRUE(equal(frameRateFromDouble(10.0), AVRational{10, 1}));
    EXPECT_TRUE(equal(frameRateFromDouble(23.97), AVRational{2397, 100}));
    EXPECT_TRUE(equal(frameRateFromDouble(29.97), AVRational{2997, 100}));
    EXPECT_EQ(frameRateFromDouble(0.0).num, 0);
    EXPECT_EQ(frameRateFromDouble(-3.0).num, 0);
}

TEST(FrameRate, MpegGetsTheStandardsFractions) {
    const auto mpeg = mpegFrameRates();
    EXPECT_TRUE(equal(nearestFrameRate(frameRateFromDouble(23.97), mpeg), AVRational{24000, 1001}));
    EXPECT_TRUE(equal(nearestFrameRate(frameRateFromDouble(24.0), mpeg), AVRational{24, 1}));
    EXPECT_TRUE(equal(nearestFrameRate(frameRateFromDouble(25.0), mpeg), AVRational{25, 1}));
    EXPECT_TRUE(equal(nearestFrameRate(frameRateFromDouble(29.97), mpeg), AVRational{30000, 1001}));
    EXPECT_TRUE(equal(nearestFrameRate(frameRateFromDouble(30.0), mpeg), AVRational{30, 1}));
    EXPECT_TRUE(equal(nearestFrameRate(AVRational{12, 1}, mpeg), AVRational{24000, 1001}));
    EXPECT_TRUE(equal(nearestFrameRate(AVRational{200, 1}, mpeg), AVRational{60, 1}));
}

TEST(FrameRate, NearlyEqualRatesAreOneClock) {
    EXPECT_TRUE(isSameClock(AVRational{2397, 100}, AVRational{24000, 1001}));
    EXPECT_FALSE(isSameClock(AVRational{24, 1}, AVRational{25, 1}));
    EXPECT_EQ(counts(AVRational{2397, 100}, AVRational{24000, 1001}, 5),
              (std::vector<int>{1, 1, 1, 1, 1}));
}

TEST(FrameRepeater, SlowSourceFillsAFastStreamEvenly) {
    // 10 fps into DV's 25: frames on screen at 0, 0.1, 0.2 s cover stream
    // frames 0-2, 3-4, 5-7, ...
    EXPECT_EQ(counts(AVRational{10, 1}, AVRational{25, 1}, 4), (std::vector<int>{3, 2, 3, 2}));
    EXPECT_EQ(counts(AVRational{12, 1}, AVRational{24000, 1001}, 12).size(), 12u);
    int total = 0;
    for (int count : counts(AVRational{12, 1}, AVRational{24000, 1001}, 12))
        total += count;
    EXPECT_EQ(total, 24); // ceil(12 x 23.976 / 12)
}

TEST(FrameRepeater, FastSourceDropsFramesToKeepTime) {
    EXPECT_EQ(counts(AVRational{50, 1}, AVRational{25, 1}, 6),
              (std::vector<int>{1, 0, 1, 0, 1, 0}));
}

TEST(FrameRepeater, LongRunsDoNotDrift) {
    FrameRepeater repeater(AVRational{15, 1}, AVRational{25, 1});
    std::int64_t total = 0;
    for (int i = 0; i < 15 * 3600; ++i)
        total += repeater.nextCount();
    EXPECT_EQ(total, 25 * 3600);
}

} // namespace
} // namespace vidorama::encoder
