// Array.sort and Array.sortOn as Flash orders, checks and reports elements.

#include "Avm1Assembler.h"

#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

using namespace as;

constexpr std::uint8_t kGetVariable = 0x1c;
constexpr std::uint8_t kSetVariable = 0x1d;
constexpr std::uint8_t kGetMember = 0x4e;
constexpr std::uint8_t kCallMethod = 0x52;
constexpr std::uint8_t kInitArray = 0x42;
constexpr std::uint8_t kInitObject = 0x43;
constexpr std::uint8_t kSetMember = 0x4f;
constexpr std::uint8_t kNewObject = 0x40;
constexpr std::uint8_t kAdd2 = 0x47;
constexpr std::uint8_t kEquals2 = 0x49;
constexpr std::uint8_t kEnumerate2 = 0x55;
constexpr std::uint8_t kPop = 0x17;

// name = [elements...];
Bytes SetArray(const std::string& name, const std::vector<Bytes>& elements) {
    Bytes code = Str(name);
    for (auto it = elements.rbegin(); it != elements.rend(); ++it)
        code = Join({code, *it});
    return Join({code, Num(double(elements.size())), Op(kInitArray), Op(kSetVariable)});
}
// trace(name.method(args...));
Bytes TraceCall(const std::string& name, const std::string& method,
                const std::vector<Bytes>& args) {
    Bytes code;
    for (auto it = args.rbegin(); it != args.rend(); ++it)
        code = Join({code, *it});
    return Join({code, Num(double(args.size())), Str(name), Op(kGetVariable), Str(method),
                 Op(kCallMethod), Trace()});
}
Bytes TraceVariable(const std::string& name) {
    return Join({Str(name), Op(kGetVariable), Trace()});
}
// name[index] = value;
Bytes SetElement(const std::string& name, const Bytes& index, const Bytes& value) {
    return Join({Str(name), Op(kGetVariable), index, value, Op(kSetMember)});
}
// trace(name.member);
Bytes TraceMember(const std::string& name, const std::string& member) {
    return Join({Str(name), Op(kGetVariable), Str(member), Op(kGetMember), Trace()});
}
// var s = ""; for (var k in name) s += k + ","; trace(s);
Bytes TraceKeys(const std::string& name) {
    Bytes body = Join({Str("s"), Str("s"), Op(kGetVariable), Reg(0), Op(kAdd2), Str(","), Op(kAdd2),
                       Op(kSetVariable)});
    Bytes test = Join({SwfBitWriter().u8(0x87).u16(1).u8(0).take(), Push(2, {}), Op(kEquals2)});
    auto skip = static_cast<std::int16_t>(body.size() + 5);
    auto back = static_cast<std::int16_t>(-(test.size() + 5 + body.size() + 5));
    return Join({Str("s"), Str(""), Op(kSetVariable), Str(name), Op(kGetVariable), Op(kEnumerate2),
                 test, Branch(0x9d, skip), body, Branch(0x99, back), TraceVariable("s")});
}

TEST(Avm1Array, SortFlagsCheckForDuplicatesAndReportIndexes) {
    Bytes code = Join({SetArray("a", {Num(3), Num(1), Num(2)}),
                       // UNIQUESORT | RETURNINDEXEDARRAY leaves the array as it was.
                       TraceCall("a", "sort", {Num(4 | 8)}), TraceVariable("a"),
                       SetArray("b", {Num(1), Str("x"), Num(1)}), TraceCall("b", "sort", {Num(4)}),
                       TraceVariable("b"),
                       // A first argument that is neither a function nor a number.
                       TraceCall("a", "sort", {Str("bogus")}), TraceVariable("a")});
    EXPECT_EQ(TraceOf(7, {code}), "1,2,0\n3,1,2\n0\n1,x,1\nundefined\n3,1,2\n");
}

TEST(Avm1Array, NumericSortComparesOnlyNumbersAsNumbers) {
    Bytes code =
        Join({SetArray("a", {Str("b"), Num(10), Str("22"), Num(9), Num(-1)}),
              TraceCall("a", "sort", {Num(16)}),
              SetArray("c", {Str("b"), Str("\xc3\x89t\xc3\xa9"), Str("\xc3\xa9T\xc3\xa9")}),
              TraceCall("c", "sort", {Num(1 | 4)})});
    // "22" compares with the numbers by its text; folding makes "Été" and
    // "éTé" equal, so the unique sort refuses.
    EXPECT_EQ(TraceOf(7, {code}), "-1,10,22,9,b\n0\n");
}

