// Small hand-made movies that ask the engine for far more memory or work than
// their size suggests. Each must be loaded, played a few frames and drawn
// within the engine's limits: quickly and in modest memory, never a crash.

#include "Avm2DocumentMovie.h"
#include "IsolatedRun.h"
#include "SwfCompression.h"
#include "SwfWriter.h"
#include "movie/Movie.h"
#include "player/FrameImage.h"
#include "player/Player.h"
#include "swf/Limits.h"

#include <QImage>
#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

using namespace tags;

// Well above what the engine needs for these movies on a busy machine under
// the sanitizers, and far below what they took before their limits: minutes,
// hours or gigabytes.
constexpr double kTimeLimitSeconds = 30;
constexpr long kMemoryLimitKb = 1536 * 1024;
constexpr int kFramesPlayed = 4;
// Reaching the limit on live script objects takes making a million of them,
// which the sanitizers slow down more than anything else here.
constexpr double kMillionObjectsTimeLimitSeconds = 4 * kTimeLimitSeconds;

// Loads, plays and draws the movie in a child process. True when the movie
// loaded; the child's crash, hang or memory use fails the test.
bool PlaysWithinLimits(const Bytes& movie, int frames = kFramesPlayed, QSize size = {64, 48}) {
    IsolatedResult result = RunIsolated(
        [&] {
            auto loaded = swf::Movie::load(movie);
            if (!loaded)
                return false;
            swf::Player player(loaded.value());
            QImage picture(size, QImage::Format_ARGB32_Premultiplied);
            for (int frame = 0; frame < frames; ++frame) {
                player.advanceFrame();
                swf::RenderFrame(player, picture);
            }
            return true;
        },
        kTimeLimitSeconds);
    bool ended = result.outcome == IsolatedResult::Outcome::Accepted ||
                 result.outcome == IsolatedResult::Outcome::Refused;
    EXPECT_TRUE(ended) << OutcomeName(result.outcome) << " " << result.detail;
    EXPECT_LT(result.peakMemoryKb, kMemoryLimitKb);
    return result.outcome == IsolatedResult::Outcome::Accepted;
}

// Plays and draws the movie in this process; what its player says of the
// limits it reached.
std::string LimitsReached(const Bytes& movie, int frames = kFramesPlayed) {
    auto loaded = swf::Movie::load(movie);
    if (!loaded)
        return "not loaded";
    swf::Player player(loaded.value());
    QImage picture(64, 48, QImage::Format_ARGB32_Premultiplied);
    for (int frame = 0; frame < frames; ++frame) {
        player.advanceFrame();
        swf::RenderFrame(player, picture);
    }
    return player.limitsReached().describe();
}

// DefineSprite with no tags at all that declares the given number of frames.
Bytes EmptySprite(std::uint16_t id, std::uint16_t frames) {
    return Tag(39, SwfBitWriter().u16(id).u16(frames).take());
}

TEST(HostileMovie, SpritesDeclaringEveryFrameTheyLack) {
    // Each 6-byte tag claims 65,535 frames of its own.
    MovieWriter writer;
    for (std::uint16_t id = 1; id <= 4000; ++id)
        writer.tag(EmptySprite(id, 0xffff));
    writer.frame({PlaceAt(1, 1)});
    EXPECT_TRUE(PlaysWithinLimits(writer.bytes()));
}

TEST(HostileMovie, LzmaDictionaryOfFourGigabytes) {
    MovieWriter writer;
    writer.frame({DefineRectShape(1, {0, 200, 0, 200}, {255, 0, 0, 255}), PlaceAt(1, 1)});
    Bytes movie = CompressLzma(writer.bytes());
    // The dictionary size is the property bytes 1..4, behind the signature
    // and the compressed length.
    for (std::size_t i = 0; i < 4; ++i)
        movie[13 + i] = 0xff;
    EXPECT_TRUE(PlaysWithinLimits(movie));
    // The data itself is sound and decodes whole.
    auto loaded = swf::Movie::load(movie);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded.value()->damage(), "");
    EXPECT_TRUE(loaded.value()->character(1));
}

TEST(HostileMovie, GotosBetweenFarFramesOverAndOver) {
    // Every goto to the last frame passes 65,535 frames, and going back to
    // the first frame queues the same block again.
    std::vector<Bytes> records;
    for (int i = 0; i < 20000; ++i) {
        records.push_back(actions::GotoFrame(0xfffe));
        records.push_back(actions::GotoFrame(0));
    }
    MovieWriter writer;
    writer.declaredFrames = 0xffff;
    writer.frame({DoAction(records)});
    EXPECT_TRUE(PlaysWithinLimits(writer.bytes()));
    EXPECT_EQ(LimitsReached(writer.bytes(), 1),
              "gotos through more than 4194304 frames in one "
              "frame; scripts stopped for doing more work in one frame than allowed (2000000 "
              "instructions, 100000 action blocks)");
}

