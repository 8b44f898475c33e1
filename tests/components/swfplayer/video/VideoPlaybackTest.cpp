// Embedded video in hand-made movies: frames coded by FFmpeg's own Sorenson
// H.263 and screen video encoders, placed as Flash's authoring tool places
// them, checked on the pixels drawn.

#include "VideoEncoding.h"
#include "VideoMovies.h"
#include "movie/Movie.h"
#include "player/Player.h"
#include "swf/Limits.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

const std::vector<QColor> kPalette = {Qt::red,  Qt::green,   Qt::blue,  Qt::yellow,
                                      Qt::cyan, Qt::magenta, Qt::white, QColor(128, 64, 0)};
const QColor kBackground(60, 60, 60);

std::vector<Bytes> EncodeOrSkip(const std::string& encoder, const std::vector<QImage>& pictures,
                                int keyframeInterval) {
    auto packets = EncodeVideo(encoder, pictures, keyframeInterval);
    return packets ? *packets : std::vector<Bytes>{};
}

std::shared_ptr<const swf::Movie> Load(const MovieWriter& writer) {
    auto movie = swf::Movie::load(writer.bytes());
    EXPECT_TRUE(movie.ok());
    return movie ? movie.value() : nullptr;
}

QImage RenderFrame(swf::Player& player, std::uint32_t frame) {
    player.gotoFrame(frame, false);
    return Render(player);
}

TEST(VideoPlayback, EachMovieFrameShowsTheVideoFrameItsRatioSelects) {
    auto packets = EncodeOrSkip("flv", FlatPictures(kPalette), 4);
    if (packets.empty())
        GTEST_SKIP() << "FFmpeg has no Sorenson H.263 encoder";
    swf::Player player(Load(TimelineVideo(packets)));
    for (std::size_t i = 0; i < kPalette.size(); ++i) {
        QImage image = Render(player);
        EXPECT_TRUE(Near(image.pixel(32, 24), kPalette[i])) << "movie frame " << i + 1;
        player.advanceFrame();
    }
}

TEST(VideoPlayback, TheRatioWrapsAtTheStreamsFrameCountAndAPlacementWithoutOneShowsFrameZero) {
    auto packets = EncodeOrSkip("flv", FlatPictures({Qt::red, Qt::green, Qt::blue}), 1);
    if (packets.empty())
        GTEST_SKIP() << "FFmpeg has no Sorenson H.263 encoder";
    MovieWriter writer = VideoStage();
    writer.tag(tags::DefineVideoStream(kStream, 3, kVideoWidth, kVideoHeight, kH263));
    for (std::uint16_t i = 0; i < 3; ++i)
        writer.tag(tags::VideoFrame(kStream, i, packets[i]));
    writer.frame({tags::PlaceAt(1, kStream)});
    writer.frame({tags::Place(1).move().ratio(3 + 2).tag()});
    swf::Player player(Load(writer));
    EXPECT_TRUE(Near(RenderFrame(player, 1).pixel(32, 24), Qt::red));
    EXPECT_TRUE(Near(RenderFrame(player, 2).pixel(32, 24), Qt::blue));
}

// Keyframes at 0, 4 and 8. Whichever way the playhead reaches a frame, the
// picture must be the one playing in order gives.
TEST(VideoPlayback, JumpsDecodeFromTheLastKeyframeBeforeTheFrame) {
    auto packets = EncodeOrSkip("flv", MovingSquare(10), 4);
    if (packets.empty())
        GTEST_SKIP() << "FFmpeg has no Sorenson H.263 encoder";
    auto movie = Load(TimelineVideo(packets));
    swf::Player inOrder(movie);
    std::vector<QImage> expected;
    for (int i = 0; i < 10; ++i) {
        expected.push_back(Render(inOrder));
        inOrder.advanceFrame();
    }
    swf::Player jumping(movie);
    EXPECT_EQ(RenderFrame(jumping, 10), expected[9]) << "forward past two keyframes";
    EXPECT_EQ(RenderFrame(jumping, 7), expected[6]) << "back to a frame after a keyframe";
    EXPECT_EQ(RenderFrame(jumping, 4), expected[3]) << "back across a keyframe";
    EXPECT_EQ(RenderFrame(jumping, 6), expected[5]) << "forward across a keyframe";
    EXPECT_EQ(RenderFrame(jumping, 1), expected[0]) << "back to the first frame";
}

// Each drawn frame decodes a bounded amount of video. With the largest box,
// a jump over 39 frames takes two drawn frames: the first shows where the
// decoding got to, the second the frame wanted.
TEST(VideoPlayback, ALongSeekGoesOnOverTheNextFramesDrawn) {
    constexpr int kBox = 2048;
    constexpr auto kFramesPerDraw = swf::Limits::kMaxVideoPixelsDecodedPerFrame / (kBox * kBox);
    auto packets = EncodeOrSkip("flv", MovingSquare(40), 40);
    if (packets.empty())
        GTEST_SKIP() << "FFmpeg has no Sorenson H.263 encoder";
    auto movie = Load(TimelineVideo(packets, kH263, kBox, kBox));
    swf::Player inOrder(movie);
    std::vector<QImage> expected;
    for (int i = 0; i < 40; ++i) {
        expected.push_back(Render(inOrder));
        inOrder.advanceFrame();
    }
    swf::Player jumping(movie);
    Render(jumping);
    EXPECT_EQ(RenderFrame(jumping, 40), expected[kFramesPerDraw]);
    EXPECT_EQ(Render(jumping), expected[39]);
}

