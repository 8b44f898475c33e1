// Text fields and text formats as ActionScript 1/2 sees them: formats of
// ranges of the text, the HTML Flash writes for them, settings converted as
// the movie's version converts them, properties of later versions, scrolling,
// fields bound to variables, the focus, and snapshots of static text.

#include "Avm1Assembler.h"
#include "SwfTextWriter.h"
#include "TextTestMovie.h"
#include "avm1/TextFieldProperties.h"
#include "text/TextDef.h"

#include <functional>
#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

using namespace as;

constexpr std::uint8_t kGetVariable = 0x1c;
constexpr std::uint8_t kSetVariable = 0x1d;
constexpr std::uint8_t kGetMember = 0x4e;
constexpr std::uint8_t kSetMember = 0x4f;
constexpr std::uint8_t kCallMethod = 0x52;
constexpr std::uint8_t kNewObject = 0x40;
constexpr std::uint8_t kPop = 0x17;
constexpr std::uint8_t kEquals2 = 0x49;
constexpr std::uint8_t kNull = 2;

Bytes Get(const std::string& name) {
    return Join({Str(name), Op(kGetVariable)});
}
Bytes Member(const std::string& object, const std::string& name) {
    return Join({Get(object), Str(name), Op(kGetMember)});
}
Bytes SetMember(const std::string& object, const std::string& name, const Bytes& value) {
    return Join({Get(object), Str(name), value, Op(kSetMember)});
}
// object.method(args) with the arguments given in order; leaves the result.
Bytes Call(const Bytes& object, const std::string& method, std::vector<Bytes> args) {
    Bytes code;
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        code = Join({code, *it});
    return Join({code, Num(double(args.size())), object, Str(method), Op(kCallMethod)});
}
Bytes Show(const Bytes& value) {
    return Join({value, Trace()});
}
Bytes NewFormat(const std::string& name) {
    return Join({Str(name), Num(0), Str("TextFormat"), Op(kNewObject), Op(kSetVariable)});
}
// _root.createTextField(name, 1, 0, 0, width, height);
Bytes CreateField(const std::string& name, double width, double height) {
    return Join({Call(Get("_root"), "createTextField",
                      {Str(name), Num(1), Num(0), Num(0), Num(width), Num(height)}),
                 Op(kPop)});
}

TEST(Avm1TextField, FormatsBelongToRangesOfTheTextAndShowInItsHtml) {
    Bytes code = Join({
        CreateField("t", 100, 20),
        SetMember("t", "text", Str("AB")),
        NewFormat("f"),
        SetMember("f", "bold", Push(5, {1})),
        Call(Get("t"), "setTextFormat", {Num(1), Num(2), Get("f")}),
        Op(kPop),
        // Settings that differ along a range are null; those that agree are kept.
        Show(
            Join({Call(Get("t"), "getTextFormat", {Num(0), Num(2)}), Str("bold"), Op(kGetMember)})),
        Show(Join({Call(Get("t"), "getTextFormat", {Num(1)}), Str("bold"), Op(kGetMember)})),
        Show(Join({Call(Get("t"), "getTextFormat", {}), Str("size"), Op(kGetMember)})),
        SetMember("t", "html", Push(5, {1})),
        Show(Member("t", "htmlText")),
        // New text takes the format of text to come, not that of the old.
        SetMember("t", "text", Str("C")),
        Show(Join({Call(Get("t"), "getTextFormat", {Num(0)}), Str("bold"), Op(kGetMember)})),
        // An empty range has no settings at all.
        Show(
            Join({Call(Get("t"), "getTextFormat", {Num(1), Num(1)}), Str("size"), Op(kGetMember)})),
    });
    EXPECT_EQ(TraceOf(8, {code}),
              "null\ntrue\n12\n"
              "<P ALIGN=\"LEFT\"><FONT FACE=\"Times New Roman\" SIZE=\"12\" COLOR=\"#000000\" "
              "LETTERSPACING=\"0\" KERNING=\"0\">A<B>B</B></FONT></P>\n"
              "false\nnull\n");
}