// Script code that sets the variable `s` to a string of 8 x 2^doublings
// characters, by doubling it.
Bytes LongStringInS(int doublings) {
    using namespace actions;
    Bytes code;
    auto append = [&code](const Bytes& part) {
        code.insert(code.end(), part.begin(), part.end());
    };
    append(PushString("s"));
    append(PushString("xxxxxxxx"));
    append(Op(0x1d));
    for (int i = 0; i < doublings; ++i)
        for (const Bytes& part : {PushString("s"), PushString("s"), Op(0x1c), PushString("s"),
                                  Op(0x1c), Op(0x47), Op(0x1d)})
            append(part);
    return code;
}

TEST(HostileMovie, StringsKeptFrameAfterFrame) {
    // s = 8 MB of "x" once; then every frame c = c + "y"; set(c, s + c), so
    // that each frame keeps a new 8 MB string under a new name. Frames 2 and
    // 3 loop.
    using namespace actions;
    const std::vector<Bytes> keep{
        PushString("c"), PushString("c"), Op(0x1c), PushString("y"), Op(0x47),
        Op(0x1d),        PushString("c"), Op(0x1c), PushString("s"), Op(0x1c),
        PushString("c"), Op(0x1c),        Op(0x47), Op(0x1d)};
    std::vector<Bytes> first{LongStringInS(20)};
    first.insert(first.end(), keep.begin(), keep.end());
    std::vector<Bytes> last = keep;
    last.push_back(GotoFrame(1));
    last.push_back(Play());
    MovieWriter writer;
    writer.frame({DoAction(first)});
    writer.frame({DoAction(keep)});
    writer.frame({DoAction(last)});
    // 720 MB of strings without a budget; the scripts stop, and say so,
    // within the child's memory limit.
    const Bytes bytes = writer.bytes();
    IsolatedResult result = RunIsolated(
        [&] {
            swf::Player player(swf::Movie::load(bytes).value());
            for (int frame = 0; frame < 90; ++frame)
                player.advanceFrame();
            return player.limitsReached().describe().find("holding more memory than allowed") !=
                   std::string::npos;
        },
        kTimeLimitSeconds);
    EXPECT_EQ(result.outcome, IsolatedResult::Outcome::Accepted)
        << OutcomeName(result.outcome) << " " << result.detail;
    EXPECT_LT(result.peakMemoryKb, kMemoryLimitKb);
}

TEST(HostileMovie, ActionScript3ObjectsKeptFrameAfterFrame) {
    // 30,000 new objects a frame, each kept in an array: collecting the heap
    // frees none of them, and the scripts stop at the limit on live objects,
    // saying so.
    avm2movie::DocumentMovie keeper;
    keeper.keepObjects(keeper.tick, 30000);
    auto movie = keeper.movie();
    IsolatedResult result = RunIsolated(
        [&] {
            swf::Player player(movie);
            for (int frame = 0; frame < 40; ++frame)
                player.advanceFrame();
            return player.limitsReached().describe().find("holding more memory than allowed") !=
                       std::string::npos &&
                   player.scriptHeap().peakObjects <= swf::Limits::kMaxScriptObjects;
        },
        kMillionObjectsTimeLimitSeconds);
    EXPECT_EQ(result.outcome, IsolatedResult::Outcome::Accepted)
        << OutcomeName(result.outcome) << " " << result.detail;
    EXPECT_LT(result.peakMemoryKb, kMemoryLimitKb);
}

TEST(HostileMovie, CopiesOfALongStringOnTheStack) {
    // s = 8 MB, then 200 copies of it pushed at once: 1.6 GB if each copy
    // were a string of its own.
    using namespace actions;
    std::vector<Bytes> records{LongStringInS(20), PushString("s"), Op(0x1c)};
    records.insert(records.end(), 200, Op(0x4c));
    MovieWriter writer;
    writer.frame({DoAction(records)});
    EXPECT_TRUE(PlaysWithinLimits(writer.bytes(), 1));
}