TEST(Avm1Array, SortOnOrdersByNamedPropertiesInTurn) {
    auto object = [](double n, double m) {
        return Join({Str("n"), Num(n), Str("m"), Num(m), Num(2), Op(kInitObject)});
    };
    Bytes code = Join({SetArray("a", {object(2, 1), object(1, 5), object(2, 0)}), Str("names"),
                       Str("m"), Str("n"), Num(2), Op(kInitArray), Op(kSetVariable), Str("flags"),
                       Num(16), Num(2), Num(2), Op(kInitArray), Op(kSetVariable),
                       // a.sortOn(["n", "m"], [DESCENDING, NUMERIC]) then the m of each.
                       Str("flags"), Op(kGetVariable), Str("names"), Op(kGetVariable), Num(2),
                       Str("a"), Op(kGetVariable), Str("sortOn"), Op(kCallMethod), Op(0x17)});
    for (int i = 0; i < 3; ++i)
        code = Join({code, Str("a"), Op(kGetVariable), Num(i), Op(kGetMember), Str("m"),
                     Op(kGetMember), Trace()});
    EXPECT_EQ(TraceOf(7, {code}), "0\n1\n5\n");
}

// Elements are ordinary properties: holes are absent, and the length is a
// 32-bit number that an index at or above it raises and that, lowered,
// takes the elements above it away.
TEST(Avm1Array, LengthFollowsIndexesAsThirtyTwoBitNumbers) {
    Bytes code = Join({SetArray("a", {}), SetElement("a", Num(3), Str("x")),
                       TraceMember("a", "length"), TraceKeys("a"), TraceVariable("a"),
                       SetElement("a", Str("-5"), Str("y")), TraceMember("a", "length"),
                       // 2^31 - 1 wraps the length round to -2^31, emptying 0..3.
                       SetElement("a", Num(2147483647), Str("z")), TraceMember("a", "length"),
                       TraceKeys("a"), SetElement("a", Str("4294967296"), Str("w")),
                       TraceMember("a", "length")});
    EXPECT_EQ(TraceOf(7, {code}), "4\n3,\nundefined,undefined,undefined,x\n4\n-2147483648\n"
                                  "2147483647,-5,\n1\n");
}

TEST(Avm1Array, ShorterLengthRemovesElementsAndNewArrayMakesHoles) {
    Bytes code = Join({SetArray("a", {Num(1), Num(2), Num(3)}), TraceKeys("a"), Str("a"),
                       Op(kGetVariable), Str("length"), Num(1), Op(kSetMember), TraceKeys("a"),
                       TraceMember("a", "2"), Str("h"), Num(3), Num(1), Str("Array"),
                       Op(kNewObject), Op(kSetVariable), TraceVariable("h"), TraceKeys("h")});
    EXPECT_EQ(TraceOf(7, {code}), "2,1,0,\n0,\nundefined\nundefined,undefined,undefined\n\n");
}

// reverse and unshift rewrite the elements they move, so holes among them
// become undefined elements and for..in lists them in the order written.
TEST(Avm1Array, MovedElementsAreWrittenAnew) {
    Bytes code = Join({SetArray("a", {}), SetElement("a", Num(2), Str("c")),
                       TraceCall("a", "reverse", {}), TraceKeys("a"),
                       TraceCall("a", "unshift", {Str("z")}), TraceKeys("a"), TraceVariable("a")});
    EXPECT_EQ(TraceOf(7, {code}), "c,undefined,undefined\n2,0,\n4\n0,1,2,3,\n"
                                  "z,c,undefined,undefined\n");
}

// An element count that is no 32-bit length makes undefined and leaves the
// values where they were.
TEST(Avm1Array, InitArrayWithAnImpossibleCountTakesNothing) {
    Bytes code = Join({Str("a"), Str("b"), Num(4294967297.0), Op(kInitArray), Trace(), Trace(),
                       Trace(), Str("c"), Num(1), Op(kInitArray), Trace()});
    EXPECT_EQ(TraceOf(7, {code}), "undefined\nb\na\nc\n");
}

// Array's methods work on any object through its length and indexes.
TEST(Avm1Array, MethodsWorkOnObjectsWithALength) {
    auto borrow = [](const std::string& method) {
        return Join({Str("o"), Op(kGetVariable), Str(method), Str("Array"), Op(kGetVariable),
                     Str("prototype"), Op(kGetMember), Str(method), Op(kGetMember),
                     Op(kSetMember)});
    };
    Bytes code =
        Join({Str("o"), Str("length"), Num(1), Str("0"), Str("p"), Num(2), Op(kInitObject),
              Op(kSetVariable), borrow("push"), borrow("join"), TraceCall("o", "push", {Str("q")}),
              TraceMember("o", "length"), TraceCall("o", "join", {Str("-")})});
    EXPECT_EQ(TraceOf(7, {code}), "2\n2\np-q\n");
}

} // namespace
} // namespace vidorama::test
