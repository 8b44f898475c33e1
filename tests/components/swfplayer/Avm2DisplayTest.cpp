// ActionScript 3 movies as Flash's authoring tool makes them, assembled by
// hand: a document class that draws with `graphics` and moves on
// ENTER_FRAME, timeline frame scripts that stop the movie, and the
// flash.geom values scripts read back.

#include "PixelChecks.h"
#include "movie/Movie.h"
#include "player/FrameImage.h"
#include "player/MovieClip.h"
#include "player/Player.h"
#include "swf/AbcWriter.h"
#include "swf/SwfCompression.h"
#include "swf/SwfSoundWriter.h"
#include "swf/SwfWriter.h"

#include <QImage>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <tuple>

namespace vidorama::test {
namespace {

enum Op : std::uint8_t {
    kAdd = 0xa0,
    kCallPropVoid = 0x4f,
    kCallProperty = 0x46,
    kConstructProp = 0x4a,
    kConstructSuper = 0x49,
    kDup = 0x2a,
    kFindPropStrict = 0x5d,
    kGetLex = 0x60,
    kGetLocal0 = 0xd0,
    kGetLocal1 = 0xd1,
    kGetProperty = 0x66,
    kGetScopeObject = 0x65,
    kInitProperty = 0x68,
    kNewClass = 0x58,
    kNewArray = 0x56,
    kNewFunction = 0x40,
    kPushByte = 0x24,
    kPushDouble = 0x2f,
    kPushScope = 0x30,
    kPushString = 0x2c,
    kReturnVoid = 0x47,
    kSetProperty = 0x61,
};

// A document class `Main extends flash.display.MovieClip` whose constructor
// body the test writes between the super call and the return.
class DocumentClass {
public:
    AbcWriter abc;
    AbcCode ctor;

    DocumentClass() {
        ctor.op(kGetLocal0).op(kPushScope).op(kGetLocal0).op(kConstructSuper).u30(0);
    }
    std::uint32_t name(const std::string& local, const std::string& pkg = "") {
        return abc.qname(local, pkg);
    }
    // this.graphics.<method>(numbers...)
    void graphics(const std::string& method, std::initializer_list<double> args) {
        ctor.op(kGetLocal0).op(kGetProperty).u30(name("graphics"));
        for (double v : args)
            ctor.op(kPushDouble).u30(abc.number(v));
        ctor.op(kCallPropVoid).u30(name(method)).u30(static_cast<std::uint32_t>(args.size()));
    }
    // trace(this.<path>)
    void traceThis(AbcCode& code, std::initializer_list<const char*> path) {
        code.op(kFindPropStrict).u30(name("trace")).op(kGetLocal0);
        for (const char* property : path)
            code.op(kGetProperty).u30(name(property));
        code.op(kCallPropVoid).u30(name("trace")).u30(1);
    }
    void trace(AbcCode& code, const std::string& text) {
        code.op(kFindPropStrict).u30(name("trace"));
        code.op(kPushString).u30(abc.string(text));
        code.op(kCallPropVoid).u30(name("trace")).u30(1);
    }
    // Library symbols, and classes (extending MovieClip, doing nothing more)
    // linked to them.
    std::vector<Bytes> definitions;
    std::vector<std::pair<std::uint16_t, std::string>> links;
    // The base of a linked class when it is not MovieClip: class by name.
    std::map<std::string, std::uint32_t> linkBases;
    // What a linked class's constructor traces once its super() returned.
    std::map<std::string, std::string> linkTraces;
    // Tags of the root's later frames (2, 3...), before their ShowFrame.
    std::map<int, std::vector<Bytes>> frameTags;

    // addEventListener(type, function (e) { trace(prefix + e.<path>); })
    void listen(const std::string& type, const std::string& prefix,
                std::initializer_list<const char*> path) {
        AbcCode handler;
        handler.op(kFindPropStrict).u30(name("trace")).op(kPushString).u30(abc.string(prefix));
        handler.op(kGetLocal1);
        for (const char* property : path)
            handler.op(kGetProperty).u30(name(property));
        handler.op(kAdd).op(kCallPropVoid).u30(name("trace")).u30(1).op(kReturnVoid);
        std::uint32_t method = abc.method(handler, 1, 3);
        ctor.op(kGetLocal0).op(kPushString).u30(abc.string(type));
        ctor.op(kNewFunction).u30(method);
        ctor.op(kCallPropVoid).u30(name("addEventListener")).u30(2);
    }