TEST(HostileMovie, ScriptsStopOnceTheHostsAllowanceIsSpent) {
    // An endless loop in every frame spends the frame's whole budget.
    MovieWriter writer;
    writer.frame({DoAction({actions::Jump(-5)})});
    writer.frame({DoAction({actions::Jump(-5)})});
    auto loaded = swf::Movie::load(writer.bytes());
    ASSERT_TRUE(loaded);
    swf::Player player(loaded.value());
    player.setScriptStepAllowance(3 * swf::Limits::kMaxScriptStepsPerFrame);
    for (int frame = 0; frame < 6; ++frame)
        player.advanceFrame();
    EXPECT_LE(player.scriptStepsRun(), 4 * swf::Limits::kMaxScriptStepsPerFrame);
    EXPECT_NE(player.limitsReached().describe().find("longer than allowed"), std::string::npos);
}

// The objects of a display tree, its root included.
std::size_t CountObjects(const swf::MovieClip& clip) {
    std::size_t count = 1;
    for (const auto& [depth, child] : clip.children())
        count += child->asClip() ? CountObjects(*child->asClip()) : 1;
    return count;
}

// Sprite 2 places the shape (id 1) copies times; sprite 3 places sprite 2
// copies times; the root places sprite 3. With a second, empty frame in each
// sprite, the placements come round again as the sprites loop.
void PlaceCopiesOfCopies(MovieWriter& writer, std::uint16_t copies, bool looping) {
    std::vector<Bytes> inner, outer;
    for (std::uint16_t depth = 1; depth <= copies; ++depth) {
        inner.push_back(PlaceAt(depth, 1));
        outer.push_back(PlaceAt(depth, 2));
    }
    std::vector<std::vector<Bytes>> innerFrames{inner}, outerFrames{outer};
    if (looping) {
        innerFrames.emplace_back();
        outerFrames.emplace_back();
    }
    writer.tag(DefineSprite(2, innerFrames));
    writer.tag(DefineSprite(3, outerFrames));
    writer.frame({PlaceAt(1, 3)});
}

TEST(HostileMovie, SpritesPlacingThousandsOfCopies) {
    // A shape placed 2,000 times inside a sprite placed 2,000 times: four
    // million objects, more every frame as the placements come round again.
    MovieWriter writer;
    writer.tag(DefineRectShape(1, {0, 200, 0, 200}, {0, 0, 255, 255}));
    PlaceCopiesOfCopies(writer, 2000, true);
    writer.frame();
    EXPECT_TRUE(PlaysWithinLimits(writer.bytes()));

    auto loaded = swf::Movie::load(writer.bytes());
    ASSERT_TRUE(loaded);
    swf::Player player(loaded.value());
    for (int frame = 0; frame < 3; ++frame) {
        player.advanceFrame();
        EXPECT_LE(CountObjects(player.root()), swf::Limits::kMaxDisplayObjects);
    }
    EXPECT_EQ(player.limitsReached().describe(), "more than 65536 objects on the stage");
}

// A DefineShape3 of one filled zigzag with the given number of edges.
Bytes ZigzagShape(std::uint16_t id, int edges) {
    SwfBitWriter w;
    w.u16(id).rect({0, 4000, 0, 4000});
    w.u8(1).u8(0x00).rgba({0, 128, 0, 255}); // one solid fill style
    w.u8(0);                                 // no line styles
    w.ub(4, 1).ub(4, 0);
    w.ub(1, 0).ub(5, 0x01 | 0x04).ub(5, 2).sb(2, 0).sb(2, 0).ub(1, 1); // move, fill 1
    for (int i = 0; i < edges; ++i) {
        // A general line of 7-bit deltas: +-20 twips across, 1 down.
        w.ub(1, 1).ub(1, 1).ub(4, 5).ub(1, 1).sb(7, i % 2 ? -20 : 20).sb(7, 1);
    }
    w.ub(6, 0);
    return Tag(32, w.take());
}

TEST(HostileMovie, ComplexShapePlacedThousandsOfTimes) {
    // A shape of 20,000 edges drawn by every object the display tree holds.
    MovieWriter writer;
    writer.tag(ZigzagShape(1, 20000));
    PlaceCopiesOfCopies(writer, 300, false);
    EXPECT_TRUE(PlaysWithinLimits(writer.bytes(), 1));
}

TEST(HostileMovie, LoopsReplayingPlacementsAtEveryDepth) {
    // Every loop back to the first frame replays 60,000 placements.
    std::vector<Bytes> places;
    for (std::uint16_t depth = 1; depth <= 60000; ++depth)
        places.push_back(PlaceAt(depth, 1));
    MovieWriter writer;
    writer.tag(DefineRectShape(1, {0, 200, 0, 200}, {0, 0, 255, 255}));
    writer.frame(places);
    writer.frame();
    EXPECT_TRUE(PlaysWithinLimits(writer.bytes(), 12));
}

