// The fill loops store an opaque colour under full coverage directly instead
// of blending it; that is only right while the blend's arithmetic gives the
// colour itself there.

#include "graphics/PixelOps.h"

#include <gtest/gtest.h>

using namespace vidorama::swf;

TEST(PixelOps, FullCoverageOfAnOpaqueColourIsTheColourItself) {
    const QRgb beneath[] = {0x00000000, 0xFFFFFFFF, 0x80402010, 0xFF00FF00};
    for (unsigned c = 0; c < 256; ++c) {
        const QRgb gray = 0xFF000000 | (c << 16) | (c << 8) | c;
        const QRgb translucent = (c << 24) | (c << 16) | ((c / 2) << 8) | (c / 3);
        ASSERT_EQ(ScalePixel(gray, 255), gray) << c;
        ASSERT_EQ(ScalePixel(translucent, 255), translucent) << c;
        for (QRgb under : beneath)
            ASSERT_EQ(SourceOver(gray, under), gray) << c;
    }
}
