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
    CodeCursor(std::span<const std::uint8_t> code, std::size_t pc) : m_code(code), m_pc(pc) {}
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

// One decoded instruction: its first operand, if it has one, and where its
// branches go.
struct Instruction {
    std::uint8_t op = 0;
    std::uint32_t operand = 0;
    std::vector<std::int64_t> targets;
};

// Reads one instruction's operands; false when its length cannot be known.
bool ReadOperands(CodeCursor& cursor, std::size_t start, Operands kind, Instruction& out) {
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
        return cursor.u30(out.operand);
    case Operands::TwoU30:
        return cursor.u30(out.operand) && cursor.u30(u);
    case Operands::Debug:
        return cursor.u8(byte) && cursor.u30(u) && cursor.u8(byte) && cursor.u30(u);
    case Operands::Branch:
        if (!cursor.s24(offset))
            return false;
        out.targets.push_back(std::int64_t(cursor.pc()) + offset);
        return true;
    case Operands::Switch: {
        std::uint32_t count = 0;
        if (!cursor.s24(offset) || !cursor.u30(count) || count >= cursor.remaining())
            return false;
        out.targets.push_back(std::int64_t(start) + offset);
        for (std::uint32_t i = 0; i <= count; ++i) {
            if (!cursor.s24(offset))
                return false;
            out.targets.push_back(std::int64_t(start) + offset);
        }
        return true;
    }
    }
    return false;
}

bool EndsFlow(std::uint8_t op) {
    return op == kOpJump || op == kOpLookupSwitch || op == kOpReturnVoid || op == kOpReturnValue ||
           op == kOpThrow;
}

std::optional<CodeFault> PoolFault(std::uint32_t index, std::size_t size) {
    if (index != 0 && index < size)
        return std::nullopt;
    return CodeFault{1032, std::to_string(index), std::to_string(size)};
}

// The operands that name an entry of the block, which must exist.
std::optional<CodeFault> OperandFault(const AbcFile& abc, const Instruction& in) {
    switch (in.op) {
    case kOpPushInt:
        return PoolFault(in.operand, abc.ints.size());
    case kOpPushUint:
        return PoolFault(in.operand, abc.uints.size());
    case kOpPushDouble:
        return PoolFault(in.operand, abc.doubles.size());
    case kOpPushString:
        return PoolFault(in.operand, abc.strings.size());
    case kOpPushNamespace:
        return PoolFault(in.operand, abc.namespaces.size());
    case kOpNewClass:
        if (in.operand >= abc.classes.size())
            return CodeFault{1060, std::to_string(in.operand), std::to_string(abc.classes.size())};
        return std::nullopt;
    case kOpNewFunction:
        if (in.operand >= abc.methods.size())
            return CodeFault{1027, std::to_string(in.operand), std::to_string(abc.methods.size())};
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

enum class Mark : std::uint8_t { None, Start, Operand };

} // namespace

// Only the code that can run is read, from the entry and the handlers, so
// junk after a jump (as obfuscators leave) is not held against a method,
// as Flash's verifier does not.
std::optional<CodeFault> CheckCode(const AbcFile& abc, const AbcMethodBody& body) {
    const std::size_t size = body.code.size();
    std::vector<Mark> marks(size, Mark::None);
    std::vector<std::size_t> pending = {0};
    CodeFault misplaced{1021, {}, {}};
    for (const AbcException& handler : body.exceptions) {
        if (handler.target >= size)
            return misplaced;
        pending.push_back(handler.target);
    }
    while (!pending.empty()) {
        std::size_t pc = pending.back();
        pending.pop_back();
        while (pc < size && marks[pc] != Mark::Start) {
            if (marks[pc] == Mark::Operand)
                return misplaced;
            CodeCursor cursor(body.code, pc);
            Instruction in;
            cursor.u8(in.op);
            if (!ReadOperands(cursor, pc, OperandsOf(in.op), in))
                return std::nullopt;
            for (std::size_t at = pc + 1; at < cursor.pc(); ++at) {
                if (marks[at] != Mark::None)
                    return misplaced;
                marks[at] = Mark::Operand;
            }
            marks[pc] = Mark::Start;
            if (auto fault = OperandFault(abc, in))
                return fault;
            for (std::int64_t target : in.targets) {
                if (target < 0 || std::size_t(target) >= size ||
                    marks[std::size_t(target)] == Mark::Operand)
                    return misplaced;
                pending.push_back(std::size_t(target));
            }
            if (EndsFlow(in.op))
                break;
            pc = cursor.pc();
        }
    }
    return std::nullopt;
}

} // namespace vidorama::swf::avm2
