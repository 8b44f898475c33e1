// ActionScript 2 classes as the compiler writes them: constructors chained
// with super(), methods overridden at several levels, interfaces, and the
// try/catch/finally blocks their code throws through, and the object
// details (watchers, deleting by path) such code leans on.

#include "Avm1Assembler.h"

#include <gtest/gtest.h>
#include <limits>

namespace vidorama::test {
namespace {

using namespace as;

constexpr std::uint8_t kGetVariable = 0x1c;
constexpr std::uint8_t kSetVariable = 0x1d;
constexpr std::uint8_t kGetMember = 0x4e;
constexpr std::uint8_t kSetMember = 0x4f;
constexpr std::uint8_t kCallFunction = 0x3d;
constexpr std::uint8_t kCallMethod = 0x52;
constexpr std::uint8_t kNewObject = 0x40;
constexpr std::uint8_t kPop = 0x17;
constexpr std::uint8_t kExtends = 0x69;
constexpr std::uint8_t kAdd2 = 0x47;
constexpr std::uint8_t kInstanceOf = 0x54;
constexpr std::uint8_t kCastOp = 0x2b;
constexpr std::uint8_t kImplementsOp = 0x2c;
constexpr std::uint8_t kThrow = 0x2a;

Bytes Get(const std::string& name) {
    return Join({Str(name), Op(kGetVariable)});
}
Bytes Say(const std::string& text) {
    return Join({Str(text), Trace()});
}
// super(); as the compiler writes it: a call of the variable "super".
Bytes CallSuper() {
    return Join({Num(0), Str("super"), Op(kCallFunction), Op(kPop)});
}
// super.name();
Bytes CallSuperMethod(const std::string& name) {
    return Join({Num(0), Get("super"), Str(name), Op(kCallMethod), Op(kPop)});
}
// Class.prototype.name = function () { body };
Bytes DefineMethod(const std::string& className, const std::string& name, const Bytes& body) {
    return Join({Get(className), Str("prototype"), Op(kGetMember), Str(name),
                 Function2("", 0, body), Op(kSetMember)});
}

// Base <- Middle <- Leaf, each constructor calling super() and each method
// calling the one it overrides.
Bytes ThreeLevelClasses() {
    return Join({Function2("Base", 0, Say("Base")),
                 Function2("Middle", 0, Join({CallSuper(), Say("Middle")})),
                 Function2("Leaf", 0, Join({CallSuper(), Say("Leaf")})), Get("Middle"), Get("Base"),
                 Op(kExtends), Get("Leaf"), Get("Middle"), Op(kExtends),
                 DefineMethod("Base", "m", Say("Base.m")),
                 DefineMethod("Middle", "m", Join({CallSuperMethod("m"), Say("Middle.m")})),
                 DefineMethod("Leaf", "m", Join({CallSuperMethod("m"), Say("Leaf.m")}))});
}

TEST(Avm1Classes, SuperClimbsOneClassAtEveryLevel) {
    // o = new Leaf(); o.m();
    Bytes code = Join({ThreeLevelClasses(), Str("o"), Num(0), Str("Leaf"), Op(kNewObject),
                       Op(kSetVariable), Num(0), Get("o"), Str("m"), Op(kCallMethod), Op(kPop)});
    EXPECT_EQ(TraceOf(7, {code}), "Base\nMiddle\nLeaf\nBase.m\nMiddle.m\nLeaf.m\n");
}

TEST(Avm1Classes, AMethodCalledOnAMiddleObjectStartsItsSuperThere) {
    // o = new Middle(); o.m(); trace(super.__proto__ seen from Middle's method)
    Bytes probe = DefineMethod("Middle", "probe",
                               Join({Get("super"), Str("__proto__"), Op(kGetMember), Get("Object"),
                                     Str("prototype"), Op(kGetMember), Op(0x66), Trace()}));
    Bytes code = Join({ThreeLevelClasses(), probe, Str("o"), Num(0), Str("Middle"), Op(kNewObject),
                       Op(kSetVariable), Num(0), Get("o"), Str("m"), Op(kCallMethod), Op(kPop),
                       Num(0), Get("o"), Str("probe"), Op(kCallMethod), Op(kPop)});
    // super in Middle's methods is Base.prototype seen from the object, whose
    // own prototype is Object.prototype.
    EXPECT_EQ(TraceOf(7, {code}), "Base\nMiddle\nBase.m\nMiddle.m\ntrue\n");
}

TEST(Avm1Classes, InstanceOfAndCastsAcceptImplementedInterfaces) {
    // Shape implements Drawable; Drawable extends Named (by implementing it).
    Bytes code =
        Join({Function2("Named", 0, {}), Function2("Drawable", 0, {}), Function2("Shape", 0, {}),
              Function2("Other", 0, {}), Get("Named"), Num(1), Get("Drawable"), Op(kImplementsOp),
              Get("Drawable"), Num(1), Get("Shape"), Op(kImplementsOp), Str("o"), Num(0),
              Str("Shape"), Op(kNewObject), Op(kSetVariable), Get("o"), Get("Drawable"),
              Op(kInstanceOf), Trace(), Get("o"), Get("Named"), Op(kInstanceOf), Trace(), Get("o"),
              Get("Other"), Op(kInstanceOf), Trace(),
              // Drawable(o) == o; Other(o) is null.
              Get("Drawable"), Get("o"), Op(kCastOp), Get("o"), Op(0x66), Trace(), Get("Other"),
              Get("o"), Op(kCastOp), Trace()});
    EXPECT_EQ(TraceOf(7, {code}), "true\ntrue\nfalse\ntrue\nnull\n");
}

TEST(Avm1Classes, FinallyRunsWhenAThrowLeavesTheTryOrTheCatch) {
    // function f() { try { throw "a"; } finally { trace("f finally"); } }
    // function g() { try { throw "b"; } catch (e) { throw e + "!"; }
    //                finally { trace("g finally"); } }
    // try { f(); } catch (e) { trace(e); }  try { g(); } catch (e) { trace(e); }
    Bytes f = Function2("f", 0, Try("", Join({Str("a"), Op(kThrow)}), {}, Say("f finally")));
    Bytes g = Function2("g", 0,
                        Try("e", Join({Str("b"), Op(kThrow)}),
                            Join({Get("e"), Str("!"), Op(kAdd2), Op(kThrow)}), Say("g finally")));
    auto callAndCatch = [](const std::string& name) {
        return Try("e", Join({Num(0), Str(name), Op(kCallFunction), Op(kPop)}),
                   Join({Get("e"), Trace()}), {});
    };
    Bytes code = Join({f, g, callAndCatch("f"), callAndCatch("g")});
    EXPECT_EQ(TraceOf(7, {code}), "f finally\na\ng finally\nb!\n");
}

TEST(Avm1Classes, ACatchSeesTheStackCutBackToWhereTheTryBegan) {
    // Push "kept"; try { push "dropped"; throw 1 } catch (e) { trace(top) }
    // Push 1, 2, 3; try { pop; throw 1 } catch (e) { trace(top) }
    Bytes code =
        Join({Str("kept"), Try("e", Join({Str("dropped"), Num(1), Op(kThrow)}), Op(0x4c), {}),
              Trace(), Trace(), Num(1), Num(2), Num(3),
              Try("e", Join({Op(kPop), Num(1), Op(kThrow)}), Op(0x4c), {}), Trace(), Trace()});
    // PushDuplicate (0x4c) in the catch keeps a copy for the trace after it.
    EXPECT_EQ(TraceOf(7, {code}), "kept\nkept\n2\n2\n");
}

TEST(Avm1Classes, AWatcherThatThrowsLeavesThePropertyUndefinedAndKeepsWatching) {
    // o = {}; o.watch("p", function () { throw "no"; });
    // try { o.p = 1; } catch (e) { trace(e); } trace(o.p); and again with 2.
    Bytes watch = Join({Str("o"), Num(0), Op(0x43), Op(kSetVariable),
                        Function2("", 0, Join({Str("no"), Op(kThrow)})), Str("p"), Num(2), Get("o"),
                        Str("watch"), Op(kCallMethod), Op(kPop)});
    auto assign = [](double value) {
        return Join({Try("e", Join({Get("o"), Str("p"), Num(value), Op(kSetMember)}),
                         Join({Get("e"), Trace()}), {}),
                     Get("o"), Str("p"), Op(kGetMember), Trace()});
    };
    EXPECT_EQ(TraceOf(7, {Join({watch, assign(1), assign(2)})}), "no\nundefined\nno\nundefined\n");
}

TEST(Avm1Classes, DeletingAPathDeletesTheMemberItLeadsTo) {
    // o = {a: 1, b: 2}; trace(delete "o.a"); trace(delete "o:b"); trace(o.a); trace(o.b);
    Bytes code =
        Join({Str("o"), Str("a"),         Num(1),         Str("b"), Num(2),         Num(2),
              Op(0x43), Op(kSetVariable), Str("o.a"),     Op(0x3b), Trace(),        Str("o:b"),
              Op(0x3b), Trace(),          Get("o"),       Str("a"), Op(kGetMember), Trace(),
              Get("o"), Str("b"),         Op(kGetMember), Trace()});
    EXPECT_EQ(TraceOf(7, {code}), "true\ntrue\nundefined\nundefined\n");
}

TEST(Avm1Classes, Swf5FunctionsCloseOverNothing) {
    // function f() { var foo = "f"; g = function () { trace(foo); }; }
    // foo = "root"; f(); g();
    Bytes f = Function2("f", 0,
                        Join({Str("foo"), Str("f"), Op(0x3c), Str("g"),
                              Function2("", 0, Join({Get("foo"), Trace()})), Op(kSetVariable)}));
    Bytes code = Join({f, Str("foo"), Str("root"), Op(kSetVariable), Num(0), Str("f"),
                       Op(kCallFunction), Op(kPop), Num(0), Str("g"), Op(kCallFunction), Op(kPop)});
    EXPECT_EQ(TraceOf(5, {code}), "root\n");
    EXPECT_EQ(TraceOf(6, {code}), "f\n");
}

TEST(Avm1Classes, UnnamedClipsAreNumberedAndShapesAreNot) {
    MovieWriter writer;
    writer.version = 8;
    writer.tag(tags::DefineRectShape(1, {0, 200, 0, 200}, {255, 0, 0, 255}));
    writer.tag(tags::DefineSprite(2, {{tags::DoAction({Join({Get("this"), Trace()})})}}));
    writer.frame(
        {tags::PlaceAt(1, 1), tags::PlaceAt(2, 2), tags::PlaceAt(3, 1), tags::PlaceAt(4, 2)});
    auto movie = swf::Movie::load(writer.bytes());
    ASSERT_TRUE(movie.ok());
    std::string out;
    swf::Player player(movie.value(), [&out](const std::string& line) { out += line + "\n"; });
    EXPECT_EQ(out, "_level0.instance1\n_level0.instance2\n");
}

// What assignment and delete may not change: a property inherited with a
// getter and no setter, a function's prototype, a String object's length.
TEST(Avm1Classes, ReadOnlyAndUndeletablePropertiesHoldTheirValues) {
    constexpr std::uint8_t kInitObject = 0x43;
    constexpr std::uint8_t kDelete = 0x3a;
    constexpr std::uint8_t kTypeOf = 0x44;
    auto traceHere = [](const std::string& object, const std::string& member) {
        return Join({Get(object), Str(member), Op(kGetMember), Trace()});
    };
    Bytes code =
        Join({Str("base"), Num(0), Op(kInitObject), Op(kSetVariable),
              // base.addProperty("p", function () { return 5; }, null);
              Push(2, {}), Function2("", 0, Join({Num(5), Op(0x3e)})), Str("p"), Num(3),
              Get("base"), Str("addProperty"), Op(kCallMethod), Op(kPop), Str("o"), Num(0),
              Op(kInitObject), Op(kSetVariable), Get("o"), Str("__proto__"), Get("base"),
              Op(kSetMember), Get("o"), Str("p"), Num(10), Op(kSetMember), traceHere("o", "p"),
              // delete f.prototype; delete s.length;
              Str("f"), Function2("", 0, {}), Op(kSetVariable), Get("f"), Str("prototype"),
              Op(kDelete), Op(kPop), Get("f"), Str("prototype"), Op(kGetMember), Op(kTypeOf),
              Trace(), Str("s"), Str("ab"), Num(1), Str("String"), Op(kNewObject), Op(kSetVariable),
              Get("s"), Str("length"), Op(kDelete), Op(kPop), traceHere("s", "length")});
    EXPECT_EQ(TraceOf(7, {code}), "5\nobject\n2\n");
}

// toString counts only when it gives a string, == converts NaN into nothing
// equal, and the string methods read 32-bit positions.
TEST(Avm1Classes, ConversionsAndStringPositionsFollowFlash) {
    constexpr std::uint8_t kEquals2 = 0x49;
    constexpr std::uint8_t kInitObject = 0x43;
    auto callOn = [](const Bytes& target, const std::string& method,
                     const std::vector<Bytes>& args) {
        Bytes code;
        for (auto it = args.rbegin(); it != args.rend(); ++it)
            code = Join({code, *it});
        return Join(
            {code, Num(double(args.size())), target, Str(method), Op(kCallMethod), Trace()});
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Bytes code = Join({Str("o"),
                       Str("toString"),
                       Function2("", 0, Join({Num(4), Op(0x3e)})),
                       Num(1),
                       Op(kInitObject),
                       Op(kSetVariable),
                       Get("o"),
                       Trace(),
                       Str("true"),
                       Num(nan),
                       Op(kEquals2),
                       Trace(),
                       Num(nan),
                       Num(nan),
                       Op(kEquals2),
                       Trace(),
                       callOn(Get("String"), "fromCharCode", {Num(80), Num(0), Num(81)}),
                       callOn(Str("hello"), "charAt", {Num(4294967297.0)}),
                       callOn(Str("hello"), "indexOf", {}),
                       callOn(Str("hello"), "indexOf", {Str(""), Num(9)})});
    EXPECT_EQ(TraceOf(7, {code}), "[type Object]\nfalse\ntrue\nP\ne\nundefined\n-1\n");
}

// LoadVars makes its query from its properties, newest first, escaped.
TEST(Avm1Classes, LoadVarsJoinsItsPropertiesIntoAQuery) {
    Bytes code =
        Join({Str("lv"), Num(0), Str("LoadVars"), Op(kNewObject), Op(kSetVariable), Get("lv"),
              Str("a b"), Str("x&y"), Op(kSetMember), Get("lv"), Str("c"), Num(1), Op(kSetMember),
              Num(0), Get("lv"), Str("toString"), Op(kCallMethod), Trace()});
    EXPECT_EQ(TraceOf(7, {code}), "c=1&a%20b=x%26y\n");
}

} // namespace
} // namespace vidorama::test