// size = 13.5 and leftMargin = -3 on a new format, then the constructor's own
// cut of 13.9; alignment names are read without regard to case and unknown
// ones leave it as it was.
std::string FormatConversions(int version) {
    Bytes code = Join({
        NewFormat("f"),
        Show(Member("f", "font")),
        SetMember("f", "size", Num(13.5)),
        SetMember("f", "leftMargin", Num(-3)),
        SetMember("f", "align", Str("CENTER")),
        SetMember("f", "align", Str("middle")),
        SetMember("f", "color", Num(-1)),
        Show(Member("f", "size")),
        Show(Member("f", "leftMargin")),
        Show(Member("f", "align")),
        Show(Member("f", "color")),
        Show(Join({Num(13.9), Push(kNull, {}), Num(2), Str("TextFormat"), Op(kNewObject),
                   Str("size"), Op(kGetMember)})),
    });
    return TraceOf(version, {code});
}

TEST(Avm1TextField, FormatSettingsConvertAsTheMovieVersionDoes) {
    EXPECT_EQ(FormatConversions(7), "null\n13\n0\ncenter\n4294967295\n13\n");
    // Flash 8 rounds half to even.
    EXPECT_EQ(FormatConversions(8), "null\n14\n0\ncenter\n4294967295\n13\n");
}

// o = new TextField(); o.antiAliasType = "x"; with the property listed by
// for..in either way.
std::string LaterVersionProperty(int version) {
    constexpr std::uint8_t kEnumerate2 = 0x55;
    Bytes listed = Join({Get("TextField"), Str("prototype"), Op(kGetMember), Op(kEnumerate2)});
    // Counts the names for..in gives until the undefined that ends them.
    Bytes count =
        Join({Str("n"), Num(0), Op(kSetVariable), listed,
              // loop: while the name on top is not the closing null,
              // drop it and count it (the branches skip 21 bytes
              // forward and 32 back).
              Op(0x4c), Push(kNull, {}), Op(kEquals2), Branch(0x9d, 21), Op(kPop), Str("n"),
              Get("n"), Op(0x50), Op(kSetVariable), Branch(0x99, -32), Op(kPop)});
    Bytes code = Join({Str("o"), Num(0), Str("TextField"), Op(kNewObject), Op(kSetVariable),
                       SetMember("o", "antiAliasType", Str("x")),
                       Show(Member("o", "antiAliasType")), count, Show(Get("n"))});
    return TraceOf(version, {code});
}

TEST(Avm1TextField, PropertiesOfLaterVersionsAreHiddenYetListed) {
    // Before Flash 8 the write makes a plain property of the object; from it
    // on the accessor takes it and ignores it, the object being no field.
    EXPECT_EQ(LaterVersionProperty(7), "x\n35\n");
    EXPECT_EQ(LaterVersionProperty(8), "undefined\n35\n");
}

TEST(Avm1TextField, ScrollStaysWithinTheLinesOfTheText) {
    Bytes code = Join({
        CreateField("t", 100, 30),
        SetMember("t", "multiline", Push(5, {1})),
        SetMember("t", "text", Str("A\rA\rA\rA\rA\rA")),
        Show(Member("t", "scroll")),
        SetMember("t", "scroll", Num(100)),
        Show(Join({Member("t", "scroll"), Member("t", "maxscroll"), Op(kEquals2)})),
        Show(Join({Member("t", "maxscroll"), Num(1), Op(0x67)})),
        SetMember("t", "scroll", Num(-5)),
        Show(Member("t", "scroll")),
        SetMember("t", "scroll", Push(kNull, {})),
        Show(Member("t", "scroll")),
        Show(Join({Member("t", "bottomScroll"), Member("t", "maxscroll"), Op(0x48)})),
    });
    // bottomScroll < maxscroll: the last lines are not all shown from line 1.
    EXPECT_EQ(TraceOf(8, {code}), "1\ntrue\ntrue\n1\n1\ntrue\n");
}

// Plays a movie of the given definitions and frames of code; `after` looks
// at the player once every frame has played.
std::string Play(MovieWriter writer, const std::vector<Bytes>& frames,
                 const std::function<void(swf::Player&)>& after = {}) {
    for (const Bytes& code : frames)
        writer.frame({tags::DoAction({code})});
    auto movie = swf::Movie::load(writer.bytes());
    EXPECT_TRUE(movie.ok());
    std::string out;
    swf::Player player(movie.value(), [&out](const std::string& line) { out += line + "\n"; });
    for (std::size_t i = 1; i < frames.size(); ++i)
        player.advanceFrame();
    if (after)
        after(player);
    return out;
}

