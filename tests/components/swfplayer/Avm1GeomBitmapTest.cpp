// flash.geom, flash.display.BitmapData and Date as ActionScript 2 movies
// see them: the geometry classes step through the objects' own properties
// as Flash's scripts do, bitmaps keep premultiplied pixels within the
// movie's pixel budget, and dates count on the movie's own clock.

#include "Avm1Assembler.h"
#include "SwfCompression.h"

#include <cmath>
#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

using namespace as;

constexpr std::uint8_t kGetVariable = 0x1c;
constexpr std::uint8_t kSetVariable = 0x1d;
constexpr std::uint8_t kGetMember = 0x4e;
constexpr std::uint8_t kCallMethod = 0x52;
constexpr std::uint8_t kNewMethod = 0x53;
constexpr std::uint8_t kTypeOf = 0x44;

Bytes Get(const std::string& name) {
    return Join({Str(name), Op(kGetVariable)});
}
Bytes Member(const Bytes& object, const std::string& name) {
    return Join({object, Str(name), Op(kGetMember)});
}
Bytes Set(const std::string& name, const Bytes& value) {
    return Join({Str(name), value, Op(kSetVariable)});
}
// Arguments go on the stack last first, then their count.
Bytes Args(const std::vector<Bytes>& args) {
    Bytes out;
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        out = Join({out, *it});
    return Join({out, Num(static_cast<double>(args.size()))});
}
Bytes Call(const Bytes& object, const std::string& method, const std::vector<Bytes>& args = {}) {
    return Join({Args(args), object, Str(method), Op(kCallMethod)});
}
// new flash.<package>.<name>(args)
Bytes New(const std::string& package, const std::string& name, const std::vector<Bytes>& args) {
    return Join({Args(args), Member(Get("flash"), package), Str(name), Op(kNewMethod)});
}
Bytes Show(const Bytes& value) {
    return Join({value, Trace()});
}

TEST(Avm1Geometry, ClassesFollowTheStepsOfFlashsOwnScripts) {
    Bytes rect = New("geom", "Rectangle", {Num(0), Num(0), Num(5), Num(5)});
    Bytes matrix = New("geom", "Matrix", {Num(2), Num(3), Num(5), Num(7), Num(9), Num(11)});
    Bytes plain = Join({Str("x"), Num(1), Str("y"), Num(2), Num(2), Op(0x43)}); // {x: 1, y: 2}
    Bytes code = Join({
        // contains() gives the comparison that failed, undefined for no number.
        Show(Call(rect, "contains", {Num(1), Num(1)})),
        Show(Call(rect, "contains", {Undefined(), Num(1)})),
        // distance() asks the first point for subtract(): a plain object has none.
        Show(Call(Member(Member(Get("flash"), "geom"), "Point"), "distance",
                  {plain, New("geom", "Point", {})})),
        Set("m", matrix),
        Call(Get("m"), "invert"),
        Show(Get("m")),
        // new Point(1) leaves y undefined; only a call without arguments gives 0.
        Show(New("geom", "Point", {Num(1)})),
    });
    EXPECT_EQ(TraceOf(8, {code}), "true\nundefined\nundefined\n"
                                  "(a=-7, b=3, c=5, d=-2, tx=8, ty=-5)\n(x=1, y=undefined)\n");
}

TEST(Avm1Geometry, PackagesCameWithFlash8) {
    Bytes code = Show(Join({Get("flash"), Op(kTypeOf)}));
    EXPECT_EQ(TraceOf(7, {code}), "undefined\n");
    EXPECT_EQ(TraceOf(8, {code}), "object\n");
}

Bytes NewBitmap(double width, double height, bool transparent, double fill) {
    return New("display", "BitmapData",
               {Num(width), Num(height), Push(5, {transparent ? std::uint8_t(1) : std::uint8_t(0)}),
                Num(fill)});
}

TEST(Avm1BitmapData, PixelsKeepThePrecisionPremultiplyingLeaves) {
    Bytes code = Join({
        Set("b", NewBitmap(3, 3, true, 0xAABBCCDD)),
        Show(Call(Get("b"), "getPixel32", {Num(0), Num(0)})),
        // setPixel keeps the pixel's alpha.
        Call(Get("b"), "setPixel", {Num(1), Num(1), Num(0xBBBBBB)}),
        Show(Call(Get("b"), "getPixel32", {Num(1), Num(1)})),
        // An opaque bitmap drops the alpha it is given.
        Set("o", NewBitmap(2, 2, false, 0x12345678)),
        Show(Call(Get("o"), "getPixel32", {Num(0), Num(0)})),
        // Flood fill with the colour already there changes nothing.
        Show(Call(Get("b"), "floodFill", {Num(0), Num(0), Num(0xAABBCCDD)})),
        Show(Call(Get("b"), "floodFill", {Num(0), Num(0), Num(0xFF000000)})),
        Show(Call(Get("b"), "getPixel", {Num(2), Num(2)})),
        // A disposed bitmap answers -1 to everything.
        Call(Get("b"), "dispose"),
        Show(Member(Get("b"), "width")),
        Show(Call(Get("b"), "getPixel", {Num(0), Num(0)})),
    });
    // 0xAABBCCDC, 0xAABBBBBB, 0xFF345678 as signed 32-bit numbers.
    EXPECT_EQ(TraceOf(8, {code}), "-1430532900\n-1430537285\n-13347208\n0\n1\n0\n-1\n-1\n");
}

