// The ActionScript 3 machine on blocks assembled by hand: instructions,
// values as Flash prints them, exceptions, and broken or hostile blocks.

#include "avm2/AbcFile.h"
#include "avm2/CodeCheck.h"
#include "movie/Movie.h"
#include "player/Player.h"
#include "swf/AbcWriter.h"
#include "swf/SwfWriter.h"

#include <functional>
#include <gtest/gtest.h>

namespace vidorama::test {
namespace {

enum Op : std::uint8_t {
    kJump = 0x10,
    kIfLt = 0x15,
    kLookupSwitch = 0x1b,
    kPushByte = 0x24,
    kPushString = 0x2c,
    kPushDouble = 0x2f,
    kPushScope = 0x30,
    kReturnVoid = 0x47,
    kCallPropVoid = 0x4f,
    kPushNull = 0x20,
    kThrow = 0x03,
    kGetProperty = 0x66,
    kFindPropStrict = 0x5d,
    kGetLocal = 0x62,
    kSetLocal = 0x63,
    kAdd = 0xa0,
    kDivide = 0xa3,
    kConvertI = 0x73,
    kIncLocalI = 0xc2,
    kGetLocal0 = 0xd0,
    kPop = 0x29,
    kNewCatch = 0x5a,
    kCallProperty = 0x46,
    kConstructProp = 0x4a,
    kSetProperty = 0x61,
    kNewFunction = 0x40,
    kCall = 0x41,
    kPushInt = 0x2d,
    kGetLex = 0x60,
    kNewClass = 0x58,
    kInitProperty = 0x68,
    kGetScopeObject = 0x65,
    kConstructSuper = 0x49,
};

struct Played {
    std::string traced;
    std::string limits;
    std::vector<std::string> missing;
};

Played PlayBlock(const std::vector<std::uint8_t>& abc, int frames = 1) {
    MovieWriter writer;
    writer.tag(tags::FileAttributes(true));
    writer.frame({tags::DoAbc(abc)});
    for (int i = 1; i < frames; ++i)
        writer.frame();
    auto movie = swf::Movie::load(writer.bytes());
    EXPECT_TRUE(movie.ok());
    Played played;
    swf::Player player(movie.value(),
                       [&](const std::string& line) { played.traced += line + "\n"; });
    for (int i = 1; i < frames; ++i)
        player.advanceFrame();
    played.limits = player.limitsReached().describe();
    played.missing = player.scriptFeaturesMissing();
    return played;
}

// A script whose initializer is the code fill() writes between scope set-up
// and return; trace(v) is written with Trace().
class Script {
public:
    AbcWriter abc;
    AbcCode code;