// A movie with a field bound to "v" and the given frames of code.
std::string BoundFieldMovie(const std::vector<Bytes>& frames, std::u32string* shown = nullptr) {
    MovieWriter writer;
    writer.version = 7;
    tags::EditText field;
    field.id = 10;
    field.bounds = {0, 2000, 0, 400};
    field.useOutlines = false;
    field.variable = "v";
    field.text = "Hello";
    writer.tag(tags::DefineEditText(field));
    writer.tag(tags::Place(1).character(10).name("f").tag());
    return Play(writer, frames, [shown](swf::Player& player) {
        if (!shown)
            return;
        const swf::DisplayObject* object = player.root().childByName("f", true);
        const swf::TextDef* text = object ? swf::avm1::TextFieldOf(*object) : nullptr;
        *shown = text ? text->data().chars : U"(none)";
    });
}

TEST(Avm1TextField, ABoundFieldAndItsVariableFollowEachOther) {
    // The undefined variable takes the field's text; the field shows what
    // the variable is given, and the variable what the field is given.
    Bytes code =
        Join({Show(Get("v")), Str("v"), Str("Bye"), Op(kSetVariable), Show(Member("f", "text")),
              SetMember("f", "text", Str("Typed")), Show(Get("v")), Show(Member("f", "variable"))});
    EXPECT_EQ(BoundFieldMovie({code}), "Hello\nBye\nTyped\nv\n");
}

TEST(Avm1TextField, ABoundFieldShowsItsVariableAfterEveryFrameWithoutBeingRead) {
    std::u32string shown;
    BoundFieldMovie({Join({Str("v"), Num(42), Op(kSetVariable)}), Bytes{}}, &shown);
    EXPECT_EQ(shown, U"42");
}

TEST(Avm1TextField, TheFocusIsToldToListenersAndLeavesWithItsObject) {
    // listener.onSetFocus = function (old, new) { trace(new); }
    Bytes listener =
        Join({Str("l"), Num(0), Op(0x43), Op(kSetVariable),
              SetMember("l", "onSetFocus", Function2("", 2, Join({Reg(2), Trace()})))});
    Bytes code = Join({
        Call(Get("_root"), "createEmptyMovieClip", {Str("c"), Num(1)}),
        Op(kPop),
        listener,
        Call(Get("Selection"), "addListener", {Get("l")}),
        Op(kPop),
        // A clip takes the focus only when it asks for it.
        Show(Call(Get("Selection"), "setFocus", {Get("c")})),
        SetMember("c", "focusEnabled", Push(5, {1})),
        Show(Call(Get("Selection"), "setFocus", {Get("c")})),
        Show(Call(Get("Selection"), "getFocus", {})),
        Call(Get("c"), "removeMovieClip", {}),
        Op(kPop),
        Show(Call(Get("Selection"), "getFocus", {})),
    });
    EXPECT_EQ(TraceOf(7, {code}), "false\n_level0.c\ntrue\n_level0.c\nnull\nnull\n");
}

TEST(Avm1TextField, ASnapshotCountsAndSearchesTheClipsStaticText) {
    MovieWriter writer;
    writer.version = 8;
    writer.tag(tags::DefineFont3(BoxFont(kFont, false)));
    tags::TextRecord record;
    record.fontId = kFont;
    record.height = 400;
    record.glyphs = {{0, 300}, {1, 200}, {0, 300}, {1, 200}}; // "ABAB"
    writer.tag(tags::DefineText2(5, {0, 2000, 0, 400}, swf::Matrix(), {record}));
    writer.tag(tags::Place(1).character(5).tag());
    Bytes snapshot = Join({Str("s"), Call(Get("this"), "getTextSnapshot", {}), Op(kSetVariable)});
    auto find = [](double start, const std::string& text, bool caseSensitive) {
        return Show(Call(Get("s"), "findText", {Num(start), Str(text), Push(5, {caseSensitive})}));
    };
    Bytes code = Join({snapshot, Show(Call(Get("s"), "getCount", {})), find(0, "ba", false),
                       find(0, "ba", true), find(2, "AB", true), find(-1, "A", true),
                       Show(Call(Get("s"), "getText", {Num(1), Num(3)}))});
    EXPECT_EQ(Play(writer, {code}), "4\n1\n-1\n2\n-1\nBA\n");
}

} // namespace
} // namespace vidorama::test