    std::uint32_t linkedBase(std::uint32_t index) {
        const std::string& linked = links[index - 1].second;
        return linkBases.count(linked) ? linkBases[linked] : name("MovieClip", "flash.display");
    }

    // The movie: the block and the links of the root to Main and of the
    // symbols to their classes in frame 1, then empty frames.
    MovieWriter movie(int frames) {
        ctor.op(kReturnVoid);
        AbcCode cinit;
        cinit.op(kGetLocal0).op(kPushScope).op(kReturnVoid);
        AbcWriter::ClassDef def;
        def.name = name("Main");
        def.base = name("MovieClip", "flash.display");
        def.iinit = abc.method(ctor, 0, 2);
        def.cinit = abc.method(cinit);
        std::uint32_t cls = abc.addClass(def);
        std::vector<std::uint32_t> classes{cls};
        for (const auto& [id, linked] : links) {
            AbcCode symbolCtor;
            symbolCtor.op(kGetLocal0).op(kPushScope).op(kGetLocal0).op(kConstructSuper).u30(0);
            if (linkTraces.count(linked))
                trace(symbolCtor, linkTraces[linked]);
            symbolCtor.op(kReturnVoid);
            AbcWriter::ClassDef symbol;
            symbol.name = name(linked);
            symbol.base = linkBases.count(linked) ? linkBases[linked] : def.base;
            symbol.iinit = abc.method(symbolCtor);
            symbol.cinit = abc.method(cinit);
            classes.push_back(abc.addClass(symbol));
        }
        AbcCode init;
        init.op(kGetLocal0).op(kPushScope);
        for (std::uint32_t index : classes) {
            std::uint32_t base = index == cls ? def.base : linkedBase(index);
            init.op(kGetScopeObject).u8(0).op(kGetLex).u30(base).op(kNewClass).u30(index);
            init.op(kInitProperty).u30(index == cls ? def.name : name(links[index - 1].second));
        }
        init.op(kReturnVoid);
        abc.script(abc.method(init, 0, 2), classes);
        MovieWriter writer;
        writer.frameRect = {0, 4000, 0, 3000};
        writer.tag(tags::FileAttributes(true));
        writer.tag(tags::SetBackgroundColor({255, 255, 255, 255}));
        for (const Bytes& definition : definitions)
            writer.tag(definition);
        links.insert(links.begin(), {0, "Main"});
        writer.frame({tags::DoAbc(abc.bytes()), tags::SymbolClass(links)});
        for (int i = 2; i <= frames; ++i)
            writer.frame(frameTags[i]);
        return writer;
    }
};

struct Playback {
    std::shared_ptr<const swf::Movie> movie;
    std::string traced;
    std::unique_ptr<swf::Player> player;

