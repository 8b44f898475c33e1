// The ActionScript 1/2 interpreter on hand-assembled action bytes: values
// and conversions per movie version, functions, objects, clips, and the
// limits that keep hostile code from hanging or crashing the player.

#include "Avm1Assembler.h"
#include "SwfWriter.h"
#include "TextTestMovie.h"
#include "movie/Movie.h"
#include "player/FrameImage.h"
#include "player/Player.h"

#include <QImage>
#include <bit>
#include <gtest/gtest.h>
#include <random>

namespace vidorama::test {
namespace {

// What a movie's first frame traces, and the stage it leaves.
struct FirstFrame {
    std::string trace;
    QImage image;
};

FirstFrame PlayFirstFrame(const std::shared_ptr<const swf::Movie>& movie, QSize size) {
    FirstFrame result{{}, QImage(size, QImage::Format_RGB32)};
    swf::Player player(movie, [&result](const std::string& line) { result.trace += line + "\n"; });
    swf::RenderFrame(player, result.image);
    return result;
}

using namespace as;

TEST(Avm1, NumbersPrintAsFlashPrintsThem) {
    auto show = [](double n) {
        return Join({Num(n), Trace()});
    };
    EXPECT_EQ(TraceOf(8, {Join({show(0.1 + 0.2), show(1.0 / 3), show(1e21), show(-2.5e-7),
                                show(123456789012345680.0), show(0.0001), show(-0.0)})}),
              "0.3\n0.333333333333333\n1e+21\n-2.5e-7\n1.23456789012346e+17\n0.0001\n0\n");
}

TEST(Avm1, UndefinedConvertsDifferentlyBeforeSwf7) {
    // undefined + 1, "" + undefined, and trace(undefined)
    Bytes code = Join({Undefined(), Num(1), Op(0x47), Trace(), Str("x"), Undefined(), Op(0x47),
                       Trace(), Undefined(), Trace()});
    EXPECT_EQ(TraceOf(6, {code}), "1\nx\nundefined\n");
    EXPECT_EQ(TraceOf(7, {code}), "NaN\nxundefined\nundefined\n");
}

TEST(Avm1, NamesIgnoreCaseBeforeSwf7) {
    // Value = 5; trace(value);
    Bytes code = Join({Str("Value"), Num(5), Op(0x1d), Str("value"), Op(0x1c), Trace()});
    EXPECT_EQ(TraceOf(6, {code}), "5\n");
    EXPECT_EQ(TraceOf(7, {code}), "undefined\n");
}

TEST(Avm1, FunctionsTakeParametersInRegistersAndReturn) {
    // function twice(p0) { return p0 * 2; } trace(twice(21)); trace("a" + twice("4"));
    Bytes body = Join({Reg(1), Num(2), Op(0x0c), Op(0x3e)});
    Bytes code =
        Join({Function2("twice", 1, body), Num(21), Num(1), Str("twice"), Op(0x3d), Trace(),
              Str("a"), Str("4"), Num(1), Str("twice"), Op(0x3d), Op(0x47), Trace()});
    EXPECT_EQ(TraceOf(7, {code}), "42\na8\n");
}

TEST(Avm1, ArraysAndObjectsThroughTheirPrototypes) {
    // a = new Array(); a.push(3, 4); trace(a.length); trace(a); o = {k: "v"}; trace(o.k)
    Bytes code =
        Join({Str("a"), Num(0), Str("Array"), Op(0x40), Op(0x1d),
              // a.push(3, 4)
              Num(4), Num(3), Num(2), Str("a"), Op(0x1c), Str("push"), Op(0x52), Op(0x17), Str("a"),
              Op(0x1c), Str("length"), Op(0x4e), Trace(), Str("a"), Op(0x1c), Trace(),
              // o = {k: "v"}
              Str("o"), Str("k"), Str("v"), Num(1), Op(0x43), Op(0x1d), Str("o"), Op(0x1c),
              Str("k"), Op(0x4e), Trace()});
    EXPECT_EQ(TraceOf(7, {code}), "2\n3,4\nv\n");
}

TEST(Avm1, ClipPropertiesReadAndWriteTheDisplayState) {
    MovieWriter writer;
    writer.version = 6;
    writer.tag(tags::DefineRectShape(1, {0, 200, 0, 400}, {255, 0, 0, 255}));
    writer.tag(tags::DefineSprite(2, {{tags::PlaceAt(1, 1)}}));
    // setProperty("box", _x, 15); box._xscale = 50; trace(box._x); trace(box._width)
    Bytes code = Join({Str("box"), Num(0), Num(15), Op(0x23), Str("box"), Op(0x1c), Str("_xscale"),
                       Num(50), Op(0x4f), Str("box"), Op(0x1c), Str("_x"), Op(0x4e), Trace(),
                       Str("box"), Op(0x1c), Str("_width"), Op(0x4e), Trace()});
    writer.frame({tags::Place(1).character(2).name("box").tag(), tags::DoAction({code})});
    auto movie = swf::Movie::load(writer.bytes());
    std::string out;
    swf::Player player(movie.value(), [&out](const std::string& line) { out += line + "\n"; });
    EXPECT_EQ(out, "15\n5\n");
    EXPECT_DOUBLE_EQ(player.root().children().at(1)->properties().matrix.tx, 300);
}

TEST(Avm1, ColorTransformTermsKeepSixteenBitsAsFlashDoes) {
    MovieWriter writer;
    writer.version = 6;
    writer.tag(tags::DefineRectShape(1, {0, 200, 0, 400}, {255, 0, 0, 255}));
    writer.tag(tags::DefineSprite(2, {{tags::PlaceAt(1, 1)}}));
    // c = new Color(box); c.setTransform({ra: 12800, aa: 1, ga: NaN, rb: 65546});
    // t = c.getTransform(); trace(t.ra); trace(t.aa); trace(t.ga); trace(t.rb)
    Bytes transform = Join({Str("ra"), Num(12800), Str("aa"), Num(1), Str("ga"), Num(std::nan("")),
                            Str("rb"), Num(65546), Num(4), Op(0x43)});
    auto traceT = [](const char* name) {
        return Join({Str("t"), Op(0x1c), Str(name), Op(0x4e), Trace()});
    };
    Bytes color = Join({Str("c"), Str("box"), Op(0x1c), Num(1), Str("Color"), Op(0x40), Op(0x1d)});
    Bytes set =
        Join({transform, Num(1), Str("c"), Op(0x1c), Str("setTransform"), Op(0x52), Op(0x17)});
    Bytes get =
        Join({Str("t"), Num(0), Str("c"), Op(0x1c), Str("getTransform"), Op(0x52), Op(0x1d)});
    // Object.prototype.bb = 99: only the transform's own members count.
    Bytes inherited =
        Join({Str("Object"), Op(0x1c), Str("prototype"), Op(0x4e), Str("bb"), Num(99), Op(0x4f)});
    // trace(new Color("").getRGB()): an empty path names no clip.
    Bytes noTarget =
        Join({Num(0), Str(""), Num(1), Str("Color"), Op(0x40), Str("getRGB"), Op(0x52), Trace()});
    Bytes code = Join({color, inherited, set, get, traceT("ra"), traceT("aa"), traceT("ga"),
                       traceT("rb"), traceT("bb"), noTarget});
    writer.frame({tags::Place(1).character(2).name("box").tag(), tags::DoAction({code})});
    EXPECT_EQ(PlayFirstFrame(swf::Movie::load(writer.bytes()).value(), QSize(1, 1)).trace,
              "-12800\n0.78125\n0\n10\n0\nundefined\n");
}

// A 10 x 20 pixel red square whose scroll rectangle is 3 pixels wide from 5
// pixels in: that strip shows at the clip's origin, and nothing beside it.
TEST(Avm1, AScrollRectShowsPartOfAClipMovedToItsOrigin) {
    MovieWriter writer;
    writer.version = 8;
    writer.frameRect = {0, 800, 0, 800};
    writer.tag(tags::DefineRectShape(1, {0, 200, 0, 400}, {255, 0, 0, 255}));
    writer.tag(tags::DefineSprite(2, {{tags::PlaceAt(1, 1)}}));
    auto box = Join({Str("box"), Op(0x1c)});
    Bytes rectangle = Join({Num(20), Num(3), Num(0), Num(5), Num(4), Str("flash"), Op(0x1c),
                            Str("geom"), Op(0x4e), Str("Rectangle"), Op(0x53)});
    Bytes code =
        Join({box, Str("scrollRect"), rectangle, Op(0x4f), box, Str("scrollRect"), Op(0x4e),
              Str("x"), Op(0x4e), Trace(), box, Str("_width"), Op(0x4e), Trace()});
    writer.frame({tags::Place(1).character(2).name("box").tag(), tags::DoAction({code})});
    auto [out, image] = PlayFirstFrame(swf::Movie::load(writer.bytes()).value(), QSize(40, 40));
    EXPECT_EQ(out, "5\n3\n");
    EXPECT_EQ(image.pixel(2, 10), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(4, 10), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(8, 10), qRgb(255, 255, 255));
}

TEST(Avm1, GotoNumbersWrapAndAFramePastTheEndRunsNoActions) {
    // gotoAndStop(999); trace(_currentframe); gotoAndStop(2^32 + 2);
    // trace(_currentframe); gotoAndStop(0); trace(_currentframe)
    auto current = Join({Str(""), Num(4), Op(0x22), Trace()});
    Bytes first = Join({Num(999), GotoFrame2(false), current, Num(4294967298.0), GotoFrame2(false),
                        current, Num(0), GotoFrame2(false), current});
    EXPECT_EQ(TraceOf(6, {first, Join({Str("two"), Trace()}), Join({Str("three"), Trace()})}),
              "3\n2\n2\ntwo\n");
}

TEST(Avm1, TheGotoLabelActionTakesNoPath) {
    // GotoLabel "/:two" and "2" find nothing; GotoLabel "two" goes there.
    auto gotoLabel = [](const std::string& label) {
        SwfBitWriter w;
        w.u8(0x8c).u16(static_cast<std::uint16_t>(label.size() + 1)).string(label);
        return w.take();
    };
    auto current = Join({Str(""), Num(4), Op(0x22), Trace()});
    Bytes code =
        Join({gotoLabel("/:two"), current, gotoLabel("2"), current, gotoLabel("two"), current});
    MovieWriter writer;
    writer.version = 6;
    writer.frame({tags::DoAction({code})});
    writer.frame({tags::FrameLabel("two")});
    auto movie = swf::Movie::load(writer.bytes());
    std::string out;
    swf::Player player(movie.value(), [&out](const std::string& line) { out += line + "\n"; });
    EXPECT_EQ(out, "1\n1\n2\n");
}

TEST(Avm1, ADuplicateRunsTheClipEventsOfItsSource) {
    MovieWriter writer;
    writer.version = 6;
    writer.tag(tags::DefineSprite(1, {}));
    // onClipEvent(load) { trace("load " + _name); }
    Bytes handler = Join({Str("load "), Str(""), Num(13), Op(0x22), Op(0x47), Trace(), Op(0)});
    SwfBitWriter events;
    events.u16(0)
        .u32(1)
        .u32(1)
        .u32(static_cast<std::uint32_t>(handler.size()))
        .bytes(handler)
        .u32(0);
    // src.duplicateMovieClip("copy", 1)
    Bytes code = Join({Num(1), Str("copy"), Num(2), Str("src"), Op(0x1c), Str("duplicateMovieClip"),
                       Op(0x52), Op(0x17)});
    writer.frame({tags::Place(1).character(1).name("src").clipActions(events.take()).tag(),
                  tags::DoAction({code})});
    auto movie = swf::Movie::load(writer.bytes());
    std::string out;
    swf::Player player(movie.value(), [&out](const std::string& line) { out += line + "\n"; });
    EXPECT_EQ(out, "load src\nload copy\n");
}

TEST(Avm1, ProtoIsAPropertyThatHoldsAnyValue) {
    auto protoOf = [](const std::string& name) {
        return Join({Str(name), Op(0x1c), Str("__proto__"), Op(0x4e), Trace()});
    };
    auto removeProto = [](const std::string& name) {
        return Join({Str(name), Op(0x1c), Str("__proto__"), Op(0x3a), Op(0x17)});
    };
    // a = {__proto__: 123}; b = {}; c = {}; ASSetPropFlags(c, "__proto__", 0, 7);
    // delete b.__proto__; delete c.__proto__; trace a, b, c's __proto__
    Bytes code = Join({Str("a"),         Str("__proto__"), Num(123),
                       Num(1),           Op(0x43),         Op(0x1d),
                       Str("b"),         Num(0),           Op(0x43),
                       Op(0x1d),         Str("c"),         Num(0),
                       Op(0x43),         Op(0x1d),         Num(7),
                       Num(0),           Str("__proto__"), Str("c"),
                       Op(0x1c),         Num(4),           Str("ASSetPropFlags"),
                       Op(0x3d),         Op(0x17),         removeProto("b"),
                       removeProto("c"), protoOf("a"),     protoOf("b"),
                       protoOf("c")});
    EXPECT_EQ(TraceOf(6, {code}), "123\n[object Object]\nundefined\n");
}

TEST(Avm1, AWatcherSeesAssignmentsAndChoosesWhatIsStored) {
    // o = {}; o.watch("v", function (name, old, value) { return value * 2; });
    // o.v = 5; trace(o.v); o.unwatch("v"); o.v = 5; trace(o.v)
    Bytes doubled = Join({Reg(3), Num(2), Op(0x0c), Op(0x3e)});
    Bytes assign = Join({Str("o"), Op(0x1c), Str("v"), Num(5), Op(0x4f)});
    Bytes show = Join({Str("o"), Op(0x1c), Str("v"), Op(0x4e), Trace()});
    Bytes code = Join({Str("o"), Num(0),   Op(0x43), Op(0x1d),       Function2("", 3, doubled),
                       Str("v"), Num(2),   Str("o"), Op(0x1c),       Str("watch"),
                       Op(0x52), Op(0x17), assign,   show,           Str("v"),
                       Num(1),   Str("o"), Op(0x1c), Str("unwatch"), Op(0x52),
                       Op(0x17), assign,   show});
    EXPECT_EQ(TraceOf(7, {code}), "10\n5\n");
}

TEST(Avm1, StringActionsCountUtf16UnitsFromSwf6) {
    const std::string smile = "\xF0\x9F\x98\x8B"; // U+1F60B, two units
    // length(smile + "x"); substring(smile + "x", 3, 1); substring(..., -5, -1);
    // ord(smile); chr(65616); chr(0xd801)
    Bytes code = Join({Str(smile + "x"), Op(0x14),   Trace(),  Str(smile + "x"), Num(3),
                       Num(1),           Op(0x15),   Trace(),  Str(smile + "x"), Num(-5),
                       Num(-1),          Op(0x15),   Trace(),  Str(smile),       Op(0x32),
                       Trace(),          Num(65616), Op(0x33), Trace(),          Num(0xd801),
                       Op(0x33),         Trace()});
    EXPECT_EQ(TraceOf(6, {code}), "3\nx\n" + smile + "x\n65533\nP\n\xEF\xBF\xBD\n");
    // Before SWF 6 strings are bytes.
    EXPECT_EQ(TraceOf(5, {Join({Str(smile), Op(0x14), Trace()})}), "4\n");
}

// Calls a global function (a method of the timeline) and drops its result.
Bytes Call(const std::string& name, const std::vector<Bytes>& argsLastFirst) {
    Bytes all = Join(argsLastFirst);
    Bytes tail =
        Join({Num(static_cast<double>(argsLastFirst.size())), Str(name), Op(0x3d), Op(0x17)});
    all.insert(all.end(), tail.begin(), tail.end());
    return all;
}

// A 100 x 100 pixel square drawn from the origin with the current fill.
Bytes Square() {
    return Join({Call("moveTo", {Num(0), Num(0)}), Call("lineTo", {Num(0), Num(100)}),
                 Call("lineTo", {Num(100), Num(100)}), Call("lineTo", {Num(100), Num(0)}),
                 Call("lineTo", {Num(0), Num(0)}), Call("endFill", {})});
}

// [a, b]: the array literal's elements are pushed last first.
Bytes Pair(double a, double b) {
    return Join({Num(b), Num(a), Num(2), Op(0x42)});
}

std::shared_ptr<const swf::Movie> RootMovie(int version, const Bytes& code,
                                            const std::vector<Bytes>& tagsBefore = {}) {
    MovieWriter writer;
    writer.version = static_cast<std::uint8_t>(version);
    writer.frameRect = {0, 4000, 0, 4000};
    std::vector<Bytes> frame = tagsBefore;
    frame.push_back(tags::DoAction({code}));
    writer.frame(frame);
    auto movie = swf::Movie::load(writer.bytes());
    EXPECT_TRUE(movie.ok());
    return movie.value();
}

TEST(Avm1, TheRootTimelinesDrawingShowsUnderItsChildren) {
    Bytes code = Join({Call("beginFill", {Num(0x00ff00)}), Square()});
    MovieWriter writer;
    writer.version = 6;
    writer.frameRect = {0, 4000, 0, 4000};
    writer.tag(tags::DefineRectShape(1, {0, 4000, 1000, 4000}, {0, 0, 255, 255}));
    writer.frame({tags::PlaceAt(1, 1), tags::DoAction({code})});
    auto movie = swf::Movie::load(writer.bytes());
    swf::Player player(movie.value());
    QImage image(200, 200, QImage::Format_RGB32);
    swf::RenderFrame(player, image);
    EXPECT_EQ(image.pixel(50, 20), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(50, 80), qRgb(0, 0, 255));
}

// {matrixType: "box", x: 0, y: 0, w: 100, h: 50, r: turn}
Bytes Box(double turn) {
    return Join({Str("matrixType"), Str("box"), Str("x"), Num(0), Str("y"), Num(0), Str("w"),
                 Num(100), Str("h"), Num(50), Str("r"), Num(turn), Num(6), Op(0x43)});
}

TEST(Avm1, GradientCallsFlashCannotReadKeepTheFillThereWas) {
    Bytes box = Box(std::acos(0.0));
    auto gradient = [&](const std::string& type, const Bytes& ratios) {
        return Call("beginGradientFill",
                    {box, ratios, Pair(100, 100), Pair(0xff, 0xff00), Str(type)});
    };
    // An unknown type, a ratio past 255 and lists of different lengths leave
    // the red fill; the last call makes a radial gradient in a turned box.
    Bytes code = Join({Call("beginFill", {Num(0xff0000)}), gradient("Linear", Pair(0, 255)),
                       gradient("linear", Pair(0, 256)),
                       gradient("linear", Join({Num(0), Num(1), Op(0x42)})), Square(),
                       gradient("radial", Pair(0, 255)), Square()});
    swf::Player player(RootMovie(8, code));
    ASSERT_NE(player.root().drawingShape(), nullptr);
    const auto& fills = player.root().drawingShape()->fillStyles();
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(fills[0].type, swf::FillType::Solid);
    EXPECT_EQ(fills[0].color.r, 255);
    EXPECT_EQ(fills[1].type, swf::FillType::RadialGradient);
    // The square is turned a quarter, then stretched to 100 x 50 pixels.
    EXPECT_NEAR(fills[1].matrix.a, 0, 1e-9);
    EXPECT_NEAR(fills[1].matrix.b, 50 / 1638.4, 1e-9);
    EXPECT_NEAR(fills[1].matrix.c, -100 / 1638.4, 1e-9);
    EXPECT_DOUBLE_EQ(fills[1].matrix.tx, 1000);
    EXPECT_DOUBLE_EQ(fills[1].matrix.ty, 500);
}

TEST(Avm1, MissingGradientElementsFallBackAsInFlash) {
    // alphas and ratios are objects whose length says 2 but that hold no
    // elements: the alpha falls back on the colour value, the ratio on it.
    Bytes empty = Join({Str("length"), Num(2), Num(1), Op(0x43)});
    Bytes code = Join(
        {Call("beginGradientFill", {Box(0), empty, empty, Pair(0x40, 0xff0000), Str("linear")}),
         Square()});
    swf::Player player(RootMovie(8, code));
    ASSERT_NE(player.root().drawingShape(), nullptr);
    const auto& stops = player.root().drawingShape()->fillStyles().at(0).gradient.stops;
    ASSERT_EQ(stops.size(), 2u);
    EXPECT_EQ(stops[0].ratio, 64);
    EXPECT_EQ(stops[0].color.a, 163); // 64 %
    EXPECT_EQ(stops[1].ratio, 255);
    EXPECT_EQ(stops[1].color.a, 255);
}

// a masks by depth the square b above it; c lies beside both. Returns the
// stage after the script ran: a, b and c sample at (25, 25), (75, 25) and
// (50, 75).
QImage AfterMaskScript(const Bytes& code) {
    MovieWriter writer;
    writer.version = 6;
    writer.frameRect = {0, 2000, 0, 2000};
    const std::pair<swf::Rect, swf::Rgba> squares[] = {{{0, 1000, 0, 1000}, {255, 0, 0, 255}},
                                                       {{1000, 2000, 0, 1000}, {0, 255, 0, 255}},
                                                       {{0, 2000, 1000, 2000}, {0, 0, 255, 255}}};
    std::vector<Bytes> frame;
    for (std::uint16_t i = 0; i < 3; ++i) {
        auto id = static_cast<std::uint16_t>(10 + 2 * i);
        writer.tag(tags::DefineRectShape(id, squares[i].first, squares[i].second));
        writer.tag(tags::DefineSprite(id + 1, {{tags::PlaceAt(1, id)}}));
        tags::Place place(static_cast<std::uint16_t>(i + 1));
        place.character(id + 1).name(std::string(1, static_cast<char>('a' + i)));
        if (i == 0)
            place.clipDepth(2);
        frame.push_back(place.tag());
    }
    frame.push_back(tags::DoAction({code}));
    writer.frame(frame);
    auto movie = swf::Movie::load(writer.bytes());
    swf::Player player(movie.value());
    QImage image(100, 100, QImage::Format_RGB32);
    swf::RenderFrame(player, image);
    return image;
}

Bytes SetMask(const char* target, const Bytes& mask) {
    return Join({mask, Num(1), Str(target), Op(0x1c), Str("setMask"), Op(0x52), Op(0x17)});
}

TEST(Avm1, SetMaskEndsDepthMaskingAndMovesAMaskFromObjectToObject) {
    Bytes null = Push(2, {});
    auto var = [](const char* name) {
        return Join({Str(name), Op(0x1c)});
    };
    QImage image = AfterMaskScript(Join({SetMask("a", var("c")), SetMask("a", null)}));
    EXPECT_EQ(image.pixel(25, 25), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(75, 25), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(50, 75), qRgb(0, 0, 255));
    image = AfterMaskScript(Join({SetMask("b", var("c")), SetMask("a", var("c"))}));
    EXPECT_EQ(image.pixel(25, 25), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(75, 25), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(50, 75), qRgb(255, 255, 255));
}

// The field's box spans pixels 20 to 70; its "A" glyph covers x 22-32 from
// the top of its line.
TEST(Avm1, ScriptsChangeATextFieldsTextColoursAndBox) {
    auto setT = [](const char* name, Bytes value) {
        return Join({Str("t"), Op(0x1c), Str(name), value, Op(0x4f)});
    };
    auto traceT = [](const char* name) {
        return Join({Str("t"), Op(0x1c), Str(name), Op(0x4e), Trace()});
    };
    Bytes code = Join({setT("border", Push(5, {1})), setT("borderColor", Num(0xff0000)),
                       setT("background", Push(5, {1})), setT("backgroundColor", Num(0x10000ff)),
                       setT("textColor", Num(0x00ff00)), setT("text", Str("A")), traceT("text"),
                       traceT("backgroundColor"), traceT("autoSize")});
    MovieWriter writer = Stage();
    writer.version = 6;
    tags::EditText field;
    field.bounds = {0, 1000, 0, 1000};
    field.text = "B";
    writer.tag(FieldAt(field));
    writer.frame(
        {tags::Place(1).character(kText).matrix(swf::Matrix::translate(400, 400)).name("t").tag(),
         tags::DoAction({code})});
    auto [out, image] = PlayFirstFrame(swf::Movie::load(writer.bytes()).value(), QSize(200, 150));
    EXPECT_EQ(out, "A\n255\nnone\n");
    EXPECT_EQ(image.pixel(20, 45), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(60, 60), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(27, 30), qRgb(0, 255, 0));
}

TEST(Avm1, CreateTextFieldMakesADefaultFieldAtAScriptDepth) {
    auto traceF = [](const char* name) {
        return Join({Str("f"), Op(0x1c), Str(name), Op(0x4e), Trace()});
    };
    // r = createTextField("f", 3, 10, 20, 100, 30); r.border = true;
    // trace(f.text == ""); trace(f.getDepth()); then f's _x, _width and textColor
    Bytes create = Join({Str("r"), Num(30), Num(100), Num(20), Num(10), Num(3), Str("f"), Num(6),
                         Str("createTextField"), Op(0x3d), Op(0x1d)});
    Bytes border = Join({Str("r"), Op(0x1c), Str("border"), Push(5, {1}), Op(0x4f)});
    Bytes empty = Join({Str("f"), Op(0x1c), Str("text"), Op(0x4e), Str(""), Op(0x49), Trace()});
    Bytes depth = Join({Num(0), Str("f"), Op(0x1c), Str("getDepth"), Op(0x52), Trace()});
    Bytes code =
        Join({create, border, empty, depth, traceF("_x"), traceF("_width"), traceF("textColor")});
    auto [out, image] = PlayFirstFrame(RootMovie(8, code), QSize(200, 200));
    EXPECT_EQ(out, "true\n3\n10\n100\n0\n");
    EXPECT_EQ(image.pixel(10, 35), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(60, 20), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(60, 35), qRgb(255, 255, 255));
}

TEST(Avm1, ATextFormatSetsTheFontSizeAndColourOfAField) {
    auto f = Join({Str("f"), Op(0x1c)});
    auto format = Join({f, Str("getTextFormat"), Op(0x52)});
    Bytes code =
        Join({Call("createTextField", {Num(100), Num(200), Num(0), Num(0), Num(1), Str("f")}),
              Str("fmt"),
              Num(0xff0000),
              Num(40),
              Str("_sans"),
              Num(3),
              Str("TextFormat"),
              Op(0x40),
              Op(0x1d),
              Str("fmt"),
              Op(0x1c),
              Num(1),
              f,
              Str("setNewTextFormat"),
              Op(0x52),
              Op(0x17),
              f,
              Str("text"),
              Str("HH"),
              Op(0x4f),
              Num(0),
              format,
              Str("size"),
              Op(0x4e),
              Trace(),
              Num(0),
              format,
              Str("color"),
              Op(0x4e),
              Trace()});
    auto [out, image] = PlayFirstFrame(RootMovie(8, code), QSize(200, 200));
    EXPECT_EQ(out, "40\n16711680\n");
    int red = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            red += image.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
    EXPECT_GT(red, 100);
}

TEST(Avm1, ScriptsReadAndChangeTheStageQualityTheHostChose) {
    auto show = [](const char* name) {
        return Join({Str(name), Op(0x1c), Trace()});
    };
    auto set = [](const char* name, Bytes value) {
        return Join({Str(name), value, Op(0x1d)});
    };
    // The quality a half-covered pixel is drawn at follows the last change.
    Bytes code =
        Join({show("_quality"), set("_quality", Str("low")), show("_quality"), show("_highquality"),
              set("_highquality", Num(2)), show("_quality"), Op(0x08), show("_quality"), Op(0x08),
              show("_quality"), set("_quality", Str("bogus")), show("_quality"), Op(0x08)});
    MovieWriter writer;
    writer.version = 6;
    writer.frameRect = {0, 400, 0, 400};
    writer.tag(tags::DefineRectShape(1, {0, 215, 0, 400}, {0, 0, 0, 255}));
    writer.frame({tags::PlaceAt(1, 1), tags::DoAction({code})});
    auto movie = swf::Movie::load(writer.bytes());
    std::string out;
    swf::Player player(
        movie.value(), [&out](const std::string& line) { out += line + "\n"; },
        swf::StageQuality::Medium);
    EXPECT_EQ(out, "MEDIUM\nLOW\n0\nBEST\nLOW\nHIGH\nHIGH\n");
    ASSERT_EQ(player.quality(), swf::StageQuality::Low);
    QImage image(20, 20, QImage::Format_RGB32);
    swf::RenderFrame(player, image);
    EXPECT_EQ(image.pixel(10, 5), qRgb(0, 0, 0));
    player.setQuality(swf::StageQuality::High);
    swf::RenderFrame(player, image);
    EXPECT_NEAR(qRed(image.pixel(10, 5)), 64, 8);
}

TEST(Avm1, AnEndlessLoopIsCutAndTheNextFrameRunsAgain) {
    // trace("a"); while (true) {} ; and on the next frame trace("b")
    Bytes loop = Join({Str("a"), Trace(), Branch(0x99, -5), Str("never"), Trace()});
    EXPECT_EQ(TraceOf(7, {loop, Join({Str("b"), Trace()})}), "a\nb\n");
}

TEST(Avm1, RunawayRecursionAndStackGrowthAreCut) {
    // function f() { f(); } f(); then pushes without end.
    Bytes recurse = Join({Num(0), Str("f"), Op(0x3d)});
    Bytes code =
        Join({Function2("f", 0, recurse), Num(0), Str("f"), Op(0x3d), Str("after"), Trace()});
    Bytes pushes = Join({Num(1), Branch(0x99, -17)});
    EXPECT_EQ(TraceOf(7, {code, pushes, Join({Str("still"), Trace()})}), "still\n");
}

TEST(Avm1, FuzzedBytecodeNeverCrashesOrHangs) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    // Real opcodes make the blocks reach further than noise would.
    const std::uint8_t codes[] = {0x96, 0x1c, 0x1d, 0x4e, 0x4f, 0x52, 0x3d, 0x40, 0x47,
                                  0x8e, 0x9b, 0x99, 0x9d, 0x94, 0x8f, 0x88, 0x87, 0x26};
    for (int run = 0; run < 60; ++run) {
        Bytes block;
        for (int i = 0; i < 200; ++i)
            block.push_back(i % 3 == 0 ? codes[byte(random) % std::size(codes)]
                                       : static_cast<std::uint8_t>(byte(random)));
        TraceOf(5 + run % 6, {block, block});
    }
    SUCCEED();
}

} // namespace
} // namespace vidorama::test
