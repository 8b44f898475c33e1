// The simple timeline actions: how they are read out of action blocks that
// hold much more, and what they do to the timelines they target.

#include "movie/Actions.h"

#include "SwfWriter.h"
#include "movie/Movie.h"
#include "player/ActionRunner.h"
#include "player/Player.h"

#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

using swf::Action;
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

TEST(Actions, ReadsTheSimpleActionsAndStepsOverEverythingElse) {
    Bytes unknownWithLength = {0x8e, 3, 0, 1, 2, 3}; // DefineFunction2-like record
    Bytes add = {0x0a};                              // ActionAdd, no length
    auto actions = swf::ReadActions(Join({act::Play(),
                                          unknownWithLength,
                                          act::GotoFrame(4),
                                          add,
                                          act::GotoLabel("end"),
                                          act::SetTarget("/clip"),
                                          act::NextFrame(),
                                          act::PreviousFrame(),
                                          act::Stop(),
                                          {0x00},
                                          act::Play()}),
                                    1000);
    ASSERT_EQ(actions.size(), 7u) << "reading ends at ActionEnd";
    EXPECT_EQ(actions[0].op, Action::Op::Play);
    EXPECT_EQ(actions[1].op, Action::Op::GotoFrame);
    EXPECT_EQ(actions[1].frame, 4u);
    EXPECT_EQ(actions[2].text, "end");
    EXPECT_EQ(actions[3].op, Action::Op::SetTarget);
    EXPECT_EQ(actions[3].text, "/clip");
    EXPECT_EQ(actions[6].op, Action::Op::Stop);
}

TEST(Actions, UnderstandsGotoFrame2OnlyWithAConstantJustPushed) {
    Bytes getVariable = {0x1c};
    auto actions = swf::ReadActions(
        Join({act::PushInteger(3), act::GotoFrame2(true), act::PushString("menu"),
              act::GotoFrame2(false), act::PushString("x"), getVariable, act::GotoFrame2(true)}),
        1000);
    ASSERT_EQ(actions.size(), 2u);
    EXPECT_EQ(actions[0].op, Action::Op::GotoExpression);
    EXPECT_EQ(actions[0].frame, 3u);
    EXPECT_TRUE(actions[0].play);
    EXPECT_EQ(actions[1].text, "menu");
    EXPECT_FALSE(actions[1].play);
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

TEST(Actions, FollowsTimelineMethodCallsWithConstantArguments) {
    Bytes getMember = {0x4e}, callFunction = {0x3d}, add = {0x0a};
    auto actions = swf::ReadActions(
        Join({MethodCall("mc", "gotoAndPlay", 2),
              // _root.menu.stop()
              act::PushInteger(0), act::PushString("_root"), Bytes{0x1c}, act::PushString("menu"),
              getMember, act::PushString("stop"), Bytes{0x52},
              // gotoAndStop("end") as a function call
              act::PushString("end"), act::PushInteger(1), act::PushString("gotoAndStop"),
              callFunction,
              // a computed argument is not followed
              act::PushInteger(1), act::PushInteger(1), add, act::PushInteger(1),
              act::PushString("gotoAndStop"), callFunction}),
        1000);
    ASSERT_EQ(actions.size(), 3u);
    EXPECT_EQ(actions[0].op, Action::Op::GotoExpression);
    EXPECT_EQ(actions[0].frame, 2u);
    EXPECT_TRUE(actions[0].play);
    EXPECT_EQ(actions[0].path, "mc");
    EXPECT_EQ(actions[1].op, Action::Op::Stop);
    EXPECT_EQ(actions[1].path, "_root.menu");
    EXPECT_EQ(actions[2].text, "end");
    EXPECT_TRUE(actions[2].path.empty());
}

TEST(Actions, DoesNotRunFunctionBodiesWhereTheyAreDefined) {
    // function f() { stop(); } play();
    SwfBitWriter define;
    define.u8(0x9b).u16(6).string("f").u16(0).u16(1);
    auto actions = swf::ReadActions(Join({define.take(), act::Stop(), act::Play()}), 1000);
    ASSERT_EQ(actions.size(), 1u);
    EXPECT_EQ(actions[0].op, Action::Op::Play);
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

TEST(Actions, NeverReadsPastABrokenRecord) {
    // A record claiming more bytes than the block has, and a cap on records.
    EXPECT_TRUE(swf::ReadActions(Bytes{0x81, 0xff, 0xff, 1}, 1000).empty());
    Bytes many(5000, 0x07);
    EXPECT_EQ(swf::ReadActions(many, 100).size(), 100u);
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

TEST(Actions, TargetPathsInSlashAndDotSyntax) {
    MovieWriter writer;
    writer.version = 8;
    writer.tag(tags::DefineSprite(20, {{}, {}}));
    writer.tag(tags::DefineSprite(21, {{tags::Place(1).character(20).name("b").tag()}, {}}));
    writer.frame({tags::Place(1).character(21).name("a").tag()});
    Player player(Load(writer));
    auto& root = player.root();
    auto* a = root.children().at(1)->asClip();
    auto* b = a->children().at(1)->asClip();
    EXPECT_EQ(swf::ResolveTarget(root, "/a/b", true), b);
    EXPECT_EQ(swf::ResolveTarget(*b, "../../a", true), a);
    EXPECT_EQ(swf::ResolveTarget(*b, "_root.a.b", true), b);
    EXPECT_EQ(swf::ResolveTarget(*b, "_parent", true), a);
    EXPECT_EQ(swf::ResolveTarget(root, "A", true), nullptr);
    EXPECT_EQ(swf::ResolveTarget(root, "A", false), a);
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
