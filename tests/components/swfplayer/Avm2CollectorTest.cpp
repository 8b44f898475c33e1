// The ActionScript 3 heap's collector on movies assembled by hand: a movie
// that makes garbage every frame plays on past the object limit, and what
// only the machine's or the player's tables hold survives while what
// nothing holds goes, as a weak-keyed Dictionary shows.

#include "player/Player.h"
#include "swf/Avm2DocumentMovie.h"
#include "swf/Limits.h"

#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

using namespace avm2movie;

// A player of the movie whose traces go into traced.
std::unique_ptr<swf::Player> Play(DocumentMovie& movie, std::string& traced) {
    return std::make_unique<swf::Player>(
        movie.movie(), [&traced](const std::string& line) { traced += line + "\n"; });
}

TEST(Avm2Collector, AMovieThatMakesGarbageEveryFramePlaysOnPastTheObjectLimit) {
    // Ten thousand objects a frame for 120 frames: more than the limit on
    // live objects, of which a few survive each frame.
    constexpr int kFrames = 120;
    constexpr std::uint16_t kRounds = 2500;
    static_assert(std::size_t(kFrames) * kRounds * 4 > swf::Limits::kMaxScriptObjects);
    DocumentMovie main;
    main.makeGarbage(main.tick, kRounds);
    main.traceFrames(main.tick);
    std::string traced;
    auto player = Play(main, traced);
    for (int i = 0; i < kFrames; ++i)
        player->advanceFrame();
    std::string expected;
    for (int i = 1; i <= kFrames; ++i)
        expected += std::to_string(i) + "\n";
    EXPECT_EQ(traced, expected);
    EXPECT_EQ(player->limitsReached().describe(), "");
    swf::avm2::HeapFigures heap = player->scriptHeap();
    EXPECT_GE(heap.collections, 10u);
    // The built-in classes and the movie's own few objects, not the garbage.
    EXPECT_LT(heap.peakObjects, 40000u);
    EXPECT_GT(heap.liveBytes, 0u);
}

