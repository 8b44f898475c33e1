// Reading video streams and their limits, and the pieces of Flash's picture
// path checked on tiny inputs: colour conversion and the H.263 post filter.

#include "VideoEncoding.h"
#include "VideoMovies.h"
#include "movie/Movie.h"
#include "player/Player.h"
#include "swf/Limits.h"
#include "video/H263Deblocker.h"
#include "video/VideoDef.h"
#include "video/YuvPicture.h"

#include <QPainter>
#include <array>
#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

std::shared_ptr<const swf::VideoDef> StreamOf(const swf::Movie& movie, std::uint16_t id) {
    return std::dynamic_pointer_cast<const swf::VideoDef>(movie.character(id));
}

TEST(VideoStream, DefinitionFieldsAndFramesAreRead) {
    MovieWriter writer = VideoStage();
    writer.tag(tags::DefineVideoStream(7, 3, 320, 240, 4, 2, true));
    writer.frame({tags::VideoFrame(7, 0, {0x00, 1, 2}), tags::VideoFrame(7, 1, {0x80, 1}),
                  tags::VideoFrame(7, 3, {0x00}), tags::VideoFrame(9, 0, {0x00})});
    auto movie = swf::Movie::load(writer.bytes());
    ASSERT_TRUE(movie.ok());
    auto stream = StreamOf(*movie.value(), 7);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->header().frameCount, 3);
    EXPECT_EQ(stream->width(), 320);
    EXPECT_EQ(stream->height(), 240);
    EXPECT_EQ(stream->header().deblocking, swf::VideoDeblocking::Level1);
    EXPECT_TRUE(stream->header().smoothing);
    EXPECT_EQ(stream->codec(), swf::VideoCodec::Vp6);
    // Frame 3 lies past the stream's count; stream 9 was never defined.
    ASSERT_EQ(stream->frames().size(), 2u);
    EXPECT_TRUE(stream->frame(0)->keyframe);
    EXPECT_FALSE(stream->frame(1)->keyframe);
    EXPECT_EQ(stream->frame(0)->packet.size(), 3u);
    EXPECT_EQ(stream->keyframeBefore(2), 0);
}

TEST(VideoStream, BrokenAndOversizedDefinitionsAreRefusedWithDamageReported) {
    struct Case {
        Bytes tag;
        const char* what;
    };
    const std::array<Case, 3> cases = {{
        {tags::Tag(60, {1, 0, 1, 0, 64, 0}), "cut short"},
        {tags::DefineVideoStream(1, 1, swf::Limits::kMaxVideoSide + 1, 16, 2), "too wide"},
        {tags::DefineVideoStream(1, 1, 64, 48, 9), "unknown codec"},
    }};
    for (const Case& c : cases) {
        MovieWriter writer = VideoStage();
        writer.tag(c.tag);
        writer.frame({tags::VideoFrame(1, 0, {0, 0, 0x84}), tags::PlaceAt(1, 1)});
        auto movie = swf::Movie::load(writer.bytes());
        ASSERT_TRUE(movie.ok()) << c.what;
        EXPECT_FALSE(movie.value()->character(1)) << c.what;
        EXPECT_FALSE(movie.value()->damage().empty()) << c.what;
        swf::Player player(movie.value());
        EXPECT_EQ(Render(player).pixel(32, 24), qRgb(60, 60, 60)) << c.what;
    }
}

// Each instance decodes on its own. A stream with the largest box has the
// largest allowance; past the player's budget the further instances stay
// empty instead of taking more memory.
TEST(VideoStream, InstancesBeyondTheDecodersBudgetShowNothing) {
    auto packets = EncodeVideo("flv", FlatPictures({Qt::green}), 1);
    if (!packets)
        GTEST_SKIP() << "FFmpeg has no Sorenson H.263 encoder";
    constexpr int kBox = 2048, kShown = 64;
    static_assert(std::uint64_t{kBox} * kBox == swf::Limits::kMaxVideoPixels);
    constexpr int kInstances =
        static_cast<int>(swf::Limits::kMaxLiveVideoPixels / swf::Limits::kMaxVideoPixels) + 1;
    MovieWriter writer = VideoStage(kShown * kInstances, kShown);
    writer.tag(tags::DefineVideoStream(kStream, 1, kBox, kBox, kH263));
    writer.tag(tags::VideoFrame(kStream, 0, packets->front()));
    std::vector<Bytes> places;
    for (int i = 0; i < kInstances; ++i) {
        swf::Matrix matrix = swf::Matrix::translate(i * kShown * 20, 0) *
                             swf::Matrix::scale(double(kShown) / kBox, double(kShown) / kBox);
        places.push_back(tags::PlaceAt(static_cast<std::uint16_t>(i + 1), kStream, matrix));
    }
    writer.frame(places);
    swf::Player player(swf::Movie::load(writer.bytes()).value());
    QImage image = Render(player);
    for (int i = 0; i + 1 < kInstances; ++i)
        EXPECT_TRUE(Near(image.pixel(i * kShown + 32, 32), Qt::green)) << i;
    EXPECT_TRUE(Near(image.pixel((kInstances - 1) * kShown + 32, 32), QColor(60, 60, 60)));
}

