// The simple timeline actions: how they are read out of action blocks that
// hold much more, and what they do to the timelines they target.

#include "SwfWriter.h"
#include "movie/Movie.h"
#include "player/Player.h"

#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

using swf::Player;
namespace act = tags::actions;

Bytes Join(const std::vector<Bytes>& records) {
    Bytes all;
    for (const auto& r : records)
        all.insert(all.end(), r.begin(), r.end());
    return all;
}

std::shared_ptr<const swf::Movie> Load(const MovieWriter& writer) {
    auto movie = swf::Movie::load(writer.bytes());
    EXPECT_TRUE(movie.ok());
    return movie.value();
}

// mc.gotoAndPlay(2) as compilers write it: the argument, the argument count,
// the object by name, the method name, the call, and its result dropped.
Bytes MethodCall(const std::string& object, const std::string& method,
                 std::optional<std::int32_t> argument) {
    Bytes getVariable = {0x1c}, callMethod = {0x52}, pop = {0x17};
    std::vector<Bytes> records;
    if (argument)
        records.push_back(act::PushInteger(*argument));
    records.push_back(act::PushInteger(argument ? 1 : 0));
    records.push_back(act::PushString(object));
    records.push_back(getVariable);
    records.push_back(act::PushString(method));
    records.push_back(callMethod);
    records.push_back(pop);
    return Join(records);
}

TEST(Actions, MethodCallsReachTheNamedClip) {
    MovieWriter writer;
    writer.tag(tags::DefineSprite(20, {{tags::DoAction({act::Stop()})}, {}, {}, {}}));
    writer.frame({tags::Place(1).character(20).name("mc").tag(),
                  tags::DoAction({MethodCall("mc", "gotoAndPlay", 3), act::Stop()})});
    writer.frame();
    Player player(Load(writer));
    const auto& mc = *player.root().children().at(1)->asClip();
    EXPECT_EQ(mc.currentFrame(), 3u);
    EXPECT_TRUE(mc.playing());
    EXPECT_FALSE(player.playing());
}

TEST(Actions, StopAndGotoRunAfterTheFrameIsBuilt) {
    MovieWriter writer;
    writer.frame({tags::DoAction({act::Stop()})});
    writer.frame();
    writer.frame({tags::FrameLabel("third"), tags::DoAction({act::Stop()})});
    Player player(Load(writer));
    for (int i = 0; i < 3; ++i)
        player.advanceFrame();
    EXPECT_EQ(player.currentFrame(), 1u);
    EXPECT_FALSE(player.playing());

    player.play();
    player.advanceFrame();
    player.advanceFrame(); // frame 3 stops again
    player.advanceFrame();
    EXPECT_EQ(player.currentFrame(), 3u);
}

TEST(Actions, GotoAndPlayAndLabelsAndFrameSteps) {
    MovieWriter writer;
    writer.frame({tags::DoAction({act::GotoLabel("LOOP"), act::Play()})});
    writer.frame();
    writer.frame({tags::FrameLabel("loop")});
    writer.frame({tags::DoAction({act::PreviousFrame()})});
    Player player(Load(writer));
    EXPECT_EQ(player.currentFrame(), 3u) << "the label is matched without regard to case";
    EXPECT_TRUE(player.playing());
    player.advanceFrame();
    // PreviousFrame goes back one and stops.
    EXPECT_EQ(player.currentFrame(), 3u);
    EXPECT_FALSE(player.playing());
}

TEST(Actions, SetTargetSendsActionsToNamedSprites) {
    MovieWriter writer;
    writer.version = 6;
    writer.tag(tags::DefineSprite(20, {{}, {}, {}, {}}));
    writer.tag(tags::DefineSprite(21, {{tags::Place(1).character(20).name("inner").tag()}, {}}));
    writer.frame(
        {tags::Place(1).character(21).name("Outer").tag(),
         tags::DoAction({act::SetTarget("outer/inner"), act::GotoFrame(2), act::SetTarget(""),
                         act::Stop(), act::SetTarget("/missing"), act::Play()})});
    writer.frame();
    Player player(Load(writer));
    const auto& outer = *player.root().children().at(1)->asClip();
    const auto& inner = *outer.children().at(1)->asClip();
    EXPECT_EQ(inner.currentFrame(), 3u);
    EXPECT_FALSE(inner.playing());
    EXPECT_FALSE(player.playing());
    EXPECT_TRUE(outer.playing()) << "actions aimed at a missing target do nothing";
}

TEST(Actions, ScriptsOfActionScript3MoviesAreNotRun) {
    MovieWriter writer;
    writer.tag(tags::FileAttributes(true));
    writer.frame({tags::DoAction({act::Stop()})});
    writer.frame();
    Player player(Load(writer));
    player.advanceFrame();
    EXPECT_EQ(player.currentFrame(), 2u);
}

} // namespace
} // namespace vidorama::test
