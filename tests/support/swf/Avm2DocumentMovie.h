#pragma once

#include "movie/Movie.h"
#include "swf/AbcWriter.h"
#include "swf/SwfSoundWriter.h"
#include "swf/SwfWriter.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vidorama::test {

// Hand-assembled ActionScript 3 movies for tests and benchmarks.
namespace avm2movie {

enum Op : std::uint8_t {
    kCallProperty = 0x46,
    kCallPropVoid = 0x4f,
    kConstructProp = 0x4a,
    kConstructSuper = 0x49,
    kFindProperty = 0x5e,
    kFindPropStrict = 0x5d,
    kGetLex = 0x60,
    kGetLocal = 0x62,
    kGetLocal0 = 0xd0,
    kGetLocal1 = 0xd1,
    kGetLocal2 = 0xd2,
    kGetLocal3 = 0xd3,
    kGetProperty = 0x66,
    kGetScopeObject = 0x65,
    kHasNext2 = 0x32,
    kIfFalse = 0x12,
    kIfLt = 0x15,
    kIfNe = 0x14,
    kIncLocalI = 0xc2,
    kIncrement = 0x91,
    kInitProperty = 0x68,
    kJump = 0x10,
    kNewArray = 0x56,
    kNewClass = 0x58,
    kNewFunction = 0x40,
    kNewObject = 0x55,
    kNextValue = 0x23,
    kPop = 0x29,
    kPopScope = 0x1d,
    kPushByte = 0x24,
    kPushInt = 0x2d,
    kPushNamespace = 0x31,
    kPushNull = 0x20,
    kPushScope = 0x30,
    kPushShort = 0x25,
    kPushString = 0x2c,
    kPushTrue = 0x26,
    kReturnVoid = 0x47,
    kSetLocal = 0x63,
    kSetLocal1 = 0xd5,
    kSetLocal2 = 0xd6,
    kSetLocal3 = 0xd7,
    kSetProperty = 0x61,
};

// A document class `Main extends flash.display.MovieClip` whose constructor
// the test writes after the super call, and whose method tick(event) runs
// on every enterFrame; this.frames counts the ticks and this.kept is an
// empty array to keep objects in.
class DocumentMovie {
public:
    AbcWriter abc;
    AbcCode ctor;
    AbcCode tick;
    // Definitions and placements of the root's first frame.
    std::vector<Bytes> firstFrame;

