#include "movie/ActionStack.h"

#include "swf/ByteReader.h"

#include <bit>
#include <cmath>

namespace vidorama::swf {

namespace {

// Deeper stacks are not followed: real timeline scripts stay far below this.
constexpr std::size_t kMaxKnownValues = 256;
constexpr std::size_t kMaxArguments = 16;

enum PushType : std::uint8_t {
    kPushString = 0,
    kPushFloat = 1,
    kPushNull = 2,
    kPushUndefined = 3,
    kPushRegister = 4,
    kPushBoolean = 5,
    kPushDouble = 6,
    kPushInteger = 7,
    kPushConstant8 = 8,
    kPushConstant16 = 9,
};

KnownValue FromPool(const std::vector<std::string>& pool, std::size_t index) {
    return index < pool.size() ? KnownValue::String(pool[index]) : KnownValue();
}

KnownValue ReadPushValue(ByteReader& record, const std::vector<std::string>& pool) {
    switch (record.u8()) {
    case kPushString:
        return KnownValue::String(record.string());
    case kPushFloat:
        return KnownValue::Number(record.f32());
    case kPushRegister:
        record.u8();
        return {};
    case kPushBoolean:
        return KnownValue::Number(record.u8() != 0);
    case kPushDouble: {
        // Doubles are stored high word first.
        std::uint64_t high = record.u32(), low = record.u32();
        return KnownValue::Number(std::bit_cast<double>((high << 32) | low));
    }
    case kPushInteger:
        return KnownValue::Number(record.i32());
    case kPushConstant8:
        return FromPool(pool, record.u8());
    case kPushConstant16:
        return FromPool(pool, record.u16());
    case kPushNull:
    case kPushUndefined:
        return {};
    default:
        // An unknown type has an unknown size: nothing after it can be read.
        record.skip(record.remaining());
        return {};
    }
}

bool SameName(std::string_view a, std::string_view b) {
    auto lower = [](char c) {
        return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

// The frame argument of gotoAndPlay/gotoAndStop: a number or a label.
std::optional<Action> GotoCall(const KnownValue& frame, bool play) {
    Action action{Action::Op::GotoExpression, 0, {}, play, {}};
    if (frame.kind == KnownValue::Kind::Number && frame.number >= 1 && frame.number < 1e9)
        action.frame = static_cast<std::uint32_t>(frame.number);
    else if (frame.kind == KnownValue::Kind::String && !frame.text.empty())
        action.text = frame.text;
    else
        return std::nullopt;
    return action;
}

// A call of one of the timeline functions, when its arguments are known.
std::optional<Action> TimelineCall(const KnownValue& name, const std::vector<KnownValue>& args) {
    if (name.kind != KnownValue::Kind::String)
        return std::nullopt;
    auto simple = [&](Action::Op op) -> std::optional<Action> {
        return args.empty() ? std::optional<Action>(Action{op, 0, {}, false, {}}) : std::nullopt;
    };
    if (SameName(name.text, "play"))
        return simple(Action::Op::Play);
    if (SameName(name.text, "stop"))
        return simple(Action::Op::Stop);
    if (SameName(name.text, "nextFrame"))
        return simple(Action::Op::NextFrame);
    if (SameName(name.text, "prevFrame"))
        return simple(Action::Op::PreviousFrame);
    bool play = SameName(name.text, "gotoAndPlay");
    if ((play || SameName(name.text, "gotoAndStop")) && args.size() == 1)
        return GotoCall(args[0], play);
    return std::nullopt;
}

} // namespace

void ActionStack::push(KnownValue value) {
    if (m_values.size() >= kMaxKnownValues)
        forget();
    m_values.push_back(std::move(value));
}

KnownValue ActionStack::pop() {
    if (m_values.empty())
        return {};
    KnownValue value = std::move(m_values.back());
    m_values.pop_back();
    return value;
}

void ActionStack::readPush(ByteReader& record, const std::vector<std::string>& pool) {
    while (!record.atEnd()) {
        KnownValue value = ReadPushValue(record, pool);
        push(record.overrun() ? KnownValue() : std::move(value));
    }
}

void ActionStack::getMember() {
    KnownValue name = pop();
    KnownValue object = pop();
    if (object.kind != KnownValue::Kind::Clip || name.kind != KnownValue::Kind::String) {
        push({});
        return;
    }
    bool slashes = object.text.find('/') != std::string::npos;
    push(KnownValue::Clip(object.text + (slashes ? "/" : ".") + name.text));
}

std::optional<std::vector<KnownValue>> ActionStack::popArguments() {
    KnownValue count = pop();
    if (count.kind != KnownValue::Kind::Number || !(count.number >= 0) ||
        count.number > kMaxArguments || count.number != std::floor(count.number))
        return std::nullopt;
    std::vector<KnownValue> args;
    for (int i = 0; i < static_cast<int>(count.number); ++i)
        args.push_back(pop());
    return args;
}

std::optional<Action> ActionStack::callFunction() {
    KnownValue name = pop();
    auto args = popArguments();
    if (!args) {
        forget();
        push({});
        return std::nullopt;
    }
    push({});
    return TimelineCall(name, *args);
}

std::optional<Action> ActionStack::callMethod() {
    KnownValue name = pop();
    KnownValue object = pop();
    auto args = popArguments();
    if (!args) {
        forget();
        push({});
        return std::nullopt;
    }
    push({});
    if (object.kind != KnownValue::Kind::Clip)
        return std::nullopt;
    auto action = TimelineCall(name, *args);
    if (action)
        action->path = object.text;
    return action;
}

} // namespace vidorama::swf
