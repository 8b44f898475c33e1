// Timelines on hand-made movies: placing, moving and removing objects,
// sprites, gotos in both directions, looping.

#include "SwfWriter.h"
#include "movie/Movie.h"
#include "player/Player.h"

#include <gtest/gtest.h>
#include <string>

namespace vidorama::test {
namespace {

using swf::Matrix;
using swf::MovieClip;
using swf::Player;

constexpr std::uint16_t kRed = 1, kGreen = 2, kBlue = 3;

MovieWriter WithShapes() {
    MovieWriter movie;
    movie.tag(tags::DefineRectShape(kRed, {0, 200, 0, 200}, {255, 0, 0, 255}));
    movie.tag(tags::DefineRectShape(kGreen, {0, 200, 0, 200}, {0, 255, 0, 255}));
    movie.tag(tags::DefineRectShape(kBlue, {0, 200, 0, 200}, {0, 0, 255, 255}));
    return movie;
}

std::shared_ptr<const swf::Movie> Load(const MovieWriter& writer) {
    auto movie = swf::Movie::load(writer.bytes());
    EXPECT_TRUE(movie.ok()) << movie.error().message;
    return movie.value();
}

// "depth:id" for every object of a display list, in depth order.
std::string Listing(const MovieClip& clip) {
    std::string text;
    for (const auto& [depth, child] : clip.children())
        text += (text.empty() ? "" : " ") + std::to_string(depth) + ":" +
                std::to_string(child->character().id());
    return text;
}

const MovieClip& ClipAt(const MovieClip& parent, std::uint16_t depth) {
    return *parent.children().at(depth)->asClip();
}

TEST(PlayerTimeline, PlacesMovesAndRemovesObjectsFrameByFrame) {
    MovieWriter writer = WithShapes();
    writer.frame({tags::PlaceAt(1, kRed), tags::PlaceAt(2, kGreen, Matrix::translate(40, 0))});
    writer.frame({tags::Place(1).move().matrix(Matrix::translate(100, 60)).tag(),
                  tags::Place(2).character(kBlue).tag()}); // occupied depth: ignored
    writer.frame({tags::RemoveObject2(2), tags::Place(1).move().character(kBlue).tag()});
    Player player(Load(writer));
    EXPECT_EQ(player.currentFrame(), 1u);
    EXPECT_EQ(Listing(player.root()), "1:1 2:2");
    player.advanceFrame();
    EXPECT_EQ(Listing(player.root()), "1:1 2:2");
    EXPECT_EQ(player.root().children().at(1)->properties().matrix, Matrix::translate(100, 60));
    player.advanceFrame();
    // "Move" with a new character swaps a shape in place and keeps its matrix.
    EXPECT_EQ(Listing(player.root()), "1:3");
    EXPECT_EQ(player.root().children().at(1)->properties().matrix, Matrix::translate(100, 60));
}

// A frame's removals leave first, yet a frame that places an object, takes
// it back and places another at the same depth ends with the last one.
TEST(PlayerTimeline, AFrameThatPlacesRemovesAndPlacesAgainKeepsTheLastPlacement) {
    MovieWriter writer = WithShapes();
    writer.frame({tags::PlaceAt(1, kRed), tags::PlaceAt(2, kGreen)});
    writer.frame({tags::PlaceAt(3, kRed), tags::RemoveObject2(3), tags::RemoveObject2(1),
                  tags::PlaceAt(1, kBlue, Matrix::translate(55, 0)), tags::RemoveObject2(1),
                  tags::PlaceAt(1, kGreen, Matrix::translate(15, 0)),
                  tags::Place(2).move().matrix(Matrix::translate(0, 30)).tag(),
                  tags::RemoveObject2(2), tags::RemoveObject2(2)});
    Player player(Load(writer));
    player.advanceFrame();
    EXPECT_EQ(Listing(player.root()), "1:2");
    EXPECT_EQ(player.root().children().at(1)->properties().matrix, Matrix::translate(15, 0));
    EXPECT_EQ(player.root().children().at(1)->placeFrame(), 2u);
}

TEST(PlayerTimeline, LoopsBackToTheFirstFrameKeepingWhatSurvives) {
    MovieWriter writer = WithShapes();
    writer.tag(tags::DefineSprite(10, {{tags::PlaceAt(1, kRed)}, {}, {}, {}, {}}));
    writer.frame({tags::PlaceAt(1, 10)});
    writer.frame({tags::PlaceAt(2, kGreen)});
    writer.frame();
    Player player(Load(writer));
    player.advanceFrame();
    player.advanceFrame();
    EXPECT_EQ(ClipAt(player.root(), 1).currentFrame(), 3u);
    player.advanceFrame(); // back to frame 1
    EXPECT_EQ(player.currentFrame(), 1u);
    EXPECT_EQ(Listing(player.root()), "1:10");
    // The sprite was placed on frame 1, so it lives on with its own playhead.
    EXPECT_EQ(ClipAt(player.root(), 1).currentFrame(), 4u);
}

TEST(PlayerTimeline, RootStopsOnItsLastFrameWhenNotLooping) {
    MovieWriter writer = WithShapes();
    writer.frame({tags::PlaceAt(1, kRed)});
    writer.frame({tags::RemoveObject2(1)});
    Player player(Load(writer));
    player.setLooping(false);
    for (int i = 0; i < 5; ++i)
        player.advanceFrame();
    EXPECT_EQ(player.currentFrame(), 2u);
    EXPECT_FALSE(player.playing());
    EXPECT_EQ(Listing(player.root()), "");
}

TEST(PlayerTimeline, SpritesShowTheirFirstFrameWhenPlacedAndPlayOnTheirOwn) {
    MovieWriter writer = WithShapes();
    writer.tag(tags::DefineSprite(
        10, {{tags::PlaceAt(1, kRed)}, {tags::RemoveObject2(1), tags::PlaceAt(1, kGreen)}}));
    writer.frame();
    writer.frame({tags::PlaceAt(5, 10)});
    writer.frame();
    writer.frame();
    Player player(Load(writer));
    player.advanceFrame();
    const MovieClip& sprite = ClipAt(player.root(), 5);
    EXPECT_EQ(sprite.currentFrame(), 1u);
    EXPECT_EQ(Listing(sprite), "1:1");
    player.advanceFrame();
    EXPECT_EQ(sprite.currentFrame(), 2u);
    EXPECT_EQ(Listing(sprite), "1:2");
    player.advanceFrame(); // sprites loop on their own
    EXPECT_EQ(sprite.currentFrame(), 1u);
    EXPECT_EQ(Listing(sprite), "1:1");
}

// Going backward replays the timeline from the first frame: objects placed
// after the target frame go, objects placed before it stay (with their state)
// and take their placement values again; objects removed since come back new.
TEST(PlayerTimeline, GotoBackwardRebuildsTheDisplayListAsFlashDoes) {
    MovieWriter writer = WithShapes();
    writer.tag(tags::DefineSprite(10, {{}, {}, {}, {}, {}, {}, {}, {}}));
    writer.frame({tags::PlaceAt(1, 10, Matrix::translate(20, 0)), tags::PlaceAt(2, kRed)});
    writer.frame(
        {tags::Place(1).move().matrix(Matrix::translate(400, 0)).tag(), tags::RemoveObject2(2)});
    writer.frame({tags::PlaceAt(3, kGreen), tags::PlaceAt(2, kBlue)});
    writer.frame();
    Player player(Load(writer));
    for (int i = 0; i < 3; ++i)
        player.advanceFrame();
    EXPECT_EQ(Listing(player.root()), "1:10 2:3 3:2");
    const auto* sprite = player.root().children().at(1).get();
    EXPECT_EQ(sprite->asClip()->currentFrame(), 4u);

    player.gotoFrame(1, false);
    EXPECT_EQ(Listing(player.root()), "1:10 2:1");
    EXPECT_EQ(player.root().children().at(1).get(), sprite) << "the sprite survives";
    EXPECT_EQ(sprite->properties().matrix, Matrix::translate(20, 0));
    EXPECT_EQ(sprite->asClip()->currentFrame(), 4u) << "its playhead is its own";

    player.gotoFrame(3, false);
    EXPECT_EQ(Listing(player.root()), "1:10 2:3 3:2");
    player.gotoFrame(2, false);
    EXPECT_EQ(Listing(player.root()), "1:10");
    EXPECT_EQ(sprite->properties().matrix, Matrix::translate(400, 0));
}

TEST(PlayerTimeline, GotoForwardSkipsObjectsThatDoNotLiveToTheTarget) {
    MovieWriter writer = WithShapes();
    writer.frame();
    writer.frame({tags::PlaceAt(1, kRed), tags::PlaceAt(2, kGreen)});
    writer.frame({tags::RemoveObject2(1), tags::Place(2).move().ratio(7).tag()});
    writer.frame({tags::PlaceAt(1, kBlue)});
    Player player(Load(writer));
    player.gotoFrame(4, true);
    EXPECT_EQ(Listing(player.root()), "1:3 2:2");
    EXPECT_EQ(player.root().children().at(2)->properties().ratio, 7);
    EXPECT_TRUE(player.playing());
    // Out of range goes to the last frame.
    player.gotoFrame(99, false);
    EXPECT_EQ(player.currentFrame(), 4u);
}

// Flash keeps what holds a depth and its debugger reports the placement it
// refused, whether a frame or a goto makes it; the first of two placements
// a goto passes is the one that stays.
TEST(PlayerTimeline, APlacementAtAnOccupiedDepthIsRefusedAndReported) {
    MovieWriter writer = WithShapes();
    writer.frame({tags::PlaceAt(1, kRed), tags::PlaceAt(1, kGreen)});
    writer.frame({tags::RemoveObject2(1)});
    writer.frame({tags::PlaceAt(1, kBlue), tags::PlaceAt(1, kGreen)});
    std::string out;
    Player player(Load(writer), [&out](const std::string& line) { out += line + "\n"; });
    EXPECT_EQ(Listing(player.root()), "1:1");
    EXPECT_EQ(out, "Warning: Failed to place object at depth 1.\n");
    out.clear();
    player.gotoFrame(3, false);
    EXPECT_EQ(Listing(player.root()), "1:3");
    EXPECT_EQ(out, "Warning: Failed to place object at depth 1.\n");
    out.clear();
    player.gotoFrame(1, false);
    EXPECT_EQ(Listing(player.root()), "1:1");
    EXPECT_EQ(out, "") << "a replay does not report again";
}

TEST(PlayerTimeline, LabelsAreFoundWithoutRegardToCase) {
    MovieWriter writer = WithShapes();
    writer.frame();
    writer.frame({tags::FrameLabel("Intro")});
    auto movie = Load(writer);
    EXPECT_EQ(movie->root().timeline().findLabel("intro"), 2u);
    EXPECT_EQ(movie->root().timeline().findLabel("INTRO"), 2u);
    EXPECT_FALSE(movie->root().timeline().findLabel("outro"));
}

TEST(PlayerTimeline, ScenesSplitTheRootAndTheirLabelsReplaceFrameLabelTags) {
    MovieWriter writer = WithShapes();
    writer.tag(tags::DefineSceneAndFrameLabelData({{0, "Intro"}, {2, "Main"}, {9, "Past"}},
                                                  {{0, "start"}, {3, "Loop"}}));
    writer.frame({tags::FrameLabel("ignored")});
    writer.frame().frame().frame();
    auto movie = Load(writer);
    const swf::Timeline& timeline = movie->root().timeline();
    ASSERT_EQ(timeline.labels().size(), 2u);
    EXPECT_EQ(timeline.findLabel("loop"), 4u);
    EXPECT_FALSE(timeline.findLabel("ignored"));
    auto scenes = timeline.scenes();
    ASSERT_EQ(scenes.size(), 3u);
    EXPECT_EQ(scenes[0].length, 2u);
    EXPECT_EQ(scenes[1].start, 3u);
    EXPECT_EQ(scenes[1].length, 2u);
    EXPECT_EQ(scenes[2].length, 0u); // starts past the last frame
    EXPECT_EQ(timeline.sceneAt(4).name, "Main");
    EXPECT_EQ(timeline.sceneAt(2).name, "Intro");
}

TEST(PlayerTimeline, ATimelineWithoutScenesIsOneSceneWithoutAName) {
    MovieWriter writer = WithShapes();
    // A scene tag that declares no scene leaves the labels to FrameLabel.
    writer.tag(tags::DefineSceneAndFrameLabelData({}, {{1, "unused"}}));
    writer.frame({tags::FrameLabel("first")});
    writer.frame();
    auto movie = Load(writer);
    const swf::Timeline& timeline = movie->root().timeline();
    EXPECT_EQ(timeline.findLabel("FIRST"), 1u);
    auto scenes = timeline.scenes();
    ASSERT_EQ(scenes.size(), 1u);
    EXPECT_EQ(scenes[0].name, "");
    EXPECT_EQ(scenes[0].length, 2u);
    EXPECT_EQ(timeline.sceneAt(2).start, 1u);
}

TEST(PlayerTimeline, TimelinesLastAsLongAsTheirHeadersSay) {
    MovieWriter writer = WithShapes();
    writer.declaredFrames = 5;
    writer.frame({tags::PlaceAt(1, kRed)});
    Player player(Load(writer));
    EXPECT_EQ(player.totalFrames(), 5u);
    for (int i = 0; i < 4; ++i)
        player.advanceFrame();
    EXPECT_EQ(player.currentFrame(), 5u);
    EXPECT_EQ(Listing(player.root()), "1:1");
}

} // namespace
} // namespace vidorama::test