    DocumentMovie() {
        ctor.op(kGetLocal0).op(kPushScope).op(kGetLocal0).op(kConstructSuper).u30(0);
        ctor.op(kGetLocal0).op(kPushByte).u8(0).op(kSetProperty).u30(name("frames"));
        ctor.op(kGetLocal0).op(kNewArray).u30(0).op(kSetProperty).u30(name("kept"));
        tick.op(kGetLocal0).op(kPushScope);
        tick.op(kGetLocal0).op(kGetLocal0).op(kGetProperty).u30(name("frames"));
        tick.op(kIncrement).op(kSetProperty).u30(name("frames"));
        m_noop = abc.method(AbcCode().op(kReturnVoid));
    }
    std::uint32_t name(const std::string& local, const std::string& pkg = "") {
        return abc.qname(local, pkg);
    }
    // new pkg.cls(), on the stack.
    void construct(AbcCode& code, const std::string& cls, const std::string& pkg) {
        code.op(kFindPropStrict).u30(name(cls, pkg)).op(kConstructProp).u30(name(cls, pkg)).u30(0);
    }
    // An empty function of its own, on the stack.
    void newFunction(AbcCode& code) { code.op(kNewFunction).u30(m_noop); }
    // Makes four objects (two plain, an array and a function) count times
    // and drops them; register 2 counts.
    void makeGarbage(AbcCode& code, std::uint16_t count) {
        code.op(kPushByte).u8(0).op(kSetLocal2).label("garbage");
        code.op(kNewObject).u30(0).op(kNewObject).u30(0).op(kPushString).u30(abc.string("x"));
        code.op(kNewArray).u30(3).op(kPop);
        newFunction(code);
        code.op(kPop).op(kIncLocalI).u30(2);
        code.op(kGetLocal2).op(kPushShort).u30(count).branch(kIfLt, "garbage");
    }
    // Makes count objects and keeps them in the array this.kept; register 2
    // counts.
    void keepObjects(AbcCode& code, std::uint16_t count) {
        code.op(kPushByte).u8(0).op(kSetLocal2).label("keep");
        code.op(kGetLocal0).op(kGetProperty).u30(name("kept")).op(kNewObject).u30(0);
        code.op(kCallPropVoid).u30(name("push")).u30(1).op(kIncLocalI).u30(2);
        code.op(kGetLocal2).op(kPushShort).u30(count).branch(kIfLt, "keep");
    }
    // trace(this.frames)
    void traceFrames(AbcCode& code) {
        code.op(kFindPropStrict).u30(name("trace")).op(kGetLocal0);
        code.op(kGetProperty).u30(name("frames")).op(kCallPropVoid).u30(name("trace")).u30(1);
    }
    // On the given frame: trace the values of the weak Dictionary this.w,
    // sorted and joined by commas. Registers 3 to 5.
    void traceSurvivorsOnFrame(AbcCode& code, int frame) {
        std::string skip = "skip" + std::to_string(frame), next = "next" + std::to_string(frame),
                    done = "done" + std::to_string(frame);
        code.op(kGetLocal0)
            .op(kGetProperty)
            .u30(name("frames"))
            .op(kPushByte)
            .u8(std::uint8_t(frame));
        code.branch(kIfNe, skip);
        code.op(kNewArray).u30(0).op(kSetLocal3);
        code.op(kPushByte).u8(0).op(kSetLocal).u30(4);
        code.op(kGetLocal0).op(kGetProperty).u30(name("w")).op(kSetLocal).u30(5);
        code.label(next).op(kHasNext2).u30(5).u30(4).branch(kIfFalse, done);
        code.op(kGetLocal3).op(kGetLocal).u30(5).op(kGetLocal).u30(4).op(kNextValue);
        code.op(kCallPropVoid).u30(name("push")).u30(1).branch(kJump, next);
        code.label(done).op(kGetLocal3).op(kCallPropVoid).u30(name("sort")).u30(0);
        code.op(kFindPropStrict).u30(name("trace")).op(kGetLocal3);
        code.op(kPushString).u30(abc.string(",")).op(kCallProperty).u30(name("join")).u30(1);
        code.op(kCallPropVoid).u30(name("trace")).u30(1).label(skip);
    }
    // this.w[object] = tag, for the object on the stack, which is left in
    // register 1; register 2 holds the weak Dictionary.
    void remember(const std::string& tag) {
        ctor.op(kSetLocal1).op(kGetLocal2).op(kPushNamespace).u30(abc.package());
        ctor.op(kGetLocal1).op(kPushString).u30(abc.string(tag));
        ctor.op(kSetProperty).u30(abc.runtimeQName());
    }

    // The movie: the class, its script and the root linked to it, in one frame.
    std::shared_ptr<const swf::Movie> movie() {
        // addEventListener("enterFrame", tick)
        ctor.op(kGetLocal0).op(kPushString).u30(abc.string("enterFrame"));
        ctor.op(kGetLocal0).op(kGetProperty).u30(name("tick"));
        ctor.op(kCallPropVoid).u30(name("addEventListener")).u30(2).op(kReturnVoid);
        tick.op(kReturnVoid);
        AbcWriter::ClassDef def;
        def.name = name("Main");
        def.base = name("MovieClip", "flash.display");
        def.iinit = abc.method(ctor, 0, 3);
        def.cinit = abc.method(AbcCode().op(kGetLocal0).op(kPushScope).op(kReturnVoid));
        def.methods.push_back({name("tick"), abc.method(tick, 1, 6)});
        std::uint32_t cls = abc.addClass(def);
        AbcCode init;
        init.op(kGetLocal0).op(kPushScope).op(kGetScopeObject).u8(0);
        init.op(kGetLex).u30(def.base).op(kNewClass).u30(cls).op(kInitProperty).u30(def.name);
        init.op(kReturnVoid);
        abc.script(abc.method(init, 0, 2), {cls});
        MovieWriter writer;
        writer.tag(tags::FileAttributes(true));
        std::vector<Bytes> frame{tags::DoAbc(abc.bytes()), tags::SymbolClass({{0, "Main"}})};
        frame.insert(frame.end(), firstFrame.begin(), firstFrame.end());
        writer.frame(frame);
        auto movie = swf::Movie::load(writer.bytes());
        return movie ? movie.value() : nullptr;
    }

private:
    std::uint32_t m_noop = 0;
};

} // namespace avm2movie
} // namespace vidorama::test
