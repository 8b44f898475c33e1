// The pictures frames are drawn into in turn: a picture someone still holds
// is never drawn over, no more pictures are made than allowed, and a picture
// taken up again is drawn again wherever frames changed since it was drawn.

#include "pipeline/FramePool.h"

#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace vidorama::test {
namespace {

constexpr int kLimit = 3;
const QSize kSize(40, 30);
const QRect kAll(QPoint(0, 0), kSize);

// The red of row y in frame k: the last frame that changed the row. Frame 0
// draws everything, each frame after it one row.
int RowValue(int k, int y) {
    for (int j = k; j > 0; --j)
        if (j % kSize.height() == y)
            return j;
    return 0;
}

// Draws frame k into the pool's picture where it changed or the picture is
// stale, as a renderer redrawing in part does.
QRect DrawFrame(cli::FramePool& pool, int k) {
    const QRect stale = pool.prepare();
    QImage& picture = pool.current();
    const QRect changed = k == 0 ? kAll : QRect(0, k % kSize.height(), kSize.width(), 1);
    for (const QRect& area : {stale, changed})
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                picture.setPixel(x, y, qRgb(RowValue(k, y), y, 255));
    pool.frameDrawn(changed);
    return stale;
}

// What frame k shows in full.
QImage Expected(int k) {
    QImage image(kSize, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < kSize.height(); ++y)
        for (int x = 0; x < kSize.width(); ++x)
            image.setPixel(x, y, qRgb(RowValue(k, y), y, 255));
    return image;
}

TEST(FramePool, APictureNobodyHoldsIsDrawnIntoAgain) {
    cli::FramePool pool(kSize, kLimit);
    const uchar* first = pool.current().constBits();
    for (int k = 0; k < 10; ++k)
        EXPECT_TRUE(DrawFrame(pool, k).isEmpty()) << k;
    EXPECT_EQ(pool.current().constBits(), first);
    EXPECT_EQ(pool.picturesMade(), 1);
}

TEST(FramePool, HeldPicturesAreLeftAloneAndStayBounded) {
    cli::FramePool pool(kSize, kLimit);
    std::vector<QImage> held;
    std::set<const uchar*> pictures;
    for (int k = 0; k < 30; ++k) {
        const QRect stale = DrawFrame(pool, k);
        if (k > 0 && k < kLimit) {
            EXPECT_EQ(stale, kAll) << "a new picture is drawn in full, frame " << k;
        }
        if (k >= kLimit) {
            EXPECT_EQ(stale.height(), kLimit - 1) << "the rows changed since, frame " << k;
        }
        pictures.insert(pool.current().constBits());
        EXPECT_EQ(pool.current(), Expected(k)) << k;
        // A receiver holds the last frames it was given, one fewer than
        // there are pictures.
        held.push_back(pool.current());
        if (held.size() == kLimit)
            held.erase(held.begin());
        for (std::size_t i = 0; i < held.size(); ++i)
            EXPECT_EQ(held[i], Expected(k - static_cast<int>(held.size() - 1 - i))) << k;
    }
    EXPECT_EQ(pool.picturesMade(), kLimit);
    EXPECT_EQ(pictures.size(), static_cast<std::size_t>(kLimit));
}

TEST(FramePool, AReceiverHoldingEveryPictureKeepsItsFrames) {
    cli::FramePool pool(kSize, kLimit);
    std::vector<QImage> held;
    for (int k = 0; k < 12; ++k) {
        DrawFrame(pool, k);
        held.push_back(pool.current());
    }
    EXPECT_EQ(pool.picturesMade(), kLimit);
    for (int k = 0; k < 12; ++k)
        EXPECT_EQ(held[static_cast<std::size_t>(k)], Expected(k)) << k;
}

} // namespace
} // namespace vidorama::test
