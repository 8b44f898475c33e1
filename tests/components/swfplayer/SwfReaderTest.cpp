// Reading movie files: signatures, compression, and files that are broken in
// the ways real damaged or hostile files are.

#include "SwfCompression.h"
#include "SwfWriter.h"
#include "graphics/Renderer.h"
#include "movie/Movie.h"
#include "player/Player.h"
#include "swf/Limits.h"
#include "swf/SwfFile.h"

#include <gtest/gtest.h>
#include <random>

namespace vidorama::test {
namespace {

using swf::Movie;

MovieWriter TwoFrameMovie() {
    MovieWriter movie;
    movie.version = 8;
    movie.frameRate = 24.5;
    movie.frameRect = {0, 6400, 0, 4800};
    movie.tag(tags::DefineRectShape(1, {0, 200, 0, 200}, {255, 0, 0, 255}));
    movie.frame({tags::PlaceAt(1, 1)});
    movie.frame({tags::RemoveObject2(1)});
    return movie;
}

void WriteU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

TEST(SwfReader, ReadsTheSameMovieFromEverySignature) {
    Bytes fws = TwoFrameMovie().bytes();
    for (const Bytes& file : {fws, CompressZlib(fws), CompressLzma(fws)}) {
        auto swf = swf::ReadSwf(file);
        ASSERT_TRUE(swf.ok()) << swf.error().message;
        EXPECT_EQ(swf.value().header.version, 8);
        EXPECT_EQ(swf.value().header.declaredLength, fws.size());
        EXPECT_DOUBLE_EQ(swf.value().header.frameRate, 24.5);
        EXPECT_EQ(swf.value().header.frameCount, 2);
        EXPECT_EQ(swf.value().header.frameRect.xMax, 6400);
        EXPECT_TRUE(swf.value().damage.empty());
        EXPECT_EQ(*swf.value().data, Bytes(fws.begin(), fws.end()));
    }
}

TEST(SwfReader, RefusesFilesThatAreNotMovies) {
    EXPECT_EQ(swf::ReadSwf(Bytes{}).error().category, swf::Error::Category::Truncated);
    EXPECT_EQ(swf::ReadSwf(Bytes{'F', 'W', 'S'}).error().category, swf::Error::Category::Truncated);
    Bytes png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 0};
    EXPECT_EQ(swf::ReadSwf(png).error().category, swf::Error::Category::Format);
    Bytes fws = TwoFrameMovie().bytes();
    fws[0] = 'X';
    EXPECT_FALSE(swf::ReadSwf(fws).ok());
}

TEST(SwfReader, RefusesLengthsItCannotHonour) {
    Bytes fws = TwoFrameMovie().bytes();
    Bytes huge = CompressZlib(fws);
    WriteU32(huge, 4, 0xffffffffu);
    EXPECT_EQ(swf::ReadSwf(huge).error().category, swf::Error::Category::LimitExceeded);
    Bytes tiny = fws;
    WriteU32(tiny, 4, 8);
    EXPECT_FALSE(swf::ReadSwf(tiny).ok());
    // A header that ends inside the frame rectangle cannot be shown at all.
    Bytes cut(fws.begin(), fws.begin() + 10);
    EXPECT_EQ(swf::ReadSwf(cut).error().category, swf::Error::Category::Truncated);
}

TEST(SwfReader, RefusesCompressedDataThatIsCorruptFromTheStart) {
    Bytes fws = TwoFrameMovie().bytes();
    Bytes zlib = CompressZlib(fws);
    zlib[8] ^= 0xff; // the zlib header
    EXPECT_FALSE(swf::ReadSwf(zlib).ok());
    Bytes lzma = CompressLzma(fws);
    std::fill(lzma.begin() + 12, lzma.begin() + 17, 0xff); // impossible properties
    EXPECT_FALSE(swf::ReadSwf(lzma).ok());
    Bytes shortLzma(lzma.begin(), lzma.begin() + 14);
    EXPECT_FALSE(swf::ReadSwf(shortLzma).ok());
}

TEST(SwfReader, KeepsWhatPrecedesTheDamage) {
    // A long run of frames, so that a cut in the compressed data lands after
    // the first ones.
    MovieWriter writer = TwoFrameMovie();
    for (int i = 0; i < 200; ++i)
        writer.frame({tags::FrameLabel("frame" + std::to_string(i))});
    Bytes fws = writer.bytes();
    for (const Bytes& full : {fws, CompressZlib(fws), CompressLzma(fws)}) {
        Bytes cut(full.begin(), full.begin() + full.size() / 2);
        auto movie = Movie::load(cut);
        ASSERT_TRUE(movie.ok()) << movie.error().message;
        EXPECT_FALSE(movie.value()->damage().empty());
        EXPECT_GE(movie.value()->root().timeline().frameCount(), 2u);
        EXPECT_LT(movie.value()->root().timeline().frameCount(), 202u);
        EXPECT_NE(movie.value()->character(1), nullptr);
    }
}

TEST(SwfReader, StopsAtATagThatClaimsMoreBytesThanRemain) {
    MovieWriter writer = TwoFrameMovie();
    writer.tag(tags::Tag(2, Bytes(100, 0), true));
    Bytes fws = writer.bytes();
    // The last tag before End is the long DefineShape; make it lie.
    std::size_t lengthAt = fws.size() - 2 - 100 - 4;
    WriteU32(fws, lengthAt, 0x7fffffff);
    auto movie = Movie::load(fws);
    ASSERT_TRUE(movie.ok());
    EXPECT_NE(movie.value()->damage().find("declares"), std::string::npos);
    EXPECT_EQ(movie.value()->root().timeline().frameCount(), 2u);
}

TEST(SwfReader, RefusesSpritesNestedBeyondTheLimit) {
    Bytes sprite = tags::DefineSprite(1000, {{}});
    for (int level = 1; level <= swf::Limits::kMaxSpriteNesting + 10; ++level)
        sprite = tags::DefineSprite(static_cast<std::uint16_t>(1000 + level), {{sprite}});
    MovieWriter writer;
    writer.tag(sprite);
    writer.frame({tags::PlaceAt(1, 1000 + swf::Limits::kMaxSpriteNesting + 10)});
    auto movie = Movie::load(writer.bytes());
    ASSERT_TRUE(movie.ok());
    EXPECT_NE(movie.value()->damage().find("nest"), std::string::npos);
    EXPECT_NE(movie.value()->character(1000 + swf::Limits::kMaxSpriteNesting + 10), nullptr);
    EXPECT_EQ(movie.value()->character(1000), nullptr);
}

// A sprite that places itself: the display tree must stop growing.
TEST(SwfReader, PlaysASpriteThatContainsItselfWithinLimits) {
    MovieWriter writer;
    writer.tag(tags::DefineSprite(5, {{tags::PlaceAt(1, 5), tags::PlaceAt(2, 5)}}));
    writer.frame({tags::PlaceAt(1, 5)});
    auto movie = Movie::load(writer.bytes());
    ASSERT_TRUE(movie.ok());
    swf::Player player(movie.value());
    player.advanceFrame();
    swf::NullRenderer renderer;
    player.render(renderer, {});
}

// Random damage anywhere in a valid movie must never crash, hang or read out
// of bounds (the sanitizer build checks the last part).
TEST(SwfReader, SurvivesRandomDamage) {
    MovieWriter writer = TwoFrameMovie();
    writer.tag(
        tags::DefineSprite(7, {{tags::PlaceAt(1, 1), tags::DoAction({tags::actions::Stop()})},
                               {tags::RemoveObject2(1)}}));
    writer.frame({tags::Place(3)
                      .character(7)
                      .colors({0.5f, 1, 1, 1, 10, 0, 0, 0})
                      .name("seven")
                      .clipDepth(4)
                      .tag(),
                  tags::DoAction({tags::actions::GotoFrame(0), tags::actions::Play()})});
    Bytes fws = writer.bytes();
    std::mt19937 random(1234);
    for (int round = 0; round < 400; ++round) {
        Bytes damaged = round % 3 == 1 ? CompressZlib(fws) : fws;
        std::uniform_int_distribution<std::size_t> at(8, damaged.size() - 1);
        for (int flips = 0; flips < 1 + round % 4; ++flips)
            damaged[at(random)] = static_cast<std::uint8_t>(random());
        if (round % 5 == 0)
            damaged.resize(at(random));
        auto movie = Movie::load(damaged);
        if (!movie)
            continue;
        swf::Player player(movie.value());
        swf::NullRenderer renderer;
        for (int frame = 0; frame < 4; ++frame) {
            player.advanceFrame();
            player.render(renderer, {});
        }
    }
}

} // namespace
} // namespace vidorama::test
