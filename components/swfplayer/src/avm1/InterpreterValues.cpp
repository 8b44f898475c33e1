// The value records of the interpreter: typed arithmetic and comparison,
// strings, the stack, and registers.

#include "avm1/ActionCodes.h"
#include "avm1/Interpreter.h"
#include "avm1/NumberText.h"
#include "avm1/ScriptOperators.h"
#include "avm1/Utf16Text.h"
#include "swf/ByteReader.h"

#include <cmath>

namespace vidorama::swf::avm1 {

namespace {

// substring(): the index counts from 1 and is clamped to the text; a
// negative count takes the rest of it.
template <typename Text> Text Extract(const Text& text, int index, int count) {
    std::size_t start = index > 1 ? static_cast<std::size_t>(index) - 1 : 0;
    if (start >= text.size() || count == 0)
        return {};
    return text.substr(start, count < 0 ? Text::npos : static_cast<std::size_t>(count));
}

} // namespace

Interpreter::Flow Interpreter::executeSwf5(std::uint8_t code, ByteReader& record, std::size_t&,
                                           bool& handled) {
    switch (code) {
    case kActionAdd2:
        add2();
        break;
    case kActionLess2:
        compare(false);
        break;
    case kActionGreater:
        compare(true);
        break;
    case kActionEquals2: {
        Value b = pop(), a = pop();
        push(Value::boolean(m_vm.looselyEqual(a, b)));
        break;
    }
    case kActionStrictEquals: {
        Value b = pop(), a = pop();
        push(Value::boolean(Vm::strictlyEqual(a, b)));
        break;
    }
    case kActionIncrement:
        push(Value::number(m_vm.toNumber(pop()) + 1));
        break;
    case kActionDecrement:
        push(Value::number(m_vm.toNumber(pop()) - 1));
        break;
    case kActionToNumber:
        push(Value::number(m_vm.toNumber(pop())));
        break;
    case kActionToString:
        push(Value::string(m_vm.toString(pop())));
        break;
    case kActionTypeOf:
        push(Value::string(m_vm.typeOf(pop())));
        break;
    case kActionPushDuplicate: {
        Value top = pop();
        push(top);
        push(top);
        break;
    }
    case kActionStackSwap: {
        Value b = pop(), a = pop();
        push(b);
        push(a);
        break;
    }
    case kActionStoreRegister: {
        std::uint8_t reg = record.u8();
        auto& stack = m_vm.stack();
        Value top = stack.size() > m_a.stackBase ? stack.back() : Value();
        if (!record.overrun() && reg < m_a.registers.size())
            m_a.registers[reg] = top;
        break;
    }
    case kActionConstantPool: {
        auto pool = std::make_shared<std::vector<std::string>>();
        std::uint16_t count = record.u16();
        for (std::uint16_t i = 0; i < count && !record.atEnd(); ++i) {
            pool->push_back(record.string());
            m_vm.chargeString(pool->back().size());
        }
        m_a.pool = std::move(pool);
        break;
    }
    case kActionTargetPath: {
        Value value = pop();
        DisplayObject* object = m_vm.displayObjectOf(value);
        push(object ? Value::string(m_vm.targetPath(*object)) : Value());
        break;
    }
    default:
        handled = false;
        break;
    }
    return Flow::Next;
}

void Interpreter::add2() {
    Value second = pop(), first = pop();
    push(AddValues(m_vm, first, second));
}

void Interpreter::compare(bool greater) {
    Value second = pop(), first = pop();
    push(CompareValues(m_vm, first, second, greater));
}

void Interpreter::stringOp(std::uint8_t code) {
    bool utf8 = m_vm.version() >= 6;
    switch (code) {
    case kActionStringEquals: {
        std::string b = m_vm.toString(pop()), a = m_vm.toString(pop());
        pushResult(a == b);
        break;
    }
    case kActionStringLess: {
        std::string b = m_vm.toString(pop()), a = m_vm.toString(pop());
        pushResult(a < b);
        break;
    }
    case kActionStringGreater: {
        std::string b = m_vm.toString(pop()), a = m_vm.toString(pop());
        pushResult(a > b);
        break;
    }
    case kActionStringLength:
    case kActionMbStringLength: {
        std::string text = m_vm.toString(pop());
        push(Value::number(static_cast<double>(utf8 ? ToUtf16(text).size() : text.size())));
        break;
    }
    case kActionStringExtract:
    case kActionMbStringExtract: {
        int count = ToInt32(m_vm.toNumber(pop()));
        int index = ToInt32(m_vm.toNumber(pop()));
        std::string text = m_vm.toString(pop());
        push(Value::string(utf8 ? FromUtf16(Extract(ToUtf16(text), index, count))
                                : Extract(text, index, count)));
        break;
    }
    case kActionStringAdd: {
        std::string b = m_vm.toString(pop()), a = m_vm.toString(pop());
        push(Value::string(m_vm.makeString(a + b)));
        break;
    }
    case kActionCharToAscii:
    case kActionMbCharToAscii: {
        std::string text = m_vm.toString(pop());
        double first = text.empty() ? 0 : static_cast<unsigned char>(text[0]);
        if (utf8) {
            // Half of a surrogate pair is no character: Flash answers U+FFFD.
            std::u16string units = ToUtf16(text);
            first = units.empty()                              ? 0
                    : units[0] >= 0xd800 && units[0] <= 0xdfff ? 0xfffd
                                                               : units[0];
        }
        push(Value::number(first));
        break;
    }
    case kActionAsciiToChar:
    case kActionMbAsciiToChar: {
        // Codes wrap to one unit (a byte before SWF 6); code 0 is no character.
        auto number = static_cast<std::uint32_t>(ToInt32(m_vm.toNumber(pop())));
        auto unit = static_cast<char16_t>(number & (utf8 ? 0xffff : 0xff));
        std::string out;
        if (unit && utf8)
            out = FromUtf16(std::u16string_view(&unit, 1));
        else if (unit)
            out += static_cast<char>(unit);
        push(Value::string(out));
        break;
    }
    default:
        break;
    }
}

} // namespace vidorama::swf::avm1