TEST(Avm2Collector, WhatOnlyTheMachineOrThePlayerHoldsSurvivesAndNothingElse) {
    DocumentMovie main;
    std::string pkgUtils = "flash.utils", pkgDisplay = "flash.display";
    AbcCode& c = main.ctor;
    // this.w = new Dictionary(true); this.strong = new Dictionary()
    c.op(kFindPropStrict).u30(main.name("Dictionary", pkgUtils)).op(kPushTrue);
    c.op(kConstructProp).u30(main.name("Dictionary", pkgUtils)).u30(1).op(kSetLocal2);
    c.op(kGetLocal0).op(kGetLocal2).op(kSetProperty).u30(main.name("w"));
    c.op(kGetLocal0);
    main.construct(c, "Dictionary", pkgUtils);
    c.op(kSetProperty).u30(main.name("strong"));
    // A variable of the script's global object.
    c.op(kNewObject).u30(0);
    main.remember("global");
    c.op(kFindProperty).u30(main.name("keptByGlobal")).op(kGetLocal1);
    c.op(kSetProperty).u30(main.name("keptByGlobal"));
    // A property of the class's prototype.
    c.op(kNewObject).u30(0);
    main.remember("prototype");
    c.op(kGetLex).u30(main.name("Main")).op(kGetProperty).u30(main.name("prototype"));
    c.op(kGetLocal1).op(kSetProperty).u30(main.name("keptByPrototype"));
    // A child on the display list, and a Sprite nobody added anywhere.
    main.construct(c, "MovieClip", pkgDisplay);
    main.remember("displayChild");
    c.op(kGetLocal0).op(kGetLocal1).op(kCallPropVoid).u30(main.name("addChild")).u30(1);
    main.construct(c, "Sprite", pkgDisplay);
    main.remember("straySprite");
    // A listener, and one removed again.
    for (const char* tag : {"listener", "removedListener"}) {
        main.newFunction(c);
        main.remember(tag);
        c.op(kGetLocal0).op(kPushString).u30(main.abc.string("custom")).op(kGetLocal1);
        c.op(kCallPropVoid).u30(main.name("addEventListener")).u30(2);
    }
    c.op(kGetLocal0).op(kPushString).u30(main.abc.string("custom")).op(kGetLocal1);
    c.op(kCallPropVoid).u30(main.name("removeEventListener")).u30(2);
    // An argument of setTimeout, a function of setInterval, a running Timer.
    c.op(kNewObject).u30(0);
    main.remember("timeout");
    std::uint32_t later = main.abc.integer(1000000);
    c.op(kFindPropStrict).u30(main.name("setTimeout", pkgUtils));
    main.newFunction(c);
    c.op(kPushInt)
        .u30(later)
        .op(kGetLocal1)
        .op(kCallPropVoid)
        .u30(main.name("setTimeout", pkgUtils))
        .u30(3);
    main.newFunction(c);
    main.remember("interval");
    c.op(kFindPropStrict)
        .u30(main.name("setInterval", pkgUtils))
        .op(kGetLocal1)
        .op(kPushInt)
        .u30(later);
    c.op(kCallPropVoid).u30(main.name("setInterval", pkgUtils)).u30(2);
    c.op(kFindPropStrict).u30(main.name("Timer", pkgUtils)).op(kPushInt).u30(later);
    c.op(kConstructProp).u30(main.name("Timer", pkgUtils)).u30(1);
    main.remember("timer");
    c.op(kGetLocal1).op(kCallPropVoid).u30(main.name("start")).u30(0);
    // A frame script of a frame not reached yet.
    main.newFunction(c);
    main.remember("frameScript");
    c.op(kGetLocal0).op(kPushByte).u8(40).op(kGetLocal1);
    c.op(kCallPropVoid).u30(main.name("addFrameScript")).u30(2);
    // A key of a Dictionary with strong keys.
    c.op(kNewObject).u30(0);
    main.remember("strongKey");
    c.op(kGetLocal0)
        .op(kGetProperty)
        .u30(main.name("strong"))
        .op(kPushNamespace)
        .u30(main.abc.package());
    c.op(kGetLocal1).op(kPushTrue).op(kSetProperty).u30(main.abc.runtimeQName());
    // The scope a closure was made in.
    c.op(kNewObject).u30(0);
    main.remember("closureScope");
    c.op(kGetLocal0).op(kGetLocal1).op(kPushScope);
    main.newFunction(c);
    c.op(kPopScope).op(kSetProperty).u30(main.name("closure"));
    // A Sprite off the display list that listens for enterFrame.
    main.construct(c, "Sprite", pkgDisplay);
    main.remember("enterFrameSprite");
    c.op(kGetLocal1).op(kPushString).u30(main.abc.string("enterFrame"));
    main.newFunction(c);
    c.op(kCallPropVoid).u30(main.name("addEventListener")).u30(2);
    // Nothing at all.
    c.op(kNewObject).u30(0);
    main.remember("garbage");

    // Enough garbage each frame for a collection in any build; on frame 4
    // the survivors, then four roots are let go: the child is removed, the
    // strong Dictionary, the global and the prototype's property cleared.
    main.makeGarbage(main.tick, 6000);
    main.traceSurvivorsOnFrame(main.tick, 4);
    AbcCode& t = main.tick;
    t.op(kGetLocal0).op(kGetProperty).u30(main.name("frames")).op(kPushByte).u8(4);
    t.branch(kIfNe, "kept");
    t.op(kGetLocal0)
        .op(kGetLocal0)
        .op(kPushByte)
        .u8(0)
        .op(kCallProperty)
        .u30(main.name("getChildAt"))
        .u30(1);
    t.op(kCallPropVoid).u30(main.name("removeChild")).u30(1);
    t.op(kGetLocal0).op(kPushNull).op(kSetProperty).u30(main.name("strong"));
    t.op(kFindProperty)
        .u30(main.name("keptByGlobal"))
        .op(kPushNull)
        .op(kSetProperty)
        .u30(main.name("keptByGlobal"));
    t.op(kGetLex).u30(main.name("Main")).op(kGetProperty).u30(main.name("prototype"));
    t.op(kPushNull).op(kSetProperty).u30(main.name("keptByPrototype"));
    t.label("kept");
    main.traceSurvivorsOnFrame(main.tick, 8);

    std::string traced;
    auto player = Play(main, traced);
    for (int i = 0; i < 8; ++i)
        player->advanceFrame();
    EXPECT_EQ(traced,
              "closureScope,displayChild,enterFrameSprite,frameScript,global,interval,"
              "listener,prototype,strongKey,timeout,timer\n"
              "closureScope,enterFrameSprite,frameScript,interval,listener,timeout,timer\n");
    EXPECT_GE(player->scriptHeap().collections, 2u);
    EXPECT_TRUE(player->scriptFeaturesMissing().empty());
}

TEST(Avm2Collector, AChildTakenOffTheListLivesWhileAScriptHoldsIt) {
    // The timeline places a sprite; the constructor removes it and keeps it
    // in this.kept; on frame 3, after collections, it is added back.
    DocumentMovie main;
    main.firstFrame = {tags::DefineSprite(1, {{}}), tags::PlaceAt(1, 1)};
    AbcCode& c = main.ctor;
    c.op(kGetLocal0).op(kGetProperty).u30(main.name("kept")).op(kGetLocal0).op(kGetLocal0);
    c.op(kPushByte).u8(0).op(kCallProperty).u30(main.name("getChildAt")).u30(1);
    c.op(kCallProperty).u30(main.name("removeChild")).u30(1);
    c.op(kCallPropVoid).u30(main.name("push")).u30(1);
    main.makeGarbage(main.tick, 6000);
    AbcCode& t = main.tick;
    t.op(kGetLocal0).op(kGetProperty).u30(main.name("frames")).op(kPushByte).u8(3);
    t.branch(kIfNe, "later");
    // trace(this.addChild(this.kept[0]).name)
    t.op(kFindPropStrict).u30(main.name("trace")).op(kGetLocal0).op(kGetLocal0);
    t.op(kGetProperty).u30(main.name("kept")).op(kPushNamespace).u30(main.abc.package());
    t.op(kPushByte).u8(0).op(kGetProperty).u30(main.abc.runtimeQName());
    t.op(kCallProperty).u30(main.name("addChild")).u30(1).op(kGetProperty).u30(main.name("name"));
    t.op(kCallPropVoid).u30(main.name("trace")).u30(1).label("later");

    std::string traced;
    auto player = Play(main, traced);
    for (int i = 0; i < 4; ++i)
        player->advanceFrame();
    EXPECT_EQ(traced, "instance1\n");
    EXPECT_GE(player->scriptHeap().collections, 1u);
}

} // namespace
} // namespace vidorama::test