TEST(VideoPlayback, ADamagedOrMissingFrameLeavesTheLastGoodPicture) {
    auto packets = EncodeOrSkip("flv", FlatPictures(kPalette), 4);
    if (packets.empty())
        GTEST_SKIP() << "FFmpeg has no Sorenson H.263 encoder";
    std::vector<Bytes> damaged = packets;
    damaged[1] = Bytes(damaged[1].size(), 0xA5); // no picture start code
    damaged[2].resize(3);                        // cut inside the header
    damaged[3].clear();                          // an empty frame
    MovieWriter writer = TimelineVideo(damaged);
    swf::Player player(Load(writer));
    for (std::uint32_t frame = 1; frame <= 4; ++frame)
        EXPECT_TRUE(Near(RenderFrame(player, frame).pixel(32, 24), kPalette[0])) << frame;
    EXPECT_TRUE(Near(RenderFrame(player, 5).pixel(32, 24), kPalette[4])) << "the next keyframe";
    // Frames that never came are not decoded either.
    std::vector<Bytes> sparse = {packets[0]};
    MovieWriter gaps = VideoStage();
    gaps.tag(tags::DefineVideoStream(kStream, 4, kVideoWidth, kVideoHeight, kH263));
    gaps.frame({tags::VideoFrame(kStream, 0, packets[0]), tags::PlaceAt(1, kStream)});
    gaps.frame({tags::Place(1).move().ratio(2).tag()});
    swf::Player gapPlayer(Load(gaps));
    EXPECT_TRUE(Near(RenderFrame(gapPlayer, 2).pixel(32, 24), kPalette[0]));
}

// Flash draws the picture over the stream's declared box, whatever size it
// was coded at, and the placement's matrix then applies.
TEST(VideoPlayback, ThePictureFillsTheStreamsBoxUnderThePlacementMatrix) {
    std::vector<QImage> pictures = FlatPictures({Qt::red});
    QPainter(&pictures[0]).fillRect(32, 24, 32, 24, Qt::blue);
    auto packets = EncodeOrSkip("flv", pictures, 1);
    if (packets.empty())
        GTEST_SKIP() << "FFmpeg has no Sorenson H.263 encoder";
    MovieWriter writer = VideoStage(128, 96);
    writer.tag(tags::DefineVideoStream(kStream, 1, 128, 96, kH263));
    writer.tag(tags::VideoFrame(kStream, 0, packets[0]));
    writer.frame({tags::PlaceAt(1, kStream, swf::Matrix::scale(0.5, 0.5))});
    swf::Player player(Load(writer));
    QImage image = Render(player);
    EXPECT_TRUE(Near(image.pixel(10, 10), Qt::red));
    EXPECT_TRUE(Near(image.pixel(50, 40), Qt::blue)) << "the coded picture's corner, stretched";
    EXPECT_TRUE(Near(image.pixel(100, 80), kBackground)) << "outside the scaled box";
}

// Both versions of screen video, stored behind the frame type and codec
// byte of FLV, with a colour transform on the placement.
TEST(VideoPlayback, ScreenVideoShowsItsPictureUprightWithColourTransforms) {
    std::vector<QImage> pictures = FlatPictures({Qt::red});
    QPainter(&pictures[0]).fillRect(0, 24, 64, 24, Qt::blue);
    for (auto [encoder, codec] :
         {std::pair{"flashsv", kScreenVideo}, {"flashsv2", kScreenVideo2}}) {
        auto packets = EncodeOrSkip(encoder, pictures, 1);
        if (packets.empty())
            continue;
        Bytes frame = {static_cast<std::uint8_t>(0x10 | codec)};
        frame.insert(frame.end(), packets[0].begin(), packets[0].end());
        MovieWriter writer = VideoStage();
        writer.tag(tags::DefineVideoStream(kStream, 1, kVideoWidth, kVideoHeight, codec));
        writer.tag(tags::VideoFrame(kStream, 0, frame));
        writer.frame({tags::Place(1).character(kStream).colors({0.5f, 1, 1, 1, 0, 0, 0, 0}).tag()});
        swf::Player player(Load(writer));
        QImage image = Render(player);
        EXPECT_TRUE(Near(image.pixel(32, 5), QColor(128, 0, 0), 2)) << encoder;
        EXPECT_TRUE(Near(image.pixel(32, 40), QColor(0, 0, 255), 2)) << encoder;
    }
}

} // namespace
} // namespace vidorama::test