QRgb ConvertOne(std::uint8_t y, std::uint8_t u, std::uint8_t v) {
    swf::YuvPlanes planes;
    planes.width = planes.height = 1;
    planes.y = &y;
    planes.u = &u;
    planes.v = &v;
    planes.yStride = planes.chromaStride = 1;
    return swf::YuvToArgb(planes).pixel(0, 0);
}

TEST(VideoConversion, StudioRangeLumaSpansBlackToWhite) {
    EXPECT_EQ(ConvertOne(16, 128, 128), qRgb(0, 0, 0));
    EXPECT_EQ(ConvertOne(0, 128, 128), qRgb(0, 0, 0));
    EXPECT_EQ(ConvertOne(235, 128, 128), qRgb(255, 255, 255));
    EXPECT_EQ(ConvertOne(125, 128, 128), qRgb(127, 127, 127));
    EXPECT_EQ(ConvertOne(126, 128, 128), qRgb(128, 128, 128));
    EXPECT_EQ(ConvertOne(81, 90, 240), qRgb(254, 0, 0));
}

// Each chroma sample colours the 2 x 2 pixels it covers, unblended with
// its neighbours.
TEST(VideoConversion, EachChromaSampleCoversTwoByTwoPixels) {
    std::array<std::uint8_t, 8> y;
    y.fill(126);
    std::array<std::uint8_t, 2> u = {128, 128}, v = {128, 240};
    swf::YuvPlanes planes;
    planes.width = 4;
    planes.height = 2;
    planes.y = y.data();
    planes.yStride = 4;
    planes.u = u.data();
    planes.v = v.data();
    planes.chromaStride = 2;
    QImage image = swf::YuvToArgb(planes);
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(image.pixel(0, row), qRgb(128, 128, 128));
        EXPECT_EQ(image.pixel(1, row), qRgb(128, 128, 128));
        EXPECT_EQ(image.pixel(2, row), image.pixel(3, row));
        EXPECT_EQ(qRed(image.pixel(2, row)), 255);
    }
}

TEST(VideoConversion, AlphaHoldsEachColourAtOrUnderIt) {
    std::uint8_t y = 235, u = 128, v = 128, a = 100;
    swf::YuvPlanes planes;
    planes.width = planes.height = 1;
    planes.y = &y;
    planes.u = &u;
    planes.v = &v;
    planes.alpha = &a;
    planes.yStride = planes.chromaStride = planes.alphaStride = 1;
    EXPECT_EQ(swf::YuvToArgb(planes).pixel(0, 0), qRgba(100, 100, 100, 100));
}

// A 16 x 16 plane, flat in each 8 x 8 block: the filter works across the
// block edges at 8 only, softening small steps and keeping large ones.
TEST(VideoDeblocking, SmallStepsAcrossBlockEdgesAreSoftenedLargeOnesKept) {
    auto plane = [](int left, int right) {
        std::array<std::uint8_t, 256> p;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                p[std::size_t(y * 16 + x)] = std::uint8_t(x < 8 ? left : right);
        return p;
    };
    auto soft = plane(100, 104);
    swf::DeblockH263Plane(soft.data(), 16, 16, 16, 2);
    EXPECT_EQ((std::array<int, 4>{soft[6], soft[7], soft[8], soft[9]}),
              (std::array<int, 4>{100, 101, 103, 104}));
    EXPECT_EQ(soft[5], 100);
    auto hard = plane(100, 140);
    swf::DeblockH263Plane(hard.data(), 16, 16, 16, 2);
    EXPECT_EQ(hard, plane(100, 140));
}

} // namespace
} // namespace vidorama::test