TEST(HostileMovie, TargetsSoughtAmongThousandsOfChildren) {
    // Each SetTarget looks for a name among 30,000 objects, and the two
    // frames send each other back and forth.
    std::vector<Bytes> records;
    for (int i = 0; i < 20000; ++i)
        records.push_back(actions::SetTarget("nowhere"));
    records.push_back(actions::SetTarget(""));
    records.push_back(actions::GotoFrame(0));
    std::vector<Bytes> first;
    for (std::uint16_t depth = 1; depth <= 30000; ++depth)
        first.push_back(PlaceAt(depth, 1));
    first.push_back(DoAction({actions::GotoFrame(1)}));
    MovieWriter writer;
    writer.tag(DefineRectShape(1, {0, 200, 0, 200}, {0, 0, 255, 255}));
    writer.frame(first);
    writer.frame({DoAction(records)});
    EXPECT_TRUE(PlaysWithinLimits(writer.bytes()));
}

TEST(HostileMovie, MasksInsideMasksDrawnLarge) {
    // Each sprite masks the next one: every level of masking needs pictures
    // of its own, as large as the frame drawn.
    MovieWriter writer;
    writer.tag(DefineRectShape(1, {0, 4000, 0, 3000}, {0, 0, 255, 255}));
    constexpr std::uint16_t kLevels = 100;
    for (std::uint16_t level = kLevels; level >= 1; --level) {
        std::vector<Bytes> frame{Place(1).character(1).clipDepth(3).tag()};
        if (level < kLevels)
            frame.push_back(PlaceAt(2, static_cast<std::uint16_t>(level + 2)));
        frame.push_back(PlaceAt(3, 1));
        writer.tag(DefineSprite(static_cast<std::uint16_t>(level + 1), {frame}));
    }
    writer.frame({PlaceAt(1, 2)});
    EXPECT_TRUE(PlaysWithinLimits(writer.bytes(), 1, {3072, 3072}));
    EXPECT_EQ(LimitsReached(writer.bytes(), 1), "sprites nested more than 64 deep");
}

TEST(HostileMovie, MasksOverlappingInOneTimeline) {
    // Each placement masks every depth above it up to the last one: a
    // hundred masks inside one another without a sprite between them.
    std::vector<Bytes> places;
    for (std::uint16_t depth = 1; depth <= 100; ++depth)
        places.push_back(Place(depth).character(1).clipDepth(200).tag());
    places.push_back(PlaceAt(200, 1));
    MovieWriter writer;
    writer.tag(DefineRectShape(1, {0, 200, 0, 200}, {0, 0, 255, 255}));
    writer.frame(places);
    EXPECT_TRUE(PlaysWithinLimits(writer.bytes(), 1));
    EXPECT_EQ(LimitsReached(writer.bytes(), 1), "masks nested more than 64 deep");
}

TEST(HostileMovie, LosslessBitmapsOfTheLargestSize) {
    // Forty 4000 x 4000 bitmaps from a few bytes of zlib data each.
    MovieWriter writer;
    Bytes pixels = Deflate(Bytes(16, 0xff));
    for (std::uint16_t id = 1; id <= 40; ++id) {
        SwfBitWriter w;
        w.u16(id).u8(5).u16(4000).u16(4000).bytes(pixels);
        writer.tag(Tag(36, w.take()));
    }
    writer.frame({PlaceAt(1, 1)});
    EXPECT_TRUE(PlaysWithinLimits(writer.bytes()));
}

TEST(HostileMovie, VideoOfHugePicturesSoughtAcrossEveryFrame) {
    // 65,535 Sorenson H.263 frames of a few bytes, each claiming a keyframe
    // of 65,535 x 65,535 pixels, in a stream with the largest box; a hundred
    // instances jump to its last frame, then back to its second.
    SwfBitWriter header;
    header.ub(17, 1).ub(5, 0).ub(8, 0).ub(3, 1).ub(16, 65535).ub(16, 65535);
    header.ub(2, 0).ub(1, 1).ub(5, 4).ub(32, 0);
    Bytes picture = header.take();
    MovieWriter writer;
    writer.tag(DefineVideoStream(1, 65535, 2048, 2048, 2));
    for (std::uint32_t frame = 0; frame < 65535; ++frame)
        writer.tag(VideoFrame(1, static_cast<std::uint16_t>(frame), picture));
    std::vector<Bytes> far, near;
    for (std::uint16_t depth = 1; depth <= 100; ++depth) {
        far.push_back(Place(depth).character(1).ratio(65534).tag());
        near.push_back(Place(depth).move().ratio(1).tag());
    }
    writer.frame(far);
    writer.frame(near);
    EXPECT_TRUE(PlaysWithinLimits(writer.bytes()));
}

} // namespace
} // namespace vidorama::test
