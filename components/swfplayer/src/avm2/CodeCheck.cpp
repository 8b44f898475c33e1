#include "avm2/CodeCheck.h"

#include "avm2/Opcodes.h"

#include <vector>

namespace vidorama::swf::avm2 {

namespace {

// How an instruction's operands are laid out after its opcode.
enum class Operands : std::uint8_t { Unknown, None, Byte, U30, TwoU30, Branch, Switch, Debug };

Operands OperandsOf(std::uint8_t op) {
    switch (op) {
    case kOpPushByte:
    case kOpGetScopeObject:
        return Operands::Byte;
    case kOpIfNlt:
    case kOpIfNle:
    case kOpIfNgt:
    case kOpIfNge:
    case kOpJump:
    case kOpIfTrue:
    case kOpIfFalse:
    case kOpIfEq:
    case kOpIfNe:
    case kOpIfLt:
    case kOpIfLe:
    case kOpIfGt:
    case kOpIfGe:
    case kOpIfStrictEq:
    case kOpIfStrictNe:
        return Operands::Branch;
    case kOpLookupSwitch:
        return Operands::Switch;
    case kOpDebug:
        return Operands::Debug;
    case kOpHasNext2:
    case kOpCallMethod:
    case kOpCallStatic:
    case kOpCallSuper:
    case kOpCallProperty:
    case kOpConstructProp:
    case kOpCallPropLex:
    case kOpCallSuperVoid:
    case kOpCallPropVoid:
    case kOpCallSuperId:
    case kOpCallInterface:
        return Operands::TwoU30;
    case kOpGetSuper:
    case kOpSetSuper:
    case kOpDxns:
    case kOpKill:
    case kOpPushShort:
    case kOpPushString:
    case kOpPushInt:
    case kOpPushUint:
    case kOpPushDouble:
    case kOpPushNamespace:
    case kOpNewFunction:
    case kOpCall:
    case kOpConstruct:
    case kOpConstructSuper:
    case kOpApplyType:
    case kOpNewObject:
    case kOpNewArray:
    case kOpNewClass:
    case kOpGetDescendants:
    case kOpNewCatch:
    case kOpFindPropStrict:
    case kOpFindProperty:
    case kOpFindDef:
    case kOpGetLex:
    case kOpSetProperty:
    case kOpGetLocal:
    case kOpSetLocal:
    case kOpGetProperty:
    case kOpGetOuterScope:
    case kOpInitProperty:
    case kOpDeleteProperty:
    case kOpGetSlot:
    case kOpSetSlot:
    case kOpGetGlobalSlot:
    case kOpSetGlobalSlot:
    case kOpCoerce:
    case kOpAsType:
    case kOpIsType:
    case kOpIncLocal:
    case kOpDecLocal:
    case kOpIncLocalI:
    case kOpDecLocalI:
    case kOpDebugLine:
    case kOpDebugFile:
    case kOpBkptLine:
        return Operands::U30;
    default:
        break;
    }
    bool plain =
        (op >= kOpBkpt && op <= kOpNop) || op == kOpThrow || op == kOpDxnsLate || op == kOpLabel ||
        (op >= kOpPushWith && op <= kOpPushUndefined) || op == kOpNextValue ||
        (op >= kOpPushTrue && op <= kOpSwap) || op == kOpPushScope ||
        (op >= kOpLi8 && op <= kOpSf64) || op == kOpReturnVoid || op == kOpReturnValue ||
        (op >= kOpSxi1 && op <= kOpSxi16) || op == kOpNewActivation || op == kOpGetGlobalScope ||
        (op >= kOpConvertS && op <= kOpCheckFilter) || (op >= kOpCoerceB && op <= kOpCoerceS) ||
        op == kOpAsTypeLate || op == kOpCoerceU || op == kOpCoerceO || op == kOpNegate ||
        op == kOpIncrement || op == kOpDecrement || (op >= kOpTypeOf && op <= kOpBitNot) ||
        (op >= kOpAdd && op <= kOpInstanceOf) || op == kOpIsTypeLate || op == kOpIn ||
        op == kOpIncrementI || op == kOpDecrementI || (op >= kOpNegateI && op <= kOpMultiplyI) ||
        (op >= kOpGetLocal0 && op <= kOpSetLocal3) || op == kOpTimestamp;
    return plain ? Operands::None : Operands::Unknown;
}

// Reads the code one instruction at a time; fails on a cut operand.
class CodeCursor {
public:
    explicit CodeCursor(std::span<const std::uint8_t> code) : m_code(code) {}
    bool done() const { return m_pc >= m_code.size(); }
    std::size_t pc() const { return m_pc; }
    std::size_t remaining() const { return m_code.size() - m_pc; }
    bool u8(std::uint8_t& out) {
        if (m_pc >= m_code.size())
            return false;
        out = m_code[m_pc++];
        return true;
    }
    bool u30(std::uint32_t& out) {
        out = 0;
        for (int shift = 0; shift < 35; shift += 7) {
            std::uint8_t byte = 0;
            if (!u8(byte))
                return false;
            out |= std::uint32_t(byte & 0x7f) << shift;
            if (!(byte & 0x80))
                return true;
        }
        return true;
    }
    bool s24(std::int32_t& out) {
        std::uint32_t value = 0;
        for (int i = 0; i < 3; ++i) {
            std::uint8_t byte = 0;
            if (!u8(byte))
                return false;
            value |= std::uint32_t(byte) << (8 * i);
        }
        if (value & 0x800000)
            value |= 0xff000000u;
        out = static_cast<std::int32_t>(value);
        return true;
    }

private:
    std::span<const std::uint8_t> m_code;
    std::size_t m_pc = 0;
};

struct Layout {
    std::vector<bool> starts;
    std::vector<std::int64_t> targets;
};

// Walks one instruction's operands, noting where its branches go; false
// when its length cannot be known.
bool ReadOperands(CodeCursor& cursor, std::size_t start, Operands kind, Layout& layout) {
    std::uint8_t byte = 0;
    std::uint32_t u = 0;
    std::int32_t offset = 0;
    switch (kind) {
    case Operands::Unknown:
        return false;
    case Operands::None:
        return true;
    case Operands::Byte:
        return cursor.u8(byte);
    case Operands::U30:
        return cursor.u30(u);
    case Operands::TwoU30:
        return cursor.u30(u) && cursor.u30(u);
    case Operands::Debug:
        return cursor.u8(byte) && cursor.u30(u) && cursor.u8(byte) && cursor.u30(u);
    case Operands::Branch:
        if (!cursor.s24(offset))
            return false;
        layout.targets.push_back(std::int64_t(cursor.pc()) + offset);
        return true;
    case Operands::Switch: {
        std::uint32_t count = 0;
        if (!cursor.s24(offset) || !cursor.u30(count) || count >= cursor.remaining())
            return false;
        layout.targets.push_back(std::int64_t(start) + offset);
        for (std::uint32_t i = 0; i <= count; ++i) {
            if (!cursor.s24(offset))
                return false;
            layout.targets.push_back(std::int64_t(start) + offset);
        }
        return true;
    }
    }
    return false;
}

} // namespace

std::optional<int> CheckBranchTargets(const AbcMethodBody& body) {
    Layout layout;
    layout.starts.assign(body.code.size() + 1, false);
    CodeCursor cursor(body.code);
    while (!cursor.done()) {
        std::size_t start = cursor.pc();
        layout.starts[start] = true;
        std::uint8_t op = 0;
        cursor.u8(op);
        if (!ReadOperands(cursor, start, OperandsOf(op), layout))
            return std::nullopt;
    }
    auto onInstruction = [&](std::int64_t at) {
        return at >= 0 && std::size_t(at) < body.code.size() && layout.starts[std::size_t(at)];
    };
    for (std::int64_t target : layout.targets)
        if (!onInstruction(target))
            return 1021;
    for (const AbcException& handler : body.exceptions)
        if (!onInstruction(handler.target))
            return 1021;
    return std::nullopt;
}

} // namespace vidorama::swf::avm2
