#include "avm1/Interpreter.h"

#include "avm1/ActionCodes.h"
#include "avm1/ClipControl.h"
#include "avm1/NumberText.h"
#include "player/MovieClip.h"
#include "swf/ByteReader.h"

#include <bit>
#include <cmath>
#include <random>

namespace vidorama::swf::avm1 {

Value Interpreter::run() {
    struct Running {
        const Activation*& slot;
        const Activation* outer;
        ~Running() { slot = outer; }
    } running{m_vm.m_running, m_vm.m_running};
    m_vm.m_running = &m_a;
    std::size_t size = m_a.code.bytes.size();
    std::size_t pc = 0;
    while (pc < size) {
        Outcome outcome = runRange(pc, size);
        if (outcome.kind != Outcome::Kind::Jump)
            return outcome.kind == Outcome::Kind::Return ? outcome.value : Value();
        // A jump before the start of the code ends it, as one past its end does.
        if (outcome.pc > size)
            break;
        pc = outcome.pc;
    }
    return {};
}

Interpreter::Outcome Interpreter::runRange(std::size_t begin, std::size_t end) {
    std::span<const std::uint8_t> bytes = m_a.code.bytes;
    std::size_t pc = begin;
    while (pc < end) {
        m_vm.step();
        std::uint8_t code = bytes[pc];
        if (code == kActionEnd)
            return {Outcome::Kind::Return, pc, Value()};
        std::size_t header = 1, length = 0;
        if (code >= 0x80) {
            if (pc + 3 > bytes.size())
                return {};
            length = bytes[pc + 1] | (bytes[pc + 2] << 8);
            header = 3;
        }
        if (pc + header + length > bytes.size())
            return {};
        ByteReader record(bytes.subspan(pc + header, length));
        std::size_t next = pc + header + length;
        Flow flow = execute(code, record, next);
        if (flow == Flow::Return)
            return m_pending;
        if (flow == Flow::End)
            return {Outcome::Kind::Return, next, Value()};
        if (next < begin || next > end)
            return {Outcome::Kind::Jump, next, Value()};
        pc = next;
    }
    return {};
}

Value Interpreter::pop() {
    auto& stack = m_vm.stack();
    if (stack.size() <= m_a.stackBase)
        return {};
    Value value = std::move(stack.back());
    stack.pop_back();
    return value;
}

std::vector<Value> Interpreter::popArguments() {
    return popArguments(m_vm.toNumber(pop()));
}

std::vector<Value> Interpreter::popArguments(double count) {
    std::vector<Value> args;
    std::size_t available = m_vm.stack().size() - m_a.stackBase;
    // A count larger than the stack takes what there is, as Flash pops
    // undefined from an empty stack.
    if (count > 0) {
        std::size_t n = count > double(available) ? available : static_cast<std::size_t>(count);
        args.reserve(n);
        for (std::size_t i = 0; i < n; ++i)
            args.push_back(pop());
    }
    return args;
}

Value Interpreter::pushResult(bool b) {
    Value value = m_vm.version() >= 5 ? Value::boolean(b) : Value::number(b ? 1 : 0);
    push(value);
    return value;
}

void Interpreter::readPush(ByteReader& record) {
    const auto* pool = m_a.pool.get();
    while (!record.atEnd()) {
        std::uint8_t type = record.u8();
        Value value;
        switch (type) {
        case 0:
            value = Value::string(record.string());
            break;
        case 1:
            value = Value::number(record.f32());
            break;
        case 2:
            value = Value::null();
            break;
        case 3:
            break;
        case 4: {
            std::uint8_t reg = record.u8();
            if (reg < m_a.registers.size())
                value = m_a.registers[reg];
            break;
        }
        case 5:
            value = Value::boolean(record.u8() != 0);
            break;
        case 6: {
            // Doubles are stored high word first.
            std::uint64_t high = record.u32(), low = record.u32();
            value = Value::number(std::bit_cast<double>((high << 32) | low));
            break;
        }
        case 7:
            value = Value::number(record.i32());
            break;
        case 8:
        case 9: {
            std::size_t index = type == 8 ? record.u8() : record.u16();
            if (pool && index < pool->size())
                value = Value::string((*pool)[index]);
            break;
        }
        default:
            // An unknown type has an unknown size: nothing after it can be read.
            return;
        }
        if (record.overrun())
            return;
        push(std::move(value));
    }
}

Interpreter::Flow Interpreter::execute(std::uint8_t code, ByteReader& record, std::size_t& next) {
    bool handled = true;
    Flow flow = executeSwf4(code, record, next, handled);
    if (handled)
        return flow;
    handled = true;
    flow = executeSwf5(code, record, next, handled);
    if (handled)
        return flow;
    handled = true;
    flow = executeObjects(code, record, next, handled);
    // Unknown records are stepped over, as Flash does.
    return flow;
}

Interpreter::Flow Interpreter::executeSwf4(std::uint8_t code, ByteReader& record, std::size_t& next,
                                           bool& handled) {
    MovieClip* clip = nullptr;
    switch (code) {
    case kActionNextFrame:
        if ((clip = target()))
            NextFrame(m_vm, *clip);
        break;
    case kActionPreviousFrame:
        if ((clip = target()))
            PreviousFrame(m_vm, *clip);
        break;
    case kActionPlay:
        if ((clip = target()))
            clip->play();
        break;
    case kActionStop:
        if ((clip = target()))
            clip->stop();
        break;
    case kActionStopSounds:
        StopAllSounds(m_vm);
        break;
    case kActionToggleQuality:
        // toggleHighQuality() turns any anti-aliasing off, and low back to high.
        m_vm.host().setQuality(m_vm.host().quality() == StageQuality::Low ? StageQuality::High
                                                                          : StageQuality::Low);
        break;
    case kActionEndDrag:
    case kActionGetUrl:
        break;
    case kActionGotoFrame:
        if ((clip = target()))
            GotoFrameNumber(m_vm, *clip, record.u16() + 1, false);
        break;
    case kActionGotoLabel:
        if ((clip = target()))
            GotoLabel(m_vm, *clip, record.string());
        break;
    case kActionGotoFrame2:
        gotoFrame2(record);
        break;
    case kActionSetTarget: {
        std::string path = record.string();
        setTarget(path.empty() ? Value() : Value::string(path));
        break;
    }
    case kActionSetTarget2:
        setTarget(pop());
        break;
    case kActionWaitForFrame:
    case kActionWaitForFrame2:
        // Every frame of a movie is loaded before it plays.
        if (code == kActionWaitForFrame2)
            pop();
        break;
    case kActionCall:
        callFrame(pop());
        break;
    case kActionGetUrl2:
        pop();
        pop();
        break;
    case kActionAdd:
    case kActionSubtract:
    case kActionMultiply:
    case kActionDivide:
    case kActionModulo:
    case kActionBitAnd:
    case kActionBitOr:
    case kActionBitXor:
    case kActionBitLShift:
    case kActionBitRShift:
    case kActionBitURShift:
        binaryNumber(code);
        break;
    case kActionEquals:
    case kActionLess: {
        Value second = pop(), first = pop();
        double a = m_vm.toNumber(first);
        double b = m_vm.toNumber(second);
        pushResult(code == kActionEquals ? a == b : a < b);
        break;
    }
    case kActionAnd: {
        bool b = m_vm.toBoolean(pop()), a = m_vm.toBoolean(pop());
        pushResult(a && b);
        break;
    }
    case kActionOr: {
        bool b = m_vm.toBoolean(pop()), a = m_vm.toBoolean(pop());
        pushResult(a || b);
        break;
    }
    case kActionNot:
        pushResult(!m_vm.toBoolean(pop()));
        break;
    case kActionStringEquals:
    case kActionStringLess:
    case kActionStringGreater:
    case kActionStringLength:
    case kActionMbStringLength:
    case kActionStringExtract:
    case kActionMbStringExtract:
    case kActionStringAdd:
    case kActionCharToAscii:
    case kActionMbCharToAscii:
    case kActionAsciiToChar:
    case kActionMbAsciiToChar:
        stringOp(code);
        break;
    case kActionToInteger:
        // int() wraps to 32 bits, as the bitwise operators do.
        push(Value::number(ToInt32(m_vm.toNumber(pop()))));
        break;
    case kActionPop:
        pop();
        break;
    case kActionPush:
        readPush(record);
        break;
    case kActionJump:
        next += static_cast<std::int16_t>(record.u16());
        break;
    case kActionIf: {
        auto offset = static_cast<std::int16_t>(record.u16());
        if (m_vm.toBoolean(pop()))
            next += offset;
        break;
    }
    case kActionGetVariable: {
        Value name = pop();
        push(getVariable(m_vm.toString(name)));
        break;
    }
    case kActionSetVariable: {
        Value value = pop();
        setVariable(m_vm.toString(pop()), value);
        break;
    }
    case kActionGetProperty:
        getClipProperty();
        break;
    case kActionSetProperty:
        setClipProperty();
        break;
    case kActionCloneSprite: {
        double depth = m_vm.toNumber(pop());
        std::string name = m_vm.toString(pop());
        Value source = pop();
        if (MovieClip* sourceClip = ClipFromTarget(m_vm, startObject(), source))
            DuplicateClip(m_vm, *sourceClip, name, depth - kDynamicDepthBase);
        break;
    }
    case kActionRemoveSprite:
        if (MovieClip* removed = ClipFromTarget(m_vm, startObject(), pop()))
            RemoveClip(m_vm, *removed);
        break;
    case kActionTrace: {
        Value value = pop();
        m_vm.host().trace(value.isUndefined() ? "undefined" : m_vm.toString(value));
        break;
    }
    case kActionStartDrag: {
        pop();
        pop();
        if (m_vm.toBoolean(pop()))
            for (int i = 0; i < 4; ++i)
                pop();
        break;
    }
    case kActionGetTime:
        push(Value::number(std::floor(m_vm.host().timerMs())));
        break;
    case kActionRandomNumber: {
        double max = m_vm.toNumber(pop());
        double value = 0;
        if (max >= 1 && max < 4294967296.0)
            value = std::floor(
                std::uniform_real_distribution<double>(0, std::floor(max))(m_vm.random()));
        push(Value::number(value));
        break;
    }
    default:
        handled = false;
        break;
    }
    return Flow::Next;
}

void Interpreter::binaryNumber(std::uint8_t code) {
    // Both operands leave the stack first; the first pushed converts first.
    Value second = pop(), first = pop();
    double a = m_vm.toNumber(first);
    double b = m_vm.toNumber(second);
    int ia = ToInt32(a), ib = ToInt32(b);
    auto ua = static_cast<std::uint32_t>(ia);
    switch (code) {
    case kActionAdd:
        push(Value::number(a + b));
        break;
    case kActionSubtract:
        push(Value::number(a - b));
        break;
    case kActionMultiply:
        push(Value::number(a * b));
        break;
    case kActionDivide:
        if (b == 0 && m_vm.version() < 5)
            push(Value::string("#ERROR#"));
        else
            push(Value::number(a / b));
        break;
    case kActionModulo:
        push(Value::number(std::fmod(a, b)));
        break;
    case kActionBitAnd:
        push(Value::number(ia & ib));
        break;
    case kActionBitOr:
        push(Value::number(ia | ib));
        break;
    case kActionBitXor:
        push(Value::number(ia ^ ib));
        break;
    case kActionBitLShift:
        push(Value::number(static_cast<std::int32_t>(ua << (ib & 31))));
        break;
    case kActionBitRShift:
        push(Value::number(ia >> (ib & 31)));
        break;
    case kActionBitURShift:
        // The shifted bits are read back as a signed number.
        push(Value::number(static_cast<std::int32_t>(ua >> (ib & 31))));
        break;
    default:
        break;
    }
}

} // namespace vidorama::swf::avm1
