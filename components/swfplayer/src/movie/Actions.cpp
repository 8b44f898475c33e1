#include "movie/Actions.h"

#include "movie/ActionStack.h"
#include "swf/ByteReader.h"

#include <optional>

namespace vidorama::swf {

namespace {

enum ActionCode : std::uint8_t {
    kActionEnd = 0x00,
    kActionNextFrame = 0x04,
    kActionPreviousFrame = 0x05,
    kActionPlay = 0x06,
    kActionStop = 0x07,
    kActionStopSounds = 0x09,
    kActionPop = 0x17,
    kActionGetVariable = 0x1c,
    kActionCallFunction = 0x3d,
    kActionGetMember = 0x4e,
    kActionCallMethod = 0x52,
    kActionGotoFrame = 0x81,
    kActionSetTarget = 0x8b,
    kActionGotoLabel = 0x8c,
    kActionConstantPool = 0x88,
    kActionDefineFunction2 = 0x8e,
    kActionWith = 0x94,
    kActionPush = 0x96,
    kActionDefineFunction = 0x9b,
    kActionGotoFrame2 = 0x9f,
};

Action MakeAction(Action::Op op, std::uint32_t frame = 0, std::string text = {}) {
    return Action{op, frame, std::move(text), false, {}};
}

// What earlier records leave for later ones.
struct ActionState {
    std::vector<std::string> pool;
    ActionStack stack;
    // Bytes after the current record that belong to a body not run here.
    std::size_t skipAfter = 0;
};

std::vector<std::string> ReadConstantPool(ByteReader& record) {
    std::vector<std::string> pool(record.u16());
    for (auto& entry : pool) {
        entry = record.string();
        if (record.overrun())
            break;
    }
    return pool;
}

// ActionGotoFrame2 takes its frame from the stack: a number (plus the scene
// bias) or a label, possibly with a target path ("path:label").
std::optional<Action> GotoFromStack(ByteReader& record, ActionStack& stack) {
    std::uint8_t flags = record.u8();
    std::uint16_t bias = (flags & 0x02) ? record.u16() : 0;
    KnownValue frame = stack.pop();
    Action action{Action::Op::GotoExpression, 0, {}, (flags & 0x01) != 0, {}};
    if (frame.kind == KnownValue::Kind::Number) {
        if (!(frame.number >= 1 && frame.number < 1e9))
            return std::nullopt;
        action.frame = static_cast<std::uint32_t>(frame.number) + bias;
    } else if (frame.kind == KnownValue::Kind::String) {
        action.text = frame.text;
    } else {
        return std::nullopt;
    }
    return action;
}

// The size of the code that follows a function definition: it is the
// function's body, run when the function is called, not here.
std::size_t FunctionBodySize(ByteReader& record, std::uint8_t code) {
    record.string(); // name
    std::uint16_t parameters = record.u16();
    if (code == kActionDefineFunction2)
        record.skip(3); // register count and flags
    for (std::uint16_t i = 0; i < parameters && !record.overrun(); ++i) {
        if (code == kActionDefineFunction2)
            record.u8(); // register
        record.string();
    }
    return record.u16();
}

std::optional<Action> ReadStackRecord(std::uint8_t code, ByteReader& record, ActionState& state) {
    ActionStack& stack = state.stack;
    switch (code) {
    case kActionPush:
        stack.readPush(record, state.pool);
        return std::nullopt;
    case kActionPop:
        stack.pop();
        return std::nullopt;
    case kActionGetVariable: {
        KnownValue name = stack.pop();
        stack.push(name.kind == KnownValue::Kind::String ? KnownValue::Clip(name.text)
                                                         : KnownValue());
        return std::nullopt;
    }
    case kActionGetMember:
        stack.getMember();
        return std::nullopt;
    case kActionCallFunction:
        return stack.callFunction();
    case kActionCallMethod:
        return stack.callMethod();
    case kActionGotoFrame2:
        return GotoFromStack(record, stack);
    case kActionDefineFunction:
    case kActionDefineFunction2:
        state.skipAfter = FunctionBodySize(record, code);
        break;
    case kActionWith:
        state.skipAfter = record.u16();
        break;
    default:
        break;
    }
    // Anything else has effects on the stack that are not followed.
    stack.forget();
    return std::nullopt;
}

// Reads one record's action, or nothing for records the engine steps over.
std::optional<Action> ReadRecord(std::uint8_t code, ByteReader& record, ActionState& state) {
    switch (code) {
    case kActionStop:
        return MakeAction(Action::Op::Stop);
    case kActionPlay:
        return MakeAction(Action::Op::Play);
    case kActionNextFrame:
        return MakeAction(Action::Op::NextFrame);
    case kActionPreviousFrame:
        return MakeAction(Action::Op::PreviousFrame);
    case kActionStopSounds:
        return MakeAction(Action::Op::StopSounds);
    case kActionGotoFrame:
        return MakeAction(Action::Op::GotoFrame, record.u16());
    case kActionGotoLabel:
        return MakeAction(Action::Op::GotoLabel, 0, record.string());
    case kActionSetTarget:
        return MakeAction(Action::Op::SetTarget, 0, record.string());
    case kActionConstantPool:
        state.pool = ReadConstantPool(record);
        return std::nullopt;
    default:
        return ReadStackRecord(code, record, state);
    }
}

} // namespace

ActionList ReadActions(std::span<const std::uint8_t> body, std::size_t maxActions) {
    ActionList actions;
    ByteReader reader(body);
    ActionState state;
    for (std::size_t count = 0; count < maxActions && !reader.atEnd(); ++count) {
        std::uint8_t code = reader.u8();
        if (code == kActionEnd)
            break;
        // Codes from 0x80 up carry a length; the record is read from a view
        // of exactly that length so that a broken record cannot spill over.
        ByteReader record = code >= 0x80 ? reader.sub(reader.u16()) : ByteReader();
        if (reader.overrun())
            break;
        auto action = ReadRecord(code, record, state);
        if (action && !record.overrun())
            actions.push_back(std::move(*action));
        if (state.skipAfter > 0) {
            reader.skip(state.skipAfter);
            state.skipAfter = 0;
        }
    }
    return actions;
}

} // namespace vidorama::swf
