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

} // namespace
} // namespace vidorama::test