TEST(Avm1BitmapData, SizesFlashRefusesMakeNoBitmap) {
    auto made = [](double width, double height) {
        return Show(Join({NewBitmap(width, height, true, 0), Op(kTypeOf)}));
    };
    Bytes code = Join({made(2880, 1), made(2881, 1), made(0, 5), made(-3, 5), made(5, 1e12)});
    EXPECT_EQ(TraceOf(9, {code}), "object\nundefined\nundefined\nundefined\nundefined\n");
    // From SWF 10 on: 8191 a side and 16777215 pixels.
    Bytes later = Join({made(8191, 1), made(8192, 1), made(4096, 4096), made(4095, 4096)});
    EXPECT_EQ(TraceOf(10, {later}), "object\nundefined\nundefined\nobject\n");
}

TEST(Avm1BitmapData, AMovieHoldsABudgetOfPixelsAndGetsThemBackOnDispose) {
    // Each bitmap holds 16M pixels; four fit in the budget, a fifth fails
    // as a bad size does, and fits once one of the others is disposed.
    std::vector<Bytes> steps;
    for (int i = 0; i < 5; ++i) {
        std::string name = "b" + std::to_string(i);
        steps.push_back(Set(name, NewBitmap(4096, 4095, false, 0)));
        steps.push_back(Show(Join({Get(name), Op(kTypeOf)})));
    }
    steps.push_back(Call(Get("b0"), "dispose"));
    steps.push_back(Show(Join({NewBitmap(4096, 4095, false, 0), Op(kTypeOf)})));
    EXPECT_EQ(TraceOf(10, {Join(steps)}), "object\nobject\nobject\nobject\nundefined\nobject\n");
}

TEST(Avm1BitmapData, FloodFillCoversALargeAreaWithoutDeepRecursion) {
    // A wall down the left edge below the top row: four million pixels to
    // fill, reaching the corner behind the wall only through the top row.
    Bytes code = Join({
        Set("b", NewBitmap(2000, 2000, false, 0xFFFFFF)),
        Set("r", New("geom", "Rectangle", {Num(0), Num(1), Num(1), Num(1999)})),
        Call(Get("b"), "fillRect", {Get("r"), Num(0)}),
        Show(Call(Get("b"), "floodFill", {Num(1999), Num(1999), Num(0xFF0000)})),
        Show(Call(Get("b"), "getPixel", {Num(1), Num(0)})),
        Show(Call(Get("b"), "getPixel", {Num(0), Num(1)})),
    });
    EXPECT_EQ(TraceOf(8, {code}), "1\n16711680\n0\n");
}

TEST(Avm1BitmapData, LoadBitmapCopiesAnExportedLibraryBitmap) {
    MovieWriter writer;
    writer.version = 8;
    writer.tag(tags::DefineBitsLossless2(20, 2, 1, {{255, 0, 0, 255}, {0, 0, 255, 0}}));
    writer.tag(tags::Tag(56, SwfBitWriter().u16(1).u16(20).string("pic").take()));
    Bytes bitmapData = Member(Member(Get("flash"), "display"), "BitmapData");
    Bytes code = Join({
        Set("b", Call(bitmapData, "loadBitmap", {Str("pic")})),
        Show(Member(Get("b"), "width")),
        Show(Call(Get("b"), "getPixel", {Num(0), Num(0)})),
        Show(Call(Get("b"), "getPixel32", {Num(1), Num(0)})),
        // Drawing on the copy leaves the library's bitmap as it was.
        Call(Get("b"), "setPixel32", {Num(0), Num(0), Num(0)}),
        Show(Call(Call(bitmapData, "loadBitmap", {Str("pic")}), "getPixel", {Num(0), Num(0)})),
        Show(Join({Call(bitmapData, "loadBitmap", {Str("missing")}), Op(kTypeOf)})),
    });
    writer.frame({tags::DoAction({code})});
    auto movie = swf::Movie::load(writer.bytes());
    ASSERT_TRUE(movie.ok());
    std::string out;
    swf::Player player(movie.value(), [&out](const std::string& line) { out += line + "\n"; });
    EXPECT_EQ(out, "2\n16711680\n0\n16711680\nundefined\n");
}

// Date, on the movie's own clock: it starts at 1970 in UTC unless the host
// says otherwise, so a movie converts the same everywhere.
TEST(Avm1Date, FieldsCarryOverAndYearsBelow100CountFrom1900) {
    Bytes newDate = Join({Args({Num(99), Num(11), Num(31), Num(23), Num(59)}), Str("Date"),
                          Op(0x40)}); // new Date(99, 11, 31, 23, 59)
    Bytes code = Join({
        Set("d", newDate),
        Show(Get("d")),
        // Month 24 of 1999 is January 2001, still on the 31st.
        Show(Call(Get("d"), "setMonth", {Num(24)})),
        Show(Call(Get("d"), "getFullYear")),
        Show(Call(Get("d"), "getDay")),
        Show(Call(Get("Date"), "UTC", {Num(-1), Num(0)})),
        // An invalid date stays invalid whatever is set.
        Set("bad", Join({Args({Num(std::nan(""))}), Str("Date"), Op(0x40)})),
        Show(Call(Get("bad"), "setFullYear", {Num(2000)})),
        Show(Get("bad")),
        Show(Join({Args({}), Str("Date"), Op(0x40)})),
    });
    EXPECT_EQ(TraceOf(7, {code}), "Fri Dec 31 23:59:00 GMT+0000 1999\n980985540000\n2001\n3\n"
                                  "-2240524800000\nNaN\nInvalid Date\n"
                                  "Thu Jan 1 00:00:00 GMT+0000 1970\n");
}

} // namespace
} // namespace vidorama::test
