// Depths and removal as ActionScript 1/2 sees them: the script range above
// the timeline's, swapDepths with numbers, paths and objects, what a script
// gets for the objects it finds by depth or name, and unload handlers.

#include "Avm1Assembler.h"

#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

using namespace as;

constexpr std::uint8_t kGetVariable = 0x1c;
constexpr std::uint8_t kGetMember = 0x4e;
constexpr std::uint8_t kCallMethod = 0x52;
constexpr std::uint8_t kPop = 0x17;

// object.method(args): the arguments go on the stack last first.
Bytes CallOn(const Bytes& object, const std::string& method, const std::vector<Bytes>& args) {
    Bytes out;
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        out = Join({out, *it});
    return Join({out, Num(static_cast<double>(args.size())), object, Str(method), Op(kCallMethod)});
}
Bytes Var(const std::string& name) {
    return Join({Str(name), Op(kGetVariable)});
}
Bytes Do(const Bytes& object, const std::string& method, const std::vector<Bytes>& args = {}) {
    return Join({CallOn(object, method, args), Op(kPop)});
}
Bytes Set(const std::string& name, const Bytes& value) {
    return Join({Str(name), value, Op(0x1d)});
}
Bytes Show(const Bytes& value) {
    return Join({value, Trace()});
}
Bytes DepthOf(const std::string& name) {
    return Show(CallOn(Var(name), "getDepth", {}));
}

std::string TraceOfScript(const Bytes& code, const std::vector<Bytes>& placements = {}) {
    MovieWriter writer;
    writer.version = 7;
    writer.tag(tags::DefineRectShape(1, {0, 200, 0, 200}, {255, 0, 0, 255}));
    std::vector<Bytes> frame = placements;
    frame.push_back(tags::DoAction({code}));
    writer.frame(frame);
    auto movie = swf::Movie::load(writer.bytes());
    EXPECT_TRUE(movie.ok());
    std::string out;
    swf::Player player(movie.value(), [&out](const std::string& line) { out += line + "\n"; });
    return out;
}

TEST(Avm1Depths, ScriptsUseTheWholeRangeFlashGivesThem) {
    Bytes root = Var("_root");
    Bytes code =
        Join({Do(root, "createEmptyMovieClip", {Str("a"), Num(2130690044)}), DepthOf("a"),
              Show(CallOn(root, "getNextHighestDepth", {})),
              // Past the top: refused.
              Do(root, "createEmptyMovieClip", {Str("b"), Num(2130690045)}), Show(Var("b")),
              // Numbers wrap as 32-bit integers: 2^32 + 1 is 1.
              Do(Var("a"), "swapDepths", {Num(4294967297.0)}), DepthOf("a"),
              Do(Var("a"), "swapDepths", {Num(-16385)}), DepthOf("a"),
              Do(Var("a"), "swapDepths", {Num(-16384)}), DepthOf("a"),
              Do(Var("a"), "swapDepths", {Undefined()}), DepthOf("a"),
              Do(Var("a"), "swapDepths", {Str("nothing here")}), DepthOf("a")});
    EXPECT_EQ(TraceOfScript(code), "2130690044\n2130690045\nundefined\n1\n1\n-16384\n-16384\n0\n");
}

TEST(Avm1Depths, SwapDepthsTakesAnObjectOrAPathOfTheSameParent) {
    Bytes root = Var("_root");
    Bytes code = Join({Do(root, "createEmptyMovieClip", {Str("a"), Num(3)}),
                       Do(root, "createEmptyMovieClip", {Str("b"), Num(8)}),
                       Do(Var("a"), "createEmptyMovieClip", {Str("inner"), Num(20)}),
                       Do(Var("a"), "swapDepths", {Var("b")}), DepthOf("a"), DepthOf("b"),
                       Do(Var("a"), "swapDepths", {Str("../b")}), DepthOf("a"), DepthOf("b"),
                       // A child of another parent: nothing happens.
                       Do(Var("b"), "swapDepths", {Join({Var("a"), Str("inner"), Op(kGetMember)})}),
                       DepthOf("b")});
    EXPECT_EQ(TraceOfScript(code), "8\n3\n3\n8\n8\n");
}

TEST(Avm1Depths, ShapesStandForTheClipThatHoldsThem) {
    Bytes root = Var("_root");
    Bytes code = Join({Show(CallOn(root, "getInstanceAtDepth", {Num(-16383)})),
                       Show(CallOn(root, "getInstanceAtDepth", {Num(-16382)})),
                       Show(CallOn(root, "getInstanceAtDepth", {Num(-16381)})), Show(Var("box")),
                       Show(Join({CallOn(root, "getInstanceAtDepth", {Num(-16381)}), Str("_name"),
                                  Op(kGetMember)}))});
    std::vector<Bytes> placements = {tags::Place(1).character(1).name("box").tag(),
                                     tags::DefineSprite(2, {{}}),
                                     tags::Place(3).character(2).name("clip").tag()};
    EXPECT_EQ(TraceOfScript(code, placements), "_level0\nundefined\n_level0.clip\n_level0\nclip\n");
}

TEST(Avm1Depths, RemoveMovieClipLeavesTheReservedDepthsAlone) {
    Bytes root = Var("_root");
    Bytes code = Join({Do(root, "createEmptyMovieClip", {Str("low"), Num(2130690031)}),
                       Do(root, "createEmptyMovieClip", {Str("high"), Num(2130690032)}),
                       Do(Var("low"), "removeMovieClip"), Do(Var("high"), "removeMovieClip"),
                       Show(Var("low")), Show(Var("high"))});
    EXPECT_EQ(TraceOfScript(code), "undefined\n_level0.high\n");
}

// The handlers run although the clip has gone, before the actions of the
// frame that removed it; a reference to the clip then reads as nothing.
TEST(Avm1Depths, AClipLeavingTheStageRunsItsUnloadHandlers) {
    constexpr std::uint8_t kSetMember = 0x4f;
    Bytes handler = Join({Str("clip event"), Trace(), Op(0)});
    SwfBitWriter events;
    events.u16(0)
        .u32(4)
        .u32(4)
        .u32(static_cast<std::uint32_t>(handler.size()))
        .bytes(handler)
        .u32(0);
    auto onUnload = [&](const std::string& clip) {
        return Join({Var(clip), Str("onUnload"),
                     Function2("", 0, Join({Str("method " + clip), Trace()})), Op(kSetMember)});
    };
    Bytes first = Join({Set("kept", Var("box")), onUnload("box"),
                        Do(Var("_root"), "createEmptyMovieClip", {Str("made"), Num(4)}),
                        onUnload("made"), Do(Var("made"), "removeMovieClip")});
    Bytes second = Join({Show(Str("frame 2")), Show(Join({Str("["), Var("kept"), Op(0x21)}))});
    MovieWriter writer;
    writer.version = 7;
    writer.tag(tags::DefineSprite(1, {{}}));
    writer.frame({tags::Place(1).character(1).name("box").clipActions(events.take()).tag(),
                  tags::DoAction({first})});
    writer.frame({tags::RemoveObject2(1), tags::DoAction({second})});
    auto movie = swf::Movie::load(writer.bytes());
    std::string out;
    swf::Player player(movie.value(), [&out](const std::string& line) { out += line + "\n"; });
    EXPECT_EQ(out, "method made\n");
    out.clear();
    player.advanceFrame();
    EXPECT_EQ(out, "clip event\nmethod box\nframe 2\n[\n");
}

} // namespace
} // namespace vidorama::test