    Script() { code.op(kGetLocal0).op(kPushScope); }
    void traceBegin() { code.op(kFindPropStrict).u30(abc.qname("trace")); }
    void traceEnd() { code.op(kCallPropVoid).u30(abc.qname("trace")).u30(1); }
    void pushString(const std::string& s) { code.op(kPushString).u30(abc.string(s)); }
    void pushDouble(double d) { code.op(kPushDouble).u30(abc.number(d)); }
    std::vector<std::uint8_t> finish(std::vector<AbcWriter::Handler> handlers = {}) {
        code.op(kReturnVoid);
        abc.script(abc.method(code, 0, 4, std::move(handlers)));
        return abc.bytes();
    }
};

TEST(Avm2Interpreter, ValuesAndOperatorsTraceAsFlashPrintsThem) {
    Script s;
    s.traceBegin();
    s.pushDouble(0.1);
    s.pushDouble(0.2);
    s.code.op(kAdd);
    s.traceEnd();
    s.traceBegin();
    s.code.op(kPushByte).u8(7).op(kPushByte).u8(2).op(kDivide);
    s.traceEnd();
    s.traceBegin();
    s.pushDouble(-3.75);
    s.code.op(kConvertI);
    s.traceEnd();
    s.traceBegin();
    s.pushString("a");
    s.pushDouble(1e21);
    s.code.op(kAdd);
    s.traceEnd();
    s.traceBegin();
    s.code.op(kPushNull);
    s.pushString("");
    s.code.op(kAdd);
    s.traceEnd();
    EXPECT_EQ(PlayBlock(s.finish()).traced, "0.30000000000000004\n3.5\n-3\na1e+21\nnull\n");
}

TEST(Avm2Interpreter, BranchesLoopsAndSwitchesFollowTheirOffsets) {
    Script s;
    // for (i = 0, sum = 0; i < 10; ++i) sum += i;  trace(sum)
    s.code.op(kPushByte).u8(0).op(kSetLocal).u30(1);
    s.code.op(kPushByte).u8(0).op(kSetLocal).u30(2);
    s.code.branch(kJump, "test");
    s.code.label("body");
    s.code.op(kGetLocal).u30(2).op(kGetLocal).u30(1).op(kAdd).op(kSetLocal).u30(2);
    s.code.op(kIncLocalI).u30(1);
    s.code.label("test");
    s.code.op(kGetLocal).u30(1).op(kPushByte).u8(10).branch(kIfLt, "body");
    s.traceBegin();
    s.code.op(kGetLocal).u30(2);
    s.traceEnd();
    // switch (2): the offsets count from the lookupswitch itself.
    s.code.op(kPushByte).u8(2);
    std::size_t at = s.code.here();
    s.code.op(kLookupSwitch);
    std::size_t operands = s.code.here();
    auto offsetTo = [&](std::size_t target) {
        return std::int32_t(target) - std::int32_t(at);
    };
    // The table is written once its targets are known: 3 + 1 + 3 * 3 bytes.
    std::size_t caseStart = operands + 13;
    AbcCode cases;
    std::vector<std::size_t> starts;
    for (const char* text : {"zero", "one", "two"}) {
        starts.push_back(caseStart + cases.here());
        cases.op(kFindPropStrict).u30(s.abc.qname("trace")).op(kPushString).u30(s.abc.string(text));
        cases.op(kCallPropVoid).u30(s.abc.qname("trace")).u30(1).op(kReturnVoid);
    }
    std::size_t fallback = caseStart + cases.here();
    auto s24 = [&](std::int32_t v) {
        for (int i = 0; i < 3; ++i)
            s.code.u8(std::uint8_t(std::uint32_t(v) >> (8 * i)));
    };
    s24(offsetTo(fallback));
    s.code.u30(2);
    for (std::size_t start : starts)
        s24(offsetTo(start));
    for (std::uint8_t byte : cases.bytes())
        s.code.u8(byte);
    EXPECT_EQ(PlayBlock(s.finish()).traced, "45\ntwo\n");
}

TEST(Avm2Interpreter, ExceptionsReachTheirHandlersWithFlashsErrors) {
    Script s;
    std::size_t tryStart = s.code.here();
    // null.foo: a TypeError the machine raises.
    s.code.op(kPushNull).op(kGetProperty).u30(s.abc.qname("foo")).op(kPop);
    std::size_t tryEnd = s.code.here();
    s.code.branch(kJump, "after");
    std::size_t handler = s.code.here();
    s.code.op(kSetLocal).u30(1).op(kGetLocal0).op(kPushScope);
    s.traceBegin();
    s.code.op(kGetLocal).u30(1);
    s.traceEnd();
    s.code.label("after");
    // A thrown string reaches a handler of any type.
    std::size_t throwStart = s.code.here();
    s.pushString("thrown");
    s.code.op(kThrow);
    std::size_t throwEnd = s.code.here();
    std::size_t handler2 = s.code.here();
    s.code.op(kSetLocal).u30(1).op(kGetLocal0).op(kPushScope);
    s.traceBegin();
    s.code.op(kGetLocal).u30(1);
    s.traceEnd();
    auto abc = s.finish(
        {{std::uint32_t(tryStart), std::uint32_t(tryEnd), std::uint32_t(handler), 0, 0},
         {std::uint32_t(throwStart), std::uint32_t(throwEnd), std::uint32_t(handler2), 0, 0}});
    EXPECT_EQ(
        PlayBlock(abc).traced,
        "TypeError: Error #1009: Cannot access a property or method of a null object reference.\n"
        "thrown\n");
}

TEST(Avm2Interpreter, EndlessLoopsAreCutAndTheMoviePlaysOn) {
    Script s;
    s.code.label("top").branch(kJump, "top");
    Played played = PlayBlock(s.finish(), 3);
    EXPECT_NE(played.limits.find("script"), std::string::npos) << played.limits;
}

TEST(Avm2Interpreter, StringsThatDoubleThemselvesStopAtTheLimit) {
    Script s;
    s.pushString("ab");
    s.code.op(kSetLocal).u30(1);
    s.code.label("top");
    s.code.op(kGetLocal).u30(1).op(kGetLocal).u30(1).op(kAdd).op(kSetLocal).u30(1);
    s.code.branch(kJump, "top");
    Played played = PlayBlock(s.finish(), 2);
    ASSERT_EQ(played.missing.size(), 1u);
    EXPECT_NE(played.missing[0].find("Error #1000"), std::string::npos) << played.missing[0];
}

// Flash's debugger logs an uncaught error with the methods it came through.
TEST(Avm2Interpreter, UndefinedNamesAreReferenceErrorsNamedInTheNote) {
    Script s;
    s.code.op(kFindPropStrict).u30(s.abc.qname("Context3D", "flash.display3D")).op(kPop);
    Played played = PlayBlock(s.finish());
    EXPECT_EQ(
        played.traced,
        "ReferenceError: Error #1065: Variable Context3D is not defined.\n\tat global$init()\n");
    ASSERT_FALSE(played.missing.empty());
    EXPECT_NE(std::find(played.missing.begin(), played.missing.end(), "flash.display3D.Context3D"),
              played.missing.end());
}

TEST(Avm2Interpreter, ByteArraysRoundTripAndRefuseWhatPassesTheirLimits) {
    Script s;
    auto local2 = [&] {
        s.code.op(kGetLocal).u30(2);
    };
    auto call = [&](const char* method, std::uint32_t argc, bool keep) {
        s.code.op(keep ? kCallProperty : kCallPropVoid).u30(s.abc.qname(method)).u30(argc);
    };
    std::uint32_t byteArray = s.abc.qname("ByteArray", "flash.utils");
    s.code.op(kFindPropStrict).u30(byteArray).op(kConstructProp).u30(byteArray).u30(0);
    s.code.op(kSetLocal).u30(2);
    local2();
    s.pushString("h\xc3\xa9");
    call("writeUTFBytes", 1, false);
    local2();
    call("compress", 0, false);
    local2();
    call("uncompress", 0, false);
    s.traceBegin();
    local2();
    s.code.op(kGetProperty).u30(s.abc.qname("length"));
    s.traceEnd();
    s.traceBegin();
    local2();
    call("toString", 0, true);
    s.traceEnd();
    // Each failure is caught and traced by the same kind of handler.
    std::vector<AbcWriter::Handler> handlers;
    auto guarded = [&](const std::function<void()>& body) {
        std::size_t start = s.code.here();
        body();
        std::size_t end = s.code.here();
        std::string after = "after" + std::to_string(start);
        s.code.branch(kJump, after);
        std::size_t handler = s.code.here();
        s.code.op(kSetLocal).u30(1).op(kGetLocal0).op(kPushScope);
        s.traceBegin();
        s.code.op(kGetLocal).u30(1);
        s.traceEnd();
        s.code.label(after);
        handlers.push_back(
            {std::uint32_t(start), std::uint32_t(end), std::uint32_t(handler), 0, 0});
    };
    guarded([&] {
        local2();
        s.pushDouble(1e12);
        s.code.op(kSetProperty).u30(s.abc.qname("length"));
    });
    guarded([&] {
        local2();
        call("uncompress", 0, false);
    });
    guarded([&] {
        local2();
        s.pushDouble(100);
        s.code.op(kSetProperty).u30(s.abc.qname("position"));
        local2();
        call("readInt", 0, false);
    });
    EXPECT_EQ(PlayBlock(s.finish(std::move(handlers))).traced,
              "3\nh\xc3\xa9\n"
              "Error: Error #1000: The system is out of memory.\n"
              "Error: Error #2058: There was an error decompressing the data.\n"
              "Error: Error #2030: End of file was encountered.\n");
}

// AMF: a value written is read back, each writeObject with tables of its
// own; data cut short, and nesting past the limit, end in Flash's errors.
TEST(Avm2Interpreter, AmfRoundTripsAndRefusesCutOrEndlesslyNestedData) {
    Script s;
    auto local2 = [&] {
        s.code.op(kGetLocal).u30(2);
    };
    auto call = [&](const char* method, std::uint32_t argc, bool keep) {
        s.code.op(keep ? kCallProperty : kCallPropVoid).u30(s.abc.qname(method)).u30(argc);
    };
    auto setPosition = [&](int position) {
        local2();
        s.code.op(kPushByte).u8(std::uint8_t(position));
        s.code.op(kSetProperty).u30(s.abc.qname("position"));
    };
    std::uint32_t byteArray = s.abc.qname("ByteArray", "flash.utils");
    s.code.op(kFindPropStrict).u30(byteArray).op(kConstructProp).u30(byteArray).u30(0);
    s.code.op(kSetLocal).u30(2);
    for (int i = 0; i < 2; ++i) {
        local2();
        s.pushString("abc");
        call("writeObject", 1, false);
    }
    s.traceBegin();
    local2();
    s.code.op(kGetProperty).u30(s.abc.qname("length"));
    s.traceEnd();
    setPosition(5);
    s.traceBegin();
    local2();
    call("readObject", 0, true);
    s.traceEnd();
    std::vector<AbcWriter::Handler> handlers;
    auto guardedRead = [&] {
        std::size_t start = s.code.here();
        local2();
        call("readObject", 0, false);
        std::size_t end = s.code.here();
        std::string after = "after" + std::to_string(start);
        s.code.branch(kJump, after);
        std::size_t handler = s.code.here();
        s.code.op(kSetLocal).u30(1).op(kGetLocal0).op(kPushScope);
        s.traceBegin();
        s.code.op(kGetLocal).u30(1);
        s.traceEnd();
        s.code.label(after);
        handlers.push_back(
            {std::uint32_t(start), std::uint32_t(end), std::uint32_t(handler), 0, 0});
    };
    // A string marker whose length runs past the end.
    setPosition(0);
    local2();
    s.code.op(kPushByte).u8(2);
    s.code.op(kSetProperty).u30(s.abc.qname("length"));
    setPosition(0);
    guardedRead();
    // Arrays of one array each, deeper than any reader may follow.
    setPosition(0);
    for (int i = 0; i < 600; ++i)
        for (std::uint8_t byte : {std::uint8_t(0x09), std::uint8_t(0x03), std::uint8_t(0x01)}) {
            local2();
            s.code.op(kPushByte).u8(byte);
            call("writeByte", 1, false);
        }
    setPosition(0);
    guardedRead();
    EXPECT_EQ(PlayBlock(s.finish(std::move(handlers))).traced,
              "10\nabc\n"
              "Error: Error #2030: End of file was encountered.\n"
              "Error: Error #1023: Stack overflow occurred.\n");
}

TEST(Avm2CodeCheck, CodeThatCanRunIsRefusedBeforeTheMethodRuns) {
    swf::avm2::AbcFile abc;
    abc.ints = {0, 7};
    abc.methods.resize(1);
    auto check = [&](std::vector<std::uint8_t> code, std::uint32_t handlerTarget = 0) {
        swf::avm2::AbcMethodBody body;
        body.code = code;
        if (handlerTarget)
            body.exceptions.push_back({0, 1, handlerTarget, 0, 0});
        auto fault = swf::avm2::CheckCode(abc, body);
        return fault ? std::to_string(fault->code) + " " + fault->detail + " " + fault->more
                     : std::string("ok");
    };
    // pushbyte 5; jump +0; pop; returnvoid: every target on an instruction.
    EXPECT_EQ(check({kPushByte, 5, kJump, 0, 0, 0, kPop, kReturnVoid}), "ok");
    // The jump lands on pushbyte's operand.
    EXPECT_EQ(check({kPushByte, 5, kJump, 0xfb, 0xff, 0xff, kReturnVoid}), "1021  ");
    // Past the end, and a handler inside an instruction.
    EXPECT_EQ(check({kJump, 9, 0, 0, kReturnVoid}), "1021  ");
    EXPECT_EQ(check({kPushByte, 5, kPop, kReturnVoid}, 1), "1021  ");
    // Junk after a jump is never read.
    EXPECT_EQ(check({kJump, 4, 0, 0, kPushByte, kJump, 0xff, 0xff, kReturnVoid}), "ok");
    // Operands naming what the block lacks, with Flash's details.
    EXPECT_EQ(check({kPushInt, 0, kReturnVoid}), "1032 0 2");
    EXPECT_EQ(check({kPushInt, 1, kReturnVoid}), "ok");
    EXPECT_EQ(check({kNewFunction, 3, kReturnVoid}), "1027 3 1");
    // A lookupswitch whose case table runs past the code is cut, not read.
    EXPECT_EQ(check({kLookupSwitch, 0, 0, 0, 0x7f}), "ok");
    // An instruction of unknown length leaves the rest to the interpreter.
    EXPECT_EQ(check({0xff, kJump, 0x7f, 0, 0}), "ok");
}

// Stack traces name methods by the traits that bind them, as Flash's
// debugger does: constructors by their class, class initialisers with
// "$cinit", methods after a slash.
TEST(Avm2Interpreter, StackTracesNameMethodsByTheirClasses) {
    Script s;
    std::uint32_t error = s.abc.qname("Error");
    std::uint32_t object = s.abc.qname("Object");
    std::uint32_t named = s.abc.qname("Named", "pkg");
    std::uint32_t run = s.abc.qname("run");
    auto traceStack = [&](AbcCode& code) {
        code.op(kFindPropStrict).u30(s.abc.qname("trace"));
        code.op(kFindPropStrict).u30(error).op(kConstructProp).u30(error).u30(0);
        code.op(kCallProperty).u30(s.abc.qname("getStackTrace")).u30(0);
        code.op(kCallPropVoid).u30(s.abc.qname("trace")).u30(1);
    };
    AbcCode cinit;
    cinit.op(kGetLocal0).op(kPushScope);
    traceStack(cinit);
    cinit.op(kReturnVoid);
    AbcCode ctor;
    ctor.op(kGetLocal0).op(kPushScope).op(kGetLocal0).op(kConstructSuper).u30(0);
    traceStack(ctor);
    ctor.op(kReturnVoid);
    AbcCode method;
    method.op(kGetLocal0).op(kPushScope);
    traceStack(method);
    method.op(kReturnVoid);
    AbcWriter::ClassDef def;
    def.name = named;
    def.base = object;
    def.iinit = s.abc.method(ctor);
    def.cinit = s.abc.method(cinit);
    def.methods = {{run, s.abc.method(method)}};
    std::uint32_t cls = s.abc.addClass(def);
    s.code.op(kGetScopeObject).u8(0).op(kGetLex).u30(object).op(kNewClass).u30(cls);
    s.code.op(kInitProperty).u30(named);
    s.code.op(kFindPropStrict).u30(named).op(kConstructProp).u30(named).u30(0);
    s.code.op(kCallPropVoid).u30(run).u30(0);
    s.code.op(kReturnVoid);
    s.abc.script(s.abc.method(s.code, 0, 4), {cls});
    EXPECT_EQ(PlayBlock(s.abc.bytes()).traced,
              "Error\n\tat pkg::Named$cinit()\n\tat global$init()\n"
              "Error\n\tat pkg::Named()\n\tat global$init()\n"
              "Error\n\tat pkg::Named/run()\n\tat global$init()\n");
}

// Each kind of error names itself on its prototype; those of flash.errors
// still call their instances "Error".
TEST(Avm2Interpreter, ErrorKindsNameThemselvesAsFlashDoes) {
    Script s;
    auto traceNew = [&](const std::string& cls, const std::string& package) {
        std::uint32_t name = s.abc.qname(cls, package);
        s.traceBegin();
        s.code.op(kFindPropStrict).u30(name);
        s.pushString("x");
        s.code.op(kConstructProp).u30(name).u30(1);
        s.traceEnd();
    };
    traceNew("RangeError", "");
    traceNew("EOFError", "flash.errors");
    for (std::string cls : {"EOFError", "Error"}) {
        s.traceBegin();
        s.code.op(kGetLex).u30(s.abc.qname(cls, cls == "Error" ? "" : "flash.errors"));
        s.code.op(kGetProperty).u30(s.abc.qname("prototype"));
        s.code.op(kGetProperty).u30(s.abc.qname("message"));
        s.traceEnd();
    }
    EXPECT_EQ(PlayBlock(s.finish()).traced, "RangeError: x\nError: x\nundefined\nError\n");
}

TEST(Avm2Interpreter, NewFunctionMakesAnEmptyFunction) {
    Script s;
    std::uint32_t function = s.abc.qname("Function");
    s.traceBegin();
    s.code.op(kFindPropStrict).u30(function).op(kConstructProp).u30(function).u30(0);
    s.code.op(kPushNull).op(kPushByte).u8(1).op(kCall).u30(1);
    s.traceEnd();
    EXPECT_EQ(PlayBlock(s.finish()).traced, "undefined\n");
}

TEST(Avm2Interpreter, ErrorsKeepTheMethodsRunningWhenTheyWereMade) {
    Script s;
    std::uint32_t error = s.abc.qname("Error");
    auto traceStackOfNewError = [&](AbcCode& code) {
        code.op(kFindPropStrict).u30(s.abc.qname("trace"));
        code.op(kFindPropStrict).u30(error).op(kConstructProp).u30(error).u30(0);
        code.op(kCallProperty).u30(s.abc.qname("getStackTrace")).u30(0);
        code.op(kCallPropVoid).u30(s.abc.qname("trace")).u30(1);
    };
    // A function no trait names, called from the script's initializer.
    AbcCode inner;
    traceStackOfNewError(inner);
    inner.op(kReturnVoid);
    std::uint32_t function = s.abc.method(inner, 0, 1);
    traceStackOfNewError(s.code);
    s.code.op(kNewFunction).u30(function).op(kPushNull).op(kCall).u30(0).op(kPop);
    // Flash's texts by number, their placeholders left in.
    for (int code : {1009, 1063, 5}) {
        s.traceBegin();
        s.code.op(kFindPropStrict).u30(error).op(kGetProperty).u30(error);
        s.code.op(kPushDouble).u30(s.abc.number(code));
        s.code.op(kCallProperty).u30(s.abc.qname("getErrorMessage")).u30(1);
        s.traceEnd();
    }
    EXPECT_EQ(PlayBlock(s.finish()).traced,
              "Error\n\tat global$init()\n"
              "Error\n\tat MethodInfo-0()\n\tat global$init()\n"
              "Error #1009: Cannot access a property or method of a null object reference.\n"
              "Error #1063: Argument count mismatch on %1. Expected %2, got %3.\n"
              "Error #5\n");
}

TEST(AbcReader, BrokenBlocksAreRefusedWithAReason) {
    Script s;
    s.traceBegin();
    s.pushString("x");
    s.traceEnd();
    std::vector<std::uint8_t> abc = s.finish();
    ASSERT_TRUE(swf::avm2::ReadAbc(abc).ok());
    for (std::size_t cut = 0; cut < abc.size(); ++cut) {
        std::vector<std::uint8_t> shorter(abc.begin(), abc.begin() + std::ptrdiff_t(cut));
        auto result = swf::avm2::ReadAbc(shorter);
        ASSERT_FALSE(result.ok()) << cut;
        EXPECT_NE(result.error().message.find("broken ActionScript 3 block"), std::string::npos);
    }
    // A string pool that claims more entries than the block has bytes.
    std::vector<std::uint8_t> lying = {16, 0, 46, 0, 0, 0, 0, 0xff, 0xff, 0x03};
    EXPECT_FALSE(swf::avm2::ReadAbc(lying).ok());
    Played played = PlayBlock(lying);
    EXPECT_EQ(played.traced, "");
    ASSERT_EQ(played.missing.size(), 1u);
    EXPECT_NE(played.missing[0].find("too many"), std::string::npos) << played.missing[0];
}

} // namespace
} // namespace vidorama::test
