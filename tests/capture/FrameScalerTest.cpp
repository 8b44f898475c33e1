#include "capture/FrameScaler.h"

#include <QImage>
#include <gtest/gtest.h>

namespace vidorama {
namespace {

// The blue, green and red bytes of pixel (x, y), counting y from the top, in
// a bottom-up raw frame.
std::array<int, 3> At(const encoder::ByteArray& frame, int width, int height, int x, int y) {
    const std::uint8_t* p = frame.Data() + ((height - 1 - y) * width + x) * 4;
    return {p[0], p[1], p[2]};
}

std::unique_ptr<encoder::ByteArray> Frame(int w, int h) {
    return encoder::ByteArray::Create({4, std::uint32_t(w), std::uint32_t(h)});
}

TEST(FrameScaler, ShrinkingAveragesTheCoveredArea) {
    // A checkerboard of black and white pixels halves to even grey.
    QImage checker(8, 4, QImage::Format_RGB32);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            checker.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    FrameScaler scaler;
    ASSERT_TRUE(scaler.Prepare(8, 4, 4, 2));
    auto frame = Frame(4, 2);
    scaler.Scale(checker, *frame);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(At(*frame, 4, 2, x, y), (std::array<int, 3>{128, 128, 128}));

    // A third of the way: 3 pixels into 1, red, red, blue.
    QImage strip(3, 1, QImage::Format_RGB32);
    strip.setPixel(0, 0, qRgb(255, 0, 0));
    strip.setPixel(1, 0, qRgb(255, 0, 0));
    strip.setPixel(2, 0, qRgb(0, 0, 255));
    ASSERT_TRUE(scaler.Prepare(3, 1, 1, 1));
    auto one = Frame(1, 1);
    scaler.Scale(strip, *one);
    EXPECT_EQ(At(*one, 1, 1, 0, 0), (std::array<int, 3>{85, 0, 170}));
}

TEST(FrameScaler, RowsComeOutBottomUpAndEnlargingBlends) {
    QImage twoRows(2, 2, QImage::Format_RGB32);
    twoRows.setPixel(0, 0, qRgb(255, 0, 0));
    twoRows.setPixel(1, 0, qRgb(255, 0, 0));
    twoRows.setPixel(0, 1, qRgb(0, 0, 255));
    twoRows.setPixel(1, 1, qRgb(0, 0, 255));
    FrameScaler scaler;
    ASSERT_TRUE(scaler.Prepare(2, 2, 4, 4));
    auto frame = Frame(4, 4);
    scaler.Scale(twoRows, *frame);
    EXPECT_EQ(At(*frame, 4, 4, 0, 0), (std::array<int, 3>{0, 0, 255})); // top stays red
    EXPECT_EQ(At(*frame, 4, 4, 3, 3), (std::array<int, 3>{255, 0, 0})); // bottom blue
    std::array<int, 3> between = At(*frame, 4, 4, 1, 1);                // blended
    EXPECT_GT(between[0], 0);
    EXPECT_GT(between[2], between[0]);
    // The first line in memory is the picture's bottom row.
    EXPECT_EQ(frame->Data()[0], 255);
}

TEST(FrameScaler, RefusesEmptySizes) {
    FrameScaler scaler;
    EXPECT_FALSE(scaler.Prepare(0, 10, 10, 10));
    EXPECT_FALSE(scaler.Prepare(10, 10, 10, -1));
}

} // namespace
} // namespace vidorama
