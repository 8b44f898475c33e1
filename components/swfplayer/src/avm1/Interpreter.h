#pragma once

#include "avm1/Activation.h"
#include "avm1/Vm.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vidorama::swf {
class ByteReader;
class MovieClip;
} // namespace vidorama::swf

namespace vidorama::swf::avm1 {

// Whether a variable name is a target path ("a.b", "/a:b") rather than
// a plain name.
bool IsPath(std::string_view name);

// Runs the action records of one activation. Blocks inside the code (with,
// try) run as nested ranges; a jump out of a range ends it and goes on in
// the enclosing one. Every record read is bounded by its own length.
class Interpreter {
public:
    Interpreter(Vm& vm, Activation& activation) : m_vm(vm), m_a(activation) {}

    // The value of ActionReturn, or undefined.
    Value run();

private:
    struct Outcome {
        enum class Kind { Done, Return, Jump } kind = Kind::Done;
        std::size_t pc = 0;
        Value value;
    };
    enum class Flow { Next, Return, End };

    Outcome runRange(std::size_t begin, std::size_t end);
    Flow execute(std::uint8_t code, ByteReader& record, std::size_t& next);
    Flow executeSwf4(std::uint8_t code, ByteReader& record, std::size_t& next, bool& handled);
    Flow executeSwf5(std::uint8_t code, ByteReader& record, std::size_t& next, bool& handled);
    Flow executeObjects(std::uint8_t code, ByteReader& record, std::size_t& next, bool& handled);

    // Stack.
    Value pop();
    void push(Value value) { m_vm.push(std::move(value)); }
    std::vector<Value> popArguments();
    std::vector<Value> popArguments(double count);
    Value pushResult(bool b); // SWF 4 pushes 1 or 0 where later versions push booleans
    void readPush(ByteReader& record);

    // Variables and paths.
    Value getVariable(std::string_view name);
    void setVariable(std::string_view name, const Value& value);
    Value lookupScoped(std::string_view name);
    Object* localScope();
    Object* targetScope();
    Object* startObject();
    void splitPath(std::string_view name, Object*& holder, std::string_view& member);

    // Timeline actions.
    MovieClip* target();
    void setTarget(const Value& target);
    void gotoFrame2(ByteReader& record);
    void callFrame(const Value& frame);
    void getClipProperty();
    void setClipProperty();

    // Functions, blocks and objects.
    void defineFunction(ByteReader& record, std::size_t& next, bool version2);
    Flow runWith(ByteReader& record, std::size_t& next, Outcome& inner);
    Flow runTry(ByteReader& record, std::size_t& next, Outcome& inner);
    Outcome runTryAndCatch(std::uint8_t flags, const std::string& catchName,
                           std::uint8_t catchRegister, std::size_t tryBegin, std::size_t catchBegin,
                           std::size_t finallyBegin);
    void callFunction();
    void callMethod();
    Value callSuper(SuperObject& super, std::span<const Value> args);
    void newObject(bool method);
    void enumerate(const Value& object);
    void extends();
    bool instanceOf(const Value& object, const Value& constructor);

    // Arithmetic.
    void binaryNumber(std::uint8_t code);
    void add2();
    void compare(bool greater);
    void stringOp(std::uint8_t code);

    Vm& m_vm;
    Activation& m_a;
    // Set by a nested range that ended with a return or a jump out.
    Outcome m_pending;
};

} // namespace vidorama::swf::avm1