    explicit Playback(const MovieWriter& writer) {
        auto loaded = swf::Movie::load(writer.bytes());
        EXPECT_TRUE(loaded.ok());
        movie = loaded.value();
        player = std::make_unique<swf::Player>(
            movie, [this](const std::string& line) { traced += line + "\n"; });
    }
    QImage picture() const {
        QImage image(200, 150, QImage::Format_RGB32);
        image.fill(Qt::black);
        swf::RenderFrame(*player, image);
        return image;
    }
};

TEST(Avm2Display, ADocumentClassDrawsWithGraphicsAndMovesOnEnterFrame) {
    DocumentClass doc;
    doc.graphics("beginFill", {0xff0000});
    doc.graphics("drawRect", {0, 0, 40, 40});
    // addEventListener("enterFrame", function (e) { e.currentTarget.x += 20; })
    AbcCode handler;
    handler.op(kGetLocal1).op(kGetProperty).u30(doc.name("currentTarget")).op(kDup);
    handler.op(kGetProperty).u30(doc.name("x")).op(kPushByte).u8(20).op(kAdd);
    handler.op(kSetProperty).u30(doc.name("x")).op(kReturnVoid);
    std::uint32_t onFrame = doc.abc.method(handler, 1, 2);
    doc.ctor.op(kGetLocal0).op(kPushString).u30(doc.abc.string("enterFrame"));
    doc.ctor.op(kNewFunction).u30(onFrame);
    doc.ctor.op(kCallPropVoid).u30(doc.name("addEventListener")).u30(2);
    Playback play(doc.movie(4));

    QImage first = play.picture();
    EXPECT_TRUE(Near(first.pixel(20, 20), qRgb(255, 0, 0)));
    EXPECT_TRUE(Near(first.pixel(60, 20), qRgb(255, 255, 255)));
    play.player->advanceFrame();
    play.player->advanceFrame();
    QImage third = play.picture();
    EXPECT_TRUE(Near(third.pixel(20, 20), qRgb(255, 255, 255)));
    EXPECT_TRUE(Near(third.pixel(60, 20), qRgb(255, 0, 0)));
    EXPECT_TRUE(Near(third.pixel(105, 20), qRgb(255, 255, 255)));
    EXPECT_TRUE(play.player->scriptFeaturesMissing().empty());
}

TEST(Avm2Display, AFrameScriptThatStopsOnTheLastFrameHoldsTheMovieThere) {
    DocumentClass doc;
    AbcCode first, last;
    doc.trace(first, "first");
    first.op(kReturnVoid);
    doc.trace(last, "last");
    last.op(kGetLocal0).op(kCallPropVoid).u30(doc.name("stop")).u30(0).op(kReturnVoid);
    // addFrameScript(0, first, 2, last)
    doc.ctor.op(kGetLocal0).op(kPushByte).u8(0).op(kNewFunction).u30(doc.abc.method(first));
    doc.ctor.op(kPushByte).u8(2).op(kNewFunction).u30(doc.abc.method(last));
    doc.ctor.op(kCallPropVoid).u30(doc.name("addFrameScript")).u30(4);
    Playback play(doc.movie(3));
    for (int i = 0; i < 6; ++i)
        play.player->advanceFrame();
    EXPECT_EQ(play.traced, "first\nlast\n");
    EXPECT_EQ(play.player->root().currentFrame(), 3u);
}

// Flash moves the playheads first (what leaves says so at once), then sends
// enterFrame, then constructs what the frame placed, which hears that it was
// added, then sends frameConstructed.
TEST(Avm2Display, AFramesObjectsAreConstructedAfterEnterFrameAndAnnounceTheirComings) {
    DocumentClass doc;
    doc.definitions.push_back(tags::DefineSprite(2, {{}}));
    doc.links.push_back({2, "Child"});
    doc.linkTraces["Child"] = "child";
    doc.listen("enterFrame", "enter ", {"currentTarget", "numChildren"});
    doc.listen("frameConstructed", "constructed ", {"currentTarget", "numChildren"});
    doc.listen("added", "added ", {"eventPhase"});
    doc.listen("removed", "removed ", {"eventPhase"});
    doc.frameTags[2] = {tags::PlaceAt(1, 2)};
    doc.frameTags[3] = {tags::RemoveObject2(1)};
    Playback play(doc.movie(3));
    play.player->advanceFrame();
    play.player->advanceFrame();
    EXPECT_EQ(play.traced, "added 2\nconstructed 0\n"
                           "enter 1\nchild\nadded 3\nconstructed 1\n"
                           "removed 3\nenter 0\nconstructed 0\n");
}

// A goto constructs what the frame it reaches placed, and runs that frame's
// script, before it returns.
TEST(Avm2Display, AGotoConstructsTheFrameItReachesBeforeItReturns) {
    DocumentClass doc;
    doc.definitions.push_back(tags::DefineSprite(2, {{}}));
    doc.links.push_back({2, "Child"});
    doc.linkTraces["Child"] = "child";
    AbcCode first, second;
    first.op(kGetLocal0).op(kPushByte).u8(2);
    first.op(kCallPropVoid).u30(doc.name("gotoAndStop")).u30(1);
    doc.trace(first, "after goto");
    first.op(kReturnVoid);
    doc.trace(second, "frame 2");
    second.op(kReturnVoid);
    // addFrameScript(0, first, 1, second)
    doc.ctor.op(kGetLocal0).op(kPushByte).u8(0).op(kNewFunction).u30(doc.abc.method(first));
    doc.ctor.op(kPushByte).u8(1).op(kNewFunction).u30(doc.abc.method(second));
    doc.ctor.op(kCallPropVoid).u30(doc.name("addFrameScript")).u30(4);
    doc.frameTags[2] = {tags::PlaceAt(1, 2)};
    Playback play(doc.movie(2));
    play.player->advanceFrame();
    EXPECT_EQ(play.traced, "child\nframe 2\nafter goto\n");
    EXPECT_EQ(play.player->root().currentFrame(), 2u);
}

TEST(Avm2Display, ScriptsCountFramesWithinScenesAndGoToLabelsAndScenesByName) {
    DocumentClass doc;
    doc.definitions.push_back(
        tags::DefineSceneAndFrameLabelData({{0, "A"}, {2, "B"}}, {{0, "one"}, {3, "four"}}));
    AbcCode& code = doc.ctor;
    code.op(kGetLocal0).op(kPushString).u30(doc.abc.string("four"));
    code.op(kCallPropVoid).u30(doc.name("gotoAndStop")).u30(1);
    doc.traceThis(code, {"currentFrame"});
    doc.traceThis(code, {"currentScene", "name"});
    code.op(kGetLocal0).op(kPushByte).u8(1).op(kPushString).u30(doc.abc.string("A"));
    code.op(kCallPropVoid).u30(doc.name("gotoAndStop")).u30(2);
    doc.traceThis(code, {"currentLabel"});
    doc.traceThis(code, {"currentLabels", "length"});
    code.op(kGetLocal0).op(kCallPropVoid).u30(doc.name("nextScene")).u30(0);
    doc.traceThis(code, {"currentFrame"});
    doc.traceThis(code, {"currentScene", "name"});
    doc.traceThis(code, {"scenes", "length"});
    Playback play(doc.movie(4));
    EXPECT_EQ(play.traced, "2\nB\none\n1\n1\nB\n2\n");
    EXPECT_EQ(play.player->root().currentFrame(), 3u);
}

// Frame numbers wrap around in 32 bits, strings may spell numbers, and
// before SWF 11 an unknown label goes to the first frame.
TEST(Avm2Display, GotoTargetsFollowFlashsArithmeticAndOldLabelLeniency) {
    DocumentClass doc;
    AbcCode& code = doc.ctor;
    code.op(kGetLocal0).op(kPushDouble).u30(doc.abc.number(2147483648.0));
    code.op(kCallPropVoid).u30(doc.name("gotoAndStop")).u30(1);
    doc.traceThis(code, {"currentFrame"});
    code.op(kGetLocal0).op(kPushString).u30(doc.abc.string("nowhere"));
    code.op(kCallPropVoid).u30(doc.name("gotoAndStop")).u30(1);
    doc.traceThis(code, {"currentFrame"});
    code.op(kGetLocal0).op(kPushString).u30(doc.abc.string(" 3 "));
    code.op(kCallPropVoid).u30(doc.name("gotoAndStop")).u30(1);
    doc.traceThis(code, {"currentFrame"});
    Playback play(doc.movie(4));
    EXPECT_EQ(play.traced, "4\n1\n3\n");
}

TEST(Avm2Display, TheStageKeepsTheFrameRateScriptsSetWithinFlashsBounds) {
    DocumentClass doc;
    AbcCode& code = doc.ctor;
    doc.traceThis(code, {"stage", "frameRate"});
    for (double rate : {5000.0, -3.0}) {
        code.op(kGetLocal0).op(kGetProperty).u30(doc.name("stage"));
        code.op(kPushDouble).u30(doc.abc.number(rate)).op(kSetProperty).u30(doc.name("frameRate"));
        doc.traceThis(code, {"stage", "frameRate"});
    }
    Playback play(doc.movie(1));
    EXPECT_EQ(play.traced, "12\n1000\n0.01\n");
}

// The classes under InteractiveObject, the stage and classes scripts derive
// from them all have its settings, each with Flash's default.
TEST(Avm2Display, InteractiveSettingsReachEveryClassBelowWithTheirDefaults) {
    DocumentClass doc;
    doc.traceThis(doc.ctor, {"doubleClickEnabled"});
    doc.traceThis(doc.ctor, {"mouseEnabled"});
    doc.traceThis(doc.ctor, {"buttonMode"});
    doc.traceThis(doc.ctor, {"stage", "doubleClickEnabled"});
    doc.traceThis(doc.ctor, {"stage", "mouseChildren"});
    Playback play(doc.movie(1));
    EXPECT_EQ(play.traced, "false\ntrue\nfalse\nfalse\ntrue\n");
}

TEST(Avm2Display, GradientFillsFollowTheirBoxAndRoundRectanglesTheirCorners) {
    DocumentClass doc;
    std::uint32_t matrix = doc.name("Matrix", "flash.geom");
    // var m = new Matrix(); m.createGradientBox(200, 100); (local 1)
    doc.ctor.op(kFindPropStrict).u30(matrix).op(kConstructProp).u30(matrix).u30(0).op(0xd5);
    doc.ctor.op(kGetLocal1).op(kPushDouble).u30(doc.abc.number(200));
    doc.ctor.op(kPushDouble).u30(doc.abc.number(100));
    doc.ctor.op(kCallPropVoid).u30(doc.name("createGradientBox")).u30(2);
    // graphics.beginGradientFill("linear", [red, blue], [1, 1], [0, 255], m)
    doc.ctor.op(kGetLocal0).op(kGetProperty).u30(doc.name("graphics"));
    doc.ctor.op(kPushString).u30(doc.abc.string("linear"));
    auto numbers = [&](std::initializer_list<double> values) {
        for (double v : values)
            doc.ctor.op(kPushDouble).u30(doc.abc.number(v));
        doc.ctor.op(kNewArray).u30(static_cast<std::uint32_t>(values.size()));
    };
    numbers({0xff0000, 0x0000ff});
    numbers({1, 1});
    numbers({0, 255});
    doc.ctor.op(kGetLocal1);
    doc.ctor.op(kCallPropVoid).u30(doc.name("beginGradientFill")).u30(5);
    doc.graphics("drawRect", {0, 0, 200, 100});
    doc.graphics("endFill", {});
    doc.graphics("beginFill", {0x008000});
    doc.graphics("drawRoundRect", {0, 100, 200, 50, 40});
    Playback play(doc.movie(1));
    QImage image = play.picture();
    EXPECT_TRUE(Near(image.pixel(1, 50), qRgb(254, 0, 1))) << std::hex << image.pixel(1, 50);
    EXPECT_TRUE(Near(image.pixel(198, 50), qRgb(1, 0, 254))) << std::hex << image.pixel(198, 50);
    QRgb middle = image.pixel(100, 50);
    EXPECT_GT(qRed(middle), 100);
    EXPECT_GT(qBlue(middle), 100);
    EXPECT_TRUE(Near(image.pixel(2, 102), qRgb(255, 255, 255)));
    EXPECT_TRUE(Near(image.pixel(100, 125), qRgb(0, 128, 0)));
    EXPECT_TRUE(Near(image.pixel(21, 102), qRgb(0, 128, 0)));
}

TEST(Avm2Display, FiltersSetByScriptsReachTheDrawingAndReadBackAsNewObjects) {
    DocumentClass doc;
    std::uint32_t shadow = doc.name("DropShadowFilter", "flash.filters");
    // this.filters = [new DropShadowFilter(10, 90)]
    doc.ctor.op(kGetLocal0).op(kFindPropStrict).u30(shadow);
    doc.ctor.op(kPushByte).u8(10).op(kPushByte).u8(90);
    doc.ctor.op(kConstructProp).u30(shadow).u30(2).op(kNewArray).u30(1);
    doc.ctor.op(kSetProperty).u30(doc.name("filters"));
    // trace(this.filters[0].distance); trace(this.filters == this.filters)
    doc.ctor.op(kFindPropStrict).u30(doc.name("trace"));
    doc.ctor.op(kGetLocal0).op(kGetProperty).u30(doc.name("filters"));
    doc.ctor.op(kGetProperty).u30(doc.name("0")).op(kGetProperty).u30(doc.name("distance"));
    doc.ctor.op(kCallPropVoid).u30(doc.name("trace")).u30(1);
    doc.ctor.op(kFindPropStrict).u30(doc.name("trace"));
    doc.ctor.op(kGetLocal0).op(kGetProperty).u30(doc.name("filters"));
    doc.ctor.op(kGetLocal0).op(kGetProperty).u30(doc.name("filters")).op(0xab);
    doc.ctor.op(kCallPropVoid).u30(doc.name("trace")).u30(1);
    Playback play(doc.movie(1));
    EXPECT_EQ(play.traced, "10\nfalse\n");
    const auto& filters = play.player->root().properties().filters;
    ASSERT_EQ(filters.size(), 1u);
    const auto* drawn = std::get_if<swf::ShadowFilter>(&filters[0]);
    ASSERT_NE(drawn, nullptr);
    EXPECT_DOUBLE_EQ(drawn->distance, 10);
    EXPECT_NEAR(drawn->angle, M_PI / 2, 1e-9);
    EXPECT_EQ(drawn->color.a, 255);
}

TEST(Avm2Display, NewOnALinkedClassMakesAnInstanceOfItsLibrarySymbol) {
    DocumentClass doc;
    doc.definitions.push_back(tags::DefineRectShape(1, {0, 800, 0, 800}, {0, 0, 255, 255}));
    doc.definitions.push_back(tags::DefineSprite(2, {{tags::PlaceAt(1, 1)}}));
    doc.links.push_back({2, "Ball"});
    // var ball = new Ball(); ball.x = 100; addChild(ball);
    std::uint32_t ball = doc.name("Ball");
    doc.ctor.op(kFindPropStrict).u30(ball).op(kConstructProp).u30(ball).u30(0).op(kDup);
    doc.ctor.op(kPushByte).u8(100).op(kSetProperty).u30(doc.name("x"));
    doc.ctor.op(kGetLocal0).op(0x2b); // swap: this, ball
    doc.ctor.op(kCallPropVoid).u30(doc.name("addChild")).u30(1);
    Playback play(doc.movie(1));
    QImage image = play.picture();
    EXPECT_TRUE(Near(image.pixel(120, 20), qRgb(0, 0, 255)));
    EXPECT_TRUE(Near(image.pixel(20, 20), qRgb(255, 255, 255)));
    EXPECT_TRUE(play.player->scriptFeaturesMissing().empty());
}

TEST(Avm2Display, ATextFieldMadeByScriptTakesItsFormatAndText) {
    DocumentClass doc;
    std::uint32_t field = doc.name("TextField", "flash.text");
    std::uint32_t format = doc.name("TextFormat", "flash.text");
    // var tf = new TextField(); (local 1)
    doc.ctor.op(kFindPropStrict).u30(field).op(kConstructProp).u30(field).u30(0).op(0xd5);
    // tf.defaultTextFormat = new TextFormat("_sans", 30, 0xff0000)
    doc.ctor.op(kGetLocal1).op(kFindPropStrict).u30(format);
    doc.ctor.op(kPushString).u30(doc.abc.string("_sans")).op(kPushByte).u8(30);
    doc.ctor.op(kPushDouble).u30(doc.abc.number(0xff0000));
    doc.ctor.op(kConstructProp).u30(format).u30(3);
    doc.ctor.op(kSetProperty).u30(doc.name("defaultTextFormat"));
    // tf.text = "Hi"; addChild(tf); trace(tf.text); trace(tf.getTextFormat().size)
    doc.ctor.op(kGetLocal1).op(kPushString).u30(doc.abc.string("Hi"));
    doc.ctor.op(kSetProperty).u30(doc.name("text"));
    doc.ctor.op(kGetLocal0).op(kGetLocal1).op(kCallPropVoid).u30(doc.name("addChild")).u30(1);
    doc.ctor.op(kFindPropStrict).u30(doc.name("trace"));
    doc.ctor.op(kGetLocal1).op(kGetProperty).u30(doc.name("text"));
    doc.ctor.op(kCallPropVoid).u30(doc.name("trace")).u30(1);
    doc.ctor.op(kFindPropStrict).u30(doc.name("trace")).op(kGetLocal1);
    doc.ctor.op(kCallProperty).u30(doc.name("getTextFormat")).u30(0);
    doc.ctor.op(kGetProperty).u30(doc.name("size"));
    doc.ctor.op(kCallPropVoid).u30(doc.name("trace")).u30(1);
    Playback play(doc.movie(1));
    EXPECT_EQ(play.traced, "Hi\n30\n");
    ASSERT_EQ(play.player->root().children().size(), 1u);
    QImage image = play.picture();
    int red = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            red += qRed(image.pixel(x, y)) > 200 && qGreen(image.pixel(x, y)) < 80 ? 1 : 0;
    EXPECT_GT(red, 20);
}

TEST(Avm2Display, ALinkedSoundPlaysThroughItsChannelUntilStopped) {
    DocumentClass doc;
    std::vector<std::int16_t> tone(44100, 8000);
    doc.definitions.push_back(tags::DefineSound(3, tags::Format{}, 44100, tags::PcmBytes(tone)));
    doc.links.push_back({3, "Beep"});
    doc.linkBases["Beep"] = doc.name("Sound", "flash.media");
    // var channel = new Beep().play(); (local 1) trace(new Beep().length)
    std::uint32_t beep = doc.name("Beep");
    doc.ctor.op(kFindPropStrict).u30(beep).op(kConstructProp).u30(beep).u30(0);
    doc.ctor.op(kCallProperty).u30(doc.name("play")).u30(0).op(0xd5);
    doc.ctor.op(kFindPropStrict).u30(doc.name("trace"));
    doc.ctor.op(kFindPropStrict).u30(beep).op(kConstructProp).u30(beep).u30(0);
    doc.ctor.op(kGetProperty).u30(doc.name("length"));
    doc.ctor.op(kCallPropVoid).u30(doc.name("trace")).u30(1);
    // SoundMixer.stopAll() in the frame script of frame 2.
    AbcCode stopper;
    stopper.op(kGetLex).u30(doc.name("SoundMixer", "flash.media"));
    stopper.op(kCallPropVoid).u30(doc.name("stopAll")).u30(0).op(kReturnVoid);
    doc.ctor.op(kGetLocal0).op(kPushByte).u8(1).op(kNewFunction).u30(doc.abc.method(stopper));
    doc.ctor.op(kCallPropVoid).u30(doc.name("addFrameScript")).u30(2);
    Playback play(doc.movie(3));
    EXPECT_EQ(play.traced, "1000\n");
    std::vector<std::int16_t> sound(2 * 3675);
    play.player->mixAudio(sound);
    EXPECT_GT(*std::max_element(sound.begin(), sound.end()), 4000);
    play.player->advanceFrame();
    play.player->mixAudio(sound);
    EXPECT_EQ(*std::max_element(sound.begin(), sound.end()), 0);
}

// Nearly every document class starts by setting the stage's scale mode and
// alignment; the rest of its constructor must still run.
TEST(Avm2Display, StageSettingsAreKeptAndTheConstructorGoesOn) {
    DocumentClass doc;
    for (const auto& [setting, cls, constant] :
         {std::tuple{"scaleMode", "StageScaleMode", "NO_SCALE"},
          std::tuple{"align", "StageAlign", "TOP_LEFT"}}) {
        doc.ctor.op(kGetLocal0).op(kGetProperty).u30(doc.name("stage"));
        doc.ctor.op(kGetLex).u30(doc.name(cls, "flash.display"));
        doc.ctor.op(kGetProperty).u30(doc.name(constant));
        doc.ctor.op(kSetProperty).u30(doc.name(setting));
    }
    doc.ctor.op(kFindPropStrict).u30(doc.name("trace"));
    doc.ctor.op(kGetLocal0).op(kGetProperty).u30(doc.name("stage"));
    doc.ctor.op(kGetProperty).u30(doc.name("scaleMode"));
    doc.ctor.op(kCallPropVoid).u30(doc.name("trace")).u30(1);
    doc.trace(doc.ctor, "constructed");
    Playback play(doc.movie(1));
    EXPECT_EQ(play.traced, "noScale\nconstructed\n");
    EXPECT_TRUE(play.player->scriptFeaturesMissing().empty());
}

TEST(Avm2Display, GeometryValuesPrintAndComposeAsFlashDoes) {
    DocumentClass doc;
    std::uint32_t matrix = doc.name("Matrix", "flash.geom");
    auto traceTop = [&](auto push) {
        doc.ctor.op(kFindPropStrict).u30(doc.name("trace"));
        push();
        doc.ctor.op(kCallPropVoid).u30(doc.name("trace")).u30(1);
    };
    // new Matrix(2, 0, 0, 2, 10, 5) concatenated with a translation by 1, 1.
    traceTop([&] {
        doc.ctor.op(kFindPropStrict).u30(matrix);
        for (double v : {2.0, 0.0, 0.0, 2.0, 10.0, 5.0})
            doc.ctor.op(kPushDouble).u30(doc.abc.number(v));
        doc.ctor.op(kConstructProp).u30(matrix).u30(6).op(kDup);
        doc.ctor.op(kPushByte).u8(1).op(kPushByte).u8(1);
        doc.ctor.op(kCallPropVoid).u30(doc.name("translate")).u30(2);
    });
    // this.x = 12.5; trace(this.transform.matrix)
    doc.ctor.op(kGetLocal0).op(kPushDouble).u30(doc.abc.number(12.5));
    doc.ctor.op(kSetProperty).u30(doc.name("x"));
    traceTop([&] {
        doc.ctor.op(kGetLocal0).op(kGetProperty).u30(doc.name("transform"));
        doc.ctor.op(kGetProperty).u30(doc.name("matrix"));
    });
    Playback play(doc.movie(1));
    EXPECT_EQ(play.traced, "(a=2, b=0, c=0, d=2, tx=11, ty=6)\n"
                           "(a=1, b=0, c=0, d=1, tx=12.5, ty=0)\n");
}

// A movie asking for a bitmap past Flash's limits gets Flash's error and goes
// on; the pixels of one within them, and the movie's LoaderInfo, read back.
TEST(Avm2Display, BitmapDataRefusesHugeBitmapsAndLoaderInfoDescribesTheMovie) {
    DocumentClass doc;
    std::uint32_t bitmapData = doc.name("BitmapData", "flash.display");
    auto traceTop = [&](auto push) {
        doc.ctor.op(kFindPropStrict).u30(doc.name("trace"));
        push();
        doc.ctor.op(kCallPropVoid).u30(doc.name("trace")).u30(1);
    };
    auto newBitmap = [&](double width, double height) {
        doc.ctor.op(kFindPropStrict).u30(bitmapData);
        doc.ctor.op(kPushDouble).u30(doc.abc.number(width));
        doc.ctor.op(kPushDouble).u30(doc.abc.number(height));
        doc.ctor.op(kConstructProp).u30(bitmapData).u30(2);
    };
    // trace(new BitmapData(3, 2).rect); trace(this.loaderInfo.swfVersion)
    traceTop([&] {
        newBitmap(3, 2);
        doc.ctor.op(kGetProperty).u30(doc.name("rect"));
    });
    traceTop([&] {
        doc.ctor.op(kGetLocal0).op(kGetProperty).u30(doc.name("loaderInfo"));
        doc.ctor.op(kGetProperty).u30(doc.name("swfVersion"));
    });
    traceTop([&] {
        doc.ctor.op(kGetLocal0).op(kGetProperty).u30(doc.name("loaderInfo"));
        doc.ctor.op(kGetProperty).u30(doc.name("bytesTotal"));
    });
    // new BitmapData(100000, 100000): the error ends the constructor there.
    newBitmap(100000, 100000);
    doc.trace(doc.ctor, "unreached");
    MovieWriter writer = doc.movie(1);
    Playback play(writer);
    EXPECT_EQ(play.traced, "(x=0, y=0, w=3, h=2)\n10\n" + std::to_string(writer.bytes().size()) +
                               "\nArgumentError: Error #2015: Invalid BitmapData.\n\tat Main()\n");
    const auto missing = play.player->scriptFeaturesMissing();
    EXPECT_NE(std::find(missing.begin(), missing.end(),
                        "uncaught ArgumentError: Error #2015: Invalid BitmapData."),
              missing.end());
}

// A placed symbol linked to a class that is no display object (here a
// BitmapData) stays a plain clip: the movie plays on, its class unmade.
TEST(Avm2Display, ASymbolLinkedToANonDisplayClassIsNotMadeAsIt) {
    DocumentClass doc;
    doc.definitions.push_back(tags::DefineSprite(2, {{}}));
    doc.links.push_back({2, "Pixels"});
    doc.linkBases["Pixels"] = doc.name("BitmapData", "flash.display");
    doc.linkTraces["Pixels"] = "made as BitmapData";
    doc.listen("enterFrame", "children ", {"currentTarget", "numChildren"});
    doc.frameTags[2] = {tags::PlaceAt(1, 2)};
    Playback play(doc.movie(2));
    play.player->advanceFrame();
    play.player->advanceFrame();
    EXPECT_EQ(play.traced, "children 1\nchildren 0\n");
}

// Script classes linked to a bitmap of the library: a BitmapData subclass
// holds its pixels whatever size it asks for, a Bitmap subclass shows them.
TEST(Avm2Display, ClassesLinkedToALibraryBitmapHoldItsPixels) {
    DocumentClass doc;
    doc.definitions.push_back(
        tags::DefineBitsLossless2(5, 3, 2, std::vector<swf::Rgba>(6, {255, 0, 0, 255})));
    doc.links.push_back({5, "Pixels"});
    doc.linkBases["Pixels"] = doc.name("BitmapData", "flash.display");
    doc.links.push_back({5, "Photo"});
    doc.linkBases["Photo"] = doc.name("Bitmap", "flash.display");
    auto traceMade = [&](const char* cls, const char* property) {
        doc.ctor.op(kFindPropStrict).u30(doc.name("trace"));
        doc.ctor.op(kFindPropStrict).u30(doc.name(cls));
        doc.ctor.op(kConstructProp).u30(doc.name(cls)).u30(0);
        doc.ctor.op(kGetProperty).u30(doc.name(property));
        doc.ctor.op(kCallPropVoid).u30(doc.name("trace")).u30(1);
    };
    traceMade("Pixels", "rect");
    traceMade("Photo", "width");
    Playback play(doc.movie(1));
    EXPECT_EQ(play.traced, "(x=0, y=0, w=3, h=2)\n3\n");
}

} // namespace
} // namespace vidorama::test
